#pragma once
// --firmware-update FILE: the window's update without a window, driving the same
// FirmwareUpdate; this file only prints its steps. The host checks only that the file can
// be sent; the camera checks the image. The transfer shows a progress bar on a terminal
// (plain lines otherwise); the command itself is the user's confirmation of the start;
// then the camera's return is awaited and its new version compared with the image's. A
// quit (SIGINT, SIGTERM) before the start stops the transfer and leaves the camera as it
// was; after the start it says that the camera is flashing and how to check the result.
#include <QString>

#include "app/cli_camera.h"

class CameraSession;

// Answers kExitDone once the camera runs the image's version, else kExitUpdateFailed (or
// kExitCameraLost when it does not come back, or when a quit came after the start); says
// why on standard error.
int runFirmwareUpdate(const QString& path, CameraSession& camera, const FoundCamera& found);
