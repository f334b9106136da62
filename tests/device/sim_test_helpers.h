#pragma once
// Helpers shared by the simulated camera's tests: the camera installed for each test, a
// device bound by name, a stream opened on it, and its extension unit.
#include "device/sim/sim_camera.h"
#include "support/device_rig.h"

namespace simtest {

using namespace device;
using namespace devicetest;

// The bound capture device whose friendly name equals name (null when not listed).
inline std::shared_ptr<CaptureDevice> bindByName(const std::string& name) {
    std::vector<std::unique_ptr<DeviceMoniker>> monikers;
    port().video->enumerateVideoInputs(monikers);
    std::shared_ptr<CaptureDevice> device;
    for (auto& m : monikers) {
        std::string friendly;
        if (succeeded(m->friendlyName(friendly)) && friendly == name && succeeded(m->bind(device)))
            return device;
    }
    return nullptr;
}

// Builds and runs a stream of the capability `index` of the device, as the capture layer
// does. outputSubtype: kSubtypeNull for native samples, kSubtypeRGB32 for converted ones.
inline HResult openStream(const std::shared_ptr<CaptureDevice>& device, int index, const Guid& outputSubtype,
                          FrameSink* sink, std::unique_ptr<CaptureGraph>& graph) {
    MediaFormat format;
    const HResult hr = device->capability(0, index, format);
    return failed(hr) ? hr : buildGraph(port(), device, format, outputSubtype, sink, graph, true);
}

// The simulated camera installed as the port, removed again at the end.
struct SimRig {
    std::shared_ptr<sim::SimCamera> camera;

    explicit SimRig(const sim::SimOptions& options = {}) : camera(sim::installSimulatedCamera(options)) {}
    ~SimRig() {
        device.reset();
        installPort(DevicePort{});
    }
    std::shared_ptr<CaptureDevice> device = bindByName("Lumora X8");
    ControlPort* controls = device ? device->controls() : nullptr;
};

}  // namespace simtest
