#pragma once
// Opening and closing a capture slot. The caller fills the slot's request and sets its
// status to -1, then runs ewc_OpenControl and ewc_OpenStream in that order; each leaves
// its code in the slot's status (0 success).
#include "device/video_port.h"

// Platform set-up before a slot open; resets the slot table while no device is counted.
void ewc_EnsureCom();
// First half: graph, device match, capture filter, control probe. Codes 3 to 10.
int ewc_OpenControl(int slot);
// Second half: format, grabber, callback, run and first frame. Codes 11 to 24; 22, 23
// and 24 are attempted three times in all.
int ewc_OpenStream(int slot);
// 0 closed, 1 slot number above 9 or not in use, 2 the graph would not stop.
int EWC_Close(int slot);
// Releases every backend object of the slot and marks it not in use.
void ewc_ReleaseSlot(int slot);

enum class PinDirection { Input, Output };
// Input: the first input pin; output: the output pin whose position among the output
// pins equals selectedPin. -1 when there is none.
int ewc_GetPin(device::CaptureDevice& filter, PinDirection direction);
