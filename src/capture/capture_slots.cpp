#include "capture/capture_slots.h"

#include <utility>

#include "capture/sample_grabber_cb.h"

std::atomic<device::HResult> ewc_hr{0};
int deviceCount = -1;
int selectedPin = 0;
int lastWidth = 640;
int lastHeight = 480;
double lastFps = 30.0;
bool ewc_comInitialised = false;

namespace {
CaptureSlot* slotTable() {
    static CaptureSlot* table = new CaptureSlot[kCaptureSlotCount];
    return table;
}
std::mutex* slotMutexes() {
    static std::mutex* mutexes = new std::mutex[kCaptureSlotCount];
    return mutexes;
}
}  // namespace

CaptureSlot& ewc_slot(int n) {
    return slotTable()[n];
}

std::mutex& ewc_slotMutex(int n) {
    return slotMutexes()[n];
}

bool ewc_validSlot(int n) {
    return n >= 0 && n < kCaptureSlotCount;
}

void ewc_resetSlotTable() {
    for (int n = 0; n < kCaptureSlotCount; ++n) {
        // The old contents are destroyed outside the lock (a streaming thread may wait for it).
        CaptureSlot old;
        {
            std::lock_guard<std::mutex> lock(ewc_slotMutex(n));
            std::swap(old, slotTable()[n]);
        }
    }
}

CaptureTimeouts& ewc_timeouts() {
    static CaptureTimeouts timeouts;
    return timeouts;
}
