#pragma once
// One open V4L2 node, shared by everything that works on it (formats, controls,
// streaming, the extension unit). Every call goes through here, so none can reach the
// descriptor once it was closed, even when close() races with a call on another
// thread: calls hold a shared lock, close() the exclusive one.
#include <atomic>
#include <memory>
#include <shared_mutex>
#include <string>

#include "device/v4l2/sys_io.h"

namespace device::v4l2 {

class NodeHandle {
public:
    NodeHandle(std::shared_ptr<SysIo> io, std::string path);
    ~NodeHandle();
    NodeHandle(const NodeHandle&) = delete;
    NodeHandle& operator=(const NodeHandle&) = delete;

    // Opens the node read-write and non-blocking; 0 or -errno.
    int open();
    void close();
    bool isOpen() const;
    const std::string& path() const { return path_; }
    SysIo& io() const { return *io_; }

    // 0 (or the answer) or -errno; -EBADF once the node is closed.
    int ioctl(unsigned long request, void* arg);
    void* mmap(size_t length, off_t offset, int& error);
    // Polls for a filled buffer; revents receives the events, answers as SysIo::poll.
    int poll(short events, short& revents, int timeoutMs);

private:
    std::shared_ptr<SysIo> io_;
    std::string path_;
    mutable std::shared_mutex mutex_;
    std::atomic<bool> closing_{false};
    int fd_ = -1;
};

}  // namespace device::v4l2
