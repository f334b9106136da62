#include "capture/standard_controls.h"

#include "base/debug_log.h"
#include "capture/capture_slots.h"
#include "device/control_port.h"

namespace {
constexpr int kVideoProcAmpCount = 10;

// Codes 1 to 3 shared by both operations; 0 when the property may be used.
int checkSlotAndProperty(int slot, int property) {
    if (!ewc_validSlot(slot) || ewc_slot(slot).inUse == 0) {
        return 1;
    }
    if (static_cast<unsigned>(property) >= static_cast<unsigned>(kStandardPropertyCount)) {
        return 2;
    }
    if (!ewc_slot(slot).supported[property]) {
        return 3;
    }
    return 0;
}

device::ControlPort* controlsOf(int slot) {
    const CaptureSlot& s = ewc_slot(slot);
    return s.captureFilter ? s.captureFilter->controls() : nullptr;
}

// Where a property number lives: its group and its number within the group.
struct GroupProperty {
    bool procAmp;
    device::ControlGroup group;
    long property;
};

GroupProperty groupOf(int property) {
    const bool procAmp = property < kVideoProcAmpCount;
    return {procAmp, procAmp ? device::ControlGroup::VideoProcAmp : device::ControlGroup::CameraControl,
            procAmp ? property : property - kVideoProcAmpCount};
}
}  // namespace

int ewc_getRange(int slot, int property, ControlLimits& limits) {
    const int check = checkSlotAndProperty(slot, property);
    if (check != 0) {
        return check;
    }
    device::ControlPort* controls = controlsOf(slot);
    const GroupProperty where = groupOf(property);
    device::ControlRange range;
    ewc_hr = controls == nullptr ? device::kNoInterface : controls->hasGroup(where.group);
    if (device::succeeded(ewc_hr)) {
        ewc_hr = controls->getRange(where.group, where.property, range);
    }
    if (device::failed(ewc_hr)) {
        return 4;
    }
    limits = {static_cast<int>(range.min), static_cast<int>(range.max), static_cast<int>(range.step),
              static_cast<int>(range.def)};
    return 0;
}

int ewc_cameraRestoredDefaults(int slot) {
    if (!ewc_validSlot(slot) || ewc_slot(slot).inUse == 0) {
        return 1;
    }
    device::ControlPort* controls = controlsOf(slot);
    ewc_hr = controls == nullptr ? device::kOk : controls->cameraRestoredDefaults();
    return device::failed(ewc_hr) ? 5 : 0;
}

int ewc_readValue(int slot, int property, double& value, int& automatic, ControlLimits& limits) {
    const int check = checkSlotAndProperty(slot, property);
    if (check != 0) {
        return check;
    }
    device::ControlPort* controls = controlsOf(slot);
    const GroupProperty where = groupOf(property);
    long current = 0;
    long flags = 0;
    ewc_hr = controls == nullptr ? device::kNoInterface
                                 : controls->get(where.group, where.property, current, flags);
    debugLog("Get val prop:%d, Val: %d\n", static_cast<int>(where.property), static_cast<int>(current));
    if (device::failed(ewc_hr)) {
        return 5;
    }
    const device::ControlRange& range = ewc_slot(slot).ranges[property];
    value = static_cast<double>(current);
    automatic = static_cast<int>(flags & device::kFlagsAuto);
    limits = {static_cast<int>(range.min), static_cast<int>(range.max), static_cast<int>(range.step),
              static_cast<int>(range.def)};
    return 0;
}

int ewc_propfunc(int function, int slot, int property, double* value, int* automatic) {
    const int check = checkSlotAndProperty(slot, property);
    if (check != 0) {
        return check;
    }
    const auto [procAmp, group, prop] = groupOf(property);
    if (procAmp) {
        debugLog("IAMVideoProcAmp func:%d, prop:%d\n", function, property);
    } else {
        debugLog("IAMCameraControl func:%d, prop:%d\n", function, property);
    }

    device::ControlPort* controls = controlsOf(slot);
    if (controls == nullptr) {
        ewc_hr = device::kNoInterface;
        return 4;
    }
    ewc_hr = controls->hasGroup(group);
    if (device::failed(ewc_hr)) {
        return 4;
    }
    device::ControlRange range;
    ewc_hr = controls->getRange(group, prop, range);
    debugLog("GetRange Min:%d, Max: %d\n", static_cast<int>(range.min), static_cast<int>(range.max));
    if (procAmp) {
        debugLog("GetRange Step:%f, Default: %f, CapsFlags: %f\n", static_cast<double>(range.step),
                 static_cast<double>(range.def), static_cast<double>(range.caps));
    }
    if (device::failed(ewc_hr)) {
        return 4;
    }
    long current = 0;
    long flags = 0;
    ewc_hr = controls->get(group, prop, current, flags);
    debugLog("Get val prop:%d, Val: %d\n", static_cast<int>(prop), static_cast<int>(current));

    switch (function) {
        case kPropSetDefault:
            ewc_hr = controls->set(group, prop, range.def, flags);
            break;
        case kPropSetManualValue: {
            const long newValue = value != nullptr ? static_cast<long>(*value) : 0;
            debugLog("set new val prop:%d, Val: %d\n", static_cast<int>(prop), static_cast<int>(newValue));
            ewc_hr = controls->set(group, prop, newValue, device::kFlagsManual);
            break;
        }
        case kPropGetValue:
            if (value != nullptr) {
                *value = static_cast<double>(current);
            }
            if (automatic != nullptr) {
                *automatic = static_cast<int>(flags & device::kFlagsAuto);
            }
            break;
        case kPropSetManual:
            ewc_hr = controls->set(group, prop, current, device::kFlagsManual);
            break;
        case kPropSetAuto:
            ewc_hr = controls->set(group, prop, current, device::kFlagsAuto);
            break;
        case kPropGetFlags:
            if (procAmp) {
                debugLog("get Flags:%d, VideoProcAmp_Flags_Auto: %d\n", static_cast<int>(flags), 1);
            } else {
                debugLog("get Flags:%d, CameraControl_Flags_Auto: %d\n", static_cast<int>(flags), 1);
            }
            // A flags word that could not be read is reported as the failure code.
            return device::failed(ewc_hr) ? 5 : static_cast<int>(flags);
        default:
            break;
    }
    if (device::succeeded(ewc_hr)) {
        return 0;
    }
    if (!procAmp) {
        debugLog("info: Function: %s, %s failed, Error code: 0x%.2x \n", "ewc_propfunc", "RRRRRRRRRRR",
                 ewc_hrBits());
    }
    return 5;
}

int ewc_getFlags(int slot, int property) {
    return ewc_propfunc(kPropGetFlags, slot, property, nullptr, nullptr);
}

int ewc_setAuto(int slot, int property) {
    return ewc_propfunc(kPropSetAuto, slot, property, nullptr, nullptr);
}

int ewc_propKSfunc(int function, int slot, int property, double* value) {
    const int check = checkSlotAndProperty(slot, property);
    if (check != 0) {
        return check;
    }
    debugLog("ks_control func:%d, prop:%d\n", function, property);
    device::ControlPort* controls = controlsOf(slot);
    if (controls == nullptr) {
        ewc_hr = device::kNoInterface;
        return 4;
    }
    ewc_hr = controls->hasKsPropertySet();
    if (device::failed(ewc_hr)) {
        return 4;
    }
    uint32_t support = 0;
    ewc_hr = controls->ksQuerySupported(property, support);
    if (device::failed(ewc_hr) || (support & device::kKsSupportSet) == 0) {
        return 4;
    }
    debugLog("ks_propset supported\n");
    if (function == 1) {
        const long newValue = value != nullptr ? static_cast<long>(*value) : 0;
        ewc_hr = controls->ksSet(property, newValue, device::kFlagsManual);
    } else if (function == 2) {
        long read = 0;
        long flags = device::kFlagsManual;
        ewc_hr = controls->ksGet(property, read, flags);
        if (value != nullptr) {
            *value = device::succeeded(ewc_hr) ? static_cast<double>(read) : 0.0;
        }
    }
    if (device::failed(ewc_hr)) {
        debugLog("info: Function: %s, %s failed, Error code: 0x%.2x \n", "ewc_propKSfunc", "KS RRRRRRRRRRR",
                 ewc_hrBits());
        return 5;
    }
    return 0;
}
