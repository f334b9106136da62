#pragma once
// The firmware image header version as the camera answers it: four little-endian bytes
// read as one 32-bit value V; formal = bits 24..31, major = bits 12..23, minor = bits 0..11.
#include <cstdint>

struct XuHeaderVersion {
    uint32_t formal = 0;
    uint32_t major = 0;
    uint32_t minor = 0;
};

inline uint32_t xuHeaderVersionValue(const uint8_t bytes[4]) {
    return uint32_t(bytes[0]) | uint32_t(bytes[1]) << 8 | uint32_t(bytes[2]) << 16 | uint32_t(bytes[3]) << 24;
}

inline XuHeaderVersion decodeXuHeaderVersion(uint32_t value) {
    return XuHeaderVersion{value >> 24, (value >> 12) & 0xFFF, value & 0xFFF};
}

inline XuHeaderVersion decodeXuHeaderVersion(const uint8_t bytes[4]) {
    return decodeXuHeaderVersion(xuHeaderVersionValue(bytes));
}
