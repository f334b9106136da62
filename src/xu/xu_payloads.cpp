#include "xu/xu_payloads.h"

#include <cstring>

void putLittleEndian32(uint8_t* out, uint32_t value) {
    for (int i = 0; i < 4; ++i) {
        out[i] = uint8_t(value >> (8 * i));
    }
}

void putLittleEndian16(uint8_t* out, uint16_t value) {
    out[0] = uint8_t(value);
    out[1] = uint8_t(value >> 8);
}

std::array<uint8_t, 256> makeXuTransferInfo(uint8_t kind, int32_t byteCount) {
    std::array<uint8_t, 256> block{};
    block[0] = kind;
    putLittleEndian32(block.data() + 4, uint32_t(byteCount));
    return block;
}

uint32_t xuPacketCapacity(uint32_t transferSize) {
    if (transferSize <= kXuPacketHeaderLength) {
        return 0;
    }
    const uint32_t capacity = transferSize - kXuPacketHeaderLength;
    return capacity > 0xFFFF ? 0xFFFF : capacity;
}

std::vector<uint8_t> makeXuTransferPacket(int32_t offset, const uint8_t* data, uint32_t count,
                                          uint32_t transferSize) {
    if (count > xuPacketCapacity(transferSize) || (count > 0 && data == nullptr)) {
        return {};
    }
    std::vector<uint8_t> packet(transferSize, 0);
    putLittleEndian32(packet.data(), uint32_t(offset));
    putLittleEndian16(packet.data() + 4, uint16_t(count));
    if (count > 0) {
        std::memcpy(packet.data() + kXuPacketHeaderLength, data, count);
    }
    return packet;
}
