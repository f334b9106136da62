#pragma once
// Device discovery and the device format list: every size and frame rate that the
// camera's output pins offer.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "device/result.h"

constexpr int kMaxDevicesExamined = 10;
constexpr int kMaxOutputPins = 10;
constexpr int kMaxEntriesPerPin = 100;

// One entry of the device format list: one size at one frame rate.
struct CaptureFormat {
    int32_t width = 0;
    int32_t height = 0;
    int32_t bitCount = 0;
    int64_t avgTimePerFrame = 0;  // the capability's default interval, 100 ns units
    double fps = 0.0;             // 10 000 000 / this entry's interval
    device::Guid subtype;
    char name[80] = {};
};

struct PinFormats {
    std::vector<CaptureFormat> entries;  // at most kMaxEntriesPerPin
    int count() const { return static_cast<int>(entries.size()); }
};

struct CaptureFormatList {
    // in: the device to match when there is no name filter; out: the counted position of
    // the device that matched (-1 before a match)
    int deviceIndex = -1;
    std::optional<std::string> nameFilter;
    std::vector<PinFormats> pins;  // output pins only, in enumeration order; at most 10
    int pinCount() const { return static_cast<int>(pins.size()); }
};

// The list built by the last UvcCamera::initial.
CaptureFormatList& ewc_currentFormatList();

// Name of a media subtype ("YUY2", "MJPG", ... or the first field as "%X"): 0 when
// known, 1 otherwise.
int ewc_SubtypeName(const device::Guid& subtype, char* text, size_t capacity);

// Fills list for the device matched by its name filter or device index. 0 on success,
// else 4 (no enumerator), 5 (no class enumerator), 6 (display name), 9 (no match),
// 10 (pins), 11 (stream config), 12 (capability count), 13 (video control).
int ewc_EnumFormats(CaptureFormatList& list);

// True when a video input device matches (name substring when name is given, else the
// counted position) and its pins could be listed.
bool findUvcCamera(int deviceIndex, const char* name);
