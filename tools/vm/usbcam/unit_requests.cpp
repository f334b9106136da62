#include "unit_requests.h"

#include "camera_descriptors.h"
#include "device/v4l2/control_map.h"

namespace usbcam {
namespace {

using device::ControlGroup;
using device::ControlRange;
using device::sim::ControlState;
using device::v4l2::ControlUnit;

enum class Kind { Plain, WhiteBalanceAuto, ExposureMode, ExposureTime, PanTilt, PowerLine };

struct Standard {
    uint8_t entity, selector, size;
    Kind kind;
    ControlGroup group;
    long property;
};

constexpr auto P = ControlGroup::VideoProcAmp;
constexpr auto C = ControlGroup::CameraControl;

// The controls the camera terminal and the processing unit announce in bmControls.
const Standard kStandard[] = {
    {kProcessingUnitId, 0x01, 2, Kind::Plain, P, device::kProcBacklightCompensation},
    {kProcessingUnitId, 0x02, 2, Kind::Plain, P, device::kProcBrightness},
    {kProcessingUnitId, 0x03, 2, Kind::Plain, P, device::kProcContrast},
    {kProcessingUnitId, 0x04, 2, Kind::Plain, P, device::kProcGain},
    {kProcessingUnitId, 0x05, 1, Kind::PowerLine, P, device::kKsPowerlineFrequency},
    {kProcessingUnitId, 0x06, 2, Kind::Plain, P, device::kProcHue},
    {kProcessingUnitId, 0x07, 2, Kind::Plain, P, device::kProcSaturation},
    {kProcessingUnitId, 0x08, 2, Kind::Plain, P, device::kProcSharpness},
    {kProcessingUnitId, 0x09, 2, Kind::Plain, P, device::kProcGamma},
    {kProcessingUnitId, 0x0A, 2, Kind::Plain, P, device::kProcWhiteBalance},
    {kProcessingUnitId, 0x0B, 1, Kind::WhiteBalanceAuto, P, device::kProcWhiteBalance},
    {kCameraTerminalId, 0x02, 1, Kind::ExposureMode, C, device::kCamExposure},
    {kCameraTerminalId, 0x04, 4, Kind::ExposureTime, C, device::kCamExposure},
    {kCameraTerminalId, 0x0B, 2, Kind::Plain, C, device::kCamZoom},
    {kCameraTerminalId, 0x0D, 8, Kind::PanTilt, C, device::kCamPan},
};

// Auto-exposure mode bits: manual, and aperture priority (the exposure time is the camera's).
constexpr int64_t kAeManual = 0x01;
constexpr int64_t kAeAperturePriority = 0x08;
// Power-line frequency of this video-class version: 0 off, 1 50 Hz, 2 60 Hz.
constexpr int64_t kPowerLineMax = 2;

void putLe(std::vector<uint8_t>& out, int64_t v, size_t bytes) {
    for (size_t i = 0; i < bytes; ++i)
        out.push_back(uint8_t(uint64_t(v) >> (8 * i)));
}
int64_t getLe(const uint8_t* p, size_t bytes, bool isSigned) {
    uint64_t v = 0;
    for (size_t i = 0; i < bytes; ++i)
        v |= uint64_t(p[i]) << (8 * i);
    if (isSigned && bytes < 8 && (v >> (8 * bytes - 1)) & 1)
        v |= ~uint64_t(0) << (8 * bytes);
    return int64_t(v);
}

// min, max, res, def or cur of a range and a state, by request code.
int64_t pick(uint8_t request, const ControlRange& r, int64_t cur) {
    switch (request) {
        case kGetMin:
            return r.min;
        case kGetMax:
            return r.max;
        case kGetRes:
            return r.step;
        case kGetDef:
            return r.def;
        default:
            return cur;
    }
}

}  // namespace

UnitAnswer UnitRequests::stall(uint8_t error) {
    error_ = error;
    UnitAnswer a;
    a.stall = true;
    return a;
}

UnitAnswer UnitRequests::request(uint8_t entity, uint8_t selector, uint8_t request,
                                 const std::vector<uint8_t>& sent) {
    if (entity == 0) {
        // The interface's own controls: only the request error code.
        if (selector != 0x02 || (request != kGetCur && request != kGetInfo))
            return stall(kErrorInvalidControl);
        UnitAnswer a;
        a.data = {request == kGetInfo ? uint8_t(0x01) : error_};
        return a;
    }
    UnitAnswer a = entity == kExtensionUnitId ? extension(selector, request, sent)
                                              : standard(entity, selector, request, sent);
    if (!a.stall)
        error_ = kErrorNone;
    return a;
}

UnitAnswer UnitRequests::standard(uint8_t entity, uint8_t selector, uint8_t request,
                                  const std::vector<uint8_t>& sent) {
    if (entity != kCameraTerminalId && entity != kProcessingUnitId)
        return stall(kErrorInvalidUnit);
    const Standard* s = nullptr;
    for (const Standard& candidate : kStandard)
        if (candidate.entity == entity && candidate.selector == selector)
            s = &candidate;
    if (!s)
        return stall(kErrorInvalidControl);
    device::sim::ControlTable& table = model_.controls;
    UnitAnswer a;
    if (request == kGetInfo) {
        a.data = {0x03};  // GET and SET
        return a;
    }
    if (request == kGetLen) {
        putLe(a.data, s->size, 2);
        return a;
    }
    ControlRange range;
    const ControlState now = s->kind == Kind::PowerLine
                                 ? ControlState{table.powerLine(), device::kFlagsManual}
                                 : table.state(s->group, s->property);
    if (s->kind != Kind::PowerLine)
        table.range(s->group, s->property, range);
    const bool hasAuto = range.caps & device::kFlagsAuto;

    if (request != kSetCur) {
        switch (s->kind) {
            case Kind::Plain:
                putLe(a.data, pick(request, range, now.value), s->size);
                break;
            case Kind::PowerLine: {
                const ControlRange lines{0, kPowerLineMax, 1, device::sim::ControlTable::lumora().powerLine(),
                                         0};
                putLe(a.data, pick(request, lines, now.value), 1);
                break;
            }
            case Kind::WhiteBalanceAuto: {
                const ControlRange flag{0, 1, 1, hasAuto ? 1 : 0, 0};
                putLe(a.data, pick(request, flag, now.flags == device::kFlagsAuto), 1);
                break;
            }
            case Kind::ExposureMode: {
                // GET_RES answers the modes the camera offers.
                const int64_t modes = kAeManual | (hasAuto ? kAeAperturePriority : 0);
                const ControlRange mode{kAeManual, kAeAperturePriority, modes,
                                        hasAuto ? kAeAperturePriority : kAeManual, 0};
                putLe(a.data,
                      pick(request, mode, now.flags == device::kFlagsAuto ? kAeAperturePriority : kAeManual),
                      1);
                break;
            }
            case Kind::ExposureTime: {
                const ControlRange r{device::v4l2::toV4l2Value(ControlUnit::Log2Seconds, range.min),
                                     device::v4l2::toV4l2Value(ControlUnit::Log2Seconds, range.max), 1,
                                     device::v4l2::toV4l2Value(ControlUnit::Log2Seconds, range.def), 0};
                putLe(a.data,
                      pick(request, r, device::v4l2::toV4l2Value(ControlUnit::Log2Seconds, now.value)), 4);
                break;
            }
            case Kind::PanTilt: {
                ControlRange tiltRange;
                table.range(C, device::kCamTilt, tiltRange);
                const long tilt = table.state(C, device::kCamTilt).value;
                const auto arc = [](long degrees) {
                    return device::v4l2::toV4l2Value(ControlUnit::Degrees, degrees);
                };
                putLe(a.data, request == kGetRes ? arc(range.step) : arc(pick(request, range, now.value)), 4);
                putLe(a.data, request == kGetRes ? arc(tiltRange.step) : arc(pick(request, tiltRange, tilt)),
                      4);
                break;
            }
        }
        return a;
    }

    if (sent.size() != s->size)
        return stall(kErrorInvalidRequest);
    device::HResult hr = device::kOk;
    switch (s->kind) {
        case Kind::Plain:
            hr = table.set(s->group, s->property, long(getLe(sent.data(), s->size, true)), now.flags);
            break;
        case Kind::PowerLine:
            if (sent[0] > kPowerLineMax)
                return stall(kErrorOutOfRange);
            hr = table.ksSet(device::kKsPowerlineFrequency, sent[0], device::kFlagsManual);
            break;
        case Kind::WhiteBalanceAuto:
            if (sent[0] > 1)
                return stall(kErrorOutOfRange);
            hr = table.set(s->group, s->property, now.value,
                           sent[0] ? device::kFlagsAuto : device::kFlagsManual);
            break;
        case Kind::ExposureMode:
            if (sent[0] != kAeManual && sent[0] != kAeAperturePriority)
                return stall(kErrorOutOfRange);
            hr = table.set(s->group, s->property, now.value,
                           sent[0] == kAeManual ? device::kFlagsManual : device::kFlagsAuto);
            break;
        case Kind::ExposureTime:
            hr =
                table.set(s->group, s->property,
                          device::v4l2::toProgramValue(ControlUnit::Log2Seconds, getLe(sent.data(), 4, true)),
                          now.flags);
            break;
        case Kind::PanTilt: {
            const long pan = device::v4l2::toProgramValue(ControlUnit::Degrees, getLe(sent.data(), 4, true));
            const long tilt =
                device::v4l2::toProgramValue(ControlUnit::Degrees, getLe(sent.data() + 4, 4, true));
            ControlRange tiltRange;
            table.range(C, device::kCamTilt, tiltRange);
            if (pan < range.min || pan > range.max || tilt < tiltRange.min || tilt > tiltRange.max)
                return stall(kErrorOutOfRange);
            table.set(C, device::kCamPan, pan, device::kFlagsManual);
            hr = table.set(C, device::kCamTilt, tilt, device::kFlagsManual);
            break;
        }
    }
    if (device::failed(hr))
        return stall(kErrorOutOfRange);
    return a;
}

UnitAnswer UnitRequests::extension(uint8_t selector, uint8_t request, const std::vector<uint8_t>& sent) {
    device::sim::ExtensionUnit& xu = model_.xu;
    const uint32_t length = xu.controlLength(selector);
    if (length == 0)
        return stall(kErrorInvalidControl);
    const bool readable = device::sim::ExtensionUnit::readable(selector);
    const bool writable = device::sim::ExtensionUnit::writable(selector);
    UnitAnswer a;
    switch (request) {
        case kGetLen:
            putLe(a.data, length, 2);
            return a;
        case kGetInfo:
            a.data = {uint8_t((readable ? 0x01 : 0) | (writable ? 0x02 : 0))};
            return a;
        case kSetCur: {
            if (!writable || sent.size() != length)
                return stall(kErrorInvalidRequest);
            const device::HResult hr = xu.set(selector, sent.data(), length, model_.controls, a.action);
            // A refused value reads as a plain stall to the host (an unknown error code),
            // a request the control does not take as an invalid request.
            if (device::failed(hr))
                return stall(hr == device::kInvalidArg ? kErrorInvalidRequest : kErrorUnknown);
            return a;
        }
        case kGetCur:
        case kGetMin:
        case kGetMax:
        case kGetRes:
        case kGetDef: {
            if (!readable)
                return stall(kErrorInvalidRequest);
            a.data.assign(length, 0);
            if (request != kGetCur)
                return a;
            uint32_t returned = 0;
            const device::HResult hr = xu.get(selector, a.data.data(), length, returned);
            if (device::failed(hr))
                return stall(hr == device::kInvalidArg ? kErrorInvalidRequest : kErrorUnknown);
            return a;
        }
        default:
            return stall(kErrorInvalidRequest);
    }
}

}  // namespace usbcam
