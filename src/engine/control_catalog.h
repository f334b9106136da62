#pragma once
// Every control a script or a profile can name: a stable name, the settings job that
// changes it, and how its value, range and default are read from the open camera. The
// values are the device's units, as the settings jobs carry them (white balance in
// kelvin, gamma 100 = 1.0, anti-flicker 1 = 50 Hz and 2 = 60 Hz, switches 0 or 1).
// Changes still go through the settings engine; nothing here writes to the camera.
#include <atomic>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "engine/current_values.h"

class UvcCamera;

struct ControlInfo {
    const char* name;     // stable, lower case with dashes
    int32_t controlId;    // the settings job that changes it
    const char* summary;  // one line for --help and the README
};

struct ControlReading {
    bool ok = false;  // the camera answered
    int value = 0;
    int min = 0;
    int max = 0;
    int step = 1;            // the values the camera takes are min, min + step, ...
    std::optional<int> def;  // the camera's default, where it reports one
};

// In the order scripts see them.
const std::vector<ControlInfo>& controlCatalog();
// Null for an unknown name.
const ControlInfo* findControl(const std::string& name);
// Reads one control from the open camera (standard controls) or the extension unit.
ControlReading readControl(const ControlInfo& control, UvcCamera& camera);
// Controls of the extension unit (the vendor's), as opposed to the standard ones.
bool isVendorControl(const ControlInfo& control);
// Why the camera cannot take value, as the end of a sentence ("is outside 0..200", "is off
// the step of 10 ..."); empty when it can.
std::string refusalOf(const ControlReading& reading, int value);
// The control's value as CurrentValues records it (switches as 0 or 1).
int recordedValue(const ControlInfo& control, const CurrentValues& values);
// Sets the control's field of CurrentValues (as the worker does once it applied a job).
void recordValue(const ControlInfo& control, int value, CurrentValues& values);
// The order in which a whole set of values is applied: plain values first, zoom before
// pan and tilt (the digital view moves only when zoomed in: at the lowest zoom the camera
// keeps pan and tilt at 0), then the automatic modes and Auto Zoom that override them, so
// that a manual value never switches an automatic mode off again.
std::vector<const ControlInfo*> applyOrder();
