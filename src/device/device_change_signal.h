#pragma once
// A device watch that a backend feeds itself: post() says a device came or went, from any
// thread; the reader's descriptor (an eventfd) turns readable until the changes are taken.
#include <atomic>

#include "device/device_port.h"

namespace device {

class DeviceChangeSignal : public DeviceWatch {
public:
    DeviceChangeSignal();
    ~DeviceChangeSignal() override;
    DeviceChangeSignal(const DeviceChangeSignal&) = delete;
    DeviceChangeSignal& operator=(const DeviceChangeSignal&) = delete;

    void post(Change change);
    int descriptor() const override { return fd_; }
    unsigned takeChanges() override;

private:
    int fd_ = -1;
    std::atomic<unsigned> pending_{0};
};

}  // namespace device
