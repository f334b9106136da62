#pragma once
// Shared by the V4L2 tests: the first node bound, the extension unit found as the
// transport finds it, a sink that records samples and the graph built in the capture
// layer's order, all on the fake uvcvideo.
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <mutex>
#include <thread>
#include <vector>

#include "device/fake/fake_uvc.h"
#include "device/v4l2/v4l2_port.h"
#include "device/v4l2/v4l2_xu.h"

namespace v4l2test {

using namespace device;

// Lists the capture nodes and binds the first.
inline HResult bindFirst(DevicePort& port, std::shared_ptr<CaptureDevice>& device) {
    std::vector<std::unique_ptr<DeviceMoniker>> devices;
    HResult hr = port.video->enumerateVideoInputs(devices);
    return hr == kOk ? devices[0]->bind(device) : hr;
}

// Index of the first call of that name (and control id / value, when given); -1 when none.
inline int firstCall(const v4l2::FakeUvc& fake, const std::string& name, int64_t id = -1,
                     int64_t value = -1) {
    const auto calls = fake.calls();
    for (size_t i = 0; i < calls.size(); ++i)
        if (calls[i].name == name && (id < 0 || calls[i].id == id) && (value < 0 || calls[i].value == value))
            return int(i);
    return -1;
}

// A property call on the camera's extension unit.
inline KsNodeProperty xuRequest(uint32_t selector, uint32_t flags, uint32_t node) {
    KsNodeProperty p;
    std::memcpy(&p.set, v4l2::kUserModeUnitGuid.data(), sizeof p.set);
    p.id = selector;
    p.flags = flags | kKsPropertyTopology;
    p.nodeId = node;
    return p;
}

// The transport's discovery: list, activate the first source, its first device-specific node.
struct XuChannel {
    std::vector<std::unique_ptr<XuActivation>> sources;
    std::unique_ptr<XuMediaSource> source;
    std::unique_ptr<XuNodeControl> control;
    uint32_t node = UINT32_MAX;

    bool open(DevicePort& port) {
        if (port.xu->createAttributes() != kOk || port.xu->selectVideoCaptureSources() != kOk ||
            port.xu->enumerateSources(sources) != kOk || sources.empty() ||
            sources[0]->activate(source) != kOk || source->createSourceReader() != kOk ||
            source->queryTopology() != kOk)
            return false;
        uint32_t count = 0;
        source->nodeCount(count);
        for (uint32_t n = 0; n < count; ++n) {
            Guid type;
            if (source->nodeType(n, type) == kOk && type == kNodeTypeDevSpecific) {
                node = n;
                return source->createNodeControl(n, control) == kOk;
            }
        }
        return false;
    }
    HResult call(uint32_t selector, uint32_t flags, void* data, uint32_t length, uint32_t& returned) {
        return control->property(xuRequest(selector, flags, node), data, length, returned);
    }
};

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
        HResult hr = kOk;
        auto ok = [&hr](HResult step) { return succeeded(hr = step); };
        ok(bindFirst(port, device)) && ok(device->setFormat(0, format)) &&
            ok(port.video->createGraph(graph)) && ok(graph->addCaptureDevice(device, "Video Capture 0")) &&
            ok(graph->attachGraphBuilder()) && ok(graph->createGrabber()) &&
            ok(graph->setGrabberSubtype(output)) && ok(graph->addGrabber("Grabber 0")) &&
            ok(graph->connect(0)) && ok(graph->setBufferSamples(false)) && ok(graph->setOneShot(false)) &&
            ok(graph->setCallback(&sink));
        return hr;
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
