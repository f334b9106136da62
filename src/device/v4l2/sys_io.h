#pragma once
// The one seam through which the V4L2 backend reaches the system: device nodes, their
// ioctls and buffers, poll, and the sysfs and /dev listings. The real one calls the
// kernel; tests put a fake uvcvideo in its place.
//
// Failures come back as negative errno values (never through the global errno), so a
// fake can answer from any thread exactly as the kernel would.
#include <poll.h>
#include <sys/types.h>

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

namespace device::v4l2 {

class SysIo {
public:
    virtual ~SysIo() = default;

    // A descriptor (>= 0) or -errno.
    virtual int open(const std::string& path, int flags) = 0;
    // 0 or -errno.
    virtual int close(int fd) = 0;
    // 0 (or the ioctl's non-negative answer) or -errno; EINTR is retried inside.
    virtual int ioctl(int fd, unsigned long request, void* arg) = 0;
    // The mapping, or nullptr with error = errno.
    virtual void* mmap(size_t length, int fd, off_t offset, int& error) = 0;
    virtual int munmap(void* address, size_t length) = 0;
    // Number of ready descriptors, 0 on time-out, or -errno.
    virtual int poll(pollfd* fds, nfds_t count, int timeoutMs) = 0;

    // A small file (sysfs attribute or descriptor blob), at most maxBytes of it.
    virtual bool readFile(const std::string& path, std::string& contents, size_t maxBytes = 65536) = 0;
    // Entry names of a directory, without "." and "..".
    virtual bool listDirectory(const std::string& path, std::vector<std::string>& names) = 0;
};

// The kernel itself.
std::shared_ptr<SysIo> makeRealSysIo();

}  // namespace device::v4l2
