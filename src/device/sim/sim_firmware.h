#pragma once
// The camera's side of the firmware transfer over the extension unit: update mode, the
// transfer info block and its status byte, data packets assembled per block, the header
// read, the partial-file reads and the update start. Plain state; the owner guards it.
#include <cstdint>
#include <string>
#include <vector>

#include "device/result.h"
#include "device/sim/fw_image.h"
#include "device/sim/sim_camera.h"

namespace device::sim {

// Camera status values (selector 11).
enum CameraStatus : int {
    kStatusIdle = 0,
    kStatusUpdateMode = 1,
    kStatusHeaderRead = 3,
    kStatusBlockStored = 5,
    kStatusImageStored = 6,
    kStatusFailure = 15,
};

class FirmwareSim {
public:
    FirmwareSim(std::string version, uint32_t transferSize);

    // Selector 4, SET: mode 1 enters update mode for an image of `value` bytes, mode 0
    // leaves it. kInvalidArg for another mode.
    HResult setUpdateMode(uint8_t mode, int32_t value);
    // Selector 16: the info block (kind 2 opens a block, kind 0 closes it) and its status
    // byte (0: the block is open or closed as asked).
    HResult setTransferInfo(const uint8_t* block256);
    uint8_t transferInfoStatus() const { return infoStatus_; }
    // Selector 17, SET: one packet of transferSize bytes (offset, length, data).
    HResult setTransferData(const uint8_t* packet, uint32_t length);
    // Selector 8: SET 1 reads the closed 128-byte block as the image header (status 3, or
    // 15 when it is not a valid header for the announced size); GET answers its version.
    HResult startReadHeader(uint32_t value);
    uint32_t headerVersion() const { return headerAccepted_ ? header_.headerVersion : 0; }
    // Selector 9: stores the closed block of `size` bytes as the next part of the image
    // (status 5; 6 when the image is complete and its checksum matches; else 15).
    HResult startReadPartialFile(uint32_t size);
    // Selector 10: true when the camera now reboots into the new firmware (status 6 was
    // reached); otherwise the status becomes 15. With flashFails the status becomes 15.
    bool startUpdate(bool flashFails);
    // After the reboot: the new version runs (the old one when keepOld), update mode is over.
    void completeReboot(bool keepOld = false);
    // The camera leaves the bus before its answer to a start that reboots it is sent.
    void setStartAnswerLost(bool lost) { startAnswerLost_ = lost; }
    bool startAnswerLost() const { return startAnswerLost_; }

    int status() const { return status_; }
    uint32_t transferSize() const { return transferSize_; }
    const std::string& version() const { return version_; }
    FirmwareState snapshot() const;
    const std::vector<uint8_t>& storedImage() const { return image_; }

private:
    void fail(const std::string& why);
    // Forgets the block being assembled (open, closed or none).
    void dropBlock();

    std::string version_;
    uint32_t transferSize_;
    bool updateMode_ = false;
    int status_ = kStatusIdle;
    uint32_t imageSize_ = 0;
    // The block being assembled.
    bool blockOpen_ = false;
    bool blockClosed_ = false;
    std::vector<uint8_t> block_;
    std::vector<bool> covered_;
    uint32_t coveredBytes_ = 0;
    uint8_t infoStatus_ = 0;
    // The image so far.
    bool headerAccepted_ = false;
    FwHeader header_;
    std::vector<uint8_t> image_;
    uint64_t bytesReceived_ = 0;
    int blocksStored_ = 0;
    std::string pendingVersion_;
    int updatesCompleted_ = 0;
    std::string failureReason_;
    bool startAnswerLost_ = false;
};

}  // namespace device::sim
