#pragma once
// The Lumora X8's vendor extension unit: the controls behind each selector of the
// "AB_USER_MODE" property set, with their lengths, and what the camera does on a GET or
// SET. Plain state; the owner guards it and carries out the returned action.
#include <cstdint>

#include "device/result.h"
#include "device/sim/sim_camera.h"
#include "device/sim/sim_controls.h"
#include "device/sim/sim_firmware.h"
#include "device/xu_port.h"

namespace device::sim {

// The unit's property set: "AB_USER_MODE" followed by four zero bytes.
Guid extensionUnitSet();

class ExtensionUnit {
public:
    // What the camera does right after answering a request.
    enum class Action { None, RebootIntoFirmware, RebootAfterReset };

    ExtensionUnit(const SimOptions& options);

    // One property call on the unit's node. `controls` are the camera's standard controls
    // (a reset restores them too).
    HResult property(const KsNodeProperty& request, void* data, uint32_t length, uint32_t& returned,
                     ControlTable& controls, Action& action);

    void setForcedStatus(int status) { forcedStatus_ = status; }
    void setFlashFails(bool fails) { flashFails_ = fails; }
    XuControls controls() const { return xu_; }
    void setControls(const XuControls& xu) { xu_ = xu; }
    FirmwareSim& firmware() { return firmware_; }
    const FirmwareSim& firmware() const { return firmware_; }
    int resetCount() const { return resets_; }

    // The unit by selector, as a USB host reaches it (length is the control's own length):
    // GET answers the control into data; SET takes it. kInvalidArg where the device stalls
    // (a GET of a write-only or a SET of a read-only control), kGenFailure for a value the
    // control refuses.
    HResult get(uint32_t selector, uint8_t* data, uint32_t length, uint32_t& returned);
    HResult set(uint32_t selector, const uint8_t* data, uint32_t length, ControlTable& controls,
                Action& action);
    // The length of a selector's control; 0 when the unit has no such selector.
    uint32_t controlLength(uint32_t selector) const;
    // Whether a selector's control answers a GET and takes a SET.
    static bool readable(uint32_t selector);
    static bool writable(uint32_t selector);

private:
    XuControls xu_;
    FirmwareSim firmware_;
    std::string serial_;
    int forcedStatus_ = -1;
    bool flashFails_ = false;
    int resets_ = 0;
};

}  // namespace device::sim
