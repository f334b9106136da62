#pragma once
// The capture layer's state: a static table of 10 capture slots, each one running
// stream (or none), plus the layer-wide values every operation shares. Callers name a
// stream by its slot number (0 to 9).
#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "device/control_port.h"
#include "device/result.h"
#include "device/video_port.h"

#include "capture/frame_bytes.h"
#include "capture/sample_grabber_cb.h"

constexpr int kCaptureSlotCount = 10;
constexpr int kStandardPropertyCount = 17;

// The single-frame store of a running slot, shared between the backend's streaming
// thread (BufferCB writes) and the GUI thread (newFrameCount / getFrame read). Every
// access holds the slot's mutex (ewc_slotMutex).
struct FrameStore {
    FrameBytes buffer;           // width x height x 4 bytes, allocated at stream open
    uint32_t frameSize = 0;      // length of the stored frame; 0 until the first frame
    uint32_t frameCounter = 0;   // frames stored since the open
    uint32_t storedCounter = 0;  // counter value of the stored frame
    uint32_t lastReadCounter = 0;
};

struct CaptureSlot {
    // request
    int width = 0;
    int height = 0;
    double fps = 0.0;
    int deviceIndex = -1;  // -1: the first counted device
    std::optional<std::string> nameFilter;
    device::Guid outputSubtype;  // what the grabber accepts (null: native samples)
    device::Guid nativeSubtype;  // the camera pin's format
    // result
    int inUse = 0;
    int status = 0;  // last open code, -1 while opening
    FrameStore store;
    bool supported[kStandardPropertyCount] = {};
    device::ControlRange ranges[kStandardPropertyCount] = {};  // as the open read them
    // backend objects. The call-back is declared before the graph so that the graph (and
    // its streaming thread) is destroyed first.
    std::unique_ptr<ewc_SampleGrabberCB> callback;
    std::unique_ptr<device::CaptureGraph> graph;
    std::shared_ptr<device::CaptureDevice> captureFilter;
    bool grabberAdded = false;
    bool hasMediaEvent = false;
};

// Slot n (0 to 9). The table lives for the whole process.
CaptureSlot& ewc_slot(int n);
// The mutex guarding slot n's frame store; it outlives every open and close.
std::mutex& ewc_slotMutex(int n);
// True for 0..9.
bool ewc_validSlot(int n);
// Resets every slot to its initial state (the slot-table reset of ewc_EnsureCom).
void ewc_resetSlotTable();

// Last platform result code, printed by the layer's log lines. Atomic because the
// presence check (findUvcCamera) may run on another thread than an open or a control.
extern std::atomic<device::HResult> ewc_hr;
// ewc_hr as the unsigned bits the log lines print with %x.
inline unsigned ewc_hrBits() {
    return static_cast<unsigned>(ewc_hr.load());
}
// Number of counted video devices; -1 until the first control open counts them.
extern int deviceCount;
// Which output pin the next stream open uses.
extern int selectedPin;
// The format used when a slot is opened without size or rate (initially 640x480 at 30).
extern int lastWidth;
extern int lastHeight;
extern double lastFps;
// The layer "initialised" the platform's component runtime (no counterpart here; kept
// because it steers the slot-table reset).
extern bool ewc_comInitialised;

// Time-outs of a stream open and close, in ms: the completion wait and the first-frame
// wait of an open (15000 each) and the completion wait after a stop (3000). Tests
// shrink them.
struct CaptureTimeouts {
    int openCompletionMs = 15000;
    int firstFrameMs = 15000;
    int stopCompletionMs = 3000;
};
CaptureTimeouts& ewc_timeouts();
