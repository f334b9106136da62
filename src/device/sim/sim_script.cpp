#include "device/sim/sim_script.h"

#include <cstdlib>

namespace device::sim {
namespace {
std::string trim(const std::string& s) {
    size_t a = s.find_first_not_of(" \t\r\n");
    if (a == std::string::npos)
        return {};
    size_t b = s.find_last_not_of(" \t\r\n");
    return s.substr(a, b - a + 1);
}

// "5s", "1.5s", "500ms", "800us" (default unit given) to the wanted unit; false when malformed.
bool parseDuration(const std::string& text, double unitsPerSecond, double& out, const char* defaultUnit) {
    char* end = nullptr;
    const double v = std::strtod(text.c_str(), &end);
    if (end == text.c_str() || v < 0)
        return false;
    std::string unit = trim(end);
    if (unit.empty())
        unit = defaultUnit;
    double seconds;
    if (unit == "s")
        seconds = v;
    else if (unit == "ms")
        seconds = v / 1e3;
    else if (unit == "us")
        seconds = v / 1e6;
    else
        return false;
    out = seconds * unitsPerSecond;
    return true;
}

bool parseInt(const std::string& text, int& out) {
    char* end = nullptr;
    const long v = std::strtol(text.c_str(), &end, 10);
    if (end == text.c_str() || !trim(end).empty())
        return false;
    out = int(v);
    return true;
}
}  // namespace

bool parseSimScript(const std::string& text, SimScript& script, std::string& error) {
    size_t pos = 0;
    while (pos <= text.size()) {
        size_t next = text.find(';', pos);
        if (next == std::string::npos)
            next = text.size();
        const std::string item = trim(text.substr(pos, next - pos));
        pos = next + 1;
        if (item.empty())
            continue;
        const size_t at = item.find('@');
        const size_t eq = item.find('=');
        bool ok = true;
        double ms = 0;
        int n = 0;
        if (at != std::string::npos) {
            const std::string what = trim(item.substr(0, at));
            ok = (what == "plug" || what == "unplug") &&
                 parseDuration(trim(item.substr(at + 1)), 1e3, ms, "s");
            if (ok)
                script.events.push_back({int(ms), what == "plug"});
        } else if (eq != std::string::npos) {
            const std::string key = trim(item.substr(0, eq));
            const std::string value = trim(item.substr(eq + 1));
            if (key == "reboot" && (ok = parseDuration(value, 1e3, ms, "ms")))
                script.options.rebootAbsenceMs = int(ms);
            else if (key == "reset-absence" && (ok = parseDuration(value, 1e3, ms, "ms")))
                script.options.resetAbsenceMs = int(ms);
            else if (key == "latency" && (ok = parseDuration(value, 1e6, ms, "us")))
                script.options.controlLatencyUs = int(ms);
            else if (key == "xu-from" && (ok = parseInt(value, n)))
                script.xuFromActivation = n;
            else if (key == "status" && (ok = parseInt(value, n)))
                script.forcedStatus = n;
            else if (key == "fps") {
                char* end = nullptr;
                const double f = std::strtod(value.c_str(), &end);
                ok = end != value.c_str() && f >= 0;
                if (ok)
                    script.options.frameRateMultiplier = f;
            } else if (key != "reboot" && key != "reset-absence" && key != "latency" && key != "xu-from" &&
                       key != "status") {
                ok = false;
            }
        } else if (item == "unplugged") {
            script.options.pluggedAtStart = false;
        } else if (item == "flash-fails") {
            script.flashFails = true;
        } else if (item == "no-webcam") {
            script.options.listOtherDevice = false;
        } else if (item == "duplicate") {
            script.options.duplicateCamera = true;
        } else {
            ok = false;
        }
        if (!ok) {
            error = "cannot read \"" + item + "\"";
            return false;
        }
    }
    return true;
}

void applySimScript(const SimScript& script, SimCamera& camera) {
    if (script.xuFromActivation != 1)
        camera.setExtensionUnitFromActivation(script.xuFromActivation);
    if (script.forcedStatus >= 0)
        camera.forceStatus(script.forcedStatus);
    if (script.flashFails)
        camera.setFlashFails(true);
    for (const SimScript::Event& e : script.events) {
        if (e.plug)
            camera.plugAfter(e.atMs);
        else
            camera.unplugAfter(e.atMs);
    }
}

}  // namespace device::sim
