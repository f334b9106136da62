#pragma once
// The kernel's system seam with a record of what it answered: once recording is on,
// every call's name and result (poll: the events) is counted, so the probe can print
// what the driver answered the backend after the device went away.
#include <map>
#include <memory>
#include <mutex>
#include <string>

#include "device/v4l2/sys_io.h"

class RecordingSysIo : public device::v4l2::SysIo {
public:
    explicit RecordingSysIo(std::shared_ptr<device::v4l2::SysIo> real) : real_(std::move(real)) {}

    void startRecording();
    // "DQBUF -ENODEV x1, poll ERR|HUP|PRI x1, ..." in the order first seen.
    std::string summary() const;

    int open(const std::string& path, int flags) override;
    int close(int fd) override;
    int ioctl(int fd, unsigned long request, void* arg) override;
    void* mmap(size_t length, int fd, off_t offset, int& error) override;
    int munmap(void* address, size_t length) override;
    int poll(pollfd* fds, nfds_t count, int timeoutMs) override;
    bool readFile(const std::string& path, std::string& contents, size_t maxBytes) override;
    bool listDirectory(const std::string& path, std::vector<std::string>& names) override;

private:
    void note(const std::string& call, int result);

    std::shared_ptr<device::v4l2::SysIo> real_;
    mutable std::mutex mutex_;
    bool recording_ = false;
    std::vector<std::string> order_;
    std::map<std::string, int> counts_;
};

// "ENODEV" for -ENODEV, "0" for 0.
std::string errnoName(int result);
// The name of a V4L2 request ("DQBUF"), or its number.
std::string requestName(unsigned long request);
// "ERR|HUP" for the poll events.
std::string pollEventNames(short events);
