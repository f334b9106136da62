#include "device/v4l2/udev_watch.h"

namespace device::v4l2 {

unsigned UdevWatch::takeChanges() {
    unsigned changes = 0;
    UdevNode event;
    while (udev_->nextEvent(event)) {
        // "change", "bind" and the like leave the node where it was.
        if (event.action == "add")
            changes |= kAdded;
        else if (event.action == "remove")
            changes |= kRemoved;
    }
    return changes;
}

std::shared_ptr<DeviceWatch> watchVideoDevices(const std::shared_ptr<UdevIo>& udev) {
    if (!udev)
        return nullptr;
    auto watch = std::make_shared<UdevWatch>(udev);
    return watch->descriptor() >= 0 ? watch : nullptr;
}

}  // namespace device::v4l2
