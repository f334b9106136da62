#pragma once
// The system's real cameras through V4L2 and the uvcvideo driver.
#include <memory>
#include <string>

#include "device/device_port.h"

namespace device::v4l2 {

class SysIo;

struct V4l2Options {
    int bufferCount = 4;      // mmap buffers of a stream
    int pollTimeoutMs = 100;  // longest wait of the streaming thread before it looks at stop()
};

// The backend on the kernel itself.
DevicePort makeV4l2Port();
// The backend on another system seam (tests: the fake uvcvideo).
DevicePort makeV4l2Port(std::shared_ptr<SysIo> io, V4l2Options options = {});

// Which capture nodes the backend found (and skipped), which one a stream bound and
// which extension unit it addresses, one line each, for the program's log.
std::string describe();

}  // namespace device::v4l2
