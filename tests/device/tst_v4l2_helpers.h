#pragma once
// Shared by the V4L2 tests, all on the fake uvcvideo: a camera plugged as node 0 with the
// port on it, the first node bound, and a stream built in the capture layer's order.
#include "device/fake/fake_uvc.h"
#include "device/v4l2/v4l2_port.h"
#include "device/v4l2/v4l2_xu.h"
#include "support/device_rig.h"

namespace v4l2test {

using namespace device;
using namespace devicetest;

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

// The camera plugged as node 0, the port on it and, when bound, its device and controls.
struct Rig {
    std::shared_ptr<v4l2::FakeUvc> fake = std::make_shared<v4l2::FakeUvc>();
    DevicePort port;
    std::shared_ptr<CaptureDevice> device;
    ControlPort* controls = nullptr;

    explicit Rig(v4l2::FakeCamera camera = v4l2::fakeLumoraCamera(), bool bind = false) {
        fake->plug(0, std::move(camera));
        v4l2::V4l2Options options;
        options.pollTimeoutMs = 20;
        port = v4l2::makeV4l2Port(fake, options);
        if (bind && bindFirst(port, device) == kOk)
            controls = device->controls();
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

struct Stream : Rig {
    std::unique_ptr<CaptureGraph> graph;
    RecordingSink sink;

    ~Stream() { graph.reset(); }

    // Binds, chooses the format and builds the graph; the first failing step's code.
    HResult build(const MediaFormat& format, const Guid& output) {
        const HResult hr = bindFirst(port, device);
        return failed(hr) ? hr : buildGraph(port, device, format, output, &sink, graph, false);
    }
    // build, run, and wait until the driver holds every buffer.
    HResult start(const Guid& subtype, int width, int height, const Guid& output, int64_t interval = 333333) {
        HResult hr = build(format(subtype, width, height, interval), output);
        if (succeeded(hr) && succeeded(hr = graph->run()) && !fake->waitForQueuedBuffers(0, 2000))
            return kTimeout;
        return hr;
    }
    // Waits for the next graph event; 0 when none came.
    long waitForEvent(int timeoutMs = 3000) {
        long code = 0;
        int64_t p1 = 0, p2 = 0;
        return waitFor([&] { return graph->nextEvent(code, p1, p2) == kOk; }, timeoutMs) ? code : 0;
    }
};

}  // namespace v4l2test
