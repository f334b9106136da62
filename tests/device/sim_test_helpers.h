#pragma once
// Helpers shared by the simulated camera's tests: find the camera on the installed port,
// open a stream on it, and talk to its extension unit.
#include <chrono>
#include <cstring>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "device/device_port.h"
#include "device/sim/sim_camera.h"

namespace simtest {

using namespace device;

// Polls until done() holds or ms milliseconds passed; answers whether it holds.
inline bool waitFor(const std::function<bool()>& done, int ms) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    while (!done()) {
        if (std::chrono::steady_clock::now() > end)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
}

// The bound capture device whose friendly name equals name (null when not listed).
inline std::shared_ptr<CaptureDevice> bindByName(const std::string& name) {
    std::vector<std::unique_ptr<DeviceMoniker>> monikers;
    if (failed(port().video->enumerateVideoInputs(monikers)))
        return nullptr;
    for (auto& m : monikers) {
        std::string friendly;
        if (succeeded(m->friendlyName(friendly)) && friendly == name) {
            std::shared_ptr<CaptureDevice> device;
            if (succeeded(m->bind(device)))
                return device;
        }
    }
    return nullptr;
}

// Keeps the samples a stream delivers.
class RecordingSink : public FrameSink {
public:
    void bufferCB(double sampleTime, const uint8_t* data, long length) override {
        std::lock_guard<std::mutex> lock(mutex_);
        times_.push_back(sampleTime);
        last_.assign(data, data + (length > 0 ? length : 0));
    }
    int count() const {
        std::lock_guard<std::mutex> lock(mutex_);
        return int(times_.size());
    }
    std::vector<double> times() const {
        std::lock_guard<std::mutex> lock(mutex_);
        return times_;
    }
    std::vector<uint8_t> last() const {
        std::lock_guard<std::mutex> lock(mutex_);
        return last_;
    }

private:
    mutable std::mutex mutex_;
    std::vector<double> times_;
    std::vector<uint8_t> last_;
};

// Builds and runs a stream of the capability `index` of the device, as the capture layer
// does. outputSubtype: kSubtypeNull for native samples, kSubtypeRGB32 for converted ones.
inline HResult openStream(const std::shared_ptr<CaptureDevice>& device, int index, const Guid& outputSubtype,
                          FrameSink* sink, std::unique_ptr<CaptureGraph>& graph) {
    HResult hr = kOk;
    auto ok = [&hr](HResult step) { return succeeded(hr = step); };
    MediaFormat format;
    ok(port().video->createGraph(graph)) && ok(device->capability(0, index, format)) &&
        ok(device->setFormat(0, format)) && ok(graph->addCaptureDevice(device, "Video Capture 0")) &&
        ok(graph->attachGraphBuilder()) && ok(graph->createGrabber()) &&
        ok(graph->setGrabberSubtype(outputSubtype)) && ok(graph->addGrabber("Grabber 0")) &&
        ok(graph->connect(0)) && ok(graph->setBufferSamples(false)) && ok(graph->setOneShot(false)) &&
        ok(graph->setCallback(sink)) && ok(graph->run());
    return hr;
}

// The camera's extension unit through the XU side of the port.
class XuClient {
public:
    // Activates the first source named name and finds its device-specific node number
    // `skip` + 1 (0: the first one).
    bool open(const std::string& name = "Lumora X8", int skip = 0) {
        std::vector<std::unique_ptr<XuActivation>> sources;
        if (failed(port().xu->enumerateSources(sources)))
            return false;
        for (auto& s : sources) {
            std::string friendly;
            if (failed(s->friendlyName(friendly)) || friendly != name)
                continue;
            if (failed(s->activate(source_)))
                return false;
            uint32_t count = 0;
            source_->nodeCount(count);
            for (uint32_t n = 0; n < count; ++n) {
                Guid type;
                if (succeeded(source_->nodeType(n, type)) && type == kNodeTypeDevSpecific && skip-- == 0) {
                    node_ = n;
                    return succeeded(source_->createNodeControl(n, control_));
                }
            }
            return false;
        }
        return false;
    }
    ~XuClient() {
        if (source_)
            source_->shutdown();
    }
    static Guid unitSet() {
        Guid g;
        std::memcpy(&g, "AB_USER_MODE\0\0\0\0", sizeof g);
        return g;
    }
    HResult call(uint32_t selector, bool set, void* data, uint32_t length, uint32_t* returned = nullptr) {
        KsNodeProperty p;
        p.set = unitSet();
        p.id = selector;
        p.flags = kKsPropertyTopology | (set ? kKsPropertySet : kKsPropertyGet);
        p.nodeId = node_;
        uint32_t r = 0;
        HResult hr = control_->property(p, data, length, r);
        if (returned)
            *returned = r;
        return hr;
    }
    HResult set(uint32_t selector, std::vector<uint8_t> bytes) {
        return call(selector, true, bytes.data(), uint32_t(bytes.size()));
    }
    HResult get(uint32_t selector, std::vector<uint8_t>& bytes, uint32_t length) {
        bytes.assign(length, 0);
        return call(selector, false, bytes.data(), length);
    }
    // Camera status (selector 11), or 65535 when the read fails.
    int status() {
        std::vector<uint8_t> b;
        return succeeded(get(11, b, 1)) ? b[0] : 65535;
    }
    uint32_t node() const { return node_; }

private:
    std::unique_ptr<XuMediaSource> source_;
    std::unique_ptr<XuNodeControl> control_;
    uint32_t node_ = 0;
};

inline std::vector<uint8_t> le32(uint32_t v) {
    return {uint8_t(v), uint8_t(v >> 8), uint8_t(v >> 16), uint8_t(v >> 24)};
}

}  // namespace simtest
