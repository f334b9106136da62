// The preview tick (every 33 ms): the device-lost check and the newest frame handed to
// the preview label. The label's decoder thread decodes it at the size it is shown at,
// so the tick itself only copies the frame; frames that arrive faster than they are
// decoded replace each other instead of queueing. While nobody can see the window
// (minimised, hidden, or on another workspace, where it is not exposed) no frame is taken
// or decoded: the newest one waits in the store and is shown at the first tick after the
// window comes back.
#include <QWindow>

#include "app/mainwindow.h"
#include "capture/custom_image_label.h"
#include "engine/current_values.h"

namespace {
bool canBeSeen(const QWidget& window) {
    const QWindow* handle = window.windowHandle();
    return window.isVisible() && !window.isMinimized() && handle != nullptr && handle->isExposed();
}
}  // namespace

void mainwindow::updateImage() {
    if (stream_->getEvent())
        releaseLostCamera();
    showFrame();
}

void mainwindow::showFrame() {
    if (!canBeSeen(*this) || stream_->newFrameCount() == 0)
        return;
    uint8_t* data = nullptr;
    const int length = stream_->getFrame(&data);
    const bool mjpg = currentValues().resolution.format == "MJPG";
    if (mjpg) {
        frameImage_.setData(data, length);
    } else {
        frameImage_.setData(data);
    }
    if (!ui.streamLabel->isEnabled())
        return;  // the frame stays pending

    if (mjpg) {
        // A frame that does not decode is dropped there: the previous picture stays.
        ui.streamLabel->showJpegFrame(frameImage_.compressedFrame());
        return;
    }
    // An RGB32 picture is read as width x height x 4 bytes of the prepared format; a
    // shorter frame (another size, or compressed samples while the format is not yet
    // known) would be read past its end, so it is not shown.
    if (length < frameImage_.size())
        return;
    ui.streamLabel->showRgbFrame(frameImage_.getImage());
}
