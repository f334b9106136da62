#pragma once
// The standard controls of a capture node: each property of the program is the V4L2
// control of control_map.h, with its automatic switch, and its values converted to the
// program's units both ways. Setting a value selects the manual mode first; selecting
// the automatic mode leaves the value alone.
#include <memory>

#include "device/control_port.h"
#include "device/v4l2/control_map.h"
#include "device/v4l2/node_handle.h"

struct v4l2_queryctrl;

namespace device::v4l2 {

class V4l2Controls : public ControlPort {
public:
    explicit V4l2Controls(std::shared_ptr<NodeHandle> node);

    HResult hasGroup(ControlGroup group) override;
    HResult getRange(ControlGroup group, long property, ControlRange& range) override;
    HResult get(ControlGroup group, long property, long& value, long& flags) override;
    HResult set(ControlGroup group, long property, long value, long flags) override;

    HResult hasKsPropertySet() override;
    HResult ksQuerySupported(long property, uint32_t& support) override;
    HResult ksGet(long property, long& value, long& flags) override;
    HResult ksSet(long property, long value, long flags) override;
    // Writes each mapped control its default, the automatic switches last.
    HResult cameraRestoredDefaults() override;

private:
    HResult query(uint32_t cid, v4l2_queryctrl& info);
    HResult read(uint32_t cid, int32_t& value);
    HResult write(uint32_t cid, int32_t value);
    // The EXPOSURE_AUTO entry that means automatic, or -1.
    int32_t exposureAutoEntry();
    bool menuOffers(uint32_t cid, int32_t index);
    // Whether the control's automatic switch is on (false without one, or unreadable).
    HResult automaticIsOn(const ControlMapping& m, bool& isAuto);
    HResult range(const ControlMapping& m, ControlRange& range);
    HResult value(const ControlMapping& m, long& value, long& flags);
    HResult apply(const ControlMapping& m, long value, long flags);

    std::shared_ptr<NodeHandle> node_;
};

}  // namespace device::v4l2
