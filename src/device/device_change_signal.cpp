#include "device/device_change_signal.h"

#include <sys/eventfd.h>
#include <unistd.h>

#include <cstdint>

namespace device {

DeviceChangeSignal::DeviceChangeSignal() : fd_(eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC)) {}

DeviceChangeSignal::~DeviceChangeSignal() {
    if (fd_ >= 0)
        ::close(fd_);
}

void DeviceChangeSignal::post(Change change) {
    // The bits first: a reader woken by the descriptor finds them.
    pending_.fetch_or(change);
    const uint64_t one = 1;
    if (fd_ >= 0 && ::write(fd_, &one, sizeof one) < 0) {
        // The counter is full (never in practice): the descriptor is readable anyway.
    }
}

unsigned DeviceChangeSignal::takeChanges() {
    uint64_t count = 0;
    if (fd_ >= 0 && ::read(fd_, &count, sizeof count) < 0) {
        // Nothing was posted since the last take (EAGAIN).
    }
    return pending_.exchange(0);
}

}  // namespace device
