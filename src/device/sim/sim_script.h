#pragma once
// A small script that drives the simulated camera from outside the program, for demos and
// black-box checks, read from the environment variable LUMORA_SIM_SCRIPT. Items are
// separated by ";" (blanks are ignored):
//   unplugged        the camera is not on the bus at start
//   plug@5s          put it on the bus 5 seconds after start ("ms" for milliseconds)
//   unplug@30s       take it off 30 seconds after start
//   reboot=2000ms    absence after a firmware update start (default 3 s)
//   reset-absence=1500ms  absence after a reset to factory defaults (default: none)
//   xu-from=20       the extension unit appears only at the 20th activation (0: never)
//   fps=2            frame-rate multiplier (0: as fast as frames can be made)
//   latency=1000us   USB control-transfer latency per control / extension-unit call
//   status=15        the camera answers this status, 0 to 255 (e.g. 15: update failure)
//   flash-fails      after an update start the camera reports status 15
//   start-answer-lost  the camera leaves the bus for its update before answering the start
//   no-frames        streams run but deliver no frame (an open waits for the first one)
//   no-webcam        do not list the unrelated webcam
//   duplicate        list a second camera of the same name
//   digital-ptz      pan and tilt stay 0 while the zoom stands at its lowest
//   in-use           another application holds the camera's stream from the start
//   in-use@5s        it takes the stream 5 seconds after start (once the stream is free)
//   free@10s         it lets the stream go 10 seconds after start
//   denied           the user may not open the camera (it is listed, but not opened)
// Example: "unplugged; plug@5s; unplug@30s; plug@35s".
#include <string>
#include <vector>

#include "device/sim/sim_camera.h"

namespace device::sim {

// The application that holds the stream for in-use.
constexpr const char* kScriptStreamHolder = "video-call";
constexpr int kScriptStreamHolderPid = 4242;

struct SimScript {
    struct Event {
        enum Kind { Plug, Unplug, InUse, Free };
        int atMs = 0;
        Kind kind = Plug;
    };
    SimOptions options;
    std::vector<Event> events;
    int xuFromActivation = 1;
    int forcedStatus = -1;
    bool flashFails = false;
    bool neverDeliverFrames = false;
    bool inUseAtStart = false;
    bool accessDenied = false;
};

// Parses a script onto the given options. false (with the offending item in error) when
// an item is not understood; the items before it still apply.
bool parseSimScript(const std::string& text, SimScript& script, std::string& error);

// Applies the script's camera behaviours and schedules its events on the camera.
void applySimScript(const SimScript& script, SimCamera& camera);

}  // namespace device::sim
