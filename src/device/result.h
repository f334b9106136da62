#pragma once
// Platform result codes and identifiers as they cross the device port. The codes keep
// the values of the platform the program was first written for, so the layers above
// log and compare them unchanged: 0 is success, negative values are failures.
#include <cstdint>
#include <cstring>

namespace device {

using HResult = int32_t;

constexpr HResult kOk = 0;                                 // S_OK
constexpr HResult kFalse = 1;                              // S_FALSE (e.g. "nothing to list")
constexpr HResult kNotImplemented = int32_t(0x80004001u);  // E_NOTIMPL
constexpr HResult kNoInterface = int32_t(0x80004002u);     // E_NOINTERFACE
constexpr HResult kAbort = int32_t(0x80004004u);           // E_ABORT
constexpr HResult kFail = int32_t(0x80004005u);            // E_FAIL
constexpr HResult kUnexpected = int32_t(0x8000FFFFu);      // E_UNEXPECTED
constexpr HResult kOutOfMemory = int32_t(0x8007000Eu);     // E_OUTOFMEMORY
constexpr HResult kInvalidArg = int32_t(0x80070057u);      // E_INVALIDARG
constexpr HResult kNotFound = int32_t(0x80070490u);        // ERROR_NOT_FOUND
constexpr HResult kNotConnected = int32_t(0x8007048Fu);    // ERROR_DEVICE_NOT_CONNECTED
constexpr HResult kBusy = int32_t(0x800700AAu);            // ERROR_BUSY
constexpr HResult kTimeout = int32_t(0x800705B4u);         // ERROR_TIMEOUT
constexpr HResult kGenFailure = int32_t(0x8007001Fu);      // ERROR_GEN_FAILURE (I/O error)
constexpr HResult kMoreData = int32_t(0x800700EAu);        // ERROR_MORE_DATA (buffer too small)
constexpr HResult kSetNotFound = int32_t(0x80070492u);     // ERROR_SET_NOT_FOUND
constexpr HResult kWrongState = int32_t(0x80040227u);      // VFW_E_WRONG_STATE
// Two outcomes of opening a camera that is there but not ours to stream or open:
constexpr HResult kInUse = int32_t(0x80070020u);         // the stream is held by another application
constexpr HResult kAccessDenied = int32_t(0x80070005u);  // the user may not open the device

inline bool succeeded(HResult hr) {
    return hr >= 0;
}
inline bool failed(HResult hr) {
    return hr < 0;
}

// A 128-bit identifier laid out as the platform's GUID.
struct Guid {
    uint32_t data1 = 0;
    uint16_t data2 = 0;
    uint16_t data3 = 0;
    uint8_t data4[8] = {};

    bool operator==(const Guid& o) const {
        return data1 == o.data1 && data2 == o.data2 && data3 == o.data3 &&
               std::memcmp(data4, o.data4, 8) == 0;
    }
    bool operator!=(const Guid& o) const { return !(*this == o); }
    bool isNull() const { return *this == Guid{}; }
};
static_assert(sizeof(Guid) == 16, "a Guid is 16 bytes");

// Video media subtypes. The FOURCC ones carry the code in their first field.
constexpr Guid fourccSubtype(uint32_t fourcc) {
    return Guid{fourcc, 0x0000, 0x0010, {0x80, 0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71}};
}
constexpr uint32_t fourcc(char a, char b, char c, char d) {
    return uint32_t(uint8_t(a)) | uint32_t(uint8_t(b)) << 8 | uint32_t(uint8_t(c)) << 16 |
           uint32_t(uint8_t(d)) << 24;
}
constexpr Guid kSubtypeNull{};
constexpr Guid kSubtypeYUY2 = fourccSubtype(fourcc('Y', 'U', 'Y', '2'));
constexpr Guid kSubtypeMJPG = fourccSubtype(fourcc('M', 'J', 'P', 'G'));
constexpr Guid kSubtypeH264 = fourccSubtype(fourcc('H', '2', '6', '4'));
constexpr Guid kSubtypeIYUV = fourccSubtype(fourcc('I', 'Y', 'U', 'V'));
constexpr Guid kSubtypeI420 = fourccSubtype(fourcc('I', '4', '2', '0'));
constexpr Guid kSubtypeNV12 = fourccSubtype(fourcc('N', 'V', '1', '2'));
constexpr Guid kSubtypeRGB24{0xE436EB7D, 0x524F, 0x11CE, {0x9F, 0x53, 0x00, 0x20, 0xAF, 0x0B, 0xA7, 0x70}};
constexpr Guid kSubtypeRGB32{0xE436EB7E, 0x524F, 0x11CE, {0x9F, 0x53, 0x00, 0x20, 0xAF, 0x0B, 0xA7, 0x70}};
constexpr Guid kSubtypeRGB555{0xE436EB7C, 0x524F, 0x11CE, {0x9F, 0x53, 0x00, 0x20, 0xAF, 0x0B, 0xA7, 0x70}};

// Topology node type of a device-specific node: the camera's extension unit.
constexpr Guid kNodeTypeDevSpecific{
    0x941C7AC0, 0xC559, 0x11D0, {0x8A, 0x2B, 0x00, 0xA0, 0xC9, 0x25, 0x5A, 0xC1}};

}  // namespace device
