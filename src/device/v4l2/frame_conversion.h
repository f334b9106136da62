#pragma once
// The V4L2 backend's conversion of capture samples into RGB32 pictures, as the converter
// module (libav/, built on libavcodec and libswscale) implements it. The module is loaded
// on the first conversion (frame_converter.h), so that a program that never converts a
// sample never maps libav and the hundred libraries behind it.
#include <cstddef>
#include <cstdint>

namespace device::v4l2 {

class FrameConversion {
public:
    virtual ~FrameConversion() = default;
    // Samples of pixelformat at width x height (bytesPerLine for YUYV rows, maxSample
    // the largest sample), pictures of outWidth x outHeight.
    // False when the sizes are empty or no decoder opens for the format.
    virtual bool open(uint32_t pixelformat, int width, int height, int bytesPerLine, size_t maxSample,
                      int outWidth, int outHeight) = 0;
    // The picture of one sample (outWidth * outHeight * 4 bytes, rows bottom-up), or
    // nullptr when the sample is broken or (for a decoder) gives no picture yet.
    virtual const uint8_t* convert(const uint8_t* data, size_t length) = 0;
    virtual size_t pictureSize() const = 0;
};

// The module's file, and the one function it exports: a new conversion, owned by the caller.
inline constexpr const char kFrameConverterModule[] = "liblumora-frame-converter.so";
inline constexpr const char kCreateFrameConversion[] = "lumoraCreateFrameConversion";
using CreateFrameConversionFn = FrameConversion* (*)();

}  // namespace device::v4l2
