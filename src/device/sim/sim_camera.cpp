#include "device/sim/sim_camera.h"

#include "device/sim/sim_core.h"
#include "device/sim/sim_video.h"
#include "device/sim/sim_xu.h"

namespace device::sim {

DevicePort makeSimulatedPort(std::shared_ptr<SimCamera>& camera, SimOptions options) {
    auto core = std::make_shared<SimCore>(std::move(options));
    camera = core;
    DevicePort port;
    port.name = "simulated";
    port.video = std::make_shared<SimVideoSystem>(core);
    port.xu = std::make_shared<SimXuSystem>(core);
    port.watchDevices = [core]() -> std::shared_ptr<DeviceWatch> { return core->deviceChanges(); };
    return port;
}

std::shared_ptr<SimCamera> installSimulatedCamera(SimOptions options) {
    std::shared_ptr<SimCamera> camera;
    installPort(makeSimulatedPort(camera, std::move(options)));
    return camera;
}

}  // namespace device::sim
