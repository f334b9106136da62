#pragma once
// Builds the raw USB descriptors of a video-class camera as sysfs hands them out (device
// descriptor, then the configuration with its interfaces), for the fake uvcvideo and the
// tests of the descriptor walk.
#include <cstdint>
#include <vector>

#include "device/v4l2/uvc_descriptors.h"

namespace device::v4l2 {

class UsbDescriptorBuilder {
public:
    UsbDescriptorBuilder& device(uint16_t vid, uint16_t pid) {
        return raw({18, 0x01, 0x00, 0x02, 0xEF, 0x02, 0x01, 64, uint8_t(vid), uint8_t(vid >> 8), uint8_t(pid),
                    uint8_t(pid >> 8), 0x00, 0x01, 1, 2, 3, 1});
    }
    UsbDescriptorBuilder& configuration() {
        configOffset_ = bytes_.size();
        return raw({9, 0x02, 0, 0, 2, 1, 0, 0x80, 250});
    }
    UsbDescriptorBuilder& interface(uint8_t number, uint8_t cls, uint8_t subclass) {
        return raw({9, 0x04, number, 0, 0, cls, subclass, 0, 0});
    }
    UsbDescriptorBuilder& videoControlInterface(uint8_t number) { return interface(number, 0x0E, 0x01); }
    UsbDescriptorBuilder& videoStreamingInterface(uint8_t number) { return interface(number, 0x0E, 0x02); }
    UsbDescriptorBuilder& vcHeader() {
        return raw({13, 0x24, 0x01, 0x10, 0x01, 0x4D, 0x00, 0x80, 0x8D, 0x5B, 0x00, 1, 1});
    }
    UsbDescriptorBuilder& inputTerminal(uint8_t id) {
        return raw({18, 0x24, 0x02, id, 0x01, 0x02, 0, 0, 0, 0, 0, 0, 0, 0, 0, 3, 0x0A, 0x00});
    }
    UsbDescriptorBuilder& processingUnit(uint8_t id, uint8_t source) {
        return raw({11, 0x24, 0x05, id, source, 0, 0, 2, 0x7F, 0x15, 0});
    }
    // 17 controls, one input pin, controlBytes bytes of bmControls all set.
    UsbDescriptorBuilder& extensionUnit(uint8_t id, const GuidBytes& guid, uint8_t source,
                                        uint8_t controlBytes = 3) {
        std::vector<uint8_t> d = {uint8_t(25 + controlBytes), 0x24, 0x06, id};
        d.insert(d.end(), guid.begin(), guid.end());
        d.insert(d.end(), {17, 1, source, controlBytes});
        d.resize(d.size() + controlBytes, 0xFF);
        return raw(d).raw({0});  // iExtension
    }
    UsbDescriptorBuilder& outputTerminal(uint8_t id, uint8_t source) {
        return raw({9, 0x24, 0x03, id, 0x01, 0x01, 0, source, 0});
    }
    // A VideoStreaming MJPEG format descriptor: CS_INTERFACE subtype 0x06 like an extension unit.
    UsbDescriptorBuilder& vsFormatMjpeg() { return raw({11, 0x24, 0x06, 1, 1, 0x01, 1, 0, 0, 0, 0}); }
    UsbDescriptorBuilder& raw(const std::vector<uint8_t>& bytes) {
        bytes_.insert(bytes_.end(), bytes.begin(), bytes.end());
        return *this;
    }

    // The blob; the configuration's wTotalLength covers everything after it.
    std::vector<uint8_t> bytes() const {
        std::vector<uint8_t> out = bytes_;
        if (out.size() >= 4 && configOffset_ <= out.size() - 4) {
            out[configOffset_ + 2] = uint8_t(out.size() - configOffset_);
            out[configOffset_ + 3] = uint8_t((out.size() - configOffset_) >> 8);
        }
        return out;
    }

private:
    std::vector<uint8_t> bytes_;
    size_t configOffset_ = size_t(-1);
};

// The Lumora X8 (2e7e:0801) with the usual units: camera terminal 1, processing unit 2, a
// foreign extension unit 3, extension unit 4 of guid, output terminal 5, and a streaming
// interface behind them.
std::vector<uint8_t> typicalCameraDescriptors(const GuidBytes& guid);

}  // namespace device::v4l2
