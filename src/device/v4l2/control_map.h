#pragma once
// Which V4L2 control stands for each standard control of the program, and the unit
// conversions between the program's values and the driver's:
// - exposure: log2 seconds above the port, 100 us units in V4L2
//   (v = round(10000 * 2^n), n = round(log2(v / 10000)));
// - pan and tilt: degrees above the port, arc-seconds in V4L2 (x 3600);
// - everything else: the same numbers.
#include <cstdint>

#include "device/control_port.h"

namespace device::v4l2 {

enum class ControlUnit { Plain, Degrees, Log2Seconds };

struct ControlMapping {
    uint32_t cid = 0;      // the value's control
    uint32_t autoCid = 0;  // its automatic switch (0: none)
    ControlUnit unit = ControlUnit::Plain;
    bool autoIsExposureMenu = false;  // the switch is V4L2_CID_EXPOSURE_AUTO's menu
};

// false for a property without a V4L2 control (ROLL, ColorEnable, numbers out of range).
bool mapStandardControl(ControlGroup group, long property, ControlMapping& mapping);
// The kernel-streaming video-processing set: 0..9 as the group, 13 the power-line frequency.
bool mapKsProperty(long property, ControlMapping& mapping);

long toProgramValue(ControlUnit unit, int64_t v4l2Value);
int32_t toV4l2Value(ControlUnit unit, long programValue);
// A step in program units (at least 1).
long toProgramStep(ControlUnit unit, int64_t v4l2Step);

// EXPOSURE_AUTO menu entries.
enum : int32_t {
    kExposureAuto = 0,
    kExposureManual = 1,
    kExposureShutterPriority = 2,
    kExposureAperturePriority = 3,
};
// Automatic exposure is APERTURE_PRIORITY where the menu offers it, else AUTO; -1 when
// the menu offers neither. offered(i) tells whether entry i is in the menu.
template <typename Offered>
int32_t chooseExposureAuto(Offered offered) {
    if (offered(kExposureAperturePriority))
        return kExposureAperturePriority;
    if (offered(kExposureAuto))
        return kExposureAuto;
    return -1;
}
// Whether an EXPOSURE_AUTO value leaves the exposure time to the camera.
inline bool exposureModeIsAuto(int32_t mode) {
    return mode == kExposureAuto || mode == kExposureAperturePriority;
}

}  // namespace device::v4l2
