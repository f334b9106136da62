#pragma once
// The capabilities of the simulated devices' one output pin, each with its frame
// intervals (100 ns units, the first one is the capability's default).
#include <vector>

#include "device/video_port.h"

namespace device::sim {

struct SimCapability {
    MediaFormat format;
    std::vector<int64_t> intervals;
};

// The Lumora X8: MJPG 3520x1104, 1920x1080, 1280x720, 640x360; H264 (one portrait
// 1080x1920 entry); YUY2; then an NV12 entry (a subtype the program does not use) and an
// H264 entry whose format block is not a plain video-info header.
const std::vector<SimCapability>& lumoraCapabilities();
// The unrelated webcam: MJPG and YUY2 at 1280x720 and 640x480.
const std::vector<SimCapability>& webcamCapabilities();

}  // namespace device::sim
