#include "device/v4l2/node_handle.h"

#include <fcntl.h>

#include <cerrno>
#include <mutex>

namespace device::v4l2 {

NodeHandle::NodeHandle(std::shared_ptr<SysIo> io, std::string path)
    : io_(std::move(io)), path_(std::move(path)) {}

NodeHandle::~NodeHandle() {
    close();
}

int NodeHandle::open() {
    std::unique_lock<std::shared_mutex> lock(mutex_);
    if (fd_ >= 0)
        return 0;
    int fd = io_->open(path_, O_RDWR | O_NONBLOCK);
    if (fd < 0)
        return fd;
    fd_ = fd;
    closing_ = false;
    return 0;
}

void NodeHandle::close() {
    // New calls stop here at once, so a stream of overlapping calls cannot hold the close off.
    closing_ = true;
    std::unique_lock<std::shared_mutex> lock(mutex_);
    if (fd_ < 0)
        return;
    io_->close(fd_);
    fd_ = -1;
}

bool NodeHandle::isOpen() const {
    std::shared_lock<std::shared_mutex> lock(mutex_);
    return fd_ >= 0;
}

int NodeHandle::ioctl(unsigned long request, void* arg) {
    if (closing_)
        return -EBADF;
    std::shared_lock<std::shared_mutex> lock(mutex_);
    if (fd_ < 0)
        return -EBADF;
    return io_->ioctl(fd_, request, arg);
}

void* NodeHandle::mmap(size_t length, off_t offset, int& error) {
    if (closing_) {
        error = EBADF;
        return nullptr;
    }
    std::shared_lock<std::shared_mutex> lock(mutex_);
    if (fd_ < 0) {
        error = EBADF;
        return nullptr;
    }
    return io_->mmap(length, fd_, offset, error);
}

int NodeHandle::poll(short events, short& revents, int timeoutMs) {
    revents = 0;
    if (closing_)
        return -EBADF;
    std::shared_lock<std::shared_mutex> lock(mutex_);
    if (fd_ < 0)
        return -EBADF;
    pollfd p{fd_, events, 0};
    int r = io_->poll(&p, 1, timeoutMs);
    revents = p.revents;
    return r;
}

}  // namespace device::v4l2
