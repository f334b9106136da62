#pragma once
// The USB/IP messages between the kernel's virtual host controller (vhci_hcd) and a
// device that serves it: a 48-byte header, big-endian, then the OUT data of a submit or
// the IN data of its answer.
#include <cstddef>
#include <cstdint>
#include <vector>

namespace usbcam {

constexpr size_t kUsbipHeaderSize = 48;
enum : uint32_t { kCmdSubmit = 1, kCmdUnlink = 2, kRetSubmit = 3, kRetUnlink = 4 };
enum : uint32_t { kDirOut = 0, kDirIn = 1 };
// Status values of an answer (negative errno).
constexpr int32_t kStatusStall = -32;      // -EPIPE
constexpr int32_t kStatusUnlinked = -104;  // -ECONNRESET
constexpr uint32_t kMaxTransferLength = 1u << 24;

struct UsbipCommand {
    uint32_t command = 0;
    uint32_t seqnum = 0;
    uint32_t devid = 0;
    uint32_t direction = 0;
    uint32_t endpoint = 0;
    uint32_t transferFlags = 0;  // submit
    uint32_t length = 0;         // submit: transfer_buffer_length
    uint8_t setup[8] = {};       // submit, control endpoint
    uint32_t unlinkSeqnum = 0;   // unlink: the submit to take back

    // The OUT data that follows this header on the wire.
    uint32_t outLength() const { return command == kCmdSubmit && direction == kDirOut ? length : 0; }
};

// false for a header that is no command or asks for an absurd transfer.
bool parseCommand(const uint8_t* header, UsbipCommand& out);
// RET_SUBMIT for cmd: `length` bytes done; for an IN transfer they follow from data.
std::vector<uint8_t> submitAnswer(const UsbipCommand& cmd, int32_t status, const uint8_t* data,
                                  uint32_t length);
std::vector<uint8_t> unlinkAnswer(const UsbipCommand& cmd, int32_t status);

}  // namespace usbcam
