#pragma once
// The device watch of the V4L2 backend: udev's monitor on video4linux, a camera's nodes
// added or removed.
#include <memory>

#include "device/device_port.h"
#include "device/v4l2/udev_io.h"

namespace device::v4l2 {

class UdevWatch : public DeviceWatch {
public:
    explicit UdevWatch(std::shared_ptr<UdevIo> udev) : udev_(std::move(udev)), fd_(udev_->startMonitor()) {}
    int descriptor() const override { return fd_; }
    unsigned takeChanges() override;

private:
    std::shared_ptr<UdevIo> udev_;
    int fd_;
};

// The watch on this udev, or null when its monitor does not start.
std::shared_ptr<DeviceWatch> watchVideoDevices(const std::shared_ptr<UdevIo>& udev);

}  // namespace device::v4l2
