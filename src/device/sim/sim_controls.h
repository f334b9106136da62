#pragma once
// The standard controls of a simulated device: ranges, defaults and current values of the
// video-processing and camera-control groups and the power-line frequency of the
// kernel-streaming set. Plain data; the owner guards it.
#include <map>
#include <utility>

#include "device/control_port.h"
#include "device/sim/sim_camera.h"

namespace device::sim {

class ControlTable {
public:
    // The Lumora X8's controls (both groups, power-line frequency), or a plain webcam's
    // (video-processing group only).
    static ControlTable lumora();
    static ControlTable webcam();

    bool hasGroup(ControlGroup group) const;
    // kNotFound when the property is unsupported (its GetRange fails).
    HResult range(ControlGroup group, long property, ControlRange& out) const;
    HResult get(ControlGroup group, long property, long& value, long& flags) const;
    // Checks the value against the range and step and the flags against the capabilities.
    HResult set(ControlGroup group, long property, long value, long flags);

    // See SimOptions::panTiltNeedZoom.
    void setPanTiltNeedZoom(bool need) { panTiltNeedZoom_ = need; }

    bool hasKsSet() const { return hasKs_; }
    HResult ksSupport(long property, uint32_t& support) const;
    HResult ksGet(long property, long& value, long& flags) const;
    HResult ksSet(long property, long value, long flags);

    // Every control back to its default value and default mode.
    void restoreDefaults();
    ControlState state(ControlGroup group, long property) const;
    void force(ControlGroup group, long property, ControlState state);
    long powerLine() const { return powerLine_; }

private:
    struct Control {
        ControlRange range;
        long defaultFlags = kFlagsManual;
        ControlState now;
    };
    using Key = std::pair<int, long>;
    static Key key(ControlGroup group, long property) { return {int(group), property}; }
    void add(ControlGroup group, long property, long min, long max, long step, long def, bool autoCap);
    const Control* find(ControlGroup group, long property) const;

    std::map<Key, Control> controls_;
    bool hasProcAmp_ = false;
    bool hasCameraControl_ = false;
    bool hasKs_ = false;
    long powerLine_ = 2;
    bool panTiltNeedZoom_ = false;
};

}  // namespace device::sim
