#pragma once
// Process-wide configuration and run-time record, created on first use and never destroyed.
#include <atomic>
#include <vector>

#include "base/resolution_list.h"

struct AppConfig {
    bool debug = false;
    int defaultWidth = 0;
    int defaultHeight = 0;
    int defaultFps = 0;
    double scale = 1.0;
    // The camera's friendly name (copied from the customisation record); null until set.
    // Read by stream-opening and firmware threads after the main window has set it.
    const char* deviceName = nullptr;
    std::vector<RESOLUTION_LIST> resolutionList;

    // Copies at most 49 characters and the terminator into the 50-byte name buffer and
    // points deviceName at it. Returns false when the name had to be cut.
    bool setDeviceName(const char* name);

private:
    char deviceNameBuffer_[50] = {};
};

AppConfig& appConfig();
