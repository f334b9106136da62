#include "device/sim/sim_script.h"

#include <cstdlib>
#include <limits>
#include <optional>

namespace device::sim {
namespace {
// The camera status is one byte.
constexpr int kMaxStatus = 255;

std::string trim(const std::string& s) {
    size_t a = s.find_first_not_of(" \t\r\n");
    if (a == std::string::npos)
        return {};
    size_t b = s.find_last_not_of(" \t\r\n");
    return s.substr(a, b - a + 1);
}

// "5s", "1.5s", "500ms", "800us" (default unit given) to the wanted unit; false when malformed
// or too large.
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
    return out <= std::numeric_limits<int>::max();  // every duration is kept as an int
}

bool parseInt(const std::string& text, int& out) {
    char* end = nullptr;
    const long v = std::strtol(text.c_str(), &end, 10);
    if (end == text.c_str() || !trim(end).empty() || v < std::numeric_limits<int>::min() ||
        v > std::numeric_limits<int>::max())
        return false;
    out = int(v);
    return true;
}

bool parseNonNegative(const std::string& text, double& out) {
    char* end = nullptr;
    out = std::strtod(text.c_str(), &end);
    return end != text.c_str() && trim(end).empty() && out >= 0;
}

// One "key=value" item; false when the key is unknown or the value malformed.
bool readSetting(const std::string& key, const std::string& value, SimScript& script) {
    double d = 0;
    int n = 0;
    if (key == "reboot" && parseDuration(value, 1e3, d, "ms"))
        script.options.rebootAbsenceMs = int(d);
    else if (key == "reset-absence" && parseDuration(value, 1e3, d, "ms"))
        script.options.resetAbsenceMs = int(d);
    else if (key == "latency" && parseDuration(value, 1e6, d, "us"))
        script.options.controlLatencyUs = int(d);
    else if (key == "xu-from" && parseInt(value, n) && n >= 0)
        script.xuFromActivation = n;
    else if (key == "status" && parseInt(value, n) && n >= 0 && n <= kMaxStatus)
        script.forcedStatus = n;
    else if (key == "fps" && parseNonNegative(value, d))
        script.options.frameRateMultiplier = d;
    else
        return false;
    return true;
}
std::optional<SimScript::Event::Kind> eventKind(const std::string& what) {
    if (what == "plug")
        return SimScript::Event::Plug;
    if (what == "unplug")
        return SimScript::Event::Unplug;
    if (what == "in-use")
        return SimScript::Event::InUse;
    if (what == "free")
        return SimScript::Event::Free;
    return std::nullopt;
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
        if (at != std::string::npos) {
            const std::string what = trim(item.substr(0, at));
            double ms = 0;
            const auto kind = eventKind(what);
            ok = kind.has_value() && parseDuration(trim(item.substr(at + 1)), 1e3, ms, "s");
            if (ok)
                script.events.push_back({int(ms), *kind});
        } else if (eq != std::string::npos) {
            ok = readSetting(trim(item.substr(0, eq)), trim(item.substr(eq + 1)), script);
        } else if (item == "unplugged") {
            script.options.pluggedAtStart = false;
        } else if (item == "no-frames") {
            script.neverDeliverFrames = true;
        } else if (item == "flash-fails") {
            script.flashFails = true;
        } else if (item == "start-answer-lost") {
            script.options.startAnswerLost = true;
        } else if (item == "no-webcam") {
            script.options.listOtherDevice = false;
        } else if (item == "digital-ptz") {
            script.options.panTiltNeedZoom = true;
        } else if (item == "duplicate") {
            script.options.duplicateCamera = true;
        } else if (item == "in-use") {
            script.inUseAtStart = true;
        } else if (item == "denied") {
            script.accessDenied = true;
        } else if (item == "controls-read-before") {
            script.options.controlsReadBefore = true;
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
    if (script.neverDeliverFrames)
        camera.setNeverDeliverFrames(true);
    if (script.inUseAtStart)
        camera.holdStream(kScriptStreamHolder, kScriptStreamHolderPid);
    if (script.accessDenied)
        camera.setAccessDenied(true);
    for (const SimScript::Event& e : script.events) {
        switch (e.kind) {
            case SimScript::Event::Plug:
                camera.plugAfter(e.atMs);
                break;
            case SimScript::Event::Unplug:
                camera.unplugAfter(e.atMs);
                break;
            case SimScript::Event::InUse:
                camera.holdStreamAfter(e.atMs, kScriptStreamHolder, kScriptStreamHolderPid);
                break;
            case SimScript::Event::Free:
                camera.releaseStreamAfter(e.atMs);
                break;
        }
    }
}

}  // namespace device::sim
