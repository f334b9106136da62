#include "device/v4l2/control_map.h"

#include <linux/videodev2.h>

#include <algorithm>
#include <cmath>
#include <limits>

namespace device::v4l2 {
namespace {

constexpr double kArcSecondsPerDegree = 3600.0;
constexpr double kExposureUnitsPerSecond = 10000.0;  // 100 us units

int32_t clampToInt32(double v) {
    if (!(v == v))
        return 0;
    v = std::max<double>(v, std::numeric_limits<int32_t>::min());
    v = std::min<double>(v, std::numeric_limits<int32_t>::max());
    return int32_t(std::lround(v));
}

}  // namespace

bool mapStandardControl(ControlGroup group, long property, ControlMapping& m) {
    m = ControlMapping{};
    if (group == ControlGroup::VideoProcAmp) {
        switch (property) {
            case kProcBrightness:
                m.cid = V4L2_CID_BRIGHTNESS;
                return true;
            case kProcContrast:
                m.cid = V4L2_CID_CONTRAST;
                return true;
            case kProcHue:
                m.cid = V4L2_CID_HUE;
                m.autoCid = V4L2_CID_HUE_AUTO;
                return true;
            case kProcSaturation:
                m.cid = V4L2_CID_SATURATION;
                return true;
            case kProcSharpness:
                m.cid = V4L2_CID_SHARPNESS;
                return true;
            case kProcGamma:
                m.cid = V4L2_CID_GAMMA;
                return true;
            case kProcWhiteBalance:
                m.cid = V4L2_CID_WHITE_BALANCE_TEMPERATURE;
                m.autoCid = V4L2_CID_AUTO_WHITE_BALANCE;
                return true;
            case kProcBacklightCompensation:
                m.cid = V4L2_CID_BACKLIGHT_COMPENSATION;
                return true;
            case kProcGain:
                m.cid = V4L2_CID_GAIN;
                return true;
            default:  // ColorEnable has no V4L2 control
                return false;
        }
    }
    switch (property) {
        case kCamPan:
            m.cid = V4L2_CID_PAN_ABSOLUTE;
            m.unit = ControlUnit::Degrees;
            return true;
        case kCamTilt:
            m.cid = V4L2_CID_TILT_ABSOLUTE;
            m.unit = ControlUnit::Degrees;
            return true;
        case kCamZoom:
            m.cid = V4L2_CID_ZOOM_ABSOLUTE;
            return true;
        case kCamExposure:
            m.cid = V4L2_CID_EXPOSURE_ABSOLUTE;
            m.autoCid = V4L2_CID_EXPOSURE_AUTO;
            m.autoIsExposureMenu = true;
            m.unit = ControlUnit::Log2Seconds;
            return true;
        case kCamIris:
            m.cid = V4L2_CID_IRIS_ABSOLUTE;
            return true;
        case kCamFocus:
            m.cid = V4L2_CID_FOCUS_ABSOLUTE;
            m.autoCid = V4L2_CID_FOCUS_AUTO;
            return true;
        default:  // Roll has no V4L2 control
            return false;
    }
}

bool mapKsProperty(long property, ControlMapping& m) {
    if (property == kKsPowerlineFrequency) {
        m = ControlMapping{};
        m.cid = V4L2_CID_POWER_LINE_FREQUENCY;  // 0 off, 1 50 Hz, 2 60 Hz, 3 auto: as the program's
        return true;
    }
    if (property >= kProcBrightness && property <= kProcGain)
        return mapStandardControl(ControlGroup::VideoProcAmp, property, m);
    m = ControlMapping{};
    return false;
}

long toProgramValue(ControlUnit unit, int64_t v) {
    switch (unit) {
        case ControlUnit::Degrees:
            return std::lround(double(v) / kArcSecondsPerDegree);
        case ControlUnit::Log2Seconds:
            return std::lround(std::log2(double(std::max<int64_t>(v, 1)) / kExposureUnitsPerSecond));
        case ControlUnit::Plain:
        default:
            return long(v);
    }
}

int32_t toV4l2Value(ControlUnit unit, long value) {
    switch (unit) {
        case ControlUnit::Degrees:
            return clampToInt32(double(value) * kArcSecondsPerDegree);
        case ControlUnit::Log2Seconds:
            // Beyond 2^20 s (or below 2^-40 s) the number means nothing to any camera.
            return clampToInt32(kExposureUnitsPerSecond *
                                std::ldexp(1.0, int(std::clamp<long>(value, -40, 20))));
        case ControlUnit::Plain:
        default:
            return clampToInt32(double(value));
    }
}

long toProgramStep(ControlUnit unit, int64_t step) {
    switch (unit) {
        case ControlUnit::Degrees:
            return std::max<long>(1, std::lround(double(step) / kArcSecondsPerDegree));
        case ControlUnit::Log2Seconds:
            return 1;
        case ControlUnit::Plain:
        default:
            return long(step);
    }
}

}  // namespace device::v4l2
