// An H264 stream through the V4L2 converter: the first byte chooses the picture size,
// the rest is cut into samples at each four-byte marker "LXS|" (a new sample, as each
// buffer from the camera is one), decoded and scaled one after another.
#include <linux/videodev2.h>
#include <cstring>
#include <string_view>

#include "device/v4l2/frame_converter.h"
#include "fuzz_support.h"

using device::v4l2::FrameConverter;

namespace {
constexpr std::string_view kSampleMarker = "LXS|";
}

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    fuzz::quietLog();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz::Input input(data, size);
    const uint8_t shape = input.byte();
    const int outWidth = 16 + (shape & 0x0F) * 8;
    const int outHeight = 16 + (shape >> 4) * 6;
    const std::string_view stream(reinterpret_cast<const char*>(input.rest()), input.remaining());
    FrameConverter converter;
    // The stream's nominal size (64 x 48) need not be what the samples carry.
    if (!converter.open(V4L2_PIX_FMT_H264, 64, 48, 0, 64 * 1024, outWidth, outHeight))
        return 0;
    size_t begin = 0;
    while (begin <= stream.size()) {
        size_t end = stream.find(kSampleMarker, begin);
        if (end == std::string_view::npos)
            end = stream.size();
        const uint8_t* sample = reinterpret_cast<const uint8_t*>(stream.data()) + begin;
        if (const uint8_t* picture = converter.convert(sample, end - begin)) {
            volatile uint8_t edge = picture[0];
            edge = uint8_t(edge + picture[converter.pictureSize() - 1]);
        }
        begin = end + kSampleMarker.size();
    }
    return 0;
}
