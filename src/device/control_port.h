#pragma once
// The standard video-class controls of a capture device, in the program's units: the
// video-processing group (brightness .. gain) and the camera-control group (pan ..
// focus), plus the kernel-streaming access to the video-processing property set.
#include <cstdint>

#include "device/result.h"

namespace device {

enum class ControlGroup { VideoProcAmp, CameraControl };

// Property numbers within each group.
enum VideoProcAmpProperty : long {
    kProcBrightness = 0,
    kProcContrast,
    kProcHue,
    kProcSaturation,
    kProcSharpness,
    kProcGamma,
    kProcColorEnable,
    kProcWhiteBalance,
    kProcBacklightCompensation,
    kProcGain,
    // Reachable only through the kernel-streaming property set.
    kKsPowerlineFrequency = 13,
};
enum CameraControlProperty : long {
    kCamPan = 0,
    kCamTilt,
    kCamRoll,
    kCamZoom,
    kCamExposure,
    kCamIris,
    kCamFocus,
};

// Flags words: automatic or manual.
enum : long { kFlagsAuto = 1, kFlagsManual = 2 };
// Kernel-streaming support bits.
enum : uint32_t { kKsSupportGet = 1, kKsSupportSet = 2 };

struct ControlRange {
    long min = 0;
    long max = 0;
    long step = 0;
    long def = 0;
    long caps = 0;  // flags the property supports (kFlagsAuto | kFlagsManual)
};

class ControlPort {
public:
    virtual ~ControlPort() = default;
    // kNoInterface when the device lacks the whole group.
    virtual HResult hasGroup(ControlGroup group) = 0;
    virtual HResult getRange(ControlGroup group, long property, ControlRange& range) = 0;
    virtual HResult get(ControlGroup group, long property, long& value, long& flags) = 0;
    virtual HResult set(ControlGroup group, long property, long value, long flags) = 0;

    // Kernel-streaming property set of video processing.
    virtual HResult hasKsPropertySet() = 0;
    virtual HResult ksQuerySupported(long property, uint32_t& support) = 0;
    virtual HResult ksGet(long property, long& value, long& flags) = 0;
    virtual HResult ksSet(long property, long value, long flags) = 0;

    // The camera put its controls back to their defaults by itself (a reset through its
    // extension unit) and stayed on the bus: a host driver that keeps the values it read
    // (uvcvideo does, until the camera leaves the bus) is brought to agree with it. Nothing
    // to do where every read reaches the camera.
    virtual HResult cameraRestoredDefaults() { return kOk; }
};

}  // namespace device
