// Temporary: a do-nothing camera so that dependants compile while the simulation is built.
#include "device/sim/sim_camera.h"

namespace device::sim {
namespace {
class StubCamera : public SimCamera {
public:
    void plug() override {}
    void unplug() override {}
    bool isPlugged() const override { return false; }
    void plugAfter(int) override {}
    void unplugAfter(int) override {}
    void failNext(const std::string&, HResult, int) override {}
    void failFrom(const std::string&, HResult, int) override {}
    void failAlways(const std::string&, HResult) override {}
    void setLatency(const std::string&, int) override {}
    void clearFaults() override {}
    int callCount(const std::string&) const override { return 0; }
    void forceStatus(int) override {}
    void setNeverDeliverFrames(bool) override {}
    void setSampleFault(SampleFault) override {}
    void setExtensionUnitFromActivation(int) override {}
    void setFlashFails(bool) override {}
    ControlState control(ControlGroup, long) const override { return {}; }
    void setControl(ControlGroup, long, ControlState) override {}
    long powerLineFrequency() const override { return 0; }
    XuControls xuControls() const override { return {}; }
    void setXuControls(const XuControls&) override {}
    std::vector<XuRecord> xuRequests() const override { return {}; }
    void clearXuRequests() override {}
    FirmwareState firmware() const override { return {}; }
    std::vector<uint8_t> storedImage() const override { return {}; }
    long framesDelivered() const override { return 0; }
    int runningStreams() const override { return 0; }
    int resetCount() const override { return 0; }
};
}  // namespace

DevicePort makeSimulatedPort(std::shared_ptr<SimCamera>& camera, SimOptions) {
    camera = std::make_shared<StubCamera>();
    DevicePort port;
    port.name = "simulated";
    return port;
}

std::shared_ptr<SimCamera> installSimulatedCamera(SimOptions options) {
    std::shared_ptr<SimCamera> camera;
    installPort(makeSimulatedPort(camera, options));
    return camera;
}

}  // namespace device::sim
