#pragma once
// The simulated Lumora X8 as a device port.
#include "device/device_port.h"

namespace device::sim {

// A port on a fresh simulated camera, configured from the environment variable
// LUMORA_SIM_SCRIPT (plug and unplug events for demos; see docs/simulated-camera.md).
// Control and extension-unit calls take 1 ms each, as over USB (the script's "latency="
// changes it).
DevicePort makeSimulatedPortFromEnvironment();

}  // namespace device::sim
