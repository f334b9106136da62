#pragma once
// The process-wide vendor command set: one operation per control of the extension unit,
// spoken over the channel it extends. Reached through instance() from any thread.
#include <cstdint>

#include "xu/xu_channel.h"

// Sizes of the caller buffers of the buffer commands.
constexpr uint32_t kXuTextLength = 60;           // serial number, firmware version
constexpr uint32_t kXuHeaderVersionLength = 4;   // image header version
constexpr uint32_t kXuTransferInfoLength = 256;  // transfer info block

class UVCXUManager : public XuChannel {
public:
    // The singleton; the very first call creates it together with a UVCXU, so the first
    // use runs device discovery. Never destroyed.
    static UVCXUManager& instance();

    // ---- command set (one control of the extension unit each) ----
    uint16_t getHdr();  // selector 1; 0 when not sent or failed
    bool setHdr(bool on);
    uint16_t getAutoFrame();  // selector 2
    bool setAutoFrame(bool on);
    uint16_t getTrackingActive();  // selector 3
    bool setTrackingActive(bool on);
    bool setUpdateMode(uint8_t mode, int32_t value);  // selector 4
    bool resetToDefault();                            // selector 5
    // Selectors 6 and 7: buffer must hold kXuTextLength bytes; on return the text is
    // terminated within them.
    bool getSerialNumber(char* buffer);
    bool getFwVersion(char* buffer);
    bool startReadHeader();                         // selector 8, SET 1
    bool getHeaderVersion(uint8_t* buffer);         // selector 8, GET; kXuHeaderVersionLength bytes
    bool startReadPartialFile(uint32_t blockSize);  // selector 9
    bool setFwUpdateStart(uint8_t value);           // selector 10
    int getCameraSatatus();                         // selector 11; 0..255, 65535 on failure
    uint16_t getAutoFrameZoomLevel();               // selector 13
    bool setAutoFrameZoomLevel(int level);          // low byte sent
    int getAutoSensitive();                         // selector 14; signed 8-bit, 0 on failure
    bool setAutoSensitive(int sensitivity);         // low byte sent
    int getTransferDataInfoSatatus();               // selector 16; signed byte 0, 1 on failure
    bool setTransferDataInfo(const uint8_t* info);  // kXuTransferInfoLength bytes
    uint32_t getTransferSize();                     // selector 17 size query; 0 when not connected
    bool setTransferData(const uint8_t* packet, uint32_t length);  // selector 17, SET

private:
    UVCXUManager() = default;
    ~UVCXUManager() = default;

    // Logs the common "Data %d, %d" line and sends a one-byte SET.
    bool setOneByte(uint32_t selector, uint8_t value);
    // A one-byte GET preset to 0, logged as "Data 0, 0".
    uint16_t getOneByte(uint32_t selector);
};
