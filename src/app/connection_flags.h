#pragma once
// The main window's connection state: process-wide flags that every part of the window's
// code reads and writes. They are touched only on the GUI thread, so they are plain bools.
//
//   Searching   connectEnabled true,  cameraReady false  (cover with text, connect tick opens)
//   Ready       connectEnabled false, cameraReady true   (preview and settings worker run)
//   Re-opening  modeChanging true                         (a stream format change re-opens)
// and beside them the two waits for the camera to drop off: fwUpdating (firmware reboot)
// and waitResetConnection (reset reboot).

// The connect tick may open the camera.
extern bool connectEnabled;
// Since the last disconnect the camera was opened, its values were read and the window
// enabled.
extern bool cameraReady;
// A stream format change is re-opening the camera.
extern bool modeChanging;
// The window waits for the camera to drop off for its firmware reboot.
extern bool fwUpdating;
// The window waits for the camera to drop off after a debug-mode reset.
extern bool waitResetConnection;

// The reset was sent; the information page confirms it at its next refill. Cleared when
// the camera drops off for the reset, so that no confirmation follows its return.
extern bool resetDone;

// Puts every flag back to its start value (Searching, no wait). The window's constructor
// does not call it; tests that build several windows in one process do.
void resetConnectionFlags();
