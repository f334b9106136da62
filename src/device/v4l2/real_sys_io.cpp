#include <dirent.h>
#include <fcntl.h>
#include <sys/ioctl.h>
#include <sys/mman.h>
#include <unistd.h>

#include <cerrno>

#include "device/v4l2/sys_io.h"

namespace device::v4l2 {
namespace {

class RealSysIo : public SysIo {
public:
    int open(const std::string& path, int flags) override {
        int fd;
        do {
            fd = ::open(path.c_str(), flags | O_CLOEXEC);
        } while (fd < 0 && errno == EINTR);
        return fd < 0 ? -errno : fd;
    }
    int close(int fd) override { return ::close(fd) < 0 ? -errno : 0; }
    int ioctl(int fd, unsigned long request, void* arg) override {
        int r;
        do {
            r = ::ioctl(fd, request, arg);
        } while (r < 0 && errno == EINTR);
        return r < 0 ? -errno : r;
    }
    void* mmap(size_t length, int fd, off_t offset, int& error) override {
        void* p = ::mmap(nullptr, length, PROT_READ | PROT_WRITE, MAP_SHARED, fd, offset);
        if (p == MAP_FAILED) {
            error = errno;
            return nullptr;
        }
        error = 0;
        return p;
    }
    int munmap(void* address, size_t length) override { return ::munmap(address, length) < 0 ? -errno : 0; }
    int poll(pollfd* fds, nfds_t count, int timeoutMs) override {
        int r = ::poll(fds, count, timeoutMs);
        return r < 0 ? -errno : r;
    }
    bool readFile(const std::string& path, std::string& contents, size_t maxBytes) override {
        contents.clear();
        int fd = open(path, O_RDONLY);
        if (fd < 0)
            return false;
        char chunk[4096];
        bool ok = true;
        while (contents.size() < maxBytes) {
            ssize_t n = ::read(fd, chunk, sizeof chunk);
            if (n < 0 && errno == EINTR)
                continue;
            if (n < 0)
                ok = false;
            if (n <= 0)
                break;
            contents.append(chunk, size_t(n));
        }
        if (contents.size() > maxBytes)
            contents.resize(maxBytes);
        ::close(fd);
        return ok;
    }
    bool listDirectory(const std::string& path, std::vector<std::string>& names) override {
        names.clear();
        DIR* dir = ::opendir(path.c_str());
        if (!dir)
            return false;
        while (dirent* entry = ::readdir(dir)) {
            std::string name = entry->d_name;
            if (name != "." && name != "..")
                names.push_back(name);
        }
        ::closedir(dir);
        return true;
    }
};

}  // namespace

std::shared_ptr<SysIo> makeRealSysIo() {
    return std::make_shared<RealSysIo>();
}

}  // namespace device::v4l2
