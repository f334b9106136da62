// The simulated camera's demo script (LUMORA_SIM_SCRIPT): any text, parsed; whatever it
// read must be a value the camera can be given.
#include <cstdlib>
#include <string>

#include "device/sim/sim_script.h"
#include "fuzz_support.h"

using device::sim::SimScript;

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    fuzz::quietLog();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    SimScript script;
    std::string error;
    const bool ok = parseSimScript(text, script, error);
    if (ok != error.empty())
        std::abort();  // a failure always names its item, a success never does
    // Every time and duration that was read is a non-negative whole number of its unit.
    for (const SimScript::Event& e : script.events)
        if (e.atMs < 0)
            std::abort();
    if (script.options.rebootAbsenceMs < 0 || script.options.resetAbsenceMs < 0 ||
        script.options.controlLatencyUs < 0 || !(script.options.frameRateMultiplier >= 0))
        std::abort();
    return 0;
}
