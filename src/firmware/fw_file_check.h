#pragma once
// What the host checks of a firmware file before any of it goes to the camera: only what
// it can know without reading the image, whose format is the camera's. The path must open
// as a regular file whose size the transfer can carry: at least the 128 bytes of the
// header packet that the camera reads first, at most what the signed 32-bit image size of
// the update mode command holds. Whether the bytes are an image the camera accepts, the
// camera says (status 15 when it does not).
#include <QString>
#include <cstdint>

// The first packet carries this many bytes of the file: the camera reads the header there.
constexpr int kFirmwareHeaderBytes = 128;
// The update mode command announces the image size as a signed 32-bit number.
constexpr int64_t kFirmwareMaxFileBytes = INT32_MAX;

enum class FileProblem {
    None,
    Unreadable,  // missing, no permission, or a read error
    NotAFile,    // a directory, a device, a pipe: not a regular file
    Empty,       // zero bytes
    TooShort,    // shorter than the header packet
    TooLarge,    // larger than the update mode command can announce
};

struct FirmwareFileCheck {
    FileProblem problem = FileProblem::Unreadable;
    int64_t size = 0;

    bool ok() const { return problem == FileProblem::None; }
};

FirmwareFileCheck checkFirmwareFile(const QString& path);

// Short name of a problem for the log and the command line.
const char* fileProblemName(FileProblem problem);
