#include "camera_descriptors.h"

#include <cstring>

#include "device/sim/sim_extension_unit.h"
#include "device/sim/sim_formats.h"

namespace usbcam {
namespace {

using Bytes = std::vector<uint8_t>;

constexpr uint8_t kCsInterface = 0x24;
constexpr uint8_t kClassVideo = 0x0E;
constexpr uint32_t kClockHz = 48000000;
constexpr uint8_t kHighestSelector = 32;

void put16(Bytes& b, uint32_t v) {
    b.push_back(uint8_t(v));
    b.push_back(uint8_t(v >> 8));
}
void put32(Bytes& b, uint32_t v) {
    put16(b, v & 0xFFFF);
    put16(b, v >> 16);
}
void set16(Bytes& b, size_t at, uint32_t v) {
    b[at] = uint8_t(v);
    b[at + 1] = uint8_t(v >> 8);
}
// Appends a descriptor and writes its bLength.
void append(Bytes& out, Bytes d) {
    d[0] = uint8_t(d.size());
    out.insert(out.end(), d.begin(), d.end());
}

const uint8_t kYuy2Guid[16] = {'Y',  'U',  'Y',  '2',  0x00, 0x00, 0x10, 0x00,
                               0x80, 0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71};

Bytes controlInterface() {
    Bytes vc;
    append(vc, {0, 0x04, kControlInterface, 0, 0, kClassVideo, 0x01, 0x00, 2});  // no interrupt endpoint
    const size_t header = vc.size();
    append(vc, {0, kCsInterface, 0x01, 0x10, 0x01, 0, 0, 0, 0, 0, 0, 1, kStreamingInterface});
    vc[header + 7] = uint8_t(kClockHz);
    vc[header + 8] = uint8_t(kClockHz >> 8);
    vc[header + 9] = uint8_t(kClockHz >> 16);
    vc[header + 10] = uint8_t(kClockHz >> 24);
    // Camera terminal: auto-exposure mode, exposure time, zoom, pan/tilt (absolute).
    const uint32_t ct = 1u << 1 | 1u << 3 | 1u << 9 | 1u << 11;
    append(vc, {0, kCsInterface, 0x02, kCameraTerminalId, 0x01, 0x02, 0, 0, 0, 0, 0, 0, 0, 0, 3, uint8_t(ct),
                uint8_t(ct >> 8), uint8_t(ct >> 16)});
    // Processing unit: brightness, contrast, hue, saturation, sharpness, gamma, white
    // balance temperature, backlight, gain, power line, white balance temperature auto.
    const uint32_t pu = 0x7F | 1u << 8 | 1u << 9 | 1u << 10 | 1u << 12;
    append(vc, {0, kCsInterface, 0x05, kProcessingUnitId, kCameraTerminalId, 0, 0, 2, uint8_t(pu),
                uint8_t(pu >> 8), 0, 0});
    // The vendor extension unit, its GUID the bytes of the property set.
    const device::Guid set = device::sim::extensionUnitSet();
    Bytes xu = {0, kCsInterface, 0x06, kExtensionUnitId};
    const uint8_t* guid = reinterpret_cast<const uint8_t*>(&set);
    xu.insert(xu.end(), guid, guid + 16);
    const uint32_t bits = extensionUnitControlBits();
    uint8_t count = 0;
    for (uint32_t b = bits; b; b &= b - 1)
        ++count;
    xu.insert(xu.end(),
              {count, 1, kProcessingUnitId, 3, uint8_t(bits), uint8_t(bits >> 8), uint8_t(bits >> 16), 0});
    append(vc, xu);
    append(vc, {0, kCsInterface, 0x03, kOutputTerminalId, 0x01, 0x01, 0, kExtensionUnitId, 0});
    set16(vc, header + 5, uint32_t(vc.size() - header));
    return vc;
}

Bytes frameDescriptor(const StreamFrame& f) {
    Bytes d = {0, kCsInterface, uint8_t(f.mjpeg ? 0x07 : 0x05), f.frameIndex, 0};
    put16(d, uint32_t(f.width));
    put16(d, uint32_t(f.height));
    const uint32_t maxRate = uint32_t(10000000u / f.intervals.front());
    put32(d, f.maxFrameBytes() * 8u);  // dwMinBitRate
    put32(d, f.maxFrameBytes() * 8u * maxRate);
    put32(d, f.maxFrameBytes());
    put32(d, f.intervals.front());
    d.push_back(uint8_t(f.intervals.size()));
    for (uint32_t interval : f.intervals)
        put32(d, interval);
    return d;
}

Bytes streamingInterface(std::vector<StreamFrame>& frames) {
    struct Format {
        bool mjpeg;
        device::Guid subtype;
    };
    const Format formats[] = {{true, device::kSubtypeMJPG}, {false, device::kSubtypeYUY2}};
    Bytes body;
    uint8_t formatIndex = 0;
    for (const Format& format : formats) {
        std::vector<StreamFrame> mine;
        for (const device::sim::SimCapability& cap : device::sim::lumoraCapabilities()) {
            if (cap.format.subtype != format.subtype || !cap.format.videoInfo)
                continue;
            StreamFrame f;
            f.formatIndex = uint8_t(formatIndex + 1);
            f.frameIndex = uint8_t(mine.size() + 1);
            f.mjpeg = format.mjpeg;
            f.width = cap.format.width;
            f.height = cap.format.height;
            for (int64_t interval : cap.intervals)
                f.intervals.push_back(uint32_t(interval));
            mine.push_back(f);
        }
        if (mine.empty())
            continue;
        ++formatIndex;
        const uint8_t n = uint8_t(mine.size());
        if (format.mjpeg) {
            append(body, {0, kCsInterface, 0x06, formatIndex, n, 0x01, 1, 0, 0, 0, 0});
        } else {
            Bytes d = {0, kCsInterface, 0x04, formatIndex, n};
            d.insert(d.end(), kYuy2Guid, kYuy2Guid + 16);
            d.insert(d.end(), {16, 1, 0, 0, 0, 0});
            append(body, d);
        }
        for (const StreamFrame& f : mine)
            append(body, frameDescriptor(f));
        // Colour matching: BT.709 primaries and transfer, the BT.601 matrix of JPEG.
        append(body, {0, kCsInterface, 0x0D, 1, 1, 4});
        frames.insert(frames.end(), mine.begin(), mine.end());
    }
    Bytes vs;
    append(vs, {0, 0x04, kStreamingInterface, 0, 1, kClassVideo, 0x02, 0x00, 0});
    Bytes header = {0, kCsInterface,      0x01, formatIndex, 0, 0, kStreamingEndpoint,
                    0, kOutputTerminalId, 0,    0,           0, 1};
    for (uint8_t i = 0; i < formatIndex; ++i)
        header.push_back(0);
    header[0] = uint8_t(header.size());
    set16(header, 4, uint32_t(header.size() + body.size()));
    vs.insert(vs.end(), header.begin(), header.end());
    vs.insert(vs.end(), body.begin(), body.end());
    Bytes endpoint = {0, 0x05, kStreamingEndpoint, 0x02};
    put16(endpoint, kBulkPacketSize);
    endpoint.push_back(0);
    append(vs, endpoint);
    return vs;
}

}  // namespace

uint32_t extensionUnitControlBits() {
    device::sim::SimOptions options;
    device::sim::ExtensionUnit unit(options);
    uint32_t bits = 0;
    for (uint32_t selector = 1; selector <= kHighestSelector; ++selector)
        if (unit.controlLength(selector) > 0)
            bits |= 1u << (selector - 1);
    return bits;
}

const StreamFrame* CameraDescriptors::frame(uint8_t formatIndex, uint8_t frameIndex) const {
    for (const StreamFrame& f : frames)
        if (f.formatIndex == formatIndex && f.frameIndex == frameIndex)
            return &f;
    return nullptr;
}

std::vector<uint8_t> CameraDescriptors::string(uint8_t index) const {
    if (index == 0)
        return {4, 0x03, 0x09, 0x04};  // US English
    if (index > strings.size())
        return {};
    const std::string& text = strings[index - 1];
    Bytes d = {0, 0x03};
    for (char c : text)
        put16(d, uint8_t(c));
    d[0] = uint8_t(d.size());
    return d;
}

CameraDescriptors buildCameraDescriptors(const std::string& serialNumber, uint16_t deviceRelease) {
    CameraDescriptors c;
    c.strings = {"Lumora", "Lumora X8", serialNumber};
    // Miscellaneous class with interface associations; 64-byte control endpoint.
    c.device = {18, 0x01, 0x00, 0x02, 0xEF, 0x02, 0x01, 64};
    put16(c.device, kVendorId);
    put16(c.device, kProductId);
    put16(c.device, deviceRelease);
    c.device.insert(c.device.end(), {1, 2, 3, 1});

    Bytes body;
    append(body, {8, 0x0B, kControlInterface, 2, kClassVideo, 0x03, 0x00, 2});
    const Bytes vc = controlInterface();
    body.insert(body.end(), vc.begin(), vc.end());
    const Bytes vs = streamingInterface(c.frames);
    body.insert(body.end(), vs.begin(), vs.end());
    c.configuration = {9, 0x02, 0, 0, 2, 1, 0, 0x80, 250};
    set16(c.configuration, 2, uint32_t(9 + body.size()));
    c.configuration.insert(c.configuration.end(), body.begin(), body.end());
    return c;
}

}  // namespace usbcam
