#pragma once
// The camera as the command-line mode reaches it: found among the system's video devices
// by the configured name, chosen with --device when there are several, and opened in a
// camera session as the window opens it.
#include <QString>
#include <string>
#include <vector>

class CameraSession;

struct FoundCamera {
    QString name;
    QString backend;
    QString node;  // the device node, or the system's path of the device
    std::string key;
    QString serial;  // empty when the extension unit did not answer
    QString firmware;
};

// Every video device whose name contains the configured camera name, with its serial
// number and firmware version read over its extension unit.
std::vector<FoundCamera> listCameras();

// Restricts the installed backend to one of cameras: the one whose node, serial number
// or position matches choice, or the only one when choice is empty. Answers an exit code
// (kExitDone, kExitNoCamera, kExitBadArgument) and says why in error.
int chooseCamera(const std::vector<FoundCamera>& cameras, const QString& choice, FoundCamera* chosen,
                 QString* error);

// Opens the chosen camera in session (a command line's session): its controls (never the
// stream, which another application may hold), the extension unit and the settings
// worker. Answers kExitDone, kExitNoCamera or kExitDenied (error says why). A camera whose
// extension unit does not answer is open for its standard controls only.
int openForCommands(CameraSession& session, QString* error);
