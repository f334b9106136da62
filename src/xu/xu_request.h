#pragma once
// One request to the camera's extension unit: which control, which direction, and the
// caller's payload buffer. Built on the caller's stack and handed to UVCXU by reference.
#include <cstdint>
#include <cstring>

#include "device/result.h"
#include "device/xu_port.h"

// Direction of a request: GET or SET, each or-ed with the topology flag.
constexpr uint32_t XU_GET = device::kKsPropertyGet | device::kKsPropertyTopology;  // 0x10000001
constexpr uint32_t XU_SET = device::kKsPropertySet | device::kKsPropertyTopology;  // 0x10000002

// The node id that stands for "the node the channel discovered".
constexpr int32_t kXuChannelNode = -1;

// The extension unit's property set: the 12 characters "AB_USER_MODE" and four zero bytes,
// byte for byte ({555F4241-4553-5F52-4D4F-444500000000}).
inline device::Guid xuPropertySet() {
    static const char bytes[16] = {'A', 'B', '_', 'U', 'S', 'E', 'R', '_', 'M', 'O', 'D', 'E', 0, 0, 0, 0};
    device::Guid guid;
    std::memcpy(&guid, bytes, sizeof(guid));
    return guid;
}

struct XURequest {
    device::Guid guid = xuPropertySet();
    int32_t nodeId = kXuChannelNode;  // replaced by the channel's node when -1
    uint32_t wValue = 0;              // control selector (1 to 17)
    uint32_t flag = XU_GET;           // XU_GET or XU_SET
    uint32_t wLength = 0;             // payload bytes at data
    void* data = nullptr;             // caller's buffer: filled by a GET, read by a SET
};

inline XURequest makeXURequest(uint32_t selector, uint32_t flag, uint32_t length, void* data) {
    XURequest request;
    request.wValue = selector;
    request.flag = flag;
    request.wLength = length;
    request.data = data;
    return request;
}
