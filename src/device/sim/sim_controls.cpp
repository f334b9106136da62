#include "device/sim/sim_controls.h"

namespace device::sim {
namespace {
constexpr long kPowerLineDefault = 2;  // 60 Hz
}

void ControlTable::add(ControlGroup group, long property, long min, long max, long step, long def,
                       bool autoCap) {
    Control c;
    c.range = ControlRange{min, max, step, def, autoCap ? (kFlagsAuto | kFlagsManual) : long(kFlagsManual)};
    c.defaultFlags = autoCap ? kFlagsAuto : kFlagsManual;
    c.now = ControlState{def, c.defaultFlags};
    controls_[key(group, property)] = c;
}

ControlTable ControlTable::lumora() {
    ControlTable t;
    t.hasProcAmp_ = t.hasCameraControl_ = t.hasKs_ = true;
    const auto P = ControlGroup::VideoProcAmp;
    const auto C = ControlGroup::CameraControl;
    t.add(P, kProcBrightness, 0, 200, 1, 100, false);
    t.add(P, kProcContrast, 0, 200, 1, 100, false);
    t.add(P, kProcHue, 0, 180, 1, 90, false);
    t.add(P, kProcSaturation, 0, 200, 1, 100, false);
    t.add(P, kProcSharpness, 0, 200, 1, 100, false);
    t.add(P, kProcGamma, 100, 220, 1, 100, false);
    t.add(P, kProcWhiteBalance, 2000, 7500, 10, 4600, true);
    t.add(P, kProcBacklightCompensation, 0, 1, 1, 0, false);
    t.add(P, kProcGain, 0, 6, 1, 0, false);
    t.add(C, kCamPan, -20, 20, 1, 0, false);
    t.add(C, kCamTilt, -15, 15, 1, 0, false);
    t.add(C, kCamZoom, 100, 500, 1, 100, false);
    t.add(C, kCamExposure, -8, -1, 1, -5, true);
    t.powerLine_ = kPowerLineDefault;
    return t;
}

ControlTable ControlTable::webcam() {
    ControlTable t;
    t.hasProcAmp_ = true;
    const auto P = ControlGroup::VideoProcAmp;
    t.add(P, kProcBrightness, -64, 64, 1, 0, false);
    t.add(P, kProcContrast, 0, 95, 1, 32, false);
    t.add(P, kProcSaturation, 0, 100, 1, 64, false);
    t.add(P, kProcWhiteBalance, 2800, 6500, 1, 4600, true);
    return t;
}

bool ControlTable::hasGroup(ControlGroup group) const {
    return group == ControlGroup::VideoProcAmp ? hasProcAmp_ : hasCameraControl_;
}

const ControlTable::Control* ControlTable::find(ControlGroup group, long property) const {
    auto it = controls_.find(key(group, property));
    return it == controls_.end() ? nullptr : &it->second;
}

HResult ControlTable::range(ControlGroup group, long property, ControlRange& out) const {
    if (!hasGroup(group))
        return kNoInterface;
    const Control* c = find(group, property);
    if (!c)
        return kNotFound;
    out = c->range;
    return kOk;
}

HResult ControlTable::get(ControlGroup group, long property, long& value, long& flags) const {
    if (!hasGroup(group))
        return kNoInterface;
    const Control* c = find(group, property);
    if (!c)
        return kNotFound;
    value = c->now.value;
    flags = c->now.flags;
    return kOk;
}

HResult ControlTable::set(ControlGroup group, long property, long value, long flags) {
    if (!hasGroup(group))
        return kNoInterface;
    auto it = controls_.find(key(group, property));
    if (it == controls_.end())
        return kNotFound;
    Control& c = it->second;
    if (flags != kFlagsAuto && flags != kFlagsManual)
        return kInvalidArg;
    if (flags == kFlagsAuto && !(c.range.caps & kFlagsAuto))
        return kInvalidArg;
    const bool inRange =
        value >= c.range.min && value <= c.range.max && (value - c.range.min) % c.range.step == 0;
    if (flags == kFlagsManual) {
        if (!inRange)
            return kInvalidArg;
        c.now.value = value;
    } else if (inRange) {
        c.now.value = value;  // an automatic mode keeps the value it starts from
    }
    c.now.flags = flags;
    const Control* zoom = panTiltNeedZoom_ ? find(ControlGroup::CameraControl, kCamZoom) : nullptr;
    if (zoom != nullptr && zoom->now.value <= zoom->range.min) {
        for (const long property : {kCamPan, kCamTilt}) {
            auto view = controls_.find(key(ControlGroup::CameraControl, property));
            if (view != controls_.end())
                view->second.now.value = 0;
        }
    }
    return kOk;
}

HResult ControlTable::ksSupport(long property, uint32_t& support) const {
    if (!hasKs_)
        return kNoInterface;
    if (property == kKsPowerlineFrequency ||
        (property <= kProcGain && find(ControlGroup::VideoProcAmp, property))) {
        support = kKsSupportGet | kKsSupportSet;
        return kOk;
    }
    support = 0;
    return kNotFound;
}

HResult ControlTable::ksGet(long property, long& value, long& flags) const {
    if (!hasKs_)
        return kNoInterface;
    if (property == kKsPowerlineFrequency) {
        value = powerLine_;
        flags = kFlagsManual;
        return kOk;
    }
    if (property > kProcGain)
        return kNotFound;
    return get(ControlGroup::VideoProcAmp, property, value, flags);
}

HResult ControlTable::ksSet(long property, long value, long flags) {
    if (!hasKs_)
        return kNoInterface;
    if (property == kKsPowerlineFrequency) {
        if (value < 0 || value > 3)
            return kInvalidArg;
        powerLine_ = value;
        return kOk;
    }
    if (property > kProcGain)
        return kNotFound;
    return set(ControlGroup::VideoProcAmp, property, value, flags);
}

void ControlTable::restoreDefaults() {
    for (auto& entry : controls_)
        entry.second.now = ControlState{entry.second.range.def, entry.second.defaultFlags};
    powerLine_ = kPowerLineDefault;
}

ControlState ControlTable::state(ControlGroup group, long property) const {
    const Control* c = find(group, property);
    return c ? c->now : ControlState{};
}

void ControlTable::force(ControlGroup group, long property, ControlState state) {
    auto it = controls_.find(key(group, property));
    if (it != controls_.end())
        it->second.now = state;
}

}  // namespace device::sim
