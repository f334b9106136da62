#include "app/connection_flags.h"

bool connectEnabled = true;
bool cameraReady = false;
bool modeChanging = false;
bool fwUpdating = false;
bool waitResetConnection = false;
bool resetDone = false;

void resetConnectionFlags() {
    connectEnabled = true;
    cameraReady = false;
    modeChanging = false;
    fwUpdating = false;
    waitResetConnection = false;
    resetDone = false;
}
