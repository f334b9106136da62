#pragma once
// The preview's frame buffer: the newest frame as a copy of its JPEG (decoded by the
// preview label's decoder thread) or wrapped as 32-bit RGB. The data is not owned (the
// stream object's copy buffer).
#include <QByteArray>
#include <QImage>
#include <cstdint>

class FrameImage {
public:
    void setFormat(int width, int height, int bytesPerPixel);
    void setData(const uint8_t* data);
    void setData(const uint8_t* data, int length);
    QImage getImage();
    // A copy of the newest compressed frame (size bytes at data), for a consumer on
    // another thread: the data itself is overwritten by the stream's next frame.
    QByteArray compressedFrame() const;

    int width() const { return width_; }
    int height() const { return height_; }
    int size() const { return size_; }

private:
    int width_ = 0;
    int height_ = 0;
    int bytesPerPixel_ = 0;
    int size_ = 0;
    bool dirty_ = false;
    const uint8_t* data_ = nullptr;
    QImage image_;
};
