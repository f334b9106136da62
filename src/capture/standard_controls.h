#pragma once
// The standard video-class controls of an open capture slot.

// Numbers 0 to 9 are the video-processing properties, 10 to 16 the camera-control
// properties plus 10.
enum StandardProperty {
    BRIGHTNESS = 0,
    CONTRAST,
    HUE,
    SATURATION,
    SHARPNESS,
    GAMMA,
    COLORENABLE,
    WHITEBALANCE,
    BACKLIGHTCOMPENSATION,
    GAIN,
    PAN,
    TILT,
    ROLL,
    ZOOM,
    EXPOSURE,
    IRIS,
    FOCUS,
};

// Function codes of ewc_propfunc.
enum PropFunction {
    kPropSetDefault = 0,
    kPropSetManualValue = 1,
    kPropGetValue = 2,
    kPropSetManual = 3,
    kPropSetAuto = 4,
    kPropGetFlags = 5,
};

// Result codes: 0 done, 1 slot not in use, 2 property out of range, 3 not supported at
// open, 4 range unreadable now, 5 the Get or Set failed (ewc_hr holds why). Function 5
// answers the flags word instead of 0.
int ewc_propfunc(int function, int slot, int property, double* value, int* automatic);
int ewc_getFlags(int slot, int property);

// What a property accepts, in the device's units.
struct ControlLimits {
    int min = 0;
    int max = 0;
    int step = 0;
    int def = 0;
};
// The property's range; codes 1 to 4 as ewc_propfunc, 0 when limits were filled.
int ewc_getRange(int slot, int property, ControlLimits& limits);
// A value, its automatic flag and its range, the range as the open found it (a device's
// ranges do not change while it is open): one call on the device. Codes 1 to 3 as
// ewc_propfunc, 5 when the Get failed.
int ewc_readValue(int slot, int property, double& value, int& automatic, ControlLimits& limits);
int ewc_setAuto(int slot, int property);
// After the camera reset its controls by itself: the host's kept values follow it (the
// port's cameraRestoredDefaults). 0 done, 1 slot not in use, 5 the device failed.
int ewc_cameraRestoredDefaults(int slot);
// Kernel-streaming access to the video-processing property set: function 1 writes,
// function 2 reads. Code 4 when the property cannot be written.
int ewc_propKSfunc(int function, int slot, int property, double* value);
