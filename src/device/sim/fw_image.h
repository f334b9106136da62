#pragma once
// The simulated camera's firmware image format. An image is a 128-byte header followed by
// the payload; the camera reads the header during the update check and verifies the
// whole image when its last block arrives.
//
//   offset  size  content
//        0     8  magic "LX8FWIMG"
//        8     4  header version word V, little-endian: formal << 24 | major << 12 | minor
//       12    32  version text, NUL-padded (e.g. "1.2.4"; empty: derived from V)
//       44     4  image size in bytes, header included, little-endian
//       48     4  CRC-32 of the payload (bytes 128 .. end), little-endian
//       52    32  model name, NUL-padded ("Lumora X8")
//       84    40  reserved, zero
//      124     4  CRC-32 of header bytes 0 .. 123, little-endian
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace device::sim {

constexpr size_t kFwHeaderSize = 128;
constexpr char kFwMagic[] = "LX8FWIMG";
constexpr char kFwModel[] = "Lumora X8";

// Little-endian 32-bit words, as the image header and the extension unit's payloads carry them.
inline uint32_t getLe32(const uint8_t* p) {
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}
inline void putLe32(uint8_t* p, uint32_t v) {
    for (int i = 0; i < 4; ++i)
        p[i] = uint8_t(v >> (8 * i));
}

struct FwHeader {
    uint32_t headerVersion = 0;
    std::string versionText;
    uint32_t imageSize = 0;
    uint32_t payloadCrc = 0;
    std::string model;
};

// CRC-32 (IEEE 802.3, reflected, as zlib computes it), continued from crc.
uint32_t crc32(const uint8_t* data, size_t length, uint32_t crc = 0);

uint32_t makeHeaderVersion(uint32_t formal, uint32_t major, uint32_t minor);
// "formal.major.minor" of a header version word.
std::string headerVersionText(uint32_t headerVersion);

// Parses the first 128 bytes; false (with why) when the magic, the header checksum or the
// model is wrong.
bool parseFwHeader(const uint8_t* header, FwHeader& out, std::string& why);

// Builds a complete image: header for the given version, then the payload.
std::vector<uint8_t> buildFwImage(uint32_t headerVersion, const std::string& versionText,
                                  const std::vector<uint8_t>& payload);

}  // namespace device::sim
