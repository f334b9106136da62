#pragma once
// A control as a script sees it: its value read from the open camera (standard controls)
// or the extension unit, with the range and default the camera reports, and whether a
// value fits them. Changes still go through the settings engine; nothing here writes to
// the camera.
#include <optional>
#include <string>

#include "engine/control_table.h"

class UvcCamera;

struct ControlReading {
    bool ok = false;      // the camera answered
    bool offered = true;  // false: the camera has no such control (its open found none)
    int value = 0;
    int min = 0;
    int max = 0;
    int step = 1;            // the values the camera takes are min, min + step, ...
    std::optional<int> def;  // the camera's default, where it reports one
};

ControlReading readControl(const ControlRow& control, UvcCamera& camera);
// Why the camera cannot take value, as the end of a sentence ("is outside 0..200", "is off
// the step of 10 ..."); empty when it can.
std::string refusalOf(const ControlReading& reading, int value);
