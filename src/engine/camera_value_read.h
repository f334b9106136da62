#pragma once
// The read of a camera's values after it connected: every control of the control table
// in its group and place, then the firmware version, the serial number and the extension
// unit's transfer size, into CurrentValues, each group logged as it always was. Each read
// may wait out the driver's time-out on a camera that hangs, so a quit request ends the
// read between two groups. GUI thread; the settings worker may already run.
class UVCXUManager;
class UvcCamera;
struct CurrentValues;

// False when a quit request cut the read short (the values read so far are recorded).
bool readCameraValues(UvcCamera& camera, UVCXUManager& xu, CurrentValues& values);
