// A YUY2 sample through the V4L2 converter: the first bytes choose the stream's size, row
// length and picture size (as a camera's format reply would), the rest is the sample.
#include <linux/videodev2.h>
#include <cstdlib>

#include "device/v4l2/frame_converter.h"
#include "fuzz_support.h"

using device::v4l2::FrameConverter;

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    fuzz::quietLog();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz::Input input(data, size);
    const int width = input.byte() % 65;  // 0 is a broken format the converter refuses
    const int height = input.byte() % 49;
    const int bytesPerLine = int(input.byte() % 200) - 8;  // 0 or less: width * 2
    const int outWidth = 1 + input.byte() % 64;
    const int outHeight = 1 + input.byte() % 48;
    FrameConverter converter;
    if (!converter.open(V4L2_PIX_FMT_YUYV, width, height, bytesPerLine, input.remaining(), outWidth,
                        outHeight))
        return 0;
    const uint8_t* picture = converter.convert(input.rest(), input.remaining());
    if (picture) {
        // The whole picture is readable.
        volatile uint8_t sum = 0;
        for (size_t i = 0; i < converter.pictureSize(); ++i)
            sum = uint8_t(sum + picture[i]);
    }
    return 0;
}
