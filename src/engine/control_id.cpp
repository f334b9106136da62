#include "engine/control_id.h"

namespace {

constexpr ControlInfo kControls[] = {
    {EPTZ_ZOOM, "EPTZ_ZOOM", true},
    {EWC_PAN, "EWC_PAN", true},
    {EWC_TILT, "EWC_TILT", true},
    {EXP_SWITCH, "EXP_SWITCH", false},
    {EXP_GAIN, "EXP_GAIN", true},
    {EXP_TIME, "EXP_TIME", true},
    {WB_SWITCH, "WB_SWITCH", false},
    {WB_VALUE, "WB_VALUE", true},
    {ADJ_BRIGHTNESS, "ADJ_BRIGHTNESS", true},
    {ADJ_CONTRAST, "ADJ_CONTRAST", true},
    {ADJ_HUE, "ADJ_HUE", true},
    {ADJ_SATURATION, "ADJ_SATURATION", true},
    {ADJ_SHAPNESS, "ADJ_SHAPNESS", true},
    {ADJ_GAMMA, "ADJ_GAMMA", true},
    {ADJ_BACKLIGHT, "ADJ_BACKLIGHT", true},
    {ADJ_ANTIFLICKER, "ADJ_ANTIFLICKER", false},
    {AUTO_FRAME, "AUTO_FRAME", false},
    {AUTO_FRAME_SENSITIVE, "AUTO_FRAME_SENSITIVE", true},
    {AUTO_FRAME_ZOOM_LEVEL, "AUTO_FRAME_ZOOM_LEVEL", true},
    {HDR, "HDR", false},
    {TRACKING_ACTIVE, "TRACKING_ACTIVE", false},
};

}  // namespace

const ControlInfo* findControl(int32_t id) {
    for (const ControlInfo& info : kControls) {
        if (info.id == id) {
            return &info;
        }
    }
    return nullptr;
}
