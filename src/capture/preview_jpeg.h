#pragma once
// Decodes the camera's JPEG frames for the preview with libjpeg-turbo, at the smallest of
// its DCT scales that still covers the shown size (preview_scale.h). One instance per
// thread: it keeps its decompressor between frames.
#include <QImage>
#include <QSize>
#include <cstddef>
#include <cstdint>

class PreviewJpegDecoder {
public:
    PreviewJpegDecoder();
    ~PreviewJpegDecoder();
    PreviewJpegDecoder(const PreviewJpegDecoder&) = delete;
    PreviewJpegDecoder& operator=(const PreviewJpegDecoder&) = delete;

    // The frame as a 32-bit RGB picture at 1/jpegScaleDivisor(frame, shown) of its size
    // (full size for an empty `shown`); *frameSize receives the frame's own size. A null
    // picture when the data is no JPEG or does not decode. Damage that libjpeg-turbo
    // only warns about (extra bytes, a cut-off end) still gives the picture, as a camera's
    // stream is full of it.
    QImage decode(const uint8_t* data, size_t length, QSize shown, QSize* frameSize = nullptr);

private:
    void* handle_;  // tjhandle
};
