#include "device/sim/sim_firmware.h"

#include <cstring>

namespace device::sim {
namespace {
constexpr uint32_t kMaxBlock = 64u * 1024 * 1024;
constexpr uint32_t kMaxImage = 256u * 1024 * 1024;
}  // namespace

FirmwareSim::FirmwareSim(std::string version, uint32_t transferSize)
    : version_(std::move(version)), transferSize_(transferSize) {}

void FirmwareSim::fail(const std::string& why) {
    failureReason_ = why;
    status_ = kStatusFailure;
}

void FirmwareSim::dropBlock() {
    blockOpen_ = blockClosed_ = false;
    block_.clear();
    covered_.clear();
    coveredBytes_ = 0;
}

HResult FirmwareSim::setUpdateMode(uint8_t mode, int32_t value) {
    if (mode != 0 && mode != 1)
        return kInvalidArg;
    dropBlock();
    if (mode == 0) {
        updateMode_ = false;
        status_ = kStatusIdle;
        return kOk;
    }
    updateMode_ = true;
    imageSize_ = value > 0 ? uint32_t(value) : 0;
    failureReason_.clear();
    infoStatus_ = 0;
    headerAccepted_ = false;
    header_ = FwHeader{};
    image_.clear();
    bytesReceived_ = 0;
    blocksStored_ = 0;
    if (value <= 0 || uint32_t(value) > kMaxImage || uint32_t(value) < kFwHeaderSize) {
        fail("image size refused");
        return kOk;
    }
    status_ = kStatusUpdateMode;
    return kOk;
}

HResult FirmwareSim::setTransferInfo(const uint8_t* info) {
    const uint8_t kind = info[0];
    const int32_t count = int32_t(getLe32(info + 4));
    if (kind == 2) {
        if (!updateMode_ || status_ == kStatusFailure) {
            infoStatus_ = 1;  // not ready for data
            return kOk;
        }
        if (count < 0 || uint32_t(count) > kMaxBlock) {
            infoStatus_ = 2;  // block refused
            return kOk;
        }
        block_.assign(size_t(count), 0);
        covered_.assign(size_t(count), false);
        coveredBytes_ = 0;
        blockOpen_ = true;
        blockClosed_ = false;
        infoStatus_ = 0;
        return kOk;
    }
    if (kind == 0) {
        if (!blockOpen_ || uint32_t(count) != block_.size()) {
            infoStatus_ = 2;
            return kOk;
        }
        blockOpen_ = false;
        blockClosed_ = true;
        infoStatus_ = 0;
        return kOk;
    }
    return kInvalidArg;
}

HResult FirmwareSim::setTransferData(const uint8_t* packet, uint32_t length) {
    if (length != transferSize_)
        return kInvalidArg;
    if (!blockOpen_)
        return kGenFailure;  // the device stalls: no block announced
    const int32_t offset = int32_t(getLe32(packet));
    const uint32_t n = uint32_t(packet[4]) | uint32_t(packet[5]) << 8;
    if (offset < 0 || uint64_t(n) + 8 > transferSize_ || uint64_t(offset) + n > block_.size())
        return kInvalidArg;
    std::memcpy(block_.data() + offset, packet + 8, n);
    for (uint32_t i = 0; i < n; ++i) {
        if (!covered_[size_t(offset) + i]) {
            covered_[size_t(offset) + i] = true;
            ++coveredBytes_;
        }
    }
    bytesReceived_ += n;
    return kOk;
}

HResult FirmwareSim::startReadHeader(uint32_t value) {
    if (value != 1)
        return kInvalidArg;
    if (!updateMode_) {
        fail("header read outside update mode");
        return kOk;
    }
    if (!blockClosed_ || block_.size() != kFwHeaderSize || coveredBytes_ != kFwHeaderSize) {
        fail("header block incomplete");
        return kOk;
    }
    std::string why;
    FwHeader header;
    blockClosed_ = false;
    if (!parseFwHeader(block_.data(), header, why)) {
        fail(why);
        return kOk;
    }
    if (header.imageSize != imageSize_) {
        fail("header size differs from the announced image size");
        return kOk;
    }
    header_ = header;
    headerAccepted_ = true;
    status_ = kStatusHeaderRead;
    return kOk;
}

HResult FirmwareSim::startReadPartialFile(uint32_t size) {
    if (!updateMode_ || !headerAccepted_) {
        fail("partial file outside a header-checked update");
        return kOk;
    }
    if (!blockClosed_ || block_.size() != size || coveredBytes_ != size) {
        fail("block incomplete");
        return kOk;
    }
    blockClosed_ = false;
    if (uint64_t(image_.size()) + size > imageSize_) {
        fail("more data than the image size");
        return kOk;
    }
    image_.insert(image_.end(), block_.begin(), block_.end());
    ++blocksStored_;
    dropBlock();
    if (image_.size() < imageSize_) {
        status_ = kStatusBlockStored;
        return kOk;
    }
    if (std::memcmp(image_.data(), kFwMagic, 8) != 0 ||
        crc32(image_.data() + kFwHeaderSize, image_.size() - kFwHeaderSize) != header_.payloadCrc) {
        fail("image checksum mismatch");
        return kOk;
    }
    FwHeader again;
    std::string why;
    if (!parseFwHeader(image_.data(), again, why) || again.headerVersion != header_.headerVersion) {
        fail("image header differs from the checked header");
        return kOk;
    }
    pendingVersion_ =
        header_.versionText.empty() ? headerVersionText(header_.headerVersion) : header_.versionText;
    status_ = kStatusImageStored;
    return kOk;
}

bool FirmwareSim::startUpdate(bool flashFails) {
    if (!updateMode_ || status_ != kStatusImageStored) {  // reached only by a verified image
        fail("update start without a complete image");
        return false;
    }
    if (flashFails) {
        fail("flashing failed");
        return false;
    }
    return true;
}

void FirmwareSim::completeReboot(bool keepOld) {
    if (!keepOld) {
        version_ = pendingVersion_;
        ++updatesCompleted_;
    }
    updateMode_ = false;
    status_ = kStatusIdle;
    headerAccepted_ = false;
}

FirmwareState FirmwareSim::snapshot() const {
    FirmwareState s;
    s.version = version_;
    s.updateMode = updateMode_;
    s.status = status_;
    s.imageSize = imageSize_;
    s.headerVersion = headerVersion();
    s.bytesReceived = bytesReceived_;
    s.blocksStored = blocksStored_;
    s.imageBytesStored = uint32_t(image_.size());
    s.updatesCompleted = updatesCompleted_;
    s.failureReason = failureReason_;
    return s;
}

}  // namespace device::sim
