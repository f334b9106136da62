#pragma once
// Payload layouts of the firmware transfer controls. Numbers are little-endian.
//  - transfer info block (selector 16), 256 bytes: byte 0 kind (2 announces a block,
//    0 closes it), bytes 4..7 the block's byte count, everything else 0;
//  - data packet (selector 17), exactly the transfer size long: bytes 0..3 offset within
//    the block, bytes 4..5 number of data bytes, bytes 6..7 zero, data from byte 8, zero tail.
#include <array>
#include <cstdint>
#include <vector>

constexpr uint8_t kXuTransferAnnounce = 2;
constexpr uint8_t kXuTransferClose = 0;
constexpr uint32_t kXuPacketHeaderLength = 8;

std::array<uint8_t, 256> makeXuTransferInfo(uint8_t kind, int32_t byteCount);

// Data bytes one packet of transferSize bytes carries (0 when transferSize is too small).
uint32_t xuPacketCapacity(uint32_t transferSize);

// A packet of transferSize bytes carrying count bytes from data; empty when they do not
// fit (count > transferSize - 8 or more than 65535).
std::vector<uint8_t> makeXuTransferPacket(int32_t offset, const uint8_t* data, uint32_t count,
                                          uint32_t transferSize);

void putLittleEndian32(uint8_t* out, uint32_t value);
void putLittleEndian16(uint8_t* out, uint16_t value);
