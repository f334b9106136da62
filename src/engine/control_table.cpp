#include "engine/control_table.h"

#include "capture/standard_controls.h"
#include "xu/uvc_xu_manager.h"

namespace {

// The kernel-streaming number of the power-line frequency.
constexpr int kPowerLineFrequency = 13;

ControlAccess value(int property) {
    return {Route::Standard, property, false, nullptr, nullptr, 0, 0, false};
}
ControlAccess automatic(int property) {
    return {Route::Standard, property, true, nullptr, nullptr, 0, 1, false};
}
ControlAccess kernelStreaming(int property, int min, int max) {
    return {Route::KernelStreaming, property, false, nullptr, nullptr, min, max, false};
}
ControlAccess vendor(int (*read)(UVCXUManager&), bool (*write)(UVCXUManager&, int32_t), int min, int max) {
    return {Route::Vendor, 0, false, read, write, min, max, false};
}

ControlAccess panOrTilt(int property) {
    ControlAccess access = value(property);
    access.onlyWhenChanged = true;
    return access;
}

// On/off commands send value != 0; sensitivity and zoom level send the value itself.
int readAutoFrame(UVCXUManager& xu) {
    return xu.getAutoFrame();
}
bool writeAutoFrame(UVCXUManager& xu, int32_t v) {
    return xu.setAutoFrame(v != 0);
}
int readSensitivity(UVCXUManager& xu) {
    return xu.getAutoSensitive();
}
bool writeSensitivity(UVCXUManager& xu, int32_t v) {
    return xu.setAutoSensitive(v);
}
int readZoomLevel(UVCXUManager& xu) {
    return xu.getAutoFrameZoomLevel();
}
bool writeZoomLevel(UVCXUManager& xu, int32_t v) {
    return xu.setAutoFrameZoomLevel(v);
}
int readHdr(UVCXUManager& xu) {
    return xu.getHdr();
}
bool writeHdr(UVCXUManager& xu, int32_t v) {
    return xu.setHdr(v != 0);
}
int readTracking(UVCXUManager& xu) {
    return xu.getTrackingActive();
}
bool writeTracking(UVCXUManager& xu, int32_t v) {
    return xu.setTrackingActive(v != 0);
}

using CV = CurrentValues;

// clang-format off
const std::vector<ControlRow>& rows() {
    static const std::vector<ControlRow> table = {
        // id, name, summary; access; field, page scale, read at, applied last;
        // worker's names (job, result, force line); page's lines (change, release, force)
        {EPTZ_ZOOM, "zoom", "digital zoom in percent", value(ZOOM), &CV::zoom, 1, {1, 1}, false,
         {"EPTZ_ZOOM", "EWC_ZOOM", true}, {"controlEptzSlider", "forceZoom", "forceZoom"}},
        {EWC_PAN, "pan", "digital pan", panOrTilt(PAN), &CV::pan, 1, {1, 2}, false,
         {"EWC_PAN", "EWC_PAN", true}, {"controlPan", nullptr, nullptr}},
        {EWC_TILT, "tilt", "digital tilt", panOrTilt(TILT), &CV::tilt, 1, {1, 3}, false,
         {"EWC_TILT", "EWC_TILT", true}, {"controlTilt", nullptr, nullptr}},
        {EXP_SWITCH, "exposure-auto", "automatic exposure (1) or manual (0)", automatic(EXPOSURE),
         &CV::expAuto, 1, {2, 1}, true,
         {"EXP_SWITCH", "EXP_SWITCH", false}, {"controlExpMode", nullptr, nullptr}},
        {EXP_GAIN, "gain", "gain (manual exposure)", value(GAIN), &CV::gain, 1, {2, 2}, false,
         {"EXP_GAIN", "EXP_GAIN", true}, {"controlGain", "forceGain", "forceGain"}},
        {EXP_TIME, "exposure-time", "exposure time, log2 seconds (manual exposure)", value(EXPOSURE),
         &CV::expTime, 1, {2, 3}, false,
         {"EXP_TIME", "EXP_TIME", true}, {"controlExpValue", "forceExp", "forceExp"}},
        {WB_SWITCH, "white-balance-auto", "automatic white balance (1) or manual (0)",
         automatic(WHITEBALANCE), &CV::wbAuto, 1, {3, 1}, true,
         {"WB_SWITCH", "WB_SWITCH", false}, {"controlWBMode", nullptr, nullptr}},
        // The page shows hundreds of kelvin.
        {WB_VALUE, "white-balance", "colour temperature in kelvin (manual white balance)",
         value(WHITEBALANCE), &CV::wbValue, 100, {3, 2}, false,
         {"WB_VALUE", "WB_VALUE", true}, {"controlWBValue", "forceWb", "forceWb"}},
        {ADJ_BRIGHTNESS, "brightness", "brightness", value(BRIGHTNESS), &CV::brightness, 1, {5, 1}, false,
         {"ADJ_BRIGHTNESS", "ADJ_BRIGHTNESS", true},
         {"controlBrightness", "forceBrightnessm", "forceBrightnessm"}},
        {ADJ_CONTRAST, "contrast", "contrast", value(CONTRAST), &CV::contrast, 1, {5, 2}, false,
         {"ADJ_CONTRAST", "ADJ_CONTRAST", true}, {"controlContrast", "forceContrast", "forceContrast"}},
        {ADJ_HUE, "hue", "hue", value(HUE), &CV::hue, 1, {5, 3}, false,
         {"ADJ_HUE", "ADJ_HUE", true}, {"controlHue", "forceHue", "forceHue"}},
        {ADJ_SATURATION, "saturation", "saturation", value(SATURATION), &CV::saturation, 1, {5, 4}, false,
         {"ADJ_SATURATION", "ADJ_SATURATION", true},
         {"controlSaturation", "forceSaturation", "forceSaturation"}},
        {ADJ_SHAPNESS, "sharpness", "sharpness", value(SHARPNESS), &CV::sharpness, 1, {5, 5}, false,
         {"ADJ_SHAPNESS", "ADJ_SHAPNESS", true}, {"controlSharpness", "forceSharpness", "forceSharpness"}},
        // The page shows a tenth of the camera's gamma.
        {ADJ_GAMMA, "gamma", "gamma times 100", value(GAMMA), &CV::gamma, 10, {5, 6}, false,
         {"ADJ_GAMMA", "ADJ_GAMMA", true}, {"controlGamma", "forceGamma", "forceGamma"}},
        {ADJ_BACKLIGHT, "backlight", "backlight compensation", value(BACKLIGHTCOMPENSATION),
         &CV::backlight, 1, {5, 7}, false,
         {"ADJ_BACKLIGHT", "ADJ_BACKLIGHT", true}, {"controlBCMode", nullptr, nullptr}},
        {ADJ_ANTIFLICKER, "anti-flicker", "power-line frequency: 1 = 50 Hz, 2 = 60 Hz",
         kernelStreaming(kPowerLineFrequency, 1, 2), &CV::antiFlicker, 1, {6, 1}, false,
         {"ADJ_ANTIFLICKER", "ADJ_ANTIFLICKER", false}, {"controlAntiFlickerMode", nullptr, nullptr}},
        {AUTO_FRAME_SENSITIVE, "auto-zoom-sensitivity", "Auto Zoom sensitivity",
         vendor(readSensitivity, writeSensitivity, -2, 2), &CV::autoFrameSensitive, 1, {4, 2}, false,
         {"AUTO_FRAME_SENSITIVE", nullptr, true}, {"controlExpValue", "forceAutoFrame", nullptr}},
        {AUTO_FRAME_ZOOM_LEVEL, "auto-zoom-level", "Auto Zoom zoom level",
         vendor(readZoomLevel, writeZoomLevel, 0, 4), &CV::autoFrameZoomLevel, 1, {4, 3}, false,
         {"AUTO_FRAME_ZOOM_LEVEL", nullptr, true}, {"controlZoomLevel", "forceZoomLevel", nullptr}},
        {AUTO_FRAME, "auto-zoom", "Auto Zoom (automatic framing) on (1) or off (0)",
         vendor(readAutoFrame, writeAutoFrame, 0, 1), &CV::autoFrame, 1, {4, 1}, true,
         {"AUTO_FRAME", nullptr, false}, {nullptr, nullptr, nullptr}},
        {HDR, "hdr", "HDR on (1) or off (0)", vendor(readHdr, writeHdr, 0, 1), &CV::hdr, 1, {5, 8}, false,
         {"HDR", nullptr, false}, {"hdrSwitch", nullptr, nullptr}},
        {TRACKING_ACTIVE, "speaker-tracking", "tracking of the active speaker on (1) or off (0)",
         vendor(readTracking, writeTracking, 0, 1), &CV::trackingActive, 1, {7, 1}, true,
         {"TRACKING_ACTIVE", nullptr, false}, {"TASSwitch", nullptr, nullptr}},
        // The camera has no command for distortion correction: the page's switch queues a job
        // that the worker ignores, and nothing is read or recorded.
        {DISTORTION_CORRECTION, nullptr, nullptr, vendor(nullptr, nullptr, 0, 1),
         &CV::distortionCorrection, 1, {0, 0}, false,
         {nullptr, nullptr, false}, {"lcdSwitch", nullptr, nullptr}},
    };
    return table;
}
// clang-format on

}  // namespace

const std::vector<ControlRow>& controlTable() {
    return rows();
}

const ControlRow* controlRow(int32_t id) {
    for (const ControlRow& row : rows()) {
        if (row.id == id)
            return &row;
    }
    return nullptr;
}

const ControlRow* findControl(const std::string& name) {
    for (const ControlRow& row : rows()) {
        if (row.name != nullptr && name == row.name)
            return &row;
    }
    return nullptr;
}

std::vector<const ControlRow*> namedControls() {
    std::vector<const ControlRow*> named;
    for (const ControlRow& row : rows()) {
        if (row.name != nullptr)
            named.push_back(&row);
    }
    return named;
}

bool isVendorControl(const ControlRow& control) {
    return control.access.route == Route::Vendor;
}

int recordedValue(const ControlRow& control, const CurrentValues& values) {
    const int value = (values.*control.field).load();
    // The connection read records the automatic flags word (1 automatic, 2 manual).
    return control.access.automaticFlag ? (value == 1 ? 1 : 0) : value;
}

void recordValue(const ControlRow& control, int value, CurrentValues& values) {
    (values.*control.field).store(value);
}

int pageValueOf(const ControlRow& control, const CurrentValues& values) {
    return (values.*control.field).load() / control.pageScale;
}

int cameraValueOf(const ControlRow& control, int pageValue) {
    return pageValue * control.pageScale;
}

std::vector<const ControlRow*> applyOrder() {
    std::vector<const ControlRow*> order;
    for (const bool last : {false, true}) {
        for (const ControlRow* row : namedControls()) {
            if (row->appliedLast == last)
                order.push_back(row);
        }
    }
    return order;
}
