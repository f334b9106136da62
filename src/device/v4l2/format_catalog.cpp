#include "device/v4l2/format_catalog.h"

#include <linux/videodev2.h>

#include <algorithm>
#include <cerrno>

#include "device/v4l2/errno_result.h"

namespace device::v4l2 {
namespace {

// Loops over driver lists stop here even when a driver never answers EINVAL.
constexpr uint32_t kMaxFormats = 64;
constexpr uint32_t kMaxSizes = 256;
constexpr uint32_t kMaxIntervals = 64;

const std::pair<uint32_t, uint32_t> kCommonSizes[] = {
    {160, 120},  {320, 180},  {320, 240},  {640, 360},   {640, 480},   {800, 600},   {960, 540},
    {1024, 768}, {1280, 720}, {1280, 960}, {1600, 1200}, {1920, 1080}, {2560, 1440}, {3840, 2160},
};
const uint32_t kCommonRates[] = {60, 50, 30, 25, 24, 20, 15, 10, 5};

bool onGrid(uint32_t value, uint32_t min, uint32_t max, uint32_t step) {
    if (value < min || value > max)
        return false;
    return step <= 1 || (value - min) % step == 0;
}

}  // namespace

Guid subtypeOfPixelFormat(uint32_t pixelformat) {
    switch (pixelformat) {
        case V4L2_PIX_FMT_YUYV:
            return kSubtypeYUY2;
        case V4L2_PIX_FMT_MJPEG:
        case V4L2_PIX_FMT_JPEG:
            return kSubtypeMJPG;
        case V4L2_PIX_FMT_H264:
            return kSubtypeH264;
        default:
            return fourccSubtype(pixelformat);
    }
}

int32_t bitCountOfPixelFormat(uint32_t pixelformat) {
    switch (pixelformat) {
        case V4L2_PIX_FMT_YUYV:
        case V4L2_PIX_FMT_UYVY:
            return 16;
        case V4L2_PIX_FMT_NV12:
        case V4L2_PIX_FMT_YUV420:
            return 12;
        case V4L2_PIX_FMT_GREY:
            return 8;
        default:
            return 24;
    }
}

int64_t intervalFromFraction(uint32_t numerator, uint32_t denominator) {
    if (denominator == 0)
        return 0;
    return int64_t(10000000) * numerator / denominator;
}

std::vector<std::pair<uint32_t, uint32_t>> sizesOfRange(const v4l2_frmsize_stepwise& r) {
    std::vector<std::pair<uint32_t, uint32_t>> sizes;
    if (r.min_width == 0 || r.min_height == 0 || r.max_width < r.min_width || r.max_height < r.min_height)
        return sizes;
    sizes.emplace_back(r.min_width, r.min_height);
    for (const auto& size : kCommonSizes) {
        if (onGrid(size.first, r.min_width, r.max_width, r.step_width) &&
            onGrid(size.second, r.min_height, r.max_height, r.step_height))
            sizes.push_back(size);
    }
    sizes.emplace_back(r.max_width, r.max_height);
    std::sort(sizes.begin(), sizes.end());
    sizes.erase(std::unique(sizes.begin(), sizes.end()), sizes.end());
    return sizes;
}

HResult enumerateIntervals(NodeHandle& node, uint32_t pixelformat, uint32_t width, uint32_t height,
                           std::vector<int64_t>& intervals) {
    intervals.clear();
    for (uint32_t index = 0; index < kMaxIntervals; ++index) {
        v4l2_frmivalenum e{};
        e.index = index;
        e.pixel_format = pixelformat;
        e.width = width;
        e.height = height;
        int r = node.ioctl(VIDIOC_ENUM_FRAMEINTERVALS, &e);
        if (r == -EINVAL)
            break;  // end of the list
        if (r < 0)
            return intervals.empty() ? resultFromErrno(r) : kOk;
        if (e.type == V4L2_FRMIVAL_TYPE_DISCRETE) {
            int64_t interval = intervalFromFraction(e.discrete.numerator, e.discrete.denominator);
            if (interval > 0)
                intervals.push_back(interval);
            continue;
        }
        // A range: the common rates inside it, else its two ends.
        const int64_t shortest = intervalFromFraction(e.stepwise.min.numerator, e.stepwise.min.denominator);
        const int64_t longest = intervalFromFraction(e.stepwise.max.numerator, e.stepwise.max.denominator);
        for (uint32_t rate : kCommonRates) {
            int64_t interval = 10000000 / rate;
            if (interval >= shortest && interval <= longest)
                intervals.push_back(interval);
        }
        if (intervals.empty()) {
            if (shortest > 0)
                intervals.push_back(shortest);
            if (longest > shortest)
                intervals.push_back(longest);
        }
        break;
    }
    return kOk;
}

HResult enumerateFormats(NodeHandle& node, std::vector<FormatEntry>& entries) {
    entries.clear();
    for (uint32_t formatIndex = 0; formatIndex < kMaxFormats; ++formatIndex) {
        v4l2_fmtdesc desc{};
        desc.index = formatIndex;
        desc.type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
        int r = node.ioctl(VIDIOC_ENUM_FMT, &desc);
        if (r == -EINVAL)
            break;
        if (r < 0)
            return resultFromErrno(r);

        std::vector<std::pair<uint32_t, uint32_t>> sizes;
        for (uint32_t sizeIndex = 0; sizeIndex < kMaxSizes; ++sizeIndex) {
            v4l2_frmsizeenum size{};
            size.index = sizeIndex;
            size.pixel_format = desc.pixelformat;
            r = node.ioctl(VIDIOC_ENUM_FRAMESIZES, &size);
            if (r == -EINVAL)
                break;
            if (r < 0)
                return resultFromErrno(r);
            if (size.type == V4L2_FRMSIZE_TYPE_DISCRETE) {
                sizes.emplace_back(size.discrete.width, size.discrete.height);
                continue;
            }
            for (const auto& s : sizesOfRange(size.stepwise))
                sizes.push_back(s);
            break;
        }
        for (const auto& size : sizes) {
            FormatEntry entry;
            entry.pixelformat = desc.pixelformat;
            entry.format.subtype = subtypeOfPixelFormat(desc.pixelformat);
            entry.format.width = int32_t(size.first);
            entry.format.height = int32_t(size.second);
            entry.format.bitCount = bitCountOfPixelFormat(desc.pixelformat);
            std::vector<int64_t> intervals;
            HResult hr = enumerateIntervals(node, desc.pixelformat, size.first, size.second, intervals);
            if (hr == kNotConnected)
                return hr;
            entry.format.avgTimePerFrame = intervals.empty() ? 0 : intervals.front();
            entries.push_back(entry);
        }
    }
    return kOk;
}

}  // namespace device::v4l2
