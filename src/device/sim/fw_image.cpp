#include "device/sim/fw_image.h"

#include <cstring>

namespace device::sim {
namespace {
std::string fixedText(const uint8_t* p, size_t n) {
    size_t len = 0;
    while (len < n && p[len] != 0)
        ++len;
    return std::string(reinterpret_cast<const char*>(p), len);
}
}  // namespace

uint32_t crc32(const uint8_t* data, size_t length, uint32_t crc) {
    static const auto table = [] {
        std::vector<uint32_t> t(256);
        for (uint32_t i = 0; i < 256; ++i) {
            uint32_t c = i;
            for (int k = 0; k < 8; ++k)
                c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            t[i] = c;
        }
        return t;
    }();
    crc = ~crc;
    for (size_t i = 0; i < length; ++i)
        crc = table[(crc ^ data[i]) & 0xFF] ^ (crc >> 8);
    return ~crc;
}

uint32_t makeHeaderVersion(uint32_t formal, uint32_t major, uint32_t minor) {
    return (formal & 0xFF) << 24 | (major & 0xFFF) << 12 | (minor & 0xFFF);
}

std::string headerVersionText(uint32_t v) {
    return std::to_string(v >> 24) + "." + std::to_string((v >> 12) & 0xFFF) + "." +
           std::to_string(v & 0xFFF);
}

bool parseFwHeader(const uint8_t* h, FwHeader& out, std::string& why) {
    if (std::memcmp(h, kFwMagic, 8) != 0) {
        why = "bad magic";
        return false;
    }
    if (crc32(h, 124) != getLe32(h + 124)) {
        why = "bad header checksum";
        return false;
    }
    out.headerVersion = getLe32(h + 8);
    out.versionText = fixedText(h + 12, 32);
    out.imageSize = getLe32(h + 44);
    out.payloadCrc = getLe32(h + 48);
    out.model = fixedText(h + 52, 32);
    if (out.model != kFwModel) {
        why = "image for another model";
        return false;
    }
    if (out.imageSize < kFwHeaderSize) {
        why = "bad image size";
        return false;
    }
    return true;
}

std::vector<uint8_t> buildFwImage(uint32_t headerVersion, const std::string& versionText,
                                  const std::vector<uint8_t>& payload) {
    std::vector<uint8_t> image(kFwHeaderSize + payload.size(), 0);
    uint8_t* h = image.data();
    std::memcpy(h, kFwMagic, 8);
    putLe32(h + 8, headerVersion);
    std::memcpy(h + 12, versionText.data(), std::min<size_t>(versionText.size(), 31));
    putLe32(h + 44, uint32_t(image.size()));
    putLe32(h + 48, crc32(payload.data(), payload.size()));
    std::memcpy(h + 52, kFwModel, sizeof(kFwModel) - 1);
    putLe32(h + 124, crc32(h, 124));
    if (!payload.empty())
        std::memcpy(h + kFwHeaderSize, payload.data(), payload.size());
    return image;
}

}  // namespace device::sim
