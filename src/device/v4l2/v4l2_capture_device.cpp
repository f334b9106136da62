#include "device/v4l2/v4l2_capture_device.h"

#include <linux/videodev2.h>

#include <unistd.h>

#include <cstring>

#include "device/v4l2/errno_result.h"
#include "device/v4l2/node_holders.h"

namespace device::v4l2 {

V4l2CaptureDevice::V4l2CaptureDevice(std::shared_ptr<NodeHandle> handle, CaptureNode node)
    : handle_(std::move(handle)),
      node_(std::move(node)),
      controls_(std::make_unique<V4l2Controls>(handle_)) {}

HResult V4l2CaptureDevice::open(const std::shared_ptr<SysIo>& io, const CaptureNode& node,
                                std::shared_ptr<V4l2CaptureDevice>& device) {
    std::shared_ptr<NodeHandle> handle;
    if (HResult opened = openListedNode(io, node, handle); failed(opened))
        return opened;
    std::shared_ptr<V4l2CaptureDevice> d(new V4l2CaptureDevice(handle, node));
    HResult hr = enumerateFormats(*handle, d->formats_);
    if (failed(hr))
        return hr;
    device = d;
    return kOk;
}

HResult V4l2CaptureDevice::streamHolders(std::vector<ProcessRef>& holders) {
    holders = nodeHolders("/proc", node_.path, int(::getpid()));
    return kOk;
}

HResult V4l2CaptureDevice::pinCount(int& count) {
    count = 1;
    return kOk;
}

HResult V4l2CaptureDevice::pinIsOutput(int pin, bool& isOutput) {
    if (pin != 0)
        return kInvalidArg;
    isOutput = true;
    return kOk;
}

HResult V4l2CaptureDevice::hasStreamConfig(int pin) {
    return pin == 0 ? kOk : kNoInterface;
}

HResult V4l2CaptureDevice::capabilityCount(int pin, int& count, int& recordSize) {
    if (pin != 0)
        return kNoInterface;
    count = int(formats_.size());
    recordSize = kCapabilityRecordSize;
    return kOk;
}

HResult V4l2CaptureDevice::capability(int pin, int index, MediaFormat& format) {
    if (pin != 0)
        return kNoInterface;
    if (index < 0 || size_t(index) >= formats_.size())
        return kInvalidArg;
    format = formats_[size_t(index)].format;
    return kOk;
}

HResult V4l2CaptureDevice::hasVideoControl() {
    return kOk;
}

HResult V4l2CaptureDevice::frameIntervals(int pin, int index, int width, int height,
                                          std::vector<int64_t>& intervals) {
    intervals.clear();
    if (pin != 0)
        return kNoInterface;
    if (index < 0 || size_t(index) >= formats_.size() || width <= 0 || height <= 0)
        return kInvalidArg;
    const FormatEntry& entry = formats_[size_t(index)];
    HResult hr =
        enumerateIntervals(*handle_, entry.pixelformat, uint32_t(width), uint32_t(height), intervals);
    if (hr == kNotConnected)
        return hr;
    // A driver without an interval list still streams at its default rate.
    if (intervals.empty() && entry.format.avgTimePerFrame > 0)
        intervals.push_back(entry.format.avgTimePerFrame);
    return intervals.empty() ? kFail : kOk;
}

bool V4l2CaptureDevice::pixelFormatOf(const Guid& subtype, uint32_t& pixelformat) const {
    for (const FormatEntry& entry : formats_) {
        if (entry.format.subtype == subtype) {
            pixelformat = entry.pixelformat;
            return true;
        }
    }
    return false;
}

HResult V4l2CaptureDevice::currentFormat(int pin, MediaFormat& format) {
    if (pin != 0)
        return kNoInterface;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        if (hasChosen_) {
            format = chosen_;
            return kOk;
        }
    }
    v4l2_format fmt{};
    fmt.type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
    int r = handle_->ioctl(VIDIOC_G_FMT, &fmt);
    if (r < 0)
        return resultFromErrno(r);
    MediaFormat f;
    f.subtype = subtypeOfPixelFormat(fmt.fmt.pix.pixelformat);
    f.width = int32_t(fmt.fmt.pix.width);
    f.height = int32_t(fmt.fmt.pix.height);
    f.bitCount = bitCountOfPixelFormat(fmt.fmt.pix.pixelformat);
    v4l2_streamparm parm{};
    parm.type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
    r = handle_->ioctl(VIDIOC_G_PARM, &parm);
    if (r == 0)
        f.avgTimePerFrame = intervalFromFraction(parm.parm.capture.timeperframe.numerator,
                                                 parm.parm.capture.timeperframe.denominator);
    else if (resultFromErrno(r) == kNotConnected)
        return kNotConnected;
    format = f;
    return kOk;
}

HResult V4l2CaptureDevice::setFormat(int pin, const MediaFormat& format) {
    if (pin != 0)
        return kNoInterface;
    if (!handle_->isOpen())
        return kNotConnected;
    bool offered = false;
    for (const FormatEntry& entry : formats_) {
        offered = offered || (entry.format.subtype == format.subtype && entry.format.width == format.width &&
                              entry.format.height == format.height);
    }
    if (!offered || format.avgTimePerFrame < 0)
        return kInvalidArg;
    std::lock_guard<std::mutex> lock(mutex_);
    chosen_ = format;
    hasChosen_ = true;
    return kOk;
}

HResult V4l2CaptureDevice::streamFormat(MediaFormat& format, uint32_t& pixelformat) {
    HResult hr = currentFormat(0, format);
    if (failed(hr))
        return hr;
    return pixelFormatOf(format.subtype, pixelformat) ? kOk : kInvalidArg;
}

}  // namespace device::v4l2
