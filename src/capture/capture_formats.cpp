#include "capture/capture_formats.h"

#include <cinttypes>
#include <cstdio>
#include <memory>

#include "base/debug_log.h"
#include "capture/capture_slots.h"
#include "capture/device_walk.h"

CaptureFormatList& ewc_currentFormatList() {
    static CaptureFormatList list;
    return list;
}

int ewc_SubtypeName(const device::Guid& subtype, char* text, size_t capacity) {
    struct Named {
        device::Guid subtype;
        const char* name;
    };
    static const Named table[] = {
        {device::kSubtypeYUY2, "YUY2"}, {device::kSubtypeMJPG, "MJPG"},     {device::kSubtypeH264, "H264"},
        {device::kSubtypeIYUV, "IYUV"}, {device::kSubtypeRGB24, "RGB24"},   {device::kSubtypeRGB32, "RGB32"},
        {device::kSubtypeI420, "I420"}, {device::kSubtypeRGB555, "RGB555"},
    };
    for (const Named& named : table) {
        if (named.subtype == subtype) {
            if (text != nullptr && capacity > 0) {
                std::snprintf(text, capacity, "%s", named.name);
            }
            return 0;
        }
    }
    if (text != nullptr && capacity > 0) {
        std::snprintf(text, capacity, "%X", static_cast<unsigned>(subtype.data1));
    }
    return 1;
}

namespace {
// Reads the capabilities of one output pin into pin (at most kMaxEntriesPerPin entries).
int readPin(device::CaptureDevice& filter, int pin, PinFormats& formats) {
    ewc_hr = filter.hasStreamConfig(pin);
    if (device::failed(ewc_hr)) {
        return 11;
    }
    int count = 0;
    int recordSize = 0;
    ewc_hr = filter.capabilityCount(pin, count, recordSize);
    if (device::failed(ewc_hr)) {
        return 12;
    }
    ewc_hr = filter.hasVideoControl();
    if (device::failed(ewc_hr)) {
        return 13;
    }
    if (recordSize != 128) {
        return 0;
    }
    for (int i = 0; i < count && formats.count() < kMaxEntriesPerPin; ++i) {
        device::MediaFormat format;
        ewc_hr = filter.capability(pin, i, format);
        if (device::failed(ewc_hr) || !format.videoInfo) {
            continue;
        }
        std::vector<int64_t> intervals;
        ewc_hr = filter.frameIntervals(pin, i, format.width, format.height, intervals);
        if (device::failed(ewc_hr)) {
            continue;
        }
        for (int64_t interval : intervals) {
            if (formats.count() >= kMaxEntriesPerPin) {
                break;
            }
            // An interval of 0 or less names no rate.
            if (interval <= 0) {
                continue;
            }
            CaptureFormat entry;
            entry.width = format.width;
            entry.height = format.height;
            entry.bitCount = format.bitCount;
            entry.avgTimePerFrame = format.avgTimePerFrame;
            entry.fps = 10000000.0 / static_cast<double>(interval);
            entry.subtype = format.subtype;
            ewc_SubtypeName(format.subtype, entry.name, sizeof entry.name);
            formats.entries.push_back(entry);
        }
    }
    return 0;
}
}  // namespace

int ewc_EnumFormats(CaptureFormatList& list) {
    // The layer's component-runtime set-up has no counterpart on this platform: nothing
    // to initialise or undo here.
    DeviceWalk walk;
    int code = ewc_WalkDevices(list.nameFilter, list.deviceIndex, false, walk);
    if (code != 0) {
        return code;
    }
    if (!walk.match) {
        return 9;
    }
    std::shared_ptr<device::CaptureDevice> filter;
    ewc_hr = walk.match->bind(filter);
    if (device::failed(ewc_hr) || !filter) {
        if (device::succeeded(ewc_hr)) {
            ewc_hr = device::kFail;
        }
        return 10;
    }
    list.deviceIndex = walk.matchPosition;

    int pinTotal = 0;
    ewc_hr = filter->pinCount(pinTotal);
    if (device::failed(ewc_hr)) {
        return 10;
    }
    for (int pin = 0; pin < pinTotal && list.pinCount() < kMaxOutputPins; ++pin) {
        bool isOutput = false;
        ewc_hr = filter->pinIsOutput(pin, isOutput);
        if (device::failed(ewc_hr) || !isOutput) {
            continue;
        }
        PinFormats formats;
        code = readPin(*filter, pin, formats);
        if (code != 0) {
            return code;
        }
        list.pins.push_back(std::move(formats));
    }
    return 0;
}

bool findUvcCamera(int deviceIndex, const char* name) {
    CaptureFormatList list;
    list.deviceIndex = deviceIndex;
    if (name != nullptr) {
        list.nameFilter = std::string(name);
    }
    const int code = ewc_EnumFormats(list);
    debugLog("findUvcCamera %d \n", code);
    return code == 0;
}
