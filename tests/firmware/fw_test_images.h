#pragma once
// Firmware image files for the update tests, in a temporary folder: valid images of a
// version and size, and the ways a file can fail to be one; and the engine's fast timing.
#include <QDir>
#include <QFile>
#include <QString>
#include <QTemporaryDir>
#include <cstring>
#include <string>
#include <vector>

#include "device/sim/fw_image.h"
#include "firmware/update_fw_by_usb_func.h"

namespace fwtest {

inline std::vector<uint8_t> payloadOf(size_t n) {
    std::vector<uint8_t> p(n);
    uint32_t x = 2463534242u;
    for (auto& b : p) {
        x ^= x << 13;
        x ^= x >> 17;
        x ^= x << 5;
        b = uint8_t(x);
    }
    return p;
}

// A valid image of `size` bytes (header included) for formal.major.minor; the camera
// reports `text` after the update (empty: "formal.major.minor").
inline std::vector<uint8_t> imageOf(int formal, int major, int minor, size_t size,
                                    const std::string& text = std::string()) {
    using namespace device::sim;
    return buildFwImage(makeHeaderVersion(uint32_t(formal), uint32_t(major), uint32_t(minor)), text,
                        payloadOf(size - kFwHeaderSize));
}

inline QString writeFile(const QTemporaryDir& dir, const QString& name, const std::vector<uint8_t>& bytes) {
    const QString path = QDir(dir.path()).filePath(name);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return QString();
    file.write(reinterpret_cast<const char*>(bytes.data()), qint64(bytes.size()));
    return path;
}

// Fast polls and short waits; blocks of at least minBlockBytes.
inline UpdateFWbyUsbFunc::Timing fastTiming(uint32_t minBlockBytes = 0xA00000) {
    UpdateFWbyUsbFunc::Timing t;
    t.devicePollMs = 5;
    t.statusPollMs = 10;
    t.statusTimeoutMs = t.restartTimeoutMs = 500;
    t.minBlockBytes = minBlockBytes;
    return t;
}

}  // namespace fwtest
