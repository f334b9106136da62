// A camera frame through the display path: the streaming thread's call-back stores it in
// capture slot 0's frame store, the preview copies it out as the stream object does and
// the preview decoder turns it into the picture at the shown size. The first byte picks
// the stream: native MJPG samples decoded with libjpeg-turbo at the DCT scale that the
// shown size asks for (most inputs; the byte also picks that size), or converted RGB32
// samples stored bottom-up and wrapped as an image.
#include <QImage>
#include <algorithm>
#include <cstring>
#include <mutex>
#include <vector>

#include "capture/capture_slots.h"
#include "capture/frame_image.h"
#include "capture/preview_jpeg.h"
#include "capture/preview_scale.h"
#include "capture/sample_grabber_cb.h"
#include "device/result.h"
#include "fuzz_support.h"

namespace {
constexpr int kWidth = 160;
constexpr int kHeight = 120;
constexpr int kSlot = 0;
}  // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    fuzz::quietLog();
    fuzz::startGuiApplication(argc, argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz::Input input(data, size);
    const uint8_t mode = input.byte();
    const bool converted = mode >= 0xF0;
    ewc_resetSlotTable();
    {
        std::lock_guard<std::mutex> lock(ewc_slotMutex(kSlot));
        CaptureSlot& slot = ewc_slot(kSlot);
        slot.width = kWidth;
        slot.height = kHeight;
        slot.nativeSubtype = device::kSubtypeMJPG;
        slot.outputSubtype = converted ? device::kSubtypeRGB32 : device::kSubtypeNull;
        slot.store.buffer.assign(size_t(kWidth) * kHeight * 4, 0);
    }
    ewc_SampleGrabberCB callback(kSlot);
    callback.BufferCB(double(mode) / 30.0, input.rest(), long(input.remaining()));

    // What UvcCamera::getFrame copies out for the preview.
    std::vector<uint8_t> copy(size_t(kWidth) * kHeight * 4);
    size_t length = 0;
    {
        std::lock_guard<std::mutex> lock(ewc_slotMutex(kSlot));
        const FrameStore& store = ewc_slot(kSlot).store;
        length = std::min({size_t(store.frameSize), copy.size(), store.buffer.size()});
        if (length > 0)
            std::memcpy(copy.data(), store.buffer.data(), length);
    }

    FrameImage frame;
    frame.setFormat(kWidth, kHeight, 4);
    if (converted) {
        frame.setData(copy.data());
        if (int(length) >= frame.size())
            frame.getImage();
    } else {
        frame.setData(copy.data(), int(length));
        const QByteArray jpeg = frame.compressedFrame();
        // Shown at the frame's own size, or at 1/2 .. 1/9 of the slot's size.
        const int divisor = 1 + mode % 9;
        const QSize shown = divisor == 1 ? QSize() : QSize(kWidth / divisor, kHeight / divisor);
        static PreviewJpegDecoder decoder;
        const QImage picture =
            decoder.decode(reinterpret_cast<const uint8_t*>(jpeg.constData()), size_t(jpeg.size()), shown);
        if (!picture.isNull())
            scaleForPreview(picture, shown);
    }
    return 0;
}
