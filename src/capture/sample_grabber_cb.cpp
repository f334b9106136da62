#include "capture/sample_grabber_cb.h"

#include <cmath>
#include <cstring>
#include <mutex>

#include "base/debug_log.h"
#include "capture/capture_slots.h"
#include "device/device_port.h"

namespace {
constexpr int32_t kLagJumpMs = 500;
constexpr int32_t kFramesDroppedAfterJump = 20;
}  // namespace

void ewc_SampleGrabberCB::BufferCB(double sampleTime, const uint8_t* buffer, long length) {
    std::lock_guard<std::mutex> lock(ewc_slotMutex(slot_));
    CaptureSlot& slot = ewc_slot(slot_);
    FrameStore& store = slot.store;

    if (length < 1) {
        debugLog("BufferCB lBufferSize(%ld)\n", length);
    }
    const uint32_t now = device::tickCount();
    const double t = sampleTime * 1000.0;
    const uint32_t r = static_cast<uint32_t>(static_cast<int64_t>(std::llround(t)));
    if (baseTime == 0) {
        baseTime = now - r;
    }
    const int32_t differ = static_cast<int32_t>(now - baseTime - r);

    if (slot.nativeSubtype == device::kSubtypeH264) {
        if (static_cast<int64_t>(differ) > static_cast<int64_t>(lastDiffer) + kLagJumpMs) {
            debugLog("Skip Frame!! currentDiffer(%ld) differ(%ld) \n", static_cast<long>(lastDiffer),
                     static_cast<long>(differ));
            skipCount = kFramesDroppedAfterJump;
            return;
        }
        if (skipCount >= 1) {
            --skipCount;
            return;
        }
    }

    // A sample that does not fit the store is dropped whole: a cut compressed frame
    // would not decode, and a cut picture would show stale rows.
    const size_t size = length > 0 ? static_cast<size_t>(length) : 0;
    if (size > store.buffer.size() || (size > 0 && buffer == nullptr)) {
        if (!oversizeReported_) {
            debugLog("BufferCB sample dropped: %ld bytes, frame buffer %lu bytes\n", length,
                     static_cast<unsigned long>(store.buffer.size()));
            oversizeReported_ = true;
        }
        return;
    }

    lastDiffer = differ;
    store.frameSize = static_cast<uint32_t>(size);
    if (size > 0) {
        const long rows = slot.height;
        if (!slot.outputSubtype.isNull() && rows > 0) {
            // Converted frames arrive bottom-up; store them top-down. Only whole rows are
            // copied, so a length that is not rows x row length stays inside both buffers.
            const size_t rowLength = size / static_cast<size_t>(rows);
            for (long i = 0; i < rows && rowLength > 0; ++i) {
                std::memcpy(store.buffer.data() + static_cast<size_t>(rows - 1 - i) * rowLength,
                            buffer + static_cast<size_t>(i) * rowLength, rowLength);
            }
        } else {
            std::memcpy(store.buffer.data(), buffer, size);
        }
    }
    store.frameCounter += 1;
    store.storedCounter = store.frameCounter;
}
