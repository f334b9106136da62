#pragma once
// The system's real cameras through V4L2 and the uvcvideo driver.
#include <memory>
#include <string>

#include "device/device_port.h"

namespace device::v4l2 {

class SysIo;
class UdevIo;

struct V4l2Options {
    int bufferCount = 4;      // mmap buffers of a stream
    int pollTimeoutMs = 100;  // longest wait of the streaming thread before it looks at stop()
    // udev's database and monitor; null: every node is opened for the listing, and no
    // device watch tells of a plug or an unplug.
    std::shared_ptr<UdevIo> udev;
};

// The backend on the kernel itself (and on udev where it runs).
DevicePort makeV4l2Port();
// The backend on another system seam (tests: the fake uvcvideo).
DevicePort makeV4l2Port(std::shared_ptr<SysIo> io, V4l2Options options = {});

// Which capture nodes the backend found (and skipped), which one a stream bound and
// which extension unit it addresses, one line each, for the program's log.
std::string describe();

}  // namespace device::v4l2
