#pragma once
// The extension-unit side of the device port: the system's video capture sources with
// their friendly names and symbolic links, the topology of an activated source, and a
// property call on one topology node (the camera's extension unit).
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "device/result.h"

namespace device {

// Property flags of a node request.
enum : uint32_t {
    kKsPropertyGet = 0x00000001,
    kKsPropertySet = 0x00000002,
    kKsPropertyTopology = 0x10000000,
};

// The node request as it travels to the driver: 32 bytes.
struct KsNodeProperty {
    Guid set;         // property set of the unit
    uint32_t id = 0;  // control selector
    uint32_t flags = 0;
    uint32_t nodeId = 0;
    uint32_t reserved = 0;
};
static_assert(sizeof(KsNodeProperty) == 32, "the node request is 32 bytes");

// Control of one topology node.
class XuNodeControl {
public:
    virtual ~XuNodeControl() = default;
    // GET fills data (length bytes), SET sends them; returned: bytes the driver answered.
    // A GET with length 0 and no data is the size query: it answers the control's
    // length in returned (its result code may be a failure such as kMoreData).
    virtual HResult property(const KsNodeProperty& request, void* data, uint32_t length,
                             uint32_t& returned) = 0;
};

// An activated capture source.
class XuMediaSource {
public:
    virtual ~XuMediaSource() = default;
    virtual HResult createSourceReader() = 0;
    // kNoInterface when the source offers no topology.
    virtual HResult queryTopology() = 0;
    virtual HResult nodeCount(uint32_t& count) = 0;
    virtual HResult nodeType(uint32_t node, Guid& type) = 0;
    virtual HResult createNodeControl(uint32_t node, std::unique_ptr<XuNodeControl>& control) = 0;
    // Stops and shuts the source down; later calls on it or its node controls fail.
    virtual void shutdown() = 0;
};

// One video capture source as the system lists it, before activation.
class XuActivation {
public:
    virtual ~XuActivation() = default;
    virtual HResult friendlyName(std::string& name) = 0;
    virtual HResult symbolicLink(std::string& link) = 0;
    virtual HResult activate(std::unique_ptr<XuMediaSource>& source) = 0;
};

class XuSystem {
public:
    virtual ~XuSystem() = default;
    // The steps of listing the video capture sources, in order.
    virtual HResult createAttributes() = 0;
    virtual HResult selectVideoCaptureSources() = 0;
    virtual HResult enumerateSources(std::vector<std::unique_ptr<XuActivation>>& sources) = 0;
};

}  // namespace device
