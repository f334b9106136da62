#pragma once
// Shared by the device port's tests, on either backend: a sink that records the samples of
// a stream, the capture layer's steps that build one, and the camera's extension unit
// found as the transport finds it.
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "device/device_port.h"

namespace devicetest {

using namespace device;

// Polls until done() holds or ms milliseconds passed; answers whether it holds.
inline bool waitFor(const std::function<bool()>& done, int ms) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    for (; !done(); std::this_thread::sleep_for(std::chrono::milliseconds(5)))
        if (std::chrono::steady_clock::now() > end)
            return false;
    return true;
}

class RecordingSink : public FrameSink {
public:
    struct Sample {
        double time;
        std::vector<uint8_t> bytes;
    };
    void bufferCB(double sampleTime, const uint8_t* data, long length) override {
        std::lock_guard<std::mutex> lock(mutex_);
        samples_.push_back(Sample{sampleTime, std::vector<uint8_t>(data, data + std::max(length, 0L))});
        arrived_.notify_all();
    }
    bool waitFor(size_t count, int timeoutMs = 3000) {
        std::unique_lock<std::mutex> lock(mutex_);
        return arrived_.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                                 [&] { return samples_.size() >= count; });
    }
    std::vector<Sample> samples() const {
        std::lock_guard<std::mutex> lock(mutex_);
        return samples_;
    }
    int count() const {
        std::lock_guard<std::mutex> lock(mutex_);
        return int(samples_.size());
    }
    std::vector<uint8_t> last() const {
        std::lock_guard<std::mutex> lock(mutex_);
        return samples_.empty() ? std::vector<uint8_t>() : samples_.back().bytes;
    }

private:
    mutable std::mutex mutex_;
    std::condition_variable arrived_;
    std::vector<Sample> samples_;
};

// The capture layer's steps from choosing the format to the callback into sink (and, with
// run, running it); the first failing step's code.
inline HResult buildGraph(DevicePort& port, const std::shared_ptr<CaptureDevice>& device,
                          const MediaFormat& format, const Guid& output, FrameSink* sink,
                          std::unique_ptr<CaptureGraph>& graph, bool run) {
    HResult hr = kOk;
    auto ok = [&hr](HResult step) { return succeeded(hr = step); };
    ok(device->setFormat(0, format)) && ok(port.video->createGraph(graph)) &&
        ok(graph->addCaptureDevice(device, "Video Capture 0")) && ok(graph->attachGraphBuilder()) &&
        ok(graph->createGrabber()) && ok(graph->setGrabberSubtype(output)) &&
        ok(graph->addGrabber("Grabber 0")) && ok(graph->connect(0)) && ok(graph->setBufferSamples(false)) &&
        ok(graph->setOneShot(false)) && ok(graph->setCallback(sink)) && (!run || ok(graph->run()));
    return hr;
}

// The transport's discovery: list the sources, activate the first one named "Lumora X8",
// and its device-specific node number skip + 1; then property calls on the camera's unit.
struct XuClient {
    std::vector<std::unique_ptr<XuActivation>> sources;
    std::unique_ptr<XuMediaSource> source;
    std::unique_ptr<XuNodeControl> control;
    uint32_t node = UINT32_MAX;

    ~XuClient() { close(); }
    void close() {
        if (source)
            source->shutdown();
        control.reset();
        source.reset();
        sources.clear();
    }
    bool open(DevicePort& port, int skip = 0) {
        close();
        if (failed(port.xu->createAttributes()) || failed(port.xu->selectVideoCaptureSources()) ||
            failed(port.xu->enumerateSources(sources)))
            return false;
        for (auto& s : sources) {
            std::string name;
            uint32_t count = 0;
            if (failed(s->friendlyName(name)) || name != "Lumora X8")
                continue;
            if (failed(s->activate(source)) || failed(source->createSourceReader()) ||
                failed(source->queryTopology()) || failed(source->nodeCount(count)))
                return false;
            for (uint32_t n = 0; n < count; ++n) {
                Guid type;
                if (succeeded(source->nodeType(n, type)) && type == kNodeTypeDevSpecific && skip-- == 0) {
                    node = n;
                    return succeeded(source->createNodeControl(n, control));
                }
            }
            return false;
        }
        return false;
    }
    // A property request of the unit (the set "AB_USER_MODE") for this node.
    static KsNodeProperty request(uint32_t selector, uint32_t flags, uint32_t node) {
        KsNodeProperty p;
        std::memcpy(&p.set, "AB_USER_MODE\0\0\0\0", sizeof p.set);
        p.id = selector;
        p.flags = flags | kKsPropertyTopology;
        p.nodeId = node;
        return p;
    }
    HResult call(uint32_t selector, uint32_t flags, void* data, uint32_t length, uint32_t& returned) {
        return control->property(request(selector, flags, node), data, length, returned);
    }
    HResult set(uint32_t selector, std::vector<uint8_t> bytes) {
        uint32_t returned = 0;
        return call(selector, kKsPropertySet, bytes.data(), uint32_t(bytes.size()), returned);
    }
    HResult get(uint32_t selector, std::vector<uint8_t>& bytes, uint32_t length) {
        uint32_t returned = 0;
        bytes.assign(length, 0);
        return call(selector, kKsPropertyGet, bytes.data(), length, returned);
    }
    // Camera status (selector 11), or 65535 when the read fails.
    int status() {
        std::vector<uint8_t> b;
        return succeeded(get(11, b, 1)) ? b[0] : 65535;
    }
};

}  // namespace devicetest
