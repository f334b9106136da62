#pragma once
// The identifiers of the controls a SettingJob can change.
#include <cstdint>

enum ControlId : int32_t {
    // Standard video-class controls, applied through the open camera.
    EPTZ_ZOOM = 0x1000,
    EWC_PAN = 0x1001,
    EWC_TILT = 0x1002,
    EXP_SWITCH = 0x1003,
    EXP_GAIN = 0x1004,
    EXP_TIME = 0x1005,
    WB_SWITCH = 0x1006,
    WB_VALUE = 0x1007,
    ADJ_BRIGHTNESS = 0x1008,
    ADJ_CONTRAST = 0x1009,
    ADJ_HUE = 0x100A,
    ADJ_SATURATION = 0x100B,
    ADJ_SHAPNESS = 0x100C,
    ADJ_GAMMA = 0x100D,
    ADJ_BACKLIGHT = 0x100E,
    ADJ_ANTIFLICKER = 0x100F,
    // Vendor controls, applied through the extension unit.
    AUTO_FRAME = 0x2000,
    AUTO_FRAME_SENSITIVE = 0x2001,
    AUTO_FRAME_ZOOM_LEVEL = 0x2002,
    HDR = 0x2004,
    TRACKING_ACTIVE = 0x2005,
    // Queued by the Distortion Correction switch; the camera has no command for it, so
    // the job is ignored.
    DISTORTION_CORRECTION = 0x2006,
};

// Groups by high byte.
constexpr int32_t kControlGroupMask = 0xFF00;
constexpr int32_t kStandardControlGroup = 0x1000;
constexpr int32_t kVendorControlGroup = 0x2000;
