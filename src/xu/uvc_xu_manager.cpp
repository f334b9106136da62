// The vendor command set: one control of the extension unit per operation. Each builds a
// fresh request on its own stack, sends it over the channel and turns the answer into a
// plain value; failures show as the operation's fixed failure value.
#include <cstring>
#include <vector>

#include "base/debug_log.h"
#include "xu/uvc_xu_manager.h"
#include "xu/xu_payloads.h"

namespace {

enum Selector : uint32_t {
    kHdr = 1,
    kAutoFrame = 2,
    kTrackingActive = 3,
    kUpdateMode = 4,
    kResetToDefault = 5,
    kSerialNumber = 6,
    kFwVersion = 7,
    kImageHeader = 8,
    kPartialFile = 9,
    kFwUpdateStart = 10,
    kCameraStatus = 11,
    kAutoFrameZoomLevel = 13,
    kAutoSensitive = 14,
    kTransferDataInfo = 16,
    kTransferData = 17,
};

constexpr int kCameraStatusFailure = 0xFFFF;
constexpr int kTransferInfoStatusFailure = 1;

// Writes each byte as "0x%02x " with a line end after bytes 0, 16, 32, ...
void dumpBytes(const uint8_t* bytes, size_t count) {
    for (size_t i = 0; i < count; ++i) {
        debugLog("0x%02x ", bytes[i]);
        if (i % 16 == 0) {
            debugLog("\n");
        }
    }
}

}  // namespace

UVCXUManager& UVCXUManager::instance() {
    // Created on first use, never destroyed.
    static UVCXUManager* const manager = new UVCXUManager();
    return *manager;
}

uint16_t UVCXUManager::getOneByte(uint32_t selector) {
    uint8_t value = 0;
    XURequest request = makeXURequest(selector, XU_GET, 1, &value);
    debugLog("Data %d, %d \n", 0, 0);
    return sendDirectly(request) ? value : 0;
}

bool UVCXUManager::setOneByte(uint32_t selector, uint8_t value) {
    uint8_t payload = value;
    XURequest request = makeXURequest(selector, XU_SET, 1, &payload);
    debugLog("Data %d, %d \n", value, value);
    return sendDirectly(request);
}

uint16_t UVCXUManager::getHdr() {
    return getOneByte(kHdr);
}
bool UVCXUManager::setHdr(bool on) {
    return setOneByte(kHdr, on ? 1 : 0);
}
uint16_t UVCXUManager::getAutoFrame() {
    return getOneByte(kAutoFrame);
}
bool UVCXUManager::setAutoFrame(bool on) {
    return setOneByte(kAutoFrame, on ? 1 : 0);
}
uint16_t UVCXUManager::getTrackingActive() {
    return getOneByte(kTrackingActive);
}
bool UVCXUManager::setTrackingActive(bool on) {
    return setOneByte(kTrackingActive, on ? 1 : 0);
}
uint16_t UVCXUManager::getAutoFrameZoomLevel() {
    return getOneByte(kAutoFrameZoomLevel);
}
bool UVCXUManager::setAutoFrameZoomLevel(int level) {
    return setOneByte(kAutoFrameZoomLevel, uint8_t(level));
}
bool UVCXUManager::setAutoSensitive(int sensitivity) {
    return setOneByte(kAutoSensitive, uint8_t(sensitivity));
}
bool UVCXUManager::resetToDefault() {
    return setOneByte(kResetToDefault, 1);
}

bool UVCXUManager::setUpdateMode(uint8_t mode, int32_t value) {
    uint8_t payload[5] = {mode};
    putLittleEndian32(payload + 1, uint32_t(value));
    XURequest request = makeXURequest(kUpdateMode, XU_SET, sizeof(payload), payload);
    debugLog("setUpdateMode %d, %d, %d \n", mode, value, 4);
    debugLog("%x %x %x %x %x\n", payload[0], payload[1], payload[2], payload[3], payload[4]);
    dumpBytes(payload, sizeof(payload));
    return sendDirectly(request);
}

bool UVCXUManager::getSerialNumber(char* buffer) {
    if (buffer == nullptr) {
        return false;
    }
    XURequest request = makeXURequest(kSerialNumber, XU_GET, kXuTextLength, buffer);
    // The caller's buffer need not be terminated before the read: print at most its 60 bytes.
    debugLog("Data %.*s \n", int(strnlen(buffer, kXuTextLength)), buffer);
    dumpBytes(reinterpret_cast<const uint8_t*>(buffer), kXuTextLength);
    const bool result = sendDirectly(request);
    buffer[kXuTextLength - 1] = '\0';
    return result;
}

bool UVCXUManager::getFwVersion(char* buffer) {
    if (buffer == nullptr) {
        return false;
    }
    XURequest request = makeXURequest(kFwVersion, XU_GET, kXuTextLength, buffer);
    debugLog("Data %.*s \n", int(strnlen(buffer, kXuTextLength)), buffer);
    const bool result = sendDirectly(request);
    buffer[kXuTextLength - 1] = '\0';
    return result;
}

bool UVCXUManager::startReadHeader() {
    uint8_t payload[4];
    putLittleEndian32(payload, 1);
    XURequest request = makeXURequest(kImageHeader, XU_SET, sizeof(payload), payload);
    debugLog("startReadHeader\n");
    debugLog("Data %d, %d \n", 1, 1);
    return sendDirectly(request);
}

bool UVCXUManager::getHeaderVersion(uint8_t* buffer) {
    if (buffer == nullptr) {
        return false;
    }
    XURequest request = makeXURequest(kImageHeader, XU_GET, kXuHeaderVersionLength, buffer);
    debugLog("getHeaderVersion\n");
    debugLog("%x %x %x %x\n", buffer[0], buffer[1], buffer[2], buffer[3]);
    return sendDirectly(request);
}

bool UVCXUManager::startReadPartialFile(uint32_t blockSize) {
    uint8_t payload[4];
    putLittleEndian32(payload, blockSize);
    XURequest request = makeXURequest(kPartialFile, XU_SET, sizeof(payload), payload);
    debugLog("startReadPartialFile\n");
    debugLog("Data %d, %d \n", int(blockSize & 0xFFFF), int(blockSize));
    return sendDirectly(request);
}

bool UVCXUManager::setFwUpdateStart(uint8_t value) {
    debugLog("setFwUpdateStart %d\n", value);
    return setOneByte(kFwUpdateStart, value);
}

int UVCXUManager::getCameraSatatus() {
    uint8_t value = 0;
    XURequest request = makeXURequest(kCameraStatus, XU_GET, 1, &value);
    bool sent = false;
    const bool result = sendDirectly(request, &sent);
    if (!sent) {
        return kCameraStatusFailure;
    }
    debugLog("getCameraSatatus res: %d, %d \n", result, value);
    return result ? value : kCameraStatusFailure;
}

int UVCXUManager::getAutoSensitive() {
    uint8_t value = 0;
    XURequest request = makeXURequest(kAutoSensitive, XU_GET, 1, &value);
    debugLog("getAutoSensitive\n");
    bool sent = false;
    const bool result = sendDirectly(request, &sent);
    if (!sent) {
        return 0;
    }
    const int8_t sensitivity = result ? int8_t(value) : 0;
    debugLog("hex %02x\n", uint8_t(sensitivity));
    debugLog("dec %d\n", sensitivity);
    return sensitivity;
}

int UVCXUManager::getTransferDataInfoSatatus() {
    uint8_t answer[kXuTransferInfoLength] = {};
    answer[0] = 0xFF;  // a reply that leaves byte 0 alone reads as -1
    XURequest request = makeXURequest(kTransferDataInfo, XU_GET, sizeof(answer), answer);
    return sendDirectly(request) ? int8_t(answer[0]) : kTransferInfoStatusFailure;
}

bool UVCXUManager::setTransferDataInfo(const uint8_t* info) {
    if (info == nullptr) {
        return false;
    }
    uint8_t block[kXuTransferInfoLength];
    std::memcpy(block, info, sizeof(block));
    XURequest request = makeXURequest(kTransferDataInfo, XU_SET, sizeof(block), block);
    return sendDirectly(request);
}

uint32_t UVCXUManager::getTransferSize() {
    debugLog("***************getTransferSize***************\n");
    uint32_t size = 0;
    XURequest request = makeXURequest(kTransferData, XU_GET, 0, nullptr);
    if (querySize(request, size)) {
        writeStdout("transferSize: " + std::to_string(size) + "\n");
    }
    return size;
}

bool UVCXUManager::setTransferData(const uint8_t* packet, uint32_t length) {
    if (packet == nullptr && length > 0) {
        return false;
    }
    // The channel works on its own copy: the caller's packet is never written.
    std::vector<uint8_t> payload(packet, packet + length);
    XURequest request =
        makeXURequest(kTransferData, XU_SET, length, payload.empty() ? nullptr : payload.data());
    return sendDirectly(request);
}
