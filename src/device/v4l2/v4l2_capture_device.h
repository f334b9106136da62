#pragma once
// A bound capture node as the capture filter of the port: one output pin whose
// capabilities are the node's formats, the format chosen for the next stream, and the
// node's standard controls. The node stays open as long as this object lives.
#include <memory>
#include <mutex>
#include <vector>

#include "device/v4l2/capture_nodes.h"
#include "device/v4l2/format_catalog.h"
#include "device/v4l2/node_handle.h"
#include "device/v4l2/v4l2_controls.h"
#include "device/video_port.h"

namespace device::v4l2 {

class V4l2CaptureDevice : public CaptureDevice {
public:
    // Opens the node, checks that it still is the listed capture node and reads its formats.
    static HResult open(const std::shared_ptr<SysIo>& io, const CaptureNode& node,
                        std::shared_ptr<V4l2CaptureDevice>& device);

    HResult pinCount(int& count) override;
    HResult pinIsOutput(int pin, bool& isOutput) override;
    HResult hasStreamConfig(int pin) override;
    HResult capabilityCount(int pin, int& count, int& recordSize) override;
    HResult capability(int pin, int index, MediaFormat& format) override;
    HResult hasVideoControl() override;
    HResult frameIntervals(int pin, int index, int width, int height,
                           std::vector<int64_t>& intervals) override;
    HResult currentFormat(int pin, MediaFormat& format) override;
    HResult setFormat(int pin, const MediaFormat& format) override;
    ControlPort* controls() override { return controls_.get(); }
    // The processes in /proc with the node open, this one left out.
    HResult streamHolders(std::vector<ProcessRef>& holders) override;

    const CaptureNode& node() const { return node_; }
    const std::shared_ptr<NodeHandle>& handle() const { return handle_; }
    // The format the next stream uses (set by setFormat, else the node's current one),
    // with its V4L2 pixel format.
    HResult streamFormat(MediaFormat& format, uint32_t& pixelformat);

    static constexpr int kCapabilityRecordSize = 128;

private:
    V4l2CaptureDevice(std::shared_ptr<NodeHandle> handle, CaptureNode node);
    bool pixelFormatOf(const Guid& subtype, uint32_t& pixelformat) const;

    std::shared_ptr<NodeHandle> handle_;
    CaptureNode node_;
    std::vector<FormatEntry> formats_;
    std::unique_ptr<V4l2Controls> controls_;
    std::mutex mutex_;
    bool hasChosen_ = false;
    MediaFormat chosen_;
};

}  // namespace device::v4l2
