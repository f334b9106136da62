// The stream-format change and reset flows of the main window. They re-open the camera
// through the same state machine as the connect tick (connection_flags.h).
#include "app/mainwindow.h"
#include "base/debug_log.h"
#include "engine/current_values.h"

void mainwindow::channgeResolution(RESOLUTION_LIST r) {
    debugLog("\n ************channgeResolution************* \n");
    debugLog("RESOLUTION_LIST: %dx%d, fps:%d %s\n", r.width, r.height, r.fps, r.format.c_str());
    debugLog("fps: %d, current fps: %d \n", r.fps, currentValues().resolution.fps);
    // The re-open with the new format follows here.
}

void mainwindow::channgeMode(int mode) {
    debugLog("\n ***********channgeMode************** %d \n", mode);
    // Mode 1 (H264) and 2 (MJPG) take the mode page's default format here.
}

void mainwindow::resetSettings() {
    debugLog("resetSettings \n");
    forgetStoredProfile();
    // The reset flow (normal and debug path) follows here.
}
