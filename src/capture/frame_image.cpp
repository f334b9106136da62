#include "capture/frame_image.h"

#include <algorithm>
#include <cstring>

void FrameImage::setFormat(int width, int height, int bytesPerPixel) {
    width_ = width;
    height_ = height;
    bytesPerPixel_ = bytesPerPixel;
    size_ = width * height * bytesPerPixel;
}

void FrameImage::setData(const uint8_t* data) {
    data_ = data;
    dirty_ = true;
}

void FrameImage::setData(const uint8_t* data, int length) {
    data_ = data;
    size_ = length;
    dirty_ = true;
}

QImage FrameImage::getImage() {
    if (dirty_) {
        image_ = QImage(width_, height_, QImage::Format_RGB32);
        // Never copy more than the picture holds, nor more than the frame brings.
        const qsizetype room = image_.isNull() ? 0 : image_.sizeInBytes();
        const qsizetype length = std::min<qsizetype>(size_, room);
        if (data_ != nullptr && length > 0) {
            std::memcpy(image_.bits(), data_, static_cast<size_t>(length));
        }
        dirty_ = false;
    }
    return image_;
}

QByteArray FrameImage::compressedFrame() const {
    if (data_ == nullptr || size_ <= 0)
        return QByteArray();
    return QByteArray(reinterpret_cast<const char*>(data_), size_);
}
