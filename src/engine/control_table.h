#pragma once
// Every control of the camera, one row each: its id, its name for scripts and profiles,
// how it reaches the camera, where its value is recorded, how the settings page shows it,
// when the connection reads it, and the names its log lines carry. The settings worker,
// the value read at connection, the command line, the profiles and the page's binding all
// work from these rows; adding a control is adding a row (and binding its widget).
//
// Values are the device's units, as the settings jobs carry them (white balance in kelvin,
// gamma 100 = 1.0, anti-flicker 1 = 50 Hz and 2 = 60 Hz, switches 0 or 1).
#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

#include "engine/control_id.h"
#include "engine/current_values.h"

class UVCXUManager;

// The way a control reaches the camera.
enum class Route {
    Standard,         // a video-class property of the open camera
    KernelStreaming,  // the kernel-streaming property set (the power-line frequency)
    Vendor,           // a command of the extension unit
};

using ValueField = std::atomic<int32_t> CurrentValues::*;

// How a control's value, range and default are read and how a job writes it.
struct ControlAccess {
    Route route;
    int property;        // Standard and KernelStreaming: the property number
    bool automaticFlag;  // Standard: the property's automatic flag (1 automatic), not its value
    int (*readVendor)(UVCXUManager&);
    bool (*writeVendor)(UVCXUManager&, int32_t value);  // Vendor; null: the job is ignored
    int min, max;          // the range where the camera reports none (all but Standard values)
    bool onlyWhenChanged;  // a job equal to the recorded value is not written, even forced
};

// The settings worker's lines: "<name> set %d \n", "setValue <result> result: %d \n" (or
// "<name> res:%d\n" for a vendor command), and "<name> Force \n" when forced and forceLine.
struct JobLog {
    const char* name;
    const char* result;
    bool forceLine;
};

// The settings page's lines: "<change> %d \n" (camera units) on a change, and when a
// slider is let go "\n********<release>, %d ********\n" (page units), then
// "<force>: %d \n" (camera units). Null: no such line.
struct PageLog {
    const char* change;
    const char* release;
    const char* force;
};

// When the connection reads the control: its group (1..7; 0: not read) and its place in it.
struct ReadAt {
    int group;
    int place;
};

struct ControlRow {
    ControlId id;
    const char* name;     // command-line name and profile key; null: the page's only
    const char* summary;  // one line for --help
    ControlAccess access;
    ValueField field;  // where CurrentValues records it
    int pageScale;     // camera units per unit the settings page shows (white balance 100, gamma 10)
    ReadAt read;
    bool appliedLast;  // applied after the others of a whole set (automatic modes, Auto Zoom)
    JobLog job;
    PageLog page;
};

// In the order scripts see them; the page-only rows (no name) last.
const std::vector<ControlRow>& controlTable();
// The row of a control id; null for an id no control has.
const ControlRow* controlRow(int32_t id);
// The row a script or a profile names; null for an unknown (or page-only) name.
const ControlRow* findControl(const std::string& name);
// The controls that scripts and profiles name, in table order.
std::vector<const ControlRow*> namedControls();

// Controls of the extension unit (the vendor's), as opposed to the standard ones.
bool isVendorControl(const ControlRow& control);

// The control's value as CurrentValues records it (switches as 0 or 1).
int recordedValue(const ControlRow& control, const CurrentValues& values);
// Sets the control's field of CurrentValues (as the worker does once it applied a job).
void recordValue(const ControlRow& control, int value, CurrentValues& values);
// The recorded value in the settings page's units, and a page value in the camera's.
int pageValueOf(const ControlRow& control, const CurrentValues& values);
int cameraValueOf(const ControlRow& control, int pageValue);

// The order in which a whole set of values is applied: plain values first, zoom before
// pan and tilt (the digital view moves only when zoomed in: at the lowest zoom the camera
// keeps pan and tilt at 0), then the automatic modes and Auto Zoom that override them, so
// that a manual value never switches an automatic mode off again.
std::vector<const ControlRow*> applyOrder();
