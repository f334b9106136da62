#include "engine/control_reading.h"

#include "capture/capture_slots.h"
#include "capture/standard_controls.h"
#include "capture/uvc_camera.h"
#include "xu/uvc_xu_manager.h"

namespace {
ControlReading readStandard(const ControlAccess& access, UvcCamera& camera) {
    // One call on the device: the range is the one the open read.
    ControlReading reading;
    double value = 0.0;
    int automatic = 0;
    ControlLimits limits;
    const int code = ewc_readValue(camera.openNum(), access.property, value, automatic, limits);
    reading.ok = code == 0;
    reading.offered = code != 3;  // 3: not supported at open
    if (access.automaticFlag) {
        reading.value = automatic != 0 ? 1 : 0;
        reading.min = access.min;
        reading.max = access.max;
        return reading;
    }
    reading.value = static_cast<int>(value);
    reading.min = limits.min;
    reading.max = limits.max;
    reading.step = limits.step > 0 ? limits.step : 1;
    reading.def = limits.def;
    return reading;
}
}  // namespace

ControlReading readControl(const ControlRow& control, UvcCamera& camera) {
    const ControlAccess& access = control.access;
    switch (access.route) {
        case Route::Standard:
            return readStandard(access, camera);
        case Route::KernelStreaming: {
            ControlReading reading;
            double value = 0.0;
            const int code = ewc_propKSfunc(2, camera.openNum(), access.property, &value);
            reading.ok = code == 0;
            // 3 (not found at open), or 4 with the device still answering: the camera has no
            // such property.
            const device::HResult why = ewc_hr.load();
            reading.offered = code != 3 && (code != 4 || why == device::kNotConnected ||
                                            why == device::kGenFailure || why == device::kNoInterface);
            reading.value = static_cast<int>(value);
            reading.min = access.min;
            reading.max = access.max;
            return reading;
        }
        case Route::Vendor: {
            ControlReading reading;
            UVCXUManager& xu = UVCXUManager::instance();
            reading.ok = xu.isCommandEnabled() && access.readVendor != nullptr;
            reading.value = access.readVendor != nullptr ? access.readVendor(xu) : 0;
            reading.min = access.min;
            reading.max = access.max;
            reading.def = 0;
            return reading;
        }
    }
    return ControlReading();
}

std::string refusalOf(const ControlReading& reading, int value) {
    const std::string range = std::to_string(reading.min) + ".." + std::to_string(reading.max);
    if (value < reading.min || value > reading.max)
        return "is outside " + range;
    const long long offset = (static_cast<long long>(value) - reading.min) % reading.step;
    if (offset == 0)
        return std::string();
    const long long below = static_cast<long long>(value) - offset;
    std::string nearest = std::to_string(below);
    if (below + reading.step <= reading.max)
        nearest += " or " + std::to_string(below + reading.step);
    return "is off the step of " + std::to_string(reading.step) + " (" + range + "; nearest " + nearest + ")";
}
