#include "capture/default_format_report.h"

#include "base/app_config.h"
#include "base/debug_log.h"

namespace {
// The built-in default, taken when APSet.ini does not set both dimensions.
constexpr int kBuiltInWidth = 3520;
constexpr int kBuiltInHeight = 1104;
constexpr int kBuiltInFps = 30;

std::string formatText(int width, int height, int fps) {
    return std::to_string(width) + " x " + std::to_string(height) + " at " + std::to_string(fps) + " fps";
}
}  // namespace

void DefaultFormatReport::afterSearch(const std::vector<RESOLUTION_LIST>& formats, int foundIndex) {
    if (formats.empty() || foundIndex >= 0) {
        reported_ = false;
        return;
    }
    if (reported_)
        return;
    reported_ = true;
    debugLog("%s", describe(formats).c_str());
}

std::string DefaultFormatReport::describe(const std::vector<RESOLUTION_LIST>& formats) {
    const AppConfig& config = appConfig();
    const bool configured = config.defaultWidth != 0 && config.defaultHeight != 0;
    std::string text = "default format MJPG ";
    if (configured) {
        text += formatText(config.defaultWidth, config.defaultHeight, config.defaultFps) +
                " (defaultWidth, defaultHeight, defaultFps in APSet.ini)";
    } else {
        text += formatText(kBuiltInWidth, kBuiltInHeight, kBuiltInFps) + " (built in)";
    }
    text += " is not offered by the camera; its MJPG formats:";
    bool any = false;
    for (const RESOLUTION_LIST& entry : formats) {
        if (entry.format != "MJPG")
            continue;
        text += std::string(any ? ", " : " ") + formatText(entry.width, entry.height, entry.fps);
        any = true;
    }
    if (!any)
        text += " none";
    return text + " \n";
}
