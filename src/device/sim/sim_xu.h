#pragma once
// The extension-unit side of the simulated bus: the video capture sources as the system
// lists them, their activation and topology, and property calls on a topology node.
//
// The Lumora X8's topology: 0 camera terminal, 1 processing unit, 2 the extension unit
// (device-specific, property set "AB_USER_MODE"), 3 a second device-specific node of
// another vendor unit (answers kSetNotFound for that set), 4 streaming output. Without the
// extension unit (see SimCamera::setExtensionUnitFromActivation) nodes 2 and 3 are
// missing. The webcam has no device-specific node.
#include <memory>

#include "device/sim/sim_core.h"
#include "device/xu_port.h"

namespace device::sim {

class SimXuSystem : public XuSystem {
public:
    explicit SimXuSystem(std::shared_ptr<SimCore> core) : core_(std::move(core)) {}
    HResult createAttributes() override;
    HResult selectVideoCaptureSources() override;
    HResult enumerateSources(std::vector<std::unique_ptr<XuActivation>>& sources) override;

private:
    std::shared_ptr<SimCore> core_;
};

}  // namespace device::sim
