#include "engine/force_jobs.h"

#include "app/debug_log.h"
#include "engine/control_id.h"
#include "engine/setting_task_engine.h"

namespace force_jobs {

namespace {

void queueForced(int controlId, int value) {
    SettingTaskEngine::instance().addJob(controlId, value, true);
}

}  // namespace

void forceZoom(int value) {
    debugLog("forceZoom: %d \n", value);
    queueForced(EPTZ_ZOOM, value);
}

void forcePanTilt(int pan, int tilt) {
    debugLog("forcePanTilt pan: %d, tilt: %d \n", pan, tilt);
    queueForced(EWC_PAN, pan);
    queueForced(EWC_TILT, tilt);
}

void forceGain(int value) {
    debugLog("forceGain: %d \n", value);
    queueForced(EXP_GAIN, value);
}

void forceExp(int value) {
    debugLog("forceExp: %d \n", value);
    queueForced(EXP_TIME, value);
}

void forceWb(int value) {
    debugLog("forceWb: %d \n", value);
    queueForced(WB_VALUE, value);
}

void forceBrightnessm(int value) {
    debugLog("forceBrightnessm: %d \n", value);
    queueForced(ADJ_BRIGHTNESS, value);
}

void forceContrast(int value) {
    debugLog("forceContrast: %d \n", value);
    queueForced(ADJ_CONTRAST, value);
}

void forceHue(int value) {
    debugLog("forceHue: %d \n", value);
    queueForced(ADJ_HUE, value);
}

void forceSaturation(int value) {
    debugLog("forceSaturation: %d \n", value);
    queueForced(ADJ_SATURATION, value);
}

void forceSharpness(int value) {
    debugLog("forceSharpness: %d \n", value);
    queueForced(ADJ_SHAPNESS, value);
}

void forceGamma(int value) {
    const int cameraGamma = value * 10;
    debugLog("forceGamma: %d \n", cameraGamma);
    queueForced(ADJ_GAMMA, cameraGamma);
}

}  // namespace force_jobs
