#pragma once
// The states of a camera session. docs/architecture.md shows them with their transitions.
#include <QMetaType>

enum class SessionState {
    Searching,              // no camera in use: each connect tick tries to open one
    Denied,                 // the camera is there but the user may not open it: as Searching
    Opening,                // an open, its extension-unit checks and the first value read
    Ready,                  // the stream runs, the settings worker applies changes
    InUse,                  // as Ready, but another application holds the stream: settings only
    Reopening,              // a stream format change re-opens the stream
    Resetting,              // a factory reset with the camera kept: the values come again
    AwaitingReset,          // a factory reset that restarts the camera: it is opened anew
    FirmwareHandOff,        // a firmware image goes to the camera: no settings job runs
    FirmwareAwaitingStart,  // the image is in the camera, the user is asked to start it
    AwaitingReboot,         // the camera flashes its firmware and restarts
    Closed,                 // the program ends: nothing opens any more
};
Q_DECLARE_METATYPE(SessionState)

// The state's name as logs and tests print it.
const char* stateName(SessionState state);
