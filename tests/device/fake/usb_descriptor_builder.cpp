#include "device/fake/usb_descriptor_builder.h"

namespace device::v4l2 {

UsbDescriptorBuilder& UsbDescriptorBuilder::device(uint16_t vid, uint16_t pid) {
    return raw({18, 0x01, 0x00, 0x02, 0xEF, 0x02, 0x01, 64, uint8_t(vid), uint8_t(vid >> 8), uint8_t(pid),
                uint8_t(pid >> 8), 0x00, 0x01, 1, 2, 3, 1});
}

UsbDescriptorBuilder& UsbDescriptorBuilder::configuration() {
    configOffset_ = bytes_.size();
    return raw({9, 0x02, 0, 0, 2, 1, 0, 0x80, 250});
}

UsbDescriptorBuilder& UsbDescriptorBuilder::interface(uint8_t number, uint8_t cls, uint8_t subclass) {
    return raw({9, 0x04, number, 0, 0, cls, subclass, 0, 0});
}

UsbDescriptorBuilder& UsbDescriptorBuilder::vcHeader() {
    return raw({13, 0x24, 0x01, 0x10, 0x01, 0x4D, 0x00, 0x80, 0x8D, 0x5B, 0x00, 1, 1});
}

UsbDescriptorBuilder& UsbDescriptorBuilder::inputTerminal(uint8_t id) {
    return raw({18, 0x24, 0x02, id, 0x01, 0x02, 0, 0, 0, 0, 0, 0, 0, 0, 0, 3, 0x0A, 0x00});
}

UsbDescriptorBuilder& UsbDescriptorBuilder::processingUnit(uint8_t id, uint8_t source) {
    return raw({11, 0x24, 0x05, id, source, 0, 0, 2, 0x7F, 0x15, 0});
}

UsbDescriptorBuilder& UsbDescriptorBuilder::extensionUnit(uint8_t id, const GuidBytes& guid, uint8_t source,
                                                          uint8_t controlBytes) {
    std::vector<uint8_t> d(size_t(25) + controlBytes, 0);
    d[0] = uint8_t(d.size());
    d[1] = 0x24;
    d[2] = 0x06;
    d[3] = id;
    for (size_t i = 0; i < guid.size(); ++i)
        d[4 + i] = guid[i];
    d[20] = 17;  // bNumControls
    d[21] = 1;   // bNrInPins
    d[22] = source;
    d[23] = controlBytes;
    for (size_t i = 0; i < controlBytes; ++i)
        d[24 + i] = 0xFF;
    return raw(d);
}

UsbDescriptorBuilder& UsbDescriptorBuilder::outputTerminal(uint8_t id, uint8_t source) {
    return raw({9, 0x24, 0x03, id, 0x01, 0x01, 0, source, 0});
}

UsbDescriptorBuilder& UsbDescriptorBuilder::vsFormatMjpeg() {
    return raw({11, 0x24, 0x06, 1, 1, 0x01, 1, 0, 0, 0, 0});
}

UsbDescriptorBuilder& UsbDescriptorBuilder::raw(const std::vector<uint8_t>& bytes) {
    bytes_.insert(bytes_.end(), bytes.begin(), bytes.end());
    return *this;
}

std::vector<uint8_t> UsbDescriptorBuilder::bytes() const {
    std::vector<uint8_t> out = bytes_;
    if (configOffset_ != size_t(-1) && configOffset_ + 4 <= out.size()) {
        const size_t total = out.size() - configOffset_;
        out[configOffset_ + 2] = uint8_t(total);
        out[configOffset_ + 3] = uint8_t(total >> 8);
    }
    return out;
}

std::vector<uint8_t> typicalCameraDescriptors(const GuidBytes& guid, uint16_t vid, uint16_t pid) {
    const GuidBytes foreign = {0x41, 0x76, 0x9E, 0xA2, 0x04, 0xDE, 0xE3, 0x47,
                               0x8B, 0x2B, 0xF4, 0x34, 0x1A, 0xFF, 0x00, 0x3B};
    return UsbDescriptorBuilder()
        .device(vid, pid)
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
