// The control slots and force handlers: each turns a page's change into one settings job
// (the worker applies it to the camera). Plain slots queue without force; the force
// handlers send the value on the release of a slider once more with force set.
#include "app/mainwindow.h"
#include "base/debug_log.h"
#include "engine/control_id.h"
#include "engine/setting_task_engine.h"

namespace {
void queue(int controlId, int value, bool force = false) {
    SettingTaskEngine::instance().addJob(controlId, value, force);
}
}  // namespace

void mainwindow::controlEptzSlider(int value) {
    debugLog("controlEptzSlider %d \n", value);
    queue(EPTZ_ZOOM, value);
}

void mainwindow::controlPan(int value) {
    debugLog("controlPan %d \n", value);
    queue(EWC_PAN, value);
}

void mainwindow::controlTilt(int value) {
    debugLog("controlTilt %d \n", value);
    queue(EWC_TILT, value);
}

void mainwindow::controlExpMode(bool automatic) {
    debugLog("controlExpMode %d \n", automatic);
    queue(EXP_SWITCH, automatic);
}

void mainwindow::controlGain(int value) {
    debugLog("controlGain %d \n", value);
    queue(EXP_GAIN, value);
}

void mainwindow::controlExpValue(int value) {
    debugLog("controlExpValue %d \n", value);
    queue(EXP_TIME, value);
}

void mainwindow::controlWBMode(bool automatic) {
    debugLog("controlWBMode %d \n", automatic);
    queue(WB_SWITCH, automatic);
}

void mainwindow::controlWBValue(int value) {
    debugLog("controlWBValue %d \n", value);
    queue(WB_VALUE, value);
}

void mainwindow::controlBrightness(int value) {
    debugLog("controlBrightness %d \n", value);
    queue(ADJ_BRIGHTNESS, value);
}

void mainwindow::controlContrast(int value) {
    debugLog("controlContrast %d \n", value);
    queue(ADJ_CONTRAST, value);
}

void mainwindow::controlHue(int value) {
    debugLog("controlHue %d \n", value);
    queue(ADJ_HUE, value);
}

void mainwindow::controlSaturation(int value) {
    debugLog("controlSaturation %d \n", value);
    queue(ADJ_SATURATION, value);
}

void mainwindow::controlSharpness(int value) {
    debugLog("controlSharpness %d \n", value);
    queue(ADJ_SHAPNESS, value);
}

// The page's gamma is a tenth of the camera's.
void mainwindow::controlGamma(int value) {
    const int gamma = value * 10;
    debugLog("controlGamma %d \n", gamma);
    queue(ADJ_GAMMA, gamma);
}

void mainwindow::controlBCMode(bool on) {
    debugLog("controlBCMode %d \n", on);
    queue(ADJ_BACKLIGHT, on);
}

void mainwindow::controlAntiFlickerMode(int mode) {
    debugLog("controlAntiFlickerMode %d \n", mode);
    queue(ADJ_ANTIFLICKER, mode);
}

void mainwindow::forceZoom(int value) {
    debugLog("forceZoom: %d \n", value);
    queue(EPTZ_ZOOM, value, true);
}

void mainwindow::forcePanTilt(int pan, int tilt) {
    debugLog("forcePanTilt pan: %d, tilt: %d \n", pan, tilt);
    queue(EWC_PAN, pan, true);
    queue(EWC_TILT, tilt, true);
}

void mainwindow::forceGain(int value) {
    debugLog("forceGain: %d \n", value);
    queue(EXP_GAIN, value, true);
}

void mainwindow::forceExp(int value) {
    debugLog("forceExp: %d \n", value);
    queue(EXP_TIME, value, true);
}

void mainwindow::forceWb(int value) {
    debugLog("forceWb: %d \n", value);
    queue(WB_VALUE, value, true);
}

void mainwindow::forceBrightnessm(int value) {
    debugLog("forceBrightnessm: %d \n", value);
    queue(ADJ_BRIGHTNESS, value, true);
}

void mainwindow::forceContrast(int value) {
    debugLog("forceContrast: %d \n", value);
    queue(ADJ_CONTRAST, value, true);
}

void mainwindow::forceHue(int value) {
    debugLog("forceHue: %d \n", value);
    queue(ADJ_HUE, value, true);
}

void mainwindow::forceSaturation(int value) {
    debugLog("forceSaturation: %d \n", value);
    queue(ADJ_SATURATION, value, true);
}

void mainwindow::forceSharpness(int value) {
    debugLog("forceSharpness: %d \n", value);
    queue(ADJ_SHAPNESS, value, true);
}

void mainwindow::forceGamma(int value) {
    const int gamma = value * 10;
    debugLog("forceGamma: %d \n", gamma);
    queue(ADJ_GAMMA, gamma, true);
}
