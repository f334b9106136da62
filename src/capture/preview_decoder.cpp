#include "capture/preview_decoder.h"

#include <utility>

#include "capture/preview_jpeg.h"
#include "capture/preview_scale.h"
#include "device/thread_priority.h"

PreviewDecoder::PreviewDecoder(QObject* parent) : QObject(parent) {
    thread_ = std::thread([this] { run(); });
}

PreviewDecoder::~PreviewDecoder() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        stopping_ = true;
    }
    wake_.notify_all();
    thread_.join();
}

void PreviewDecoder::submit(PreviewFrame frame) {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        waiting_ = std::move(frame);
    }
    wake_.notify_one();
}

std::optional<PreviewPicture> PreviewDecoder::takePicture() {
    std::lock_guard<std::mutex> lock(mutex_);
    notified_ = false;
    std::optional<PreviewPicture> picture = std::move(finished_);
    finished_.reset();
    return picture;
}

void PreviewDecoder::discard() {
    std::lock_guard<std::mutex> lock(mutex_);
    ++generation_;
    waiting_.reset();
    finished_.reset();
}

uint64_t PreviewDecoder::picturesMade() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return picturesMade_;
}

bool PreviewDecoder::idle() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return !waiting_ && !working_ && !finished_;
}

PreviewPicture PreviewDecoder::makePicture(const PreviewFrame& frame, PreviewJpegDecoder& jpeg) {
    PreviewPicture picture;
    if (!frame.jpeg.isEmpty()) {
        // Decoded straight to the size it is shown at.
        picture.image = jpeg.decode(reinterpret_cast<const uint8_t*>(frame.jpeg.constData()),
                                    static_cast<size_t>(frame.jpeg.size()), frame.shown, &picture.frameSize);
    } else if (!frame.picture.isNull()) {
        picture.frameSize = frame.picture.size();
        picture.image = scaleForPreview(frame.picture, frame.shown);
    }
    return picture;
}

void PreviewDecoder::run() {
    // Decoding takes milliseconds a frame; the GUI thread's events take a fraction of
    // one. The decoder never interrupts an event when it wakes for the next frame.
    device::runCurrentThreadInBackground();
    PreviewJpegDecoder jpeg;
    std::unique_lock<std::mutex> lock(mutex_);
    for (;;) {
        wake_.wait(lock, [this] { return stopping_ || waiting_.has_value(); });
        if (stopping_)
            return;
        const PreviewFrame frame = std::move(*waiting_);
        waiting_.reset();
        const uint64_t generation = generation_;
        working_ = true;
        lock.unlock();

        PreviewPicture picture = makePicture(frame, jpeg);

        lock.lock();
        working_ = false;
        if (picture.image.isNull() || generation != generation_)
            continue;  // did not decode, or discarded meanwhile
        finished_ = std::move(picture);
        ++picturesMade_;
        if (!notified_) {
            notified_ = true;
            lock.unlock();
            emit pictureReady();
            lock.lock();
        }
    }
}
