#pragma once
// Builds the raw USB descriptors of a video-class camera as sysfs hands them out
// (device descriptor, then the configuration with its interfaces), for the fake
// uvcvideo and the tests of the descriptor walk.
#include <cstdint>
#include <vector>

#include "device/v4l2/uvc_descriptors.h"

namespace device::v4l2 {

class UsbDescriptorBuilder {
public:
    UsbDescriptorBuilder& device(uint16_t vid, uint16_t pid);
    UsbDescriptorBuilder& configuration();
    UsbDescriptorBuilder& interface(uint8_t number, uint8_t cls, uint8_t subclass);
    UsbDescriptorBuilder& videoControlInterface(uint8_t number) { return interface(number, 0x0E, 0x01); }
    UsbDescriptorBuilder& videoStreamingInterface(uint8_t number) { return interface(number, 0x0E, 0x02); }
    UsbDescriptorBuilder& vcHeader();
    UsbDescriptorBuilder& inputTerminal(uint8_t id);
    UsbDescriptorBuilder& processingUnit(uint8_t id, uint8_t source);
    UsbDescriptorBuilder& extensionUnit(uint8_t id, const GuidBytes& guid, uint8_t source,
                                        uint8_t controlBytes = 3);
    UsbDescriptorBuilder& outputTerminal(uint8_t id, uint8_t source);
    // A VideoStreaming MJPEG format descriptor: CS_INTERFACE subtype 0x06 like an extension unit.
    UsbDescriptorBuilder& vsFormatMjpeg();
    UsbDescriptorBuilder& raw(const std::vector<uint8_t>& bytes);

    // The blob; the configuration's wTotalLength covers everything after it.
    std::vector<uint8_t> bytes() const;

private:
    std::vector<uint8_t> bytes_;
    size_t configOffset_ = size_t(-1);
};

// A camera with the usual units: camera terminal 1, processing unit 2, a foreign
// extension unit 3, extension unit 4 of guid, output terminal 5, and a streaming
// interface behind them.
std::vector<uint8_t> typicalCameraDescriptors(const GuidBytes& guid, uint16_t vid = 0x2e7e,
                                              uint16_t pid = 0x0801);

}  // namespace device::v4l2
