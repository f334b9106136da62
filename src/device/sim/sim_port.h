#pragma once
// The simulated Lumora X8 as a device port.
#include "device/device_port.h"

namespace device::sim {

// A port on a fresh simulated camera, configured from the environment variable
// LUMORA_SIM_SCRIPT (plug and unplug events for demos; see the README).
DevicePort makeSimulatedPortFromEnvironment();

}  // namespace device::sim
