#pragma once
// The class requests of the video-control interface, answered from the camera model: the
// camera terminal's and the processing unit's standard controls (in USB video units,
// converted to and from the model's), the extension unit's selectors, and the request
// error code control that says why the last request stalled.
#include <cstdint>
#include <vector>

#include "device/sim/camera_model.h"

namespace usbcam {

enum : uint8_t {
    kSetCur = 0x01,
    kGetCur = 0x81,
    kGetMin = 0x82,
    kGetMax = 0x83,
    kGetRes = 0x84,
    kGetLen = 0x85,
    kGetInfo = 0x86,
    kGetDef = 0x87,
};

// Request error codes (the request error code control).
enum : uint8_t {
    kErrorNone = 0x00,
    kErrorWrongState = 0x02,
    kErrorOutOfRange = 0x04,
    kErrorInvalidUnit = 0x05,
    kErrorInvalidControl = 0x06,
    kErrorInvalidRequest = 0x07,
    kErrorUnknown = 0xFF,
};

struct UnitAnswer {
    bool stall = false;
    std::vector<uint8_t> data;  // a GET's answer (at most the request's length is sent)
    device::sim::ExtensionUnit::Action action = device::sim::ExtensionUnit::Action::None;
};

class UnitRequests {
public:
    explicit UnitRequests(device::sim::CameraModel& model) : model_(model) {}

    // One class request to the video-control interface: entity (0: the interface itself),
    // selector, request code and, for SET_CUR, the bytes sent.
    UnitAnswer request(uint8_t entity, uint8_t selector, uint8_t request, const std::vector<uint8_t>& sent);
    uint8_t lastError() const { return error_; }

private:
    UnitAnswer standard(uint8_t entity, uint8_t selector, uint8_t request, const std::vector<uint8_t>& sent);
    UnitAnswer extension(uint8_t selector, uint8_t request, const std::vector<uint8_t>& sent);
    UnitAnswer stall(uint8_t error);

    device::sim::CameraModel& model_;
    uint8_t error_ = kErrorNone;
};

}  // namespace usbcam
