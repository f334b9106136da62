#include "device/v4l2/v4l2_port.h"

namespace device::v4l2 {

DevicePort makeV4l2Port() {
    DevicePort port;
    port.name = "v4l2";
    return port;
}

}  // namespace device::v4l2
