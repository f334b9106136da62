#pragma once
// The system's real cameras through V4L2 and the uvcvideo driver.
#include "device/device_port.h"

namespace device::v4l2 {

DevicePort makeV4l2Port();

}  // namespace device::v4l2
