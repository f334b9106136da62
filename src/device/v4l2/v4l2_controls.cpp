#include "device/v4l2/v4l2_controls.h"

#include <linux/videodev2.h>

#include <algorithm>
#include <cerrno>
#include <utility>
#include <vector>

#include "device/v4l2/errno_result.h"

namespace device::v4l2 {

V4l2Controls::V4l2Controls(std::shared_ptr<NodeHandle> node) : node_(std::move(node)) {}

HResult V4l2Controls::query(uint32_t cid, v4l2_queryctrl& info) {
    info = v4l2_queryctrl{};
    info.id = cid;
    int r = node_->ioctl(VIDIOC_QUERYCTRL, &info);
    // A control the device lacks answers EINVAL: the property is not supported.
    if (r == -EINVAL)
        return kNotFound;
    if (r < 0)
        return resultFromErrno(r);
    if (info.flags & V4L2_CTRL_FLAG_DISABLED)
        return kNotFound;
    return kOk;
}

HResult V4l2Controls::read(uint32_t cid, int32_t& value) {
    v4l2_control control{cid, 0};
    int r = node_->ioctl(VIDIOC_G_CTRL, &control);
    if (r < 0)
        return resultFromErrno(r);
    value = control.value;
    return kOk;
}

HResult V4l2Controls::write(uint32_t cid, int32_t value) {
    v4l2_control control{cid, value};
    return resultFromErrno(node_->ioctl(VIDIOC_S_CTRL, &control));
}

bool V4l2Controls::menuOffers(uint32_t cid, int32_t index) {
    v4l2_querymenu item{};
    item.id = cid;
    item.index = uint32_t(index);
    return node_->ioctl(VIDIOC_QUERYMENU, &item) == 0;
}

int32_t V4l2Controls::exposureAutoEntry() {
    v4l2_queryctrl info;
    if (query(V4L2_CID_EXPOSURE_AUTO, info) != kOk)
        return -1;
    return chooseExposureAuto([&](int32_t index) {
        return index >= info.minimum && index <= info.maximum && menuOffers(V4L2_CID_EXPOSURE_AUTO, index);
    });
}

HResult V4l2Controls::automaticIsOn(const ControlMapping& m, bool& isAuto) {
    isAuto = false;
    if (!m.autoCid)
        return kOk;
    int32_t mode = 0;
    HResult hr = read(m.autoCid, mode);
    if (hr == kOk)
        isAuto = m.autoIsExposureMenu ? exposureModeIsAuto(mode) : mode != 0;
    return hr;
}

HResult V4l2Controls::hasGroup(ControlGroup group) {
    const long last = group == ControlGroup::VideoProcAmp ? long(kProcGain) : long(kCamFocus);
    for (long property = 0; property <= last; ++property) {
        ControlMapping m;
        if (!mapStandardControl(group, property, m))
            continue;
        v4l2_queryctrl info;
        HResult hr = query(m.cid, info);
        if (hr == kOk)
            return kOk;
        if (hr == kNotConnected)
            return hr;
    }
    return kNoInterface;
}

HResult V4l2Controls::range(const ControlMapping& m, ControlRange& out) {
    v4l2_queryctrl info;
    HResult hr = query(m.cid, info);
    if (hr != kOk)
        return hr;
    ControlRange r;
    r.min = toProgramValue(m.unit, info.minimum);
    r.max = toProgramValue(m.unit, info.maximum);
    r.step = toProgramStep(m.unit, info.step);
    r.def = toProgramValue(m.unit, info.default_value);
    r.caps = kFlagsManual;
    if (m.autoIsExposureMenu) {
        if (exposureAutoEntry() >= 0)
            r.caps |= kFlagsAuto;
    } else if (m.autoCid) {
        v4l2_queryctrl autoInfo;
        if (query(m.autoCid, autoInfo) == kOk)
            r.caps |= kFlagsAuto;
    }
    out = r;
    return kOk;
}

HResult V4l2Controls::value(const ControlMapping& m, long& value, long& flags) {
    int32_t raw = 0;
    HResult hr = read(m.cid, raw);
    if (hr != kOk)
        return hr;
    bool isAuto = false;
    if (automaticIsOn(m, isAuto) == kNotConnected)
        return kNotConnected;
    value = toProgramValue(m.unit, raw);
    flags = isAuto ? kFlagsAuto : kFlagsManual;
    return kOk;
}

HResult V4l2Controls::apply(const ControlMapping& m, long value, long flags) {
    if (flags & kFlagsAuto) {
        // Automatic: only the switch changes; the camera owns the value now.
        if (!m.autoCid)
            return kInvalidArg;
        int32_t on = 1;
        if (m.autoIsExposureMenu) {
            on = exposureAutoEntry();
            if (on < 0)
                return kInvalidArg;
        }
        return write(m.autoCid, on);
    }
    // Manual: leave the automatic mode first, or the camera refuses (or overrides) the value.
    bool isAuto = false;
    if (automaticIsOn(m, isAuto) == kNotConnected)
        return kNotConnected;
    if (isAuto) {
        HResult hr = write(m.autoCid, m.autoIsExposureMenu ? int32_t(kExposureManual) : 0);
        if (hr != kOk)
            return hr;
    }
    return write(m.cid, toV4l2Value(m.unit, value));
}

HResult V4l2Controls::getRange(ControlGroup group, long property, ControlRange& out) {
    ControlMapping m;
    if (!mapStandardControl(group, property, m))
        return kNotFound;
    return range(m, out);
}

HResult V4l2Controls::get(ControlGroup group, long property, long& v, long& flags) {
    ControlMapping m;
    if (!mapStandardControl(group, property, m))
        return kNotFound;
    return value(m, v, flags);
}

HResult V4l2Controls::set(ControlGroup group, long property, long v, long flags) {
    ControlMapping m;
    if (!mapStandardControl(group, property, m))
        return kNotFound;
    return apply(m, v, flags);
}

HResult V4l2Controls::hasKsPropertySet() {
    return node_->isOpen() ? kOk : kNoInterface;
}

HResult V4l2Controls::ksQuerySupported(long property, uint32_t& support) {
    ControlMapping m;
    if (!mapKsProperty(property, m))
        return kNotFound;
    v4l2_queryctrl info;
    HResult hr = query(m.cid, info);
    if (hr != kOk)
        return hr;
    support = 0;
    if (!(info.flags & V4L2_CTRL_FLAG_WRITE_ONLY))
        support |= kKsSupportGet;
    if (!(info.flags & V4L2_CTRL_FLAG_READ_ONLY))
        support |= kKsSupportSet;
    return kOk;
}

HResult V4l2Controls::ksGet(long property, long& v, long& flags) {
    ControlMapping m;
    if (!mapKsProperty(property, m))
        return kNotFound;
    return value(m, v, flags);
}

HResult V4l2Controls::ksSet(long property, long v, long flags) {
    ControlMapping m;
    if (!mapKsProperty(property, m))
        return kNotFound;
    return apply(m, v, flags);
}

// The driver answers a read from what it read before, so after the camera's own reset it
// would go on answering the values from before it. Writing each default goes through to
// the camera (which holds it already) and into what the driver keeps. The values come
// first, so that a switch left manual by the driver's view does not refuse them, then
// the switches; a control the driver refuses (read-only, or inactive while automatic) is
// left as it is.
HResult V4l2Controls::cameraRestoredDefaults() {
    std::vector<uint32_t> values;
    std::vector<uint32_t> switches;
    const auto add = [](std::vector<uint32_t>& list, uint32_t cid) {
        if (cid != 0 && std::find(list.begin(), list.end(), cid) == list.end())
            list.push_back(cid);
    };
    for (const auto& [group, last] : {std::pair{ControlGroup::VideoProcAmp, long(kProcGain)},
                                      std::pair{ControlGroup::CameraControl, long(kCamFocus)}}) {
        for (long property = 0; property <= last; ++property) {
            ControlMapping m;
            if (mapStandardControl(group, property, m)) {
                add(values, m.cid);
                add(switches, m.autoCid);
            }
        }
    }
    ControlMapping powerLine;
    if (mapKsProperty(kKsPowerlineFrequency, powerLine))
        add(values, powerLine.cid);
    values.insert(values.end(), switches.begin(), switches.end());
    for (const uint32_t cid : values) {
        v4l2_queryctrl info;
        const HResult found = query(cid, info);
        if (found == kNotConnected)
            return found;
        if (found != kOk || (info.flags & (V4L2_CTRL_FLAG_READ_ONLY | V4L2_CTRL_FLAG_INACTIVE)) != 0)
            continue;
        if (write(cid, info.default_value) == kNotConnected)
            return kNotConnected;
    }
    return kOk;
}

}  // namespace device::v4l2
