#pragma once
// Decodes the camera's JPEG frames for the preview with libjpeg-turbo at the smallest of
// its DCT scales whose picture, stretched by at most a few percent, would fill the shown
// size (preview_scale.h). The colour conversion writes 32-bit RGB rows straight into the
// picture; a decoded picture larger than the shown size is sampled down row by row as
// the rows come out of the decoder, so that no picture of another size is made in
// between. One instance per thread: it keeps its decompressor and buffers between frames.
#include <QImage>
#include <QSize>
#include <cstddef>
#include <cstdint>
#include <memory>

class PreviewJpegDecoder {
public:
    PreviewJpegDecoder();
    ~PreviewJpegDecoder();
    PreviewJpegDecoder(const PreviewJpegDecoder&) = delete;
    PreviewJpegDecoder& operator=(const PreviewJpegDecoder&) = delete;

    // The frame as a 32-bit RGB picture of `shown`, or of the decoded size when that is at
    // most a few percent smaller (showsUnscaled), or of the frame's own size for an empty
    // `shown`; *frameSize receives the frame's own size. A null picture when the data is
    // no JPEG or does not decode. Damage that libjpeg only warns about (extra bytes, a
    // cut-off end) still gives the picture, as a camera's stream is full of it.
    QImage decode(const uint8_t* data, size_t length, QSize shown, QSize* frameSize = nullptr);

private:
    struct State;
    std::unique_ptr<State> state_;
};
