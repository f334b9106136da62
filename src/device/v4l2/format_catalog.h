#pragma once
// The formats of a capture node as capabilities of its one output pin: one entry per
// pixel format and frame size (VIDIOC_ENUM_FMT, VIDIOC_ENUM_FRAMESIZES), each with the
// frame intervals of that size (VIDIOC_ENUM_FRAMEINTERVALS) in 100 ns units.
#include <cstdint>
#include <vector>

#include <linux/videodev2.h>

#include "device/result.h"
#include "device/v4l2/node_handle.h"
#include "device/video_port.h"

namespace device::v4l2 {

struct FormatEntry {
    uint32_t pixelformat = 0;
    MediaFormat format;  // subtype, size, bit count, first interval
};

// Subtype the layers above name for a V4L2 pixel format: YUYV -> YUY2, MJPG/JPEG -> MJPG,
// H264 -> H264, any other the fourcc subtype of the pixel format itself.
Guid subtypeOfPixelFormat(uint32_t pixelformat);
int32_t bitCountOfPixelFormat(uint32_t pixelformat);

// n/d seconds in 100 ns units; 0 for a zero denominator.
int64_t intervalFromFraction(uint32_t numerator, uint32_t denominator);

// Sizes a stepwise or continuous frame-size range stands for: the common sizes that lie
// on its grid, plus its smallest and largest size.
std::vector<std::pair<uint32_t, uint32_t>> sizesOfRange(const v4l2_frmsize_stepwise& range);

// The capture formats of the node; a failure code only when the node cannot answer at all.
HResult enumerateFormats(NodeHandle& node, std::vector<FormatEntry>& entries);

// Frame intervals of one pixel format and size, shortest first as the driver lists them;
// a stepwise range gives the common rates inside it.
HResult enumerateIntervals(NodeHandle& node, uint32_t pixelformat, uint32_t width, uint32_t height,
                           std::vector<int64_t>& intervals);

}  // namespace device::v4l2
