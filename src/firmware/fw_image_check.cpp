#include "firmware/fw_image_check.h"

#include <QFile>
#include <QFileInfo>
#include <array>
#include <cstring>
#include <vector>

namespace {
constexpr char kMagic[8] = {'L', 'X', '8', 'F', 'W', 'I', 'M', 'G'};
constexpr char kModel[] = "Lumora X8";
constexpr int kModelOffset = 52;
constexpr int kModelLength = 32;
constexpr int kHeaderCrcOffset = 124;
// The camera refuses images above this size.
constexpr int64_t kMaxImageBytes = 256LL * 1024 * 1024;
constexpr qint64 kReadPiece = 64 * 1024;

uint32_t le32(const uint8_t* p) {
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

std::array<uint32_t, 256> makeCrcTable() {
    std::array<uint32_t, 256> table{};
    for (uint32_t i = 0; i < 256; ++i) {
        uint32_t c = i;
        for (int k = 0; k < 8; ++k)
            c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
        table[i] = c;
    }
    return table;
}
}  // namespace

uint32_t firmwareCrc32(const uint8_t* data, size_t length, uint32_t crc) {
    static const std::array<uint32_t, 256> table = makeCrcTable();
    crc = ~crc;
    for (size_t i = 0; i < length; ++i)
        crc = table[(crc ^ data[i]) & 0xFF] ^ (crc >> 8);
    return ~crc;
}

ImageCheck checkFirmwareImage(const QString& path) {
    ImageCheck check;
    const QFileInfo info(path);
    if (path.isEmpty() || !info.exists())
        return check;  // Unreadable
    if (!info.isFile()) {
        check.problem = ImageProblem::NotAFile;
        return check;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return check;
    check.fileSize = file.size();
    if (check.fileSize == 0) {
        check.problem = ImageProblem::Empty;
        return check;
    }
    uint8_t header[kFirmwareHeaderBytes];
    if (check.fileSize < kFirmwareHeaderBytes) {
        check.problem = ImageProblem::Truncated;
        return check;
    }
    if (file.read(reinterpret_cast<char*>(header), kFirmwareHeaderBytes) != kFirmwareHeaderBytes)
        return check;
    if (std::memcmp(header, kMagic, sizeof kMagic) != 0 ||
        firmwareCrc32(header, kHeaderCrcOffset) != le32(header + kHeaderCrcOffset)) {
        check.problem = ImageProblem::NotAnImage;
        return check;
    }
    check.headerVersion = le32(header + 8);
    char model[kModelLength + 1] = {};
    std::memcpy(model, header + kModelOffset, kModelLength);
    if (std::strcmp(model, kModel) != 0) {
        check.problem = ImageProblem::OtherModel;
        return check;
    }
    const int64_t announced = le32(header + 44);
    if (check.fileSize < announced) {
        check.problem = ImageProblem::Truncated;
        return check;
    }
    if (check.fileSize > announced || check.fileSize > kMaxImageBytes) {
        check.problem = ImageProblem::SizeMismatch;
        return check;
    }
    std::vector<uint8_t> piece(kReadPiece);
    uint32_t crc = 0;
    for (;;) {
        const qint64 n = file.read(reinterpret_cast<char*>(piece.data()), kReadPiece);
        if (n < 0)
            return check;  // Unreadable
        if (n == 0)
            break;
        crc = firmwareCrc32(piece.data(), size_t(n), crc);
    }
    check.problem = crc == le32(header + 48) ? ImageProblem::None : ImageProblem::Damaged;
    return check;
}

const char* imageProblemName(ImageProblem problem) {
    switch (problem) {
        case ImageProblem::None:
            return "valid";
        case ImageProblem::Unreadable:
            return "unreadable";
        case ImageProblem::NotAFile:
            return "not a file";
        case ImageProblem::Empty:
            return "empty";
        case ImageProblem::Truncated:
            return "truncated";
        case ImageProblem::NotAnImage:
            return "not an image";
        case ImageProblem::OtherModel:
            return "other model";
        case ImageProblem::SizeMismatch:
            return "size mismatch";
        case ImageProblem::Damaged:
            return "checksum mismatch";
    }
    return "?";
}
