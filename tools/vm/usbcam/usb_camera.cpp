#include "usb_camera.h"

#include <algorithm>

namespace usbcam {
namespace {

enum : uint8_t {
    kGetStatus = 0x00,
    kClearFeature = 0x01,
    kSetFeature = 0x03,
    kGetDescriptor = 0x06,
    kGetConfiguration = 0x08,
    kSetConfiguration = 0x09,
    kGetInterface = 0x0A,
    kSetInterface = 0x0B,
};
constexpr uint8_t kTypeMask = 0x60;
constexpr uint8_t kTypeStandard = 0x00;
constexpr uint8_t kTypeClass = 0x20;
constexpr uint8_t kRecipientMask = 0x1F;
constexpr uint8_t kRecipientInterface = 0x01;
constexpr uint8_t kRecipientEndpoint = 0x02;

uint16_t le16(const uint8_t* p) {
    return uint16_t(p[0] | p[1] << 8);
}

ControlAnswer stalled() {
    ControlAnswer a;
    a.stall = true;
    return a;
}

}  // namespace

UsbCamera::UsbCamera(const device::sim::SimOptions& options)
    : model_(options),
      descriptors_(buildCameraDescriptors(options.serialNumber, 0x0100)),
      stream_(descriptors_),
      units_(model_) {}

void UsbCamera::plugged() {
    configuration_ = 0;
    stream_.stop();
}

ControlAnswer UsbCamera::control(const uint8_t* setup, const std::vector<uint8_t>& out) {
    const uint8_t type = setup[0];
    const uint8_t request = setup[1];
    const uint16_t value = le16(setup + 2);
    const uint16_t index = le16(setup + 4);
    const uint16_t length = le16(setup + 6);
    ControlAnswer a;
    if ((type & kTypeMask) == kTypeStandard) {
        a = standardRequest(request, value, index);
        // The host stops a bulk stream with CLEAR_FEATURE(ENDPOINT_HALT) on its endpoint.
        if (!a.stall &&
            ((request == kClearFeature && (type & kRecipientMask) == kRecipientEndpoint &&
              (index & 0xFF) == kStreamingEndpoint) ||
             (request == kSetInterface && index == kStreamingInterface) || request == kSetConfiguration)) {
            a.streamStopped = stream_.streaming();
            stream_.stop();
        }
    } else if ((type & kTypeMask) == kTypeClass && (type & kRecipientMask) == kRecipientInterface) {
        const uint8_t interface = uint8_t(index & 0xFF);
        const uint8_t entity = uint8_t(index >> 8);
        const uint8_t selector = uint8_t(value >> 8);
        if (interface == kControlInterface) {
            UnitAnswer u = units_.request(entity, selector, request, out);
            a.stall = u.stall;
            a.data = std::move(u.data);
            a.action = u.action;
        } else if (interface == kStreamingInterface && entity == 0) {
            a.stall = !stream_.request(selector, request, out, a.data);
        } else {
            a.stall = true;
        }
    } else {
        a.stall = true;
    }
    if (a.data.size() > length)
        a.data.resize(length);
    return a;
}

ControlAnswer UsbCamera::standardRequest(uint8_t request, uint16_t value, uint16_t index) {
    ControlAnswer a;
    switch (request) {
        case kGetStatus:
            a.data = {0, 0};
            return a;
        case kClearFeature:
        case kSetFeature:
            return a;
        case kGetDescriptor: {
            const uint8_t kind = uint8_t(value >> 8);
            if (kind == 0x01)
                a.data = descriptors_.device;
            else if (kind == 0x02 && (value & 0xFF) == 0)
                a.data = descriptors_.configuration;
            else if (kind == 0x03)
                a.data = descriptors_.string(uint8_t(value & 0xFF));
            if (a.data.empty())
                return stalled();  // no qualifier or other-speed configuration: high speed only
            return a;
        }
        case kGetConfiguration:
            a.data = {configuration_};
            return a;
        case kSetConfiguration:
            if (value > 1)
                return stalled();
            configuration_ = uint8_t(value);
            return a;
        case kGetInterface:
            a.data = {0};
            return a;
        case kSetInterface:
            // One alternate setting per interface: the bulk endpoint needs no bandwidth choice.
            return value == 0 && index <= kStreamingInterface ? a : stalled();
        default:
            return stalled();
    }
}

std::vector<uint8_t> UsbCamera::renderFrame(long number, double seconds) {
    const StreamFrame& f = stream_.frame();
    if (!picture_ || picture_->width() != f.width || picture_->height() != f.height)
        picture_ = std::make_unique<device::sim::TestPicture>(f.width, f.height, "Lumora X8 USB");
    picture_->render(model_.picture(), number, seconds);
    std::vector<uint8_t> bytes;
    const size_t length = f.mjpeg ? encoder_.jpeg(*picture_, bytes) : encoder_.yuy2(*picture_, bytes);
    bytes.resize(length);
    return bytes;
}

}  // namespace usbcam
