#include "engine/camera_value_read.h"

#include <algorithm>
#include <string>
#include <vector>

#include "base/debug_log.h"
#include "base/quit_request.h"
#include "capture/uvc_camera.h"
#include "engine/control_table.h"
#include "xu/uvc_xu_manager.h"

namespace {
constexpr int kReadGroups = 7;

// The lines that log a group, each "%d" taking the next value of the group in read order.
struct GroupLine {
    int group;
    const char* format;
};

constexpr GroupLine kGroupLines[] = {
    {1, "\n--------getDefaultValue zoom: %d ,pan:%d, tilt: %d --------\n"},
    {2, "\n--------getDefaultValue exp: %d ,gain:%d, expTime: %d --------\n"},
    {3, "\n--------getDefaultValue wb: %d ,wbValue:%d --------\n"},
    {4, "\n--------getDefaultValue autoFrame: %d--------\n"},
    {4, "--------getDefaultValue autoFrameSensitive : %d, autoFrameZoomLevel : %d--------\n"},
    {5, "\n--------getDefaultValue brightness: %d ,contract:%d, hue: %d --------\n"},
    {5, "--------getDefaultValue saturation: %d ,sharpness:%d, gamma: %d --------\n"},
    {5, "--------getDefaultValue backlight: %d ,hdr:%d--------\n"},
    {6, "\n--------getDefaultValue frequency: %d--------\n"},
    {7, "\n--------getDefaultValue TrackingActive: %d--------\n"},
};

int readFromCamera(const ControlAccess& access, UvcCamera& camera, UVCXUManager& xu) {
    switch (access.route) {
        case Route::Standard:
            return access.automaticFlag ? camera.getFlags(access.property) : camera.getValue(access.property);
        case Route::KernelStreaming:
            return camera.getKsValue(access.property);
        case Route::Vendor:
            return access.readVendor(xu);
    }
    return 0;
}

std::vector<const ControlRow*> rowsOfGroup(int group) {
    std::vector<const ControlRow*> rows;
    for (const ControlRow& row : controlTable()) {
        if (row.read.group == group)
            rows.push_back(&row);
    }
    std::sort(rows.begin(), rows.end(),
              [](const ControlRow* a, const ControlRow* b) { return a->read.place < b->read.place; });
    return rows;
}

// The group's lines with its recorded values in place of their "%d"s.
void logGroup(int group, const std::vector<int>& values) {
    std::size_t next = 0;
    for (const GroupLine& line : kGroupLines) {
        if (line.group != group)
            continue;
        std::string text = line.format;
        for (std::size_t at = text.find("%d"); at != std::string::npos && next < values.size();
             at = text.find("%d", at)) {
            const std::string number = std::to_string(values[next++]);
            text.replace(at, 2, number);
            at += number.size();
        }
        debugLog("%s", text.c_str());
    }
}
}  // namespace

bool readCameraValues(UvcCamera& camera, UVCXUManager& xu, CurrentValues& values) {
    for (int group = 1; group <= kReadGroups; ++group) {
        if (quitRequested())
            return false;
        std::vector<int> recorded;
        for (const ControlRow* row : rowsOfGroup(group)) {
            recordValue(*row, readFromCamera(row->access, camera, xu), values);
            recorded.push_back((values.*row->field).load());
        }
        logGroup(group, recorded);
    }

    if (quitRequested())
        return false;
    xu.getFwVersion(values.fwVersion);
    xu.getSerialNumber(values.serialNumber);
    debugLog("\n--------getDefaultValue fwVer: %s ,sn:%s --------\n", values.fwVersion, values.serialNumber);
    debugLog("\n--------getDefaultValue info: %d --------\n", values.info.load());

    if (quitRequested())
        return false;
    values.transferSize = static_cast<int32_t>(xu.getTransferSize());
    return true;
}
