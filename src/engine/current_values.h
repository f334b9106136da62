#pragma once
// The camera's last known values: written by the settings worker after each job and by
// the connection read, read by the pages to show the camera's state. One record for the
// process, created zeroed on first use and never destroyed.
//
// Threads: every number is an atomic word, because the worker writes them while the GUI
// thread reads and writes them; no invariant spans two fields. The texts and the stream
// format are touched by the GUI thread only.
#include <atomic>
#include <cstdint>

#include "base/resolution_list.h"

constexpr int kCurrentValuesTextLength = 60;

struct CurrentValues {
    std::atomic<int32_t> zoom{0};
    std::atomic<int32_t> pan{0};
    std::atomic<int32_t> tilt{0};
    std::atomic<int32_t> expAuto{0};  // 1 = automatic exposure
    std::atomic<int32_t> gain{0};
    std::atomic<int32_t> expTime{0};
    std::atomic<int32_t> wbAuto{0};  // 1 = automatic white balance
    std::atomic<int32_t> wbValue{0};
    std::atomic<int32_t> autoFrame{0};
    std::atomic<int32_t> autoFrameSensitive{0};
    std::atomic<int32_t> autoFrameZoomLevel{0};
    std::atomic<int32_t> brightness{0};
    std::atomic<int32_t> contrast{0};
    std::atomic<int32_t> hue{0};
    std::atomic<int32_t> saturation{0};
    std::atomic<int32_t> sharpness{0};
    std::atomic<int32_t> gamma{0};
    std::atomic<int32_t> backlight{0};
    std::atomic<int32_t> hdr{0};
    std::atomic<int32_t> distortionCorrection{0};  // no writer: stays 0
    std::atomic<int32_t> antiFlicker{0};           // 1 = 50 Hz, 2 = 60 Hz
    std::atomic<int32_t> trackingActive{0};
    char serialNumber[kCurrentValuesTextLength] = {};  // GUI thread only
    char fwVersion[kCurrentValuesTextLength] = {};     // GUI thread only
    std::atomic<uint8_t> info{0};                      // no writer: stays 0
    RESOLUTION_LIST resolution;                        // GUI thread only
    std::atomic<int32_t> transferSize{0};              // extension-unit transfer size
};

CurrentValues& currentValues();
