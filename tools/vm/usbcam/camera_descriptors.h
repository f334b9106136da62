#pragma once
// The Lumora X8's USB descriptors as the emulated camera presents them: the device, one
// configuration with an interface association over a video-control interface (camera
// terminal 1, processing unit 2, the vendor extension unit 3, streaming output terminal
// 4) and a video-streaming interface whose one bulk IN endpoint carries the MJPEG and
// YUY2 formats of the simulated camera, and the string descriptors.
#include <cstdint>
#include <string>
#include <vector>

namespace usbcam {

enum : uint8_t {
    kCameraTerminalId = 1,
    kProcessingUnitId = 2,
    kExtensionUnitId = 3,
    kOutputTerminalId = 4,
    kControlInterface = 0,
    kStreamingInterface = 1,
    kStreamingEndpoint = 0x81,
};
constexpr uint16_t kVendorId = 0x2e7a;
constexpr uint16_t kProductId = 0x0c08;
constexpr uint16_t kBulkPacketSize = 512;

// One frame size of a streaming format (indices 1-based, as the probe control names them).
struct StreamFrame {
    uint8_t formatIndex = 0;
    uint8_t frameIndex = 0;
    bool mjpeg = true;  // else YUY2
    int width = 0;
    int height = 0;
    std::vector<uint32_t> intervals;  // 100 ns units, the first one the default
    uint32_t maxFrameBytes() const { return uint32_t(width) * uint32_t(height) * 2; }
};

struct CameraDescriptors {
    std::vector<uint8_t> device;
    std::vector<uint8_t> configuration;  // the whole configuration, wTotalLength bytes
    std::vector<std::string> strings;    // index 1.. (index 0 is the language list)
    std::vector<StreamFrame> frames;     // every format's frames, in descriptor order

    const StreamFrame* frame(uint8_t formatIndex, uint8_t frameIndex) const;
    // String descriptor `index` (0: the language list); empty when there is none.
    std::vector<uint8_t> string(uint8_t index) const;
};

// The bmControls bits of the extension unit: bit n-1 for each selector n it has.
uint32_t extensionUnitControlBits();

CameraDescriptors buildCameraDescriptors(const std::string& serialNumber, uint16_t deviceRelease);

}  // namespace usbcam
