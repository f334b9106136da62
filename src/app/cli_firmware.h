#pragma once
// --firmware-update FILE: the window's update, without a window. The file is checked
// before anything reaches the camera; the image is sent through the update engine with a
// progress bar on a terminal (plain lines otherwise); the command itself is the user's
// confirmation of the start; then the camera's return is awaited and its new version
// compared with the image's.
#include <QString>

#include "app/cli_camera.h"

// Answers kExitDone once the camera runs the image's version, else kExitUpdateFailed (or
// kExitCameraLost when it does not come back); says why on standard error.
int runFirmwareUpdate(const QString& path, CliCamera& camera, const FoundCamera& found);
