#pragma once
// A fake uvcvideo behind the system seam, answering as the kernel does (checked against a
// real driver by tools/vm/vivid-check.sh): ioctls with their error numbers, mmap buffers
// with videobuf2's rules (REQBUFS refused while streaming, mapped buffers orphaned),
// POLLERR|POLLHUP after an unplug, UVCIOC_CTRL_QUERY and the USB sysfs files. A camera can
// be unplugged at any moment (also after n calls) and come back under another number.
// Every call on a descriptor that is not open, and every bad munmap, is counted. It is
// also udev: its database describes the plugged nodes as udev's v4l_id and usb_id do, and
// its monitor tells of each plug and unplug.
#include <linux/videodev2.h>

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "device/v4l2/sys_io.h"
#include "device/v4l2/udev_io.h"
#include "device/v4l2/uvc_descriptors.h"

namespace device::v4l2 {

struct FakeFrameSize {
    uint32_t width = 0, height = 0;
    std::vector<v4l2_fract> intervals;  // shortest first
};

struct FakeFormat {
    uint32_t pixelformat = 0;
    std::vector<FakeFrameSize> sizes;
    bool stepwise = false;  // sizes[0] gives the smallest size, range the grid
    v4l2_frmsize_stepwise range{};
};

struct FakeControl {
    uint32_t id = 0, type = V4L2_CTRL_TYPE_INTEGER;
    int32_t minimum = 0, maximum = 0, step = 1, defaultValue = 0, value = 0;
    uint32_t flags = 0;
    std::vector<int32_t> menu;  // menu entries offered
};

struct FakeXuControl {
    uint8_t unit = 0, selector = 0;
    std::vector<uint8_t> value;  // its length is the control's length
};

struct FakeCamera {
    std::string card = "Lumora X8", driver = "uvcvideo", busInfo = "usb-0000:00:14.0-2";
    uint32_t deviceCaps = V4L2_CAP_VIDEO_CAPTURE | V4L2_CAP_STREAMING;
    std::string idVendor = "2e7e", idProduct = "0801";  // empty: not a USB device
    std::string product;                                // the USB product string; empty: no file
    std::vector<uint8_t> descriptors;                   // empty: the sysfs file is missing
    int openErrno = 0;
    bool udevDescribed = true;  // false: udev's rules left the node without properties
    std::vector<FakeFormat> formats;
    std::vector<FakeControl> controls;
    std::vector<FakeXuControl> xu;
};

// The camera the program is made for: MJPG 3520x1104, 1920x1080; H264 1920x1080; YUYV
// 640x480, 320x240; the standard controls (exposure menu MANUAL, APERTURE_PRIORITY);
// extension unit 4 with the camera's selectors 1 to 17 and their lengths.
FakeCamera fakeLumoraCamera();

struct FakeCall {
    std::string name;   // the ioctl ("S_CTRL", "XU_QUERY", ...) or "close", "mmap", "munmap"
    uint32_t id = 0;    // control id, or unit << 8 | selector for XU_QUERY
    int64_t value = 0;  // control value, REQBUFS count, XU query code
    int result = 0;     // 0 or -errno
};

class FakeUvc : public SysIo, public UdevIo {
public:
    ~FakeUvc() override;
    void plug(int number, FakeCamera camera);
    void unplug(int number) {
        locked([&] { unplugLocked(number); });
    }
    // The n-th system call from now (1: the next) finds every camera gone.
    void unplugAfterCalls(long n) {
        locked([&] { unplugCountdown_ = n; });
    }
    // The next ioctl of this request answers -error.
    void failNextIoctl(unsigned long request, int error) {
        locked([&] { failures_[request] = error; });
    }
    // Hands a sample to the next queued buffer of a streaming node; false when none was queued.
    bool pushFrame(int number, const std::vector<uint8_t>& bytes, uint32_t flags = 0);
    // Waits until the node streams with all its buffers queued (or the time-out passes).
    bool waitForQueuedBuffers(int number, int timeoutMs);

    // What the backend did and left.
    std::vector<FakeCall> calls() const {
        return locked([&] { return calls_; });
    }
    void clearCalls() {
        locked([&] { calls_.clear(); });
    }
    // Calls on a descriptor that is not open, and unmaps of what was not mapped so.
    int misuses() const {
        return locked([&] { return misuses_; });
    }
    int openDescriptors() const {
        return locked([&] { return int(open_.size()); });
    }
    // open() calls on /dev/videoN so far.
    int opens(int number) const {
        return locked([&] { return opens_.count(number) ? opens_.at(number) : 0; });
    }
    int liveMappings() const {
        return locked([&] { return int(mappings_.size()); });
    }
    bool streaming(int number) const {
        return inspect(number, false, [](Node& n) { return n.streaming; });
    }
    int allocatedBuffers(int number) const {
        return inspect(number, 0, [](Node& n) { return int(n.buffers.size()); });
    }
    v4l2_pix_format format(int number) const {
        return inspect(number, v4l2_pix_format{}, [](Node& n) { return n.fmt; });
    }
    v4l2_fract timePerFrame(int number) const {
        return inspect(number, v4l2_fract{}, [](Node& n) { return n.timePerFrame; });
    }
    int32_t controlValue(int number, uint32_t id) const;
    bool plugged(int number) const {
        return inspect(number, false, [](Node&) { return true; });
    }

    int open(const std::string& path, int flags) override;
    int close(int fd) override;
    int ioctl(int fd, unsigned long request, void* arg) override;
    void* mmap(size_t length, int fd, off_t offset, int& error) override;
    int munmap(void* address, size_t length) override;
    int poll(pollfd* fds, nfds_t count, int timeoutMs) override;
    bool readFile(const std::string& path, std::string& contents, size_t maxBytes) override;
    bool listDirectory(const std::string& path, std::vector<std::string>& names) override;

    bool listVideoDevices(std::vector<UdevNode>& nodes) override;
    int startMonitor() override;
    bool nextEvent(UdevNode& event) override;

private:
    struct Buffer {
        std::shared_ptr<std::vector<uint8_t>> memory;
        bool held = false;  // queued or done: the driver's
        uint32_t bytesused = 0, flags = 0;
        timeval timestamp{};
    };
    struct Node {
        FakeCamera camera;
        bool gone = false, streaming = false;
        bool waitingForBuffers = true;  // no QBUF since REQBUFS or STREAMOFF
        int owner = -1;                 // descriptor that holds the buffers
        std::vector<Buffer> buffers;
        std::deque<uint32_t> queued, done;
        v4l2_pix_format fmt{};
        v4l2_fract timePerFrame{1, 30};
    };

    template <typename F>
    auto locked(F f) const -> decltype(f()) {
        std::lock_guard<std::mutex> lock(mutex_);
        return f();
    }
    // What read(node) answers for the present node of that number, else fallback.
    template <typename T, typename Read>
    T inspect(int number, T fallback, Read read) const {
        std::lock_guard<std::mutex> lock(mutex_);
        auto it = nodes_.find(number);
        return it == nodes_.end() ? fallback : read(*it->second);
    }
    void countCall();  // the n-th of unplugAfterCalls pulls the plug
    // Counts the call; the node of an open descriptor, else null (and the call is counted as bad).
    std::shared_ptr<Node> enter(int fd, const char* what);
    int record(const char* name, uint32_t id, int64_t value, int result) {
        calls_.push_back(FakeCall{name, id, value, result});
        return result;
    }
    void unplugLocked(int number);
    static UdevNode udevNode(int number, const FakeCamera& camera, const char* action);
    void tellMonitor(UdevNode event);
    static void stop(Node& node);
    int formatIoctl(Node& node, unsigned long request, void* arg);
    int bufferIoctl(Node& node, int fd, unsigned long request, void* arg);
    int controlIoctl(Node& node, unsigned long request, void* arg);
    int xuQuery(Node& node, void* arg);
    static void applyFormat(Node& node, uint32_t pixelformat, uint32_t width, uint32_t height);

    mutable std::mutex mutex_;
    std::condition_variable changed_;
    std::map<int, std::shared_ptr<Node>> nodes_;  // present nodes by number
    std::map<int, std::shared_ptr<Node>> open_;   // open descriptors
    std::map<void*, std::pair<size_t, std::shared_ptr<std::vector<uint8_t>>>> mappings_;  // length, memory
    std::map<unsigned long, int> failures_;
    std::vector<FakeCall> calls_;
    std::map<int, int> opens_;
    int monitorFd_ = -1;  // an eventfd, readable while events wait
    std::deque<UdevNode> events_;
    int nextFd_ = 100, misuses_ = 0;
    long unplugCountdown_ = 0;
};

}  // namespace device::v4l2
