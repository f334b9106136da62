// A firmware image file: any bytes, handed to the simulated camera the way an update sends
// it (update mode for the file's size, the 128-byte header block and header read, then the
// rest in blocks of packets) and, when the camera took all of it, the update start. The
// image format is the camera's alone (the host sends any file it can): the camera must
// accept only an image whose header and payload checksums hold, and refuse everything
// else with status 15.
#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include "device/sim/fw_image.h"
#include "device/sim/sim_firmware.h"
#include "fuzz_support.h"
#include "xu/xu_payloads.h"

using namespace device::sim;

namespace {

constexpr uint32_t kTransferSize = 264;
constexpr uint32_t kBlockSize = 1024;  // small blocks, so that short files span several

void check(bool condition) {
    if (!condition)
        std::abort();
}

// Sends count bytes as one block: announce, packets, close.
bool sendBlock(FirmwareSim& camera, const uint8_t* bytes, uint32_t count) {
    camera.setTransferInfo(makeXuTransferInfo(kXuTransferAnnounce, int32_t(count)).data());
    const uint32_t chunk = xuPacketCapacity(kTransferSize);
    for (uint32_t offset = 0; offset < count; offset += chunk) {
        const uint32_t n = std::min(chunk, count - offset);
        const std::vector<uint8_t> packet =
            makeXuTransferPacket(int32_t(offset), bytes + offset, n, kTransferSize);
        if (device::failed(camera.setTransferData(packet.data(), uint32_t(packet.size()))))
            return false;
    }
    camera.setTransferInfo(makeXuTransferInfo(kXuTransferClose, int32_t(count)).data());
    return camera.transferInfoStatus() == 0;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    fuzz::quietLog();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FwHeader header;
    std::string why;
    const bool headerValid = size >= kFwHeaderSize && parseFwHeader(data, header, why);

    FirmwareSim camera("1.0.0", kTransferSize);
    camera.setUpdateMode(1, int32_t(std::min<size_t>(size, 0x7FFFFFFF)));
    if (size < kFwHeaderSize) {
        check(camera.status() == kStatusFailure);
        return 0;
    }
    if (!sendBlock(camera, data, uint32_t(kFwHeaderSize)))
        return 0;
    camera.startReadHeader(1);
    if (camera.status() != kStatusHeaderRead) {
        check(camera.status() == kStatusFailure && (!headerValid || header.imageSize != size));
        return 0;
    }
    check(headerValid && header.imageSize == size);
    // The whole file, the header again included, in blocks.
    for (size_t offset = 0; offset < size && camera.status() != kStatusFailure; offset += kBlockSize) {
        const uint32_t count = uint32_t(std::min<size_t>(kBlockSize, size - offset));
        if (!sendBlock(camera, data + offset, count))
            return 0;
        camera.startReadPartialFile(count);
    }
    const bool payloadValid = crc32(data + kFwHeaderSize, size - kFwHeaderSize) == header.payloadCrc;
    check((camera.status() == kStatusImageStored) == payloadValid);
    check(payloadValid || camera.status() == kStatusFailure);
    if (camera.startUpdate(false)) {
        camera.completeReboot();
        check(!camera.version().empty());
    }
    return 0;
}
