#include "usbip_wire.h"

#include <cstring>

namespace usbcam {
namespace {

uint32_t be32(const uint8_t* p) {
    return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | uint32_t(p[3]);
}
void putBe32(std::vector<uint8_t>& b, size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i)
        b[at + size_t(i)] = uint8_t(v >> (24 - 8 * i));
}
std::vector<uint8_t> answerHeader(uint32_t command, const UsbipCommand& cmd, int32_t status) {
    std::vector<uint8_t> b(kUsbipHeaderSize, 0);
    putBe32(b, 0, command);
    putBe32(b, 4, cmd.seqnum);
    putBe32(b, 20, uint32_t(status));
    return b;
}

}  // namespace

bool parseCommand(const uint8_t* h, UsbipCommand& c) {
    c = UsbipCommand{};
    c.command = be32(h);
    c.seqnum = be32(h + 4);
    c.devid = be32(h + 8);
    c.direction = be32(h + 12);
    c.endpoint = be32(h + 16);
    if (c.command == kCmdSubmit) {
        c.transferFlags = be32(h + 20);
        c.length = be32(h + 24);
        std::memcpy(c.setup, h + 40, 8);
        return (c.direction == kDirIn || c.direction == kDirOut) && c.endpoint < 16 &&
               c.length <= kMaxTransferLength;
    }
    if (c.command == kCmdUnlink) {
        c.unlinkSeqnum = be32(h + 20);
        return true;
    }
    return false;
}

std::vector<uint8_t> submitAnswer(const UsbipCommand& cmd, int32_t status, const uint8_t* data,
                                  uint32_t length) {
    std::vector<uint8_t> b = answerHeader(kRetSubmit, cmd, status);
    putBe32(b, 24, length);  // actual_length
    if (cmd.direction == kDirIn && length > 0)
        b.insert(b.end(), data, data + length);
    return b;
}

std::vector<uint8_t> unlinkAnswer(const UsbipCommand& cmd, int32_t status) {
    return answerHeader(kRetUnlink, cmd, status);
}

}  // namespace usbcam
