#pragma once
// Shared by the V4L2 stream tests: a sink that records samples and the graph built in
// the capture layer's order.
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <vector>

#include "device/v4l2/fake_uvc.h"
#include "device/v4l2/v4l2_port.h"

namespace v4l2test {

using namespace device;

class RecordingSink : public FrameSink {
public:
    struct Sample {
        double time;
        std::vector<uint8_t> bytes;
    };
    void bufferCB(double sampleTime, const uint8_t* data, long length) override {
        std::lock_guard<std::mutex> lock(mutex_);
        samples_.push_back(Sample{sampleTime, std::vector<uint8_t>(data, data + length)});
        arrived_.notify_all();
    }
    bool waitFor(size_t count, int timeoutMs = 3000) {
        std::unique_lock<std::mutex> lock(mutex_);
        return arrived_.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                                 [&] { return samples_.size() >= count; });
    }
    std::vector<Sample> samples() {
        std::lock_guard<std::mutex> lock(mutex_);
        return samples_;
    }

private:
    std::mutex mutex_;
    std::condition_variable arrived_;
    std::vector<Sample> samples_;
};

struct Stream {
    std::shared_ptr<v4l2::FakeUvc> fake = std::make_shared<v4l2::FakeUvc>();
    DevicePort port;
    std::shared_ptr<CaptureDevice> device;
    std::unique_ptr<CaptureGraph> graph;
    RecordingSink sink;

    Stream() {
        fake->plug(0, v4l2::fakeLumoraCamera());
        v4l2::V4l2Options options;
        options.pollTimeoutMs = 20;
        port = v4l2::makeV4l2Port(fake, options);
    }
    ~Stream() {
        graph.reset();
        device.reset();
    }

    // Binds, chooses the format and builds the graph up to connect; the first failing step's code.
    HResult build(const MediaFormat& format, const Guid& output) {
        std::vector<std::unique_ptr<DeviceMoniker>> devices;
        HResult hr = port.video->enumerateVideoInputs(devices);
        if (hr != kOk)
            return hr;
        if (failed(hr = devices[0]->bind(device)))
            return hr;
        MediaFormat f;
        if (failed(hr = device->currentFormat(0, f)))
            return hr;
        f.subtype = format.subtype;
        f.width = format.width;
        f.height = format.height;
        f.avgTimePerFrame = format.avgTimePerFrame;
        if (failed(hr = device->setFormat(0, f)))
            return hr;
        if (failed(hr = port.video->createGraph(graph)))
            return hr;
        if (failed(hr = graph->addCaptureDevice(device, "Video Capture 0")))
            return hr;
        if (failed(hr = graph->attachGraphBuilder()))
            return hr;
        if (failed(hr = graph->createGrabber()))
            return hr;
        if (failed(hr = graph->setGrabberSubtype(output)))
            return hr;
        if (failed(hr = graph->addGrabber("Grabber 0")))
            return hr;
        if (failed(hr = graph->connect(0)))
            return hr;
        if (failed(hr = graph->setBufferSamples(false)))
            return hr;
        if (failed(hr = graph->setOneShot(false)))
            return hr;
        return graph->setCallback(&sink);
    }
    HResult start(const MediaFormat& format, const Guid& output) {
        HResult hr = build(format, output);
        if (failed(hr))
            return hr;
        hr = graph->run();
        if (succeeded(hr) && !fake->waitForQueuedBuffers(0, 2000))
            return kTimeout;
        return hr;
    }
    // Waits for the next graph event; 0 when none came.
    long waitForEvent(int timeoutMs = 3000) {
        const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
        while (std::chrono::steady_clock::now() < end) {
            long code = 0;
            int64_t p1 = 0, p2 = 0;
            if (graph->nextEvent(code, p1, p2) == kOk)
                return code;
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        return 0;
    }
};

inline MediaFormat format(const Guid& subtype, int width, int height, int64_t interval = 333333) {
    MediaFormat f;
    f.subtype = subtype;
    f.width = width;
    f.height = height;
    f.avgTimePerFrame = interval;
    return f;
}

}  // namespace v4l2test
