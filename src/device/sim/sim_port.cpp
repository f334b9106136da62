#include "device/sim/sim_port.h"

#include <cstdio>
#include <cstdlib>

#include "device/sim/sim_camera.h"
#include "device/sim/sim_script.h"

namespace device::sim {

DevicePort makeSimulatedPortFromEnvironment() {
    SimScript script;
    // A real USB control transfer takes about a millisecond; the program runs against that.
    script.options.controlLatencyUs = 1000;
    if (const char* text = std::getenv("LUMORA_SIM_SCRIPT")) {
        std::string error;
        if (!parseSimScript(text, script, error))
            std::fprintf(stderr, "LUMORA_SIM_SCRIPT: %s; the rest of the script is ignored\n", error.c_str());
    }
    std::shared_ptr<SimCamera> camera;
    DevicePort port = makeSimulatedPort(camera, script.options);
    applySimScript(script, *camera);
    return port;
}

}  // namespace device::sim
