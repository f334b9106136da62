#include "engine/control_catalog.h"

#include "capture/standard_controls.h"
#include "capture/uvc_camera.h"
#include "engine/control_id.h"
#include "xu/uvc_xu_manager.h"

namespace {

using Field = std::atomic<int32_t> CurrentValues::*;

enum class Source {
    Value,   // a standard property's value
    Switch,  // a standard property's automatic flag
    Ks,      // the kernel-streaming property set
    Vendor,  // the extension unit
};

struct Entry {
    ControlInfo info;
    Source source;
    int property;  // standard property, kernel-streaming number; unused for vendor
    Field field;
    int min, max;  // for the switches, the kernel-streaming and the vendor controls
    int (*readVendor)(UVCXUManager&);
    bool appliedLast;
};

constexpr int kPowerLineFrequency = 13;

const std::vector<Entry>& entries() {
    static const std::vector<Entry> table = {
        {{"zoom", EPTZ_ZOOM, "digital zoom in percent"},
         Source::Value,
         ZOOM,
         &CurrentValues::zoom,
         0,
         0,
         nullptr,
         false},
        {{"pan", EWC_PAN, "digital pan"}, Source::Value, PAN, &CurrentValues::pan, 0, 0, nullptr, false},
        {{"tilt", EWC_TILT, "digital tilt"}, Source::Value, TILT, &CurrentValues::tilt, 0, 0, nullptr, false},
        {{"exposure-auto", EXP_SWITCH, "automatic exposure (1) or manual (0)"},
         Source::Switch,
         EXPOSURE,
         &CurrentValues::expAuto,
         0,
         1,
         nullptr,
         true},
        {{"gain", EXP_GAIN, "gain (manual exposure)"},
         Source::Value,
         GAIN,
         &CurrentValues::gain,
         0,
         0,
         nullptr,
         false},
        {{"exposure-time", EXP_TIME, "exposure time, log2 seconds (manual exposure)"},
         Source::Value,
         EXPOSURE,
         &CurrentValues::expTime,
         0,
         0,
         nullptr,
         false},
        {{"white-balance-auto", WB_SWITCH, "automatic white balance (1) or manual (0)"},
         Source::Switch,
         WHITEBALANCE,
         &CurrentValues::wbAuto,
         0,
         1,
         nullptr,
         true},
        {{"white-balance", WB_VALUE, "colour temperature in kelvin (manual white balance)"},
         Source::Value,
         WHITEBALANCE,
         &CurrentValues::wbValue,
         0,
         0,
         nullptr,
         false},
        {{"brightness", ADJ_BRIGHTNESS, "brightness"},
         Source::Value,
         BRIGHTNESS,
         &CurrentValues::brightness,
         0,
         0,
         nullptr,
         false},
        {{"contrast", ADJ_CONTRAST, "contrast"},
         Source::Value,
         CONTRAST,
         &CurrentValues::contrast,
         0,
         0,
         nullptr,
         false},
        {{"hue", ADJ_HUE, "hue"}, Source::Value, HUE, &CurrentValues::hue, 0, 0, nullptr, false},
        {{"saturation", ADJ_SATURATION, "saturation"},
         Source::Value,
         SATURATION,
         &CurrentValues::saturation,
         0,
         0,
         nullptr,
         false},
        {{"sharpness", ADJ_SHAPNESS, "sharpness"},
         Source::Value,
         SHARPNESS,
         &CurrentValues::sharpness,
         0,
         0,
         nullptr,
         false},
        {{"gamma", ADJ_GAMMA, "gamma times 100"},
         Source::Value,
         GAMMA,
         &CurrentValues::gamma,
         0,
         0,
         nullptr,
         false},
        {{"backlight", ADJ_BACKLIGHT, "backlight compensation"},
         Source::Value,
         BACKLIGHTCOMPENSATION,
         &CurrentValues::backlight,
         0,
         0,
         nullptr,
         false},
        {{"anti-flicker", ADJ_ANTIFLICKER, "power-line frequency: 1 = 50 Hz, 2 = 60 Hz"},
         Source::Ks,
         kPowerLineFrequency,
         &CurrentValues::antiFlicker,
         1,
         2,
         nullptr,
         false},
        {{"auto-zoom-sensitivity", AUTO_FRAME_SENSITIVE, "Auto Zoom sensitivity"},
         Source::Vendor,
         0,
         &CurrentValues::autoFrameSensitive,
         -2,
         2,
         [](UVCXUManager& xu) { return xu.getAutoSensitive(); },
         false},
        {{"auto-zoom-level", AUTO_FRAME_ZOOM_LEVEL, "Auto Zoom zoom level"},
         Source::Vendor,
         0,
         &CurrentValues::autoFrameZoomLevel,
         0,
         4,
         [](UVCXUManager& xu) { return int{xu.getAutoFrameZoomLevel()}; },
         false},
        {{"auto-zoom", AUTO_FRAME, "Auto Zoom (automatic framing) on (1) or off (0)"},
         Source::Vendor,
         0,
         &CurrentValues::autoFrame,
         0,
         1,
         [](UVCXUManager& xu) { return int{xu.getAutoFrame()}; },
         true},
        {{"hdr", HDR, "HDR on (1) or off (0)"},
         Source::Vendor,
         0,
         &CurrentValues::hdr,
         0,
         1,
         [](UVCXUManager& xu) { return int{xu.getHdr()}; },
         false},
        {{"speaker-tracking", TRACKING_ACTIVE, "tracking of the active speaker on (1) or off (0)"},
         Source::Vendor,
         0,
         &CurrentValues::trackingActive,
         0,
         1,
         [](UVCXUManager& xu) { return int{xu.getTrackingActive()}; },
         true},
    };
    return table;
}

const Entry& entryOf(const ControlInfo& control) {
    for (const Entry& entry : entries()) {
        if (entry.info.controlId == control.controlId)
            return entry;
    }
    return entries().front();  // every ControlInfo handed out comes from the table
}

}  // namespace

const std::vector<ControlInfo>& controlCatalog() {
    static const std::vector<ControlInfo> catalog = [] {
        std::vector<ControlInfo> list;
        for (const Entry& entry : entries())
            list.push_back(entry.info);
        return list;
    }();
    return catalog;
}

const ControlInfo* findControl(const std::string& name) {
    for (const ControlInfo& control : controlCatalog()) {
        if (name == control.name)
            return &control;
    }
    return nullptr;
}

ControlReading readControl(const ControlInfo& control, UvcCamera& camera) {
    const Entry& entry = entryOf(control);
    ControlReading reading;
    reading.min = entry.min;
    reading.max = entry.max;
    switch (entry.source) {
        case Source::Value: {
            double value = 0.0;
            ControlLimits limits;
            reading.ok =
                ewc_propfunc(kPropGetValue, camera.openNum(), entry.property, &value, nullptr) == 0 &&
                camera.getRange(entry.property, limits) == 0;
            reading.value = static_cast<int>(value);
            reading.min = limits.min;
            reading.max = limits.max;
            reading.step = limits.step > 0 ? limits.step : 1;
            reading.def = limits.def;
            break;
        }
        case Source::Switch: {
            int automatic = 0;
            reading.ok =
                ewc_propfunc(kPropGetValue, camera.openNum(), entry.property, nullptr, &automatic) == 0;
            reading.value = automatic != 0 ? 1 : 0;
            break;
        }
        case Source::Ks: {
            double value = 0.0;
            reading.ok = ewc_propKSfunc(2, camera.openNum(), entry.property, &value) == 0;
            reading.value = static_cast<int>(value);
            break;
        }
        case Source::Vendor: {
            UVCXUManager& xu = UVCXUManager::instance();
            reading.ok = xu.isCommandEnabled();
            reading.value = entry.readVendor(xu);
            reading.def = 0;
            break;
        }
    }
    return reading;
}

bool isVendorControl(const ControlInfo& control) {
    return entryOf(control).source == Source::Vendor;
}

std::string refusalOf(const ControlReading& reading, int value) {
    const std::string range = std::to_string(reading.min) + ".." + std::to_string(reading.max);
    if (value < reading.min || value > reading.max)
        return "is outside " + range;
    const long long offset = (static_cast<long long>(value) - reading.min) % reading.step;
    if (offset == 0)
        return std::string();
    const long long below = static_cast<long long>(value) - offset;
    std::string nearest = std::to_string(below);
    if (below + reading.step <= reading.max)
        nearest += " or " + std::to_string(below + reading.step);
    return "is off the step of " + std::to_string(reading.step) + " (" + range + "; nearest " + nearest + ")";
}

int recordedValue(const ControlInfo& control, const CurrentValues& values) {
    const Entry& entry = entryOf(control);
    const int value = (values.*entry.field).load();
    // The connection read records the automatic flags word (1 automatic, 2 manual).
    return entry.source == Source::Switch ? (value == 1 ? 1 : 0) : value;
}

void recordValue(const ControlInfo& control, int value, CurrentValues& values) {
    (values.*entryOf(control).field).store(value);
}

std::vector<const ControlInfo*> applyOrder() {
    std::vector<const ControlInfo*> order;
    for (const bool last : {false, true}) {
        for (const Entry& entry : entries()) {
            if (entry.appliedLast == last)
                order.push_back(findControl(entry.info.name));
        }
    }
    return order;
}
