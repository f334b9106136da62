#pragma once
// The host's check of a firmware image file before any of it goes to the camera: the
// 128-byte header (magic, header checksum, model), the image size it announces against
// the file's size, and the payload checksum. The file is read in pieces, never held whole.
//
//   offset  size  content
//        0     8  magic "LX8FWIMG"
//        8     4  header version word, little-endian: formal << 24 | major << 12 | minor
//       12    32  version text, NUL-padded
//       44     4  image size in bytes, header included
//       48     4  CRC-32 of the payload (bytes 128 .. end)
//       52    32  model name, NUL-padded ("Lumora X8")
//       84    40  reserved
//      124     4  CRC-32 of header bytes 0 .. 123
#include <QString>
#include <cstddef>
#include <cstdint>

constexpr int kFirmwareHeaderBytes = 128;

enum class ImageProblem {
    None,
    Unreadable,    // missing, no permission, or a read error
    NotAFile,      // a directory or another non-regular file
    Empty,         // zero bytes
    Truncated,     // shorter than its header, or than the size the header announces
    NotAnImage,    // wrong magic or header checksum
    OtherModel,    // a valid image for another camera model
    SizeMismatch,  // longer than the header announces, or too large for the camera
    Damaged,       // payload checksum mismatch
};

struct ImageCheck {
    ImageProblem problem = ImageProblem::Unreadable;
    int64_t fileSize = 0;
    uint32_t headerVersion = 0;  // valid when the header was read

    bool ok() const { return problem == ImageProblem::None; }
};

ImageCheck checkFirmwareImage(const QString& path);

// Short name of a problem for the log.
const char* imageProblemName(ImageProblem problem);

// CRC-32 (IEEE 802.3, reflected, as zlib computes it), continued from crc.
uint32_t firmwareCrc32(const uint8_t* data, size_t length, uint32_t crc = 0);
