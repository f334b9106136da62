#include "device/sim/sim_port.h"

namespace device::sim {

DevicePort makeSimulatedPortFromEnvironment() {
    DevicePort port;
    port.name = "simulated";
    return port;
}

}  // namespace device::sim
