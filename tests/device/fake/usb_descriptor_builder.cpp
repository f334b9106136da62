#include "device/fake/usb_descriptor_builder.h"

namespace device::v4l2 {

std::vector<uint8_t> typicalCameraDescriptors(const GuidBytes& guid) {
    const GuidBytes foreign = {0x41, 0x76, 0x9E, 0xA2, 0x04, 0xDE, 0xE3, 0x47,
                               0x8B, 0x2B, 0xF4, 0x34, 0x1A, 0xFF, 0x00, 0x3B};
    return UsbDescriptorBuilder()
        .device(0x2e7e, 0x0801)
        .configuration()
        .raw({8, 0x0B, 0, 2, 0x0E, 0x03, 0, 0})  // interface association
        .videoControlInterface(0)
        .vcHeader()
        .inputTerminal(1)
        .processingUnit(2, 1)
        .extensionUnit(3, foreign, 2)
        .extensionUnit(4, guid, 3)
        .outputTerminal(5, 4)
        .raw({7, 0x05, 0x83, 0x03, 0x10, 0x00, 0x06})  // interrupt endpoint
        .videoStreamingInterface(1)
        .raw({14, 0x24, 0x01, 1, 0, 0, 0x81, 0, 5, 0, 0, 0, 1, 0})  // VS input header
        .vsFormatMjpeg()
        .bytes();
}

}  // namespace device::v4l2
