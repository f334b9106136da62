#pragma once
// The walk over the system's video input devices shared by the format listing and the
// slot open: at most 10 devices are looked at, only "@device:pnp" and "@device:sw"
// display names are counted, and the first counted device that matches is kept.
#include <memory>
#include <optional>
#include <string>

#include "device/video_port.h"

struct DeviceWalk {
    std::unique_ptr<device::DeviceMoniker> match;  // the first matching device, or none
    int matchPosition = -1;                        // its counted position
    int counted = 0;                               // counted devices seen
};

// Matches by name substring when nameFilter is given, else by counted position; with
// firstOnMinusOne an index of -1 matches the first counted device. Answers 0, or 4 (no
// enumerator), 5 (no class enumerator, also when there are no devices), 6 (a display
// name cannot be read). ewc_hr holds the last platform result.
int ewc_WalkDevices(const std::optional<std::string>& nameFilter, int deviceIndex, bool firstOnMinusOne,
                    DeviceWalk& walk);
