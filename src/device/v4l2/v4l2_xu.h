#pragma once
// The extension-unit side over uvcvideo. The sources are the same capture nodes the
// video side lists. Activating one opens its node and walks the USB descriptors of its
// camera (sysfs "descriptors" of the USB device above the node's VideoControl
// interface); the topology nodes are that interface's terminals and units in
// descriptor order, and the extension unit whose GUID is the camera's property set is
// the device-specific node. A property call on it is one UVCIOC_CTRL_QUERY.
#include <memory>
#include <string>

#include "device/v4l2/capture_nodes.h"
#include "device/v4l2/uvc_descriptors.h"
#include "device/xu_port.h"

namespace device::v4l2 {

// The camera's property set as it lies in memory: "AB_USER_MODE" and four zero bytes.
constexpr GuidBytes kUserModeUnitGuid = {'A', 'B', '_', 'U', 'S', 'E', 'R', '_',
                                         'M', 'O', 'D', 'E', 0,   0,   0,   0};

class V4l2XuSystem : public XuSystem {
public:
    V4l2XuSystem(std::shared_ptr<SysIo> io, GuidBytes unitGuid = kUserModeUnitGuid,
                 std::shared_ptr<UdevIo> udev = nullptr);
    HResult createAttributes() override;
    HResult selectVideoCaptureSources() override;
    HResult enumerateSources(std::vector<std::unique_ptr<XuActivation>>& sources) override;

private:
    std::shared_ptr<SysIo> io_;
    GuidBytes unitGuid_;
    std::shared_ptr<UdevIo> udev_;
};

}  // namespace device::v4l2
