// The raw USB descriptors read from sysfs: any bytes walked for the video-control units,
// with and without an interface number, then searched for the camera's extension unit.
#include <cstdlib>

#include "device/v4l2/uvc_descriptors.h"
#include "fuzz_support.h"

using namespace device::v4l2;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz::Input input(data, size);
    const int interfaceNumber = int(input.byte()) - 1;  // -1: every interface
    const size_t length = input.remaining();
    const uint8_t* blob = input.rest();
    for (int number : {-1, interfaceNumber}) {
        const DescriptorWalk walk = walkVideoControlDescriptors(blob, length, number);
        if (walk.complete && walk.rejected == 0 && !walk.problem.empty())
            std::abort();  // a clean walk names no problem
        GuidBytes guid{};
        for (const VideoControlEntity& entity : walk.entities) {
            if (entity.id == 0)
                std::abort();  // id 0 is no unit
            if (entity.isExtensionUnit())
                guid = entity.guid;
        }
        const VideoControlEntity* found = findExtensionUnit(walk, guid);
        if (found && found->guid != guid)
            std::abort();
        if (guidText(guid).size() != 38)
            std::abort();
    }
    return 0;
}
