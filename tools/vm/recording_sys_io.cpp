#include "recording_sys_io.h"

#include <linux/videodev2.h>
#include <poll.h>

#include <cerrno>
#include <cstring>

#include "device/v4l2/ioctl_name.h"

std::string errnoName(int result) {
    if (result >= 0)
        return std::to_string(result);
    static const std::pair<int, const char*> kNames[] = {
        {EINVAL, "EINVAL"}, {EBUSY, "EBUSY"},   {ENODEV, "ENODEV"}, {ENOENT, "ENOENT"}, {EAGAIN, "EAGAIN"},
        {EACCES, "EACCES"}, {EIO, "EIO"},       {ENXIO, "ENXIO"},   {EPIPE, "EPIPE"},   {ENOTTY, "ENOTTY"},
        {EBADF, "EBADF"},   {ERANGE, "ERANGE"}, {EPERM, "EPERM"},   {ENOSPC, "ENOSPC"}, {ENOMEM, "ENOMEM"}};
    for (const auto& name : kNames)
        if (name.first == -result)
            return std::string("-") + name.second;
    return std::to_string(result);
}

std::string requestName(unsigned long request) {
    const char* name = device::v4l2::ioctlName(request);
    return name != nullptr ? name : std::to_string(request);
}

std::string pollEventNames(short events) {
    static const std::pair<short, const char*> kNames[] = {
        {POLLIN, "IN"},   {POLLPRI, "PRI"},   {POLLOUT, "OUT"},      {POLLERR, "ERR"},
        {POLLHUP, "HUP"}, {POLLNVAL, "NVAL"}, {POLLRDNORM, "RDNORM"}};
    std::string text;
    for (const auto& name : kNames)
        if (events & name.first)
            text += (text.empty() ? "" : "|") + std::string(name.second);
    return text.empty() ? "none" : text;
}

void RecordingSysIo::startRecording() {
    std::lock_guard<std::mutex> lock(mutex_);
    recording_ = true;
}

std::string RecordingSysIo::summary() const {
    std::lock_guard<std::mutex> lock(mutex_);
    std::string text;
    for (const std::string& call : order_)
        text += (text.empty() ? "" : ", ") + call + " x" + std::to_string(counts_.at(call));
    return text.empty() ? "no calls" : text;
}

void RecordingSysIo::note(const std::string& call, int result) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (!recording_)
        return;
    const std::string key = call + " " + errnoName(result);
    if (counts_[key]++ == 0)
        order_.push_back(key);
}

int RecordingSysIo::open(const std::string& path, int flags) {
    const int r = real_->open(path, flags);
    note("open", r < 0 ? r : 0);
    return r;
}

int RecordingSysIo::close(int fd) {
    const int r = real_->close(fd);
    note("close", r);
    return r;
}

int RecordingSysIo::ioctl(int fd, unsigned long request, void* arg) {
    const int r = real_->ioctl(fd, request, arg);
    note(requestName(request), r);
    return r;
}

void* RecordingSysIo::mmap(size_t length, int fd, off_t offset, int& error) {
    void* address = real_->mmap(length, fd, offset, error);
    note("mmap", address ? 0 : -error);
    return address;
}

int RecordingSysIo::munmap(void* address, size_t length) {
    const int r = real_->munmap(address, length);
    note("munmap", r);
    return r;
}

int RecordingSysIo::poll(pollfd* fds, nfds_t count, int timeoutMs) {
    const int r = real_->poll(fds, count, timeoutMs);
    note("poll " + (r > 0 ? pollEventNames(fds[0].revents) : std::string("timeout")), r < 0 ? r : 0);
    return r;
}

bool RecordingSysIo::readFile(const std::string& path, std::string& contents, size_t maxBytes) {
    return real_->readFile(path, contents, maxBytes);
}

bool RecordingSysIo::listDirectory(const std::string& path, std::vector<std::string>& names) {
    return real_->listDirectory(path, names);
}
