#include "driver_answers.h"

#include <fcntl.h>
#include <linux/videodev2.h>
#include <sys/mman.h>

#include <string>
#include <vector>

#include "device/v4l2/capture_nodes.h"
#include "recording_sys_io.h"

namespace {
using device::v4l2::SysIo;

// One open node and the calls asked on it, each compared with the answer expected: the
// one the fake uvcvideo gives. Answers are "0", "-EINVAL", "poll ERR|HUP" or "poll timeout".
class Questions {
public:
    Questions(ProbeReport& report, SysIo& io, int fd, bool uvcvideo)
        : report_(report), io_(io), fd_(fd), uvcvideo_(uvcvideo) {}

    int ioctl(unsigned long request, void* arg) { return io_.ioctl(fd_, request, arg); }
    void expect(const std::string& what, const std::string& expected, const std::string& answer) {
        report_.check("driver: " + what, answer == expected, answer + " (fake: " + expected + ")");
    }
    // Only reported: the answer belongs to vivid, uvcvideo answers otherwise.
    void tell(const std::string& what, const std::string& answer) {
        report_.note("driver: " + what + ": " + answer);
    }
    // An answer of uvcvideo's own (and the fake's): checked where the driver is uvcvideo,
    // only reported on another driver.
    void expectUvc(const std::string& what, const std::string& expected, const std::string& answer) {
        if (uvcvideo_)
            expect(what, expected, answer);
        else
            tell(what + " (uvcvideo: " + expected + ")", answer);
    }

    std::string reqbufs(int fd, uint32_t count, uint32_t* granted = nullptr) {
        v4l2_requestbuffers r{};
        r.count = count;
        r.type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
        r.memory = V4L2_MEMORY_MMAP;
        const int result = io_.ioctl(fd, VIDIOC_REQBUFS, &r);
        if (granted)
            *granted = r.count;
        return errnoName(result);
    }
    std::string buffer(unsigned long request, uint32_t index, v4l2_buffer* out = nullptr) {
        v4l2_buffer b{};
        b.type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
        b.memory = V4L2_MEMORY_MMAP;
        b.index = index;
        const int result = ioctl(request, &b);
        if (out)
            *out = b;
        return errnoName(result);
    }
    std::string stream(unsigned long request) {
        int type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
        return errnoName(ioctl(request, &type));
    }
    std::string poll(int timeoutMs) {
        pollfd p{fd_, POLLIN, 0};
        const int result = io_.poll(&p, 1, timeoutMs);
        return result < 0    ? errnoName(result)
               : result == 0 ? "poll timeout"
                             : "poll " + pollEventNames(p.revents);
    }

private:
    ProbeReport& report_;
    SysIo& io_;
    int fd_;
    bool uvcvideo_;
};

// The buffer queue's rules (videobuf2's, the same under uvcvideo) in the order a stream
// meets them. uvcvideo answers every buffer call of a descriptor that does not own the
// queue (no REQBUFS yet, or REQBUFS 0 gave it up) with EBUSY before videobuf2 sees it.
void askBuffers(Questions& q, SysIo& io, int fd, const std::string& path) {
    q.expectUvc("DQBUF before any REQBUFS", "-EBUSY", q.buffer(VIDIOC_DQBUF, 0));
    q.expectUvc("STREAMON without buffers", "-EBUSY", q.stream(VIDIOC_STREAMON));
    q.expectUvc("STREAMOFF without buffers", "-EBUSY", q.stream(VIDIOC_STREAMOFF));
    uint32_t count = 0;
    q.expect("REQBUFS 4", "0", q.reqbufs(fd, 4, &count));
    if (count == 0)
        return;
    v4l2_format format{};
    format.type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
    q.ioctl(VIDIOC_G_FMT, &format);
    q.expect("S_FMT with buffers allocated", "-EBUSY", errnoName(q.ioctl(VIDIOC_S_FMT, &format)));
    const int other = io.open(path, O_RDWR | O_NONBLOCK | O_CLOEXEC);
    q.expect("REQBUFS on a second descriptor", "-EBUSY", q.reqbufs(other, 1));
    io.close(other);

    std::vector<std::pair<void*, size_t>> mappings;
    for (uint32_t i = 0; i < count; ++i) {
        v4l2_buffer b{};
        q.buffer(VIDIOC_QUERYBUF, i, &b);
        int error = 0;
        void* address = io.mmap(b.length, fd, off_t(b.m.offset), error);
        if (address != nullptr)
            mappings.emplace_back(address, b.length);
    }
    q.expect("mmap of every buffer", std::to_string(count), std::to_string(mappings.size()));
    q.expect("QBUF beyond the buffers", "-EINVAL", q.buffer(VIDIOC_QBUF, count));
    for (uint32_t i = 0; i < count; ++i)
        q.buffer(VIDIOC_QBUF, i);
    q.expect("QBUF of a queued buffer", "-EINVAL", q.buffer(VIDIOC_QBUF, 0));
    q.expect("poll with buffers queued before STREAMON", "poll ERR", q.poll(0));
    q.expect("STREAMON", "0", q.stream(VIDIOC_STREAMON));
    q.expect("STREAMON again", "0", q.stream(VIDIOC_STREAMON));
    q.expect("REQBUFS while streaming", "-EBUSY", q.reqbufs(fd, 4));
    v4l2_streamparm parm{};
    parm.type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
    q.ioctl(VIDIOC_G_PARM, &parm);
    q.expectUvc("S_PARM while streaming", "-EBUSY", errnoName(q.ioctl(VIDIOC_S_PARM, &parm)));

    uint32_t dequeued = 0;
    for (uint32_t i = 0; i < count; ++i)
        if (q.poll(2000) != "poll timeout" && q.buffer(VIDIOC_DQBUF, 0) == "0")
            ++dequeued;
    q.expect("every buffer filled and dequeued", std::to_string(count), std::to_string(dequeued));
    q.expect("DQBUF with nothing filled", "-EAGAIN", q.buffer(VIDIOC_DQBUF, 0));
    q.expect("poll while streaming with nothing queued", "poll timeout", q.poll(200));
    q.expect("STREAMOFF", "0", q.stream(VIDIOC_STREAMOFF));
    q.expect("DQBUF after STREAMOFF", "-EINVAL", q.buffer(VIDIOC_DQBUF, 0));
    q.expect("REQBUFS 0 while the buffers are mapped", "0", q.reqbufs(fd, 0));
    q.expectUvc("QUERYBUF after REQBUFS 0", "-EBUSY", q.buffer(VIDIOC_QUERYBUF, 0));
    int unmapped = 0;
    for (const auto& mapping : mappings)
        unmapped += io.munmap(mapping.first, mapping.second) == 0 ? 1 : 0;
    q.expect("munmap of every buffer", std::to_string(mappings.size()), std::to_string(unmapped));
    q.expect("REQBUFS 0 after munmap", "0", q.reqbufs(fd, 0));
}

// Control answers of the standard brightness control (vivid's come from the kernel's
// control framework, uvcvideo has its own: only those both share are compared).
void askControls(Questions& q) {
    v4l2_queryctrl query{};
    query.id = V4L2_CID_BRIGHTNESS;
    if (q.ioctl(VIDIOC_QUERYCTRL, &query) != 0) {
        q.tell("brightness", "not offered");
        return;
    }
    v4l2_control control{V4L2_CID_BRIGHTNESS, query.maximum + 10};
    q.expect("S_CTRL beyond the maximum", "0", errnoName(q.ioctl(VIDIOC_S_CTRL, &control)));
    q.ioctl(VIDIOC_G_CTRL, &control);
    q.expect("value after S_CTRL beyond the maximum", std::to_string(query.maximum),
             std::to_string(control.value));
    control.value = query.default_value;
    q.ioctl(VIDIOC_S_CTRL, &control);
    v4l2_control unknown{V4L2_CID_BASE + 200, 0};
    q.expect("G_CTRL of an unknown control", "-EINVAL", errnoName(q.ioctl(VIDIOC_G_CTRL, &unknown)));
    // A gain under automatic control (vivid's autogain; uvcvideo has none) takes a write
    // without a word and keeps its own value. The backend maps no automatic gain, so the
    // automatic mode is switched off for the control checks that follow.
    v4l2_control autogain{V4L2_CID_AUTOGAIN, 0};
    v4l2_control gain{V4L2_CID_GAIN, 0};
    if (q.ioctl(VIDIOC_G_CTRL, &autogain) == 0 && autogain.value != 0 && q.ioctl(VIDIOC_G_CTRL, &gain) == 0) {
        const int before = gain.value;
        gain.value = before == 1 ? 2 : 1;
        const int result = q.ioctl(VIDIOC_S_CTRL, &gain);
        q.ioctl(VIDIOC_G_CTRL, &gain);
        q.tell("gain set to " + std::string(before == 1 ? "2" : "1") + " under autogain",
               errnoName(result) + ", reads " + std::to_string(gain.value) + " (was " +
                   std::to_string(before) + "); autogain switched off");
        autogain.value = 0;
        q.ioctl(VIDIOC_S_CTRL, &autogain);
    }
    v4l2_frmivalenum interval{};
    interval.pixel_format = V4L2_PIX_FMT_YUYV;
    interval.width = 12345;
    interval.height = 17;
    q.expect("ENUM_FRAMEINTERVALS of a size not offered", "-EINVAL",
             errnoName(q.ioctl(VIDIOC_ENUM_FRAMEINTERVALS, &interval)));
}
}  // namespace

void checkDriverAnswers(ProbeReport& report, const std::shared_ptr<SysIo>& io) {
    std::string path;
    bool uvcvideo = false;
    for (const auto& node : device::v4l2::listCaptureNodes(io).nodes)
        if (node.name == "Lumora X8") {
            path = node.path;
            uvcvideo = node.driver == "uvcvideo";
        }
    const int fd = path.empty() ? -1 : io->open(path, O_RDWR | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        report.check("driver answers", false, "no node to ask");
        return;
    }
    Questions q(report, *io, fd, uvcvideo);
    askControls(q);
    askBuffers(q, *io, fd, path);
    io->close(fd);
    // Last, on a node of its own: a driver that offers read() starts it from a poll.
    const int reader = io->open(path, O_RDWR | O_NONBLOCK | O_CLOEXEC);
    Questions r(report, *io, reader, uvcvideo);
    r.expectUvc("poll before any REQBUFS (no read())", "poll ERR", r.poll(100));
    io->close(reader);
}
