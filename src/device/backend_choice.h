#pragma once
// Choice of the device backend at start-up: "--camera=simulated" or "--camera=v4l2" on
// the command line, else the environment variable LUMORA_CAMERA, else the platform's
// real devices (V4L2 on Linux).
#include <string>
#include <vector>

#include "device/device_port.h"

namespace device {

// Picks the backend named by the arguments or the environment. On an unknown name,
// error says why and the returned port has no systems.
DevicePort chooseBackend(const std::vector<std::string>& arguments, std::string& error);

}  // namespace device
