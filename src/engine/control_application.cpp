#include "engine/control_application.h"

#include <atomic>
#include <cstdint>

#include "app/debug_log.h"
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

struct StandardAction {
    int32_t id;
    int property;
    Write write;
    Field field;
};

// The kernel-streaming number of the power-line frequency.
constexpr int kPowerLineFrequency = 13;

constexpr StandardAction kStandardActions[] = {
    {EPTZ_ZOOM, ZOOM, Write::Value, &CurrentValues::zoom},
    {EWC_PAN, PAN, Write::Value, &CurrentValues::pan},
    {EWC_TILT, TILT, Write::Value, &CurrentValues::tilt},
    {EXP_SWITCH, EXPOSURE, Write::Switch, &CurrentValues::expAuto},
    {EXP_GAIN, GAIN, Write::Value, &CurrentValues::gain},
    {EXP_TIME, EXPOSURE, Write::Value, &CurrentValues::expTime},
    {WB_SWITCH, WHITEBALANCE, Write::Switch, &CurrentValues::wbAuto},
    {WB_VALUE, WHITEBALANCE, Write::Value, &CurrentValues::wbValue},
    {ADJ_BRIGHTNESS, BRIGHTNESS, Write::Value, &CurrentValues::brightness},
    {ADJ_CONTRAST, CONTRAST, Write::Value, &CurrentValues::contrast},
    {ADJ_HUE, HUE, Write::Value, &CurrentValues::hue},
    {ADJ_SATURATION, SATURATION, Write::Value, &CurrentValues::saturation},
    {ADJ_SHAPNESS, SHARPNESS, Write::Value, &CurrentValues::sharpness},
    {ADJ_GAMMA, GAMMA, Write::Value, &CurrentValues::gamma},
    {ADJ_BACKLIGHT, BACKLIGHTCOMPENSATION, Write::Value, &CurrentValues::backlight},
    {ADJ_ANTIFLICKER, kPowerLineFrequency, Write::Ks, &CurrentValues::antiFlicker},
};

const StandardAction* findStandardAction(int32_t id) {
    for (const StandardAction& action : kStandardActions) {
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

bool writeVendor(int32_t id, int32_t value) {
    UVCXUManager& xu = UVCXUManager::instance();
    switch (id) {
        case AUTO_FRAME:
            return xu.setAutoFrame(value != 0);
        case AUTO_FRAME_SENSITIVE:
            return xu.setAutoSensitive(value);
        case AUTO_FRAME_ZOOM_LEVEL:
            return xu.setAutoFrameZoomLevel(value);
        case HDR:
            return xu.setHdr(value != 0);
        case TRACKING_ACTIVE:
            return xu.setTrackingActive(value != 0);
        default:
            return false;
    }
}

Field vendorField(int32_t id) {
    switch (id) {
        case AUTO_FRAME:
            return &CurrentValues::autoFrame;
        case AUTO_FRAME_SENSITIVE:
            return &CurrentValues::autoFrameSensitive;
        case AUTO_FRAME_ZOOM_LEVEL:
            return &CurrentValues::autoFrameZoomLevel;
        case HDR:
            return &CurrentValues::hdr;
        case TRACKING_ACTIVE:
            return &CurrentValues::trackingActive;
        default:
            return nullptr;
    }
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
    const StandardAction* action = findStandardAction(job.controlId);
    const ControlInfo* info = findControl(job.controlId);
    if (action == nullptr || info == nullptr) {
        return;
    }
    if (job.force && info->forceLog) {
        debugLog("%s Force \n", info->name);
    }
    CurrentValues& values = currentValues();
    if ((job.controlId == EWC_PAN || job.controlId == EWC_TILT) &&
        job.value == (values.*action->field).load()) {
        // An unchanged pan or tilt is not written again, not even when forced.
        debugLog("%s value not changed \n", info->name);
        return;
    }
    debugLog("%s set %d \n", info->name, job.value);
    const int result = writeStandard(*camera, *action, job.value);
    (values.*action->field).store(job.value);
    // The zoom's result line has always carried the capture layer's name.
    const char* resultName = job.controlId == EPTZ_ZOOM ? "EWC_ZOOM" : info->name;
    debugLog("setValue %s result: %d \n", resultName, result);
}

void setUVCExtension(SettingJob job) {
    const Field field = vendorField(job.controlId);
    const ControlInfo* info = findControl(job.controlId);
    if (field == nullptr || info == nullptr) {
        return;
    }
    if (job.force && info->forceLog) {
        debugLog("%s Force \n", info->name);
    }
    debugLog("%s set %d \n", info->name, job.value);
    const bool ok = writeVendor(job.controlId, job.value);
    (currentValues().*field).store(job.value);
    debugLog("%s res:%d\n", info->name, ok ? 1 : 0);
}
