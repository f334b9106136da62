#include "engine/control_application.h"

#include <atomic>
#include <cstddef>
#include <cstdint>

#include "base/debug_log.h"
#include "capture/standard_controls.h"
#include "capture/uvc_camera.h"
#include "engine/control_id.h"
#include "engine/current_values.h"
#include "engine/setting_task_engine.h"
#include "xu/uvc_xu_manager.h"

namespace {

using Field = std::atomic<int32_t> CurrentValues::*;

// How a standard control reaches the camera.
enum class Write {
    Value,   // setValue(property, value)
    Switch,  // value 1: setAuto(property), any other: setManual(property)
    Ks,      // setKsValue(property, value) through the kernel-streaming property set
};

// What the log calls a control, whether a forced job announces itself ("<name> Force \n"),
// how it is written and where its value is recorded.
struct StandardAction {
    int32_t id;
    const char* name;
    bool forceLog;
    int property;
    Write write;
    Field field;
};

struct VendorAction {
    int32_t id;
    const char* name;
    bool forceLog;
    bool (*command)(UVCXUManager&, int32_t value);
    Field field;
};

// The kernel-streaming number of the power-line frequency.
constexpr int kPowerLineFrequency = 13;

constexpr StandardAction kStandardActions[] = {
    {EPTZ_ZOOM, "EPTZ_ZOOM", true, ZOOM, Write::Value, &CurrentValues::zoom},
    {EWC_PAN, "EWC_PAN", true, PAN, Write::Value, &CurrentValues::pan},
    {EWC_TILT, "EWC_TILT", true, TILT, Write::Value, &CurrentValues::tilt},
    {EXP_SWITCH, "EXP_SWITCH", false, EXPOSURE, Write::Switch, &CurrentValues::expAuto},
    {EXP_GAIN, "EXP_GAIN", true, GAIN, Write::Value, &CurrentValues::gain},
    {EXP_TIME, "EXP_TIME", true, EXPOSURE, Write::Value, &CurrentValues::expTime},
    {WB_SWITCH, "WB_SWITCH", false, WHITEBALANCE, Write::Switch, &CurrentValues::wbAuto},
    {WB_VALUE, "WB_VALUE", true, WHITEBALANCE, Write::Value, &CurrentValues::wbValue},
    {ADJ_BRIGHTNESS, "ADJ_BRIGHTNESS", true, BRIGHTNESS, Write::Value, &CurrentValues::brightness},
    {ADJ_CONTRAST, "ADJ_CONTRAST", true, CONTRAST, Write::Value, &CurrentValues::contrast},
    {ADJ_HUE, "ADJ_HUE", true, HUE, Write::Value, &CurrentValues::hue},
    {ADJ_SATURATION, "ADJ_SATURATION", true, SATURATION, Write::Value, &CurrentValues::saturation},
    {ADJ_SHAPNESS, "ADJ_SHAPNESS", true, SHARPNESS, Write::Value, &CurrentValues::sharpness},
    {ADJ_GAMMA, "ADJ_GAMMA", true, GAMMA, Write::Value, &CurrentValues::gamma},
    {ADJ_BACKLIGHT, "ADJ_BACKLIGHT", true, BACKLIGHTCOMPENSATION, Write::Value, &CurrentValues::backlight},
    {ADJ_ANTIFLICKER, "ADJ_ANTIFLICKER", false, kPowerLineFrequency, Write::Ks, &CurrentValues::antiFlicker},
};

// On/off controls send value != 0; sensitivity and zoom level send the value itself.
constexpr VendorAction kVendorActions[] = {
    {AUTO_FRAME, "AUTO_FRAME", false, [](UVCXUManager& xu, int32_t v) { return xu.setAutoFrame(v != 0); },
     &CurrentValues::autoFrame},
    {AUTO_FRAME_SENSITIVE, "AUTO_FRAME_SENSITIVE", true,
     [](UVCXUManager& xu, int32_t v) { return xu.setAutoSensitive(v); }, &CurrentValues::autoFrameSensitive},
    {AUTO_FRAME_ZOOM_LEVEL, "AUTO_FRAME_ZOOM_LEVEL", true,
     [](UVCXUManager& xu, int32_t v) { return xu.setAutoFrameZoomLevel(v); },
     &CurrentValues::autoFrameZoomLevel},
    {HDR, "HDR", false, [](UVCXUManager& xu, int32_t v) { return xu.setHdr(v != 0); }, &CurrentValues::hdr},
    {TRACKING_ACTIVE, "TRACKING_ACTIVE", false,
     [](UVCXUManager& xu, int32_t v) { return xu.setTrackingActive(v != 0); },
     &CurrentValues::trackingActive},
};

template <typename Action, std::size_t N>
const Action* findAction(const Action (&table)[N], int32_t id) {
    for (const Action& action : table) {
        if (action.id == id) {
            return &action;
        }
    }
    return nullptr;
}

int writeStandard(UvcCamera& camera, const StandardAction& action, int32_t value) {
    switch (action.write) {
        case Write::Value:
            return camera.setValue(action.property, static_cast<double>(value));
        case Write::Switch:
            return value == 1 ? camera.setAuto(action.property) : camera.setManual(action.property);
        case Write::Ks:
            return camera.setKsValue(action.property, static_cast<double>(value));
    }
    return 0;
}

}  // namespace

void setUVCStandard(SettingJob job) {
    UvcCamera* camera = SettingTaskEngine::instance().camera();
    if (camera == nullptr) {
        debugLog("ERROR, setUVCStandard with no camera \n");
        return;
    }
    if (!camera->isOpen()) {
        debugLog("ERROR, camera closed \n");
        return;
    }
    const StandardAction* action = findAction(kStandardActions, job.controlId);
    if (action == nullptr) {
        return;
    }
    if (job.force && action->forceLog) {
        debugLog("%s Force \n", action->name);
    }
    CurrentValues& values = currentValues();
    if ((job.controlId == EWC_PAN || job.controlId == EWC_TILT) &&
        job.value == (values.*action->field).load()) {
        // An unchanged pan or tilt is not written again, not even when forced.
        debugLog("%s value not changed \n", action->name);
        return;
    }
    debugLog("%s set %d \n", action->name, job.value);
    const int result = writeStandard(*camera, *action, job.value);
    (values.*action->field).store(job.value);
    // The zoom's result line has always carried the capture layer's name.
    const char* resultName = job.controlId == EPTZ_ZOOM ? "EWC_ZOOM" : action->name;
    debugLog("setValue %s result: %d \n", resultName, result);
}

void setUVCExtension(SettingJob job) {
    const VendorAction* action = findAction(kVendorActions, job.controlId);
    if (action == nullptr) {
        return;
    }
    if (job.force && action->forceLog) {
        debugLog("%s Force \n", action->name);
    }
    debugLog("%s set %d \n", action->name, job.value);
    const bool ok = action->command(UVCXUManager::instance(), job.value);
    (currentValues().*action->field).store(job.value);
    debugLog("%s res:%d\n", action->name, ok ? 1 : 0);
}
