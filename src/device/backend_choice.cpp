#include "device/backend_choice.h"

#include <cstdlib>

#include "device/sim/sim_port.h"
#include "device/v4l2/v4l2_port.h"

namespace device {

DevicePort chooseBackend(const std::vector<std::string>& arguments, std::string& error) {
    std::string name;
    const std::string option = "--camera=";
    for (const std::string& argument : arguments) {
        if (argument.compare(0, option.size(), option) == 0)
            name = argument.substr(option.size());
    }
    if (name.empty()) {
        const char* env = std::getenv("LUMORA_CAMERA");
        if (env)
            name = env;
    }
    if (name.empty() || name == "v4l2")
        return v4l2::makeV4l2Port();
    if (name == "simulated" || name == "sim")
        return sim::makeSimulatedPortFromEnvironment();
    error = "unknown camera backend \"" + name + "\" (use simulated or v4l2)";
    return DevicePort{};
}

}  // namespace device
