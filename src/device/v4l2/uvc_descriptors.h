#pragma once
// The walk over a USB device's raw configuration descriptors (sysfs "descriptors") that
// finds the units and terminals of its video-class control interface, and among them the
// extension unit of a given GUID. The blob comes from the device, so every length is
// checked: a descriptor that is truncated or shorter than its kind needs is skipped or
// ends the walk, never read past.
#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace device::v4l2 {

using GuidBytes = std::array<uint8_t, 16>;

// A terminal or unit of a VideoControl interface.
struct VideoControlEntity {
    uint8_t subtype = 0;  // VC descriptor subtype: 2 input terminal .. 6 extension unit, 7 encoding unit
    uint8_t id = 0;       // bTerminalID / bUnitID
    int interfaceNumber = -1;
    GuidBytes guid{};  // guidExtensionCode, extension units only
    bool isExtensionUnit() const { return subtype == kExtensionUnit; }

    static constexpr uint8_t kInputTerminal = 0x02;
    static constexpr uint8_t kOutputTerminal = 0x03;
    static constexpr uint8_t kSelectorUnit = 0x04;
    static constexpr uint8_t kProcessingUnit = 0x05;
    static constexpr uint8_t kExtensionUnit = 0x06;
    static constexpr uint8_t kEncodingUnit = 0x07;
};

struct DescriptorWalk {
    std::vector<VideoControlEntity> entities;  // in descriptor order
    bool complete = true;                      // false when a broken descriptor ended the walk
    int rejected = 0;                          // entity descriptors skipped as malformed
    std::string problem;                       // what ended or spoiled the walk, for the log
};

// Walks the descriptors by bLength. Only VideoControl interfaces (class 0x0E, subclass
// 0x01) count; with interfaceNumber >= 0 only the one of that number.
DescriptorWalk walkVideoControlDescriptors(const uint8_t* data, size_t size, int interfaceNumber = -1);

// The first extension unit whose guidExtensionCode equals guid; nullptr when none.
const VideoControlEntity* findExtensionUnit(const DescriptorWalk& walk, const GuidBytes& guid);

// "{555F4241-4553-5F52-4D4F-444500000000}" for bytes laid out as the platform's GUID.
std::string guidText(const GuidBytes& guid);

}  // namespace device::v4l2
