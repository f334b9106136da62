#include "device/fake/fake_uvc.h"

#include <linux/usb/video.h>
#include <linux/uvcvideo.h>
#include <sys/eventfd.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "device/fake/usb_descriptor_builder.h"
#include "device/v4l2/format_catalog.h"
#include "device/v4l2/ioctl_name.h"
#include "device/v4l2/v4l2_xu.h"

namespace device::v4l2 {
namespace {

constexpr uint32_t kBufferOffsetStep = 0x100000;
constexpr uint32_t kMaxBuffers = 8;

const char* requestName(unsigned long request) {
    const char* name = ioctlName(request);
    return name != nullptr ? name : "ioctl?";
}

template <size_t N>
void copyText(uint8_t (&field)[N], const std::string& text) {
    std::memset(field, 0, N);
    std::memcpy(field, text.data(), std::min(N, text.size()));
}

FakeControl control(uint32_t id, int32_t min, int32_t max, int32_t step, int32_t def,
                    uint32_t type = V4L2_CTRL_TYPE_INTEGER, std::vector<int32_t> menu = {}) {
    return FakeControl{id, type, min, max, step, def, def, 0, std::move(menu)};
}

template <typename T, typename Match>
T* find(std::vector<T>& items, Match match) {
    auto it = std::find_if(items.begin(), items.end(), match);
    return it == items.end() ? nullptr : &*it;
}

// The frame size the camera offers in that format, or null.
FakeFrameSize* offered(FakeCamera& c, uint32_t pixelformat, uint32_t width, uint32_t height) {
    FakeFormat* f = find(c.formats, [&](const FakeFormat& f) { return f.pixelformat == pixelformat; });
    return f ? find(f->sizes, [&](const FakeFrameSize& s) { return s.width == width && s.height == height; })
             : nullptr;
}

// An automatic switch that is on keeps its control from being written, as the driver does.
bool lockedByAutomatic(std::vector<FakeControl>& controls, uint32_t id) {
    auto on = [&](uint32_t cid, auto isOn) {
        const FakeControl* found = find(controls, [&](const FakeControl& c) { return c.id == cid; });
        return found && isOn(found->value);
    };
    if (id == V4L2_CID_EXPOSURE_ABSOLUTE)
        return on(V4L2_CID_EXPOSURE_AUTO,
                  [](int32_t m) { return m == V4L2_EXPOSURE_AUTO || m == V4L2_EXPOSURE_APERTURE_PRIORITY; });
    const auto nonZero = [](int32_t m) { return m != 0; };
    return (id == V4L2_CID_WHITE_BALANCE_TEMPERATURE && on(V4L2_CID_AUTO_WHITE_BALANCE, nonZero)) ||
           (id == V4L2_CID_FOCUS_ABSOLUTE && on(V4L2_CID_FOCUS_AUTO, nonZero));
}

}  // namespace

FakeCamera fakeLumoraCamera() {
    FakeCamera c;
    c.descriptors = typicalCameraDescriptors(kUserModeUnitGuid);
    const v4l2_fract at30{1, 30}, at25{1, 25}, at15{1, 15};
    c.formats = {
        {V4L2_PIX_FMT_MJPEG, {{3520, 1104, {at30, at15}}, {1920, 1080, {at30, at25, at15}}}},
        {V4L2_PIX_FMT_H264, {{1920, 1080, {at30}}}},
        {V4L2_PIX_FMT_YUYV, {{640, 480, {at30, at15}}, {320, 240, {at30}}}},
    };
    c.controls = {
        control(V4L2_CID_BRIGHTNESS, -64, 64, 1, 0),
        control(V4L2_CID_CONTRAST, 0, 95, 1, 32),
        control(V4L2_CID_HUE, -2000, 2000, 1, 0),
        control(V4L2_CID_SATURATION, 0, 100, 1, 64),
        control(V4L2_CID_SHARPNESS, 0, 7, 1, 3),
        control(V4L2_CID_GAMMA, 100, 300, 1, 100),
        control(V4L2_CID_AUTO_WHITE_BALANCE, 0, 1, 1, 1, V4L2_CTRL_TYPE_BOOLEAN),
        control(V4L2_CID_WHITE_BALANCE_TEMPERATURE, 2800, 6500, 10, 4600),
        control(V4L2_CID_BACKLIGHT_COMPENSATION, 0, 2, 1, 1),
        control(V4L2_CID_GAIN, 0, 100, 1, 0),
        control(V4L2_CID_POWER_LINE_FREQUENCY, 0, 2, 1, 1, V4L2_CTRL_TYPE_MENU, {0, 1, 2}),
        control(V4L2_CID_PAN_ABSOLUTE, -36000, 36000, 3600, 0),
        control(V4L2_CID_TILT_ABSOLUTE, -36000, 36000, 3600, 0),
        control(V4L2_CID_ZOOM_ABSOLUTE, 100, 400, 1, 100),
        control(V4L2_CID_EXPOSURE_AUTO, 0, 3, 1, 3, V4L2_CTRL_TYPE_MENU, {1, 3}),
        control(V4L2_CID_EXPOSURE_ABSOLUTE, 3, 2047, 1, 156),
    };
    // The camera's selectors and their lengths; 12 and 15 do not exist.
    const std::pair<uint8_t, size_t> lengths[] = {{1, 1},  {2, 1},  {3, 1},  {4, 5},    {5, 1},
                                                  {6, 60}, {7, 60}, {8, 4},  {9, 4},    {10, 1},
                                                  {11, 1}, {13, 1}, {14, 1}, {16, 256}, {17, 512}};
    for (const auto& [selector, length] : lengths)
        c.xu.push_back(FakeXuControl{4, selector, std::vector<uint8_t>(length, 0)});
    return c;
}

void FakeUvc::plug(int number, FakeCamera camera) {
    std::lock_guard<std::mutex> lock(mutex_);
    auto node = std::make_shared<Node>();
    node->camera = std::move(camera);
    if (!node->camera.formats.empty() && !node->camera.formats[0].sizes.empty()) {
        const FakeFrameSize& size = node->camera.formats[0].sizes[0];
        applyFormat(*node, node->camera.formats[0].pixelformat, size.width, size.height);
    }
    nodes_[number] = node;
    tellMonitor(udevNode(number, node->camera, "add"));
    changed_.notify_all();
}

FakeUvc::~FakeUvc() {
    if (monitorFd_ >= 0)
        ::close(monitorFd_);
}

void FakeUvc::unplugLocked(int number) {
    auto it = nodes_.find(number);
    if (it == nodes_.end())
        return;
    it->second->gone = true;
    tellMonitor(udevNode(number, it->second->camera, "remove"));
    nodes_.erase(it);
    changed_.notify_all();
}

void FakeUvc::countCall() {
    if (unplugCountdown_ > 0 && --unplugCountdown_ == 0)
        while (!nodes_.empty())
            unplugLocked(nodes_.begin()->first);
}

std::shared_ptr<FakeUvc::Node> FakeUvc::enter(int fd, const char* what) {
    countCall();
    auto it = open_.find(fd);
    if (it != open_.end())
        return it->second;
    ++misuses_;
    record(what, 0, 0, -EBADF);
    return nullptr;
}

int FakeUvc::open(const std::string& path, int) {
    std::lock_guard<std::mutex> lock(mutex_);
    countCall();
    int number = -1;
    if (std::sscanf(path.c_str(), "/dev/video%d", &number) != 1 ||
        path != "/dev/video" + std::to_string(number))
        return -ENOENT;
    auto it = nodes_.find(number);
    if (it == nodes_.end())
        return -ENOENT;
    ++opens_[number];
    if (it->second->camera.openErrno)
        return -it->second->camera.openErrno;
    open_[nextFd_] = it->second;
    return nextFd_++;
}

void FakeUvc::stop(Node& node) {
    node.streaming = false;
    node.queued.clear();
    node.done.clear();
    for (Buffer& b : node.buffers)
        b.held = false;
}

int FakeUvc::close(int fd) {
    std::lock_guard<std::mutex> lock(mutex_);
    auto it = open_.find(fd);
    if (it == open_.end())
        return ++misuses_, record("close", 0, 0, -EBADF);
    const std::shared_ptr<Node> node = it->second;
    open_.erase(it);
    if (node->owner == fd) {  // the kernel stops the stream and frees the buffers; mappings live on
        stop(*node);
        node->buffers.clear();
        node->owner = -1;
    }
    return record("close", 0, 0, 0);
}

void FakeUvc::applyFormat(Node& node, uint32_t pixelformat, uint32_t width, uint32_t height) {
    const uint32_t bytesPerLine = pixelformat == V4L2_PIX_FMT_YUYV ? width * 2 : 0;
    node.fmt = v4l2_pix_format{
        width, height, pixelformat, V4L2_FIELD_NONE, bytesPerLine, width * height * 2, V4L2_COLORSPACE_SRGB};
    const FakeFrameSize* s = offered(node.camera, pixelformat, width, height);
    if (s && !s->intervals.empty())
        node.timePerFrame = s->intervals.front();
}

int FakeUvc::ioctl(int fd, unsigned long request, void* arg) {
    std::lock_guard<std::mutex> lock(mutex_);
    std::shared_ptr<Node> node = enter(fd, requestName(request));
    if (!node)
        return -EBADF;
    int result = 0;
    auto failure = failures_.find(request);
    if (node->gone) {
        result = -ENODEV;
    } else if (failure != failures_.end()) {
        result = -failure->second;
        failures_.erase(failure);
    } else if (request == VIDIOC_QUERYCAP) {
        auto* cap = static_cast<v4l2_capability*>(arg);
        *cap = v4l2_capability{};
        copyText(cap->driver, node->camera.driver);
        copyText(cap->card, node->camera.card);
        copyText(cap->bus_info, node->camera.busInfo);
        cap->device_caps = node->camera.deviceCaps;
        cap->capabilities = node->camera.deviceCaps | V4L2_CAP_VIDEO_CAPTURE | V4L2_CAP_META_CAPTURE |
                            V4L2_CAP_STREAMING | V4L2_CAP_DEVICE_CAPS;
    } else if (request == VIDIOC_QUERYCTRL || request == VIDIOC_QUERYMENU || request == VIDIOC_G_CTRL ||
               request == VIDIOC_S_CTRL) {
        return controlIoctl(*node, request, arg);
    } else if (request == UVCIOC_CTRL_QUERY) {
        return xuQuery(*node, arg);
    } else if (request == VIDIOC_REQBUFS || request == VIDIOC_QUERYBUF || request == VIDIOC_QBUF ||
               request == VIDIOC_DQBUF || request == VIDIOC_STREAMON || request == VIDIOC_STREAMOFF) {
        return bufferIoctl(*node, fd, request, arg);
    } else {
        result = formatIoctl(*node, request, arg);
    }
    return record(requestName(request), 0, 0, result);
}

int FakeUvc::formatIoctl(Node& node, unsigned long request, void* arg) {
    std::vector<FakeFormat>& formats = node.camera.formats;
    auto findFormat = [&](uint32_t pixelformat) {
        return find(formats, [&](const FakeFormat& f) { return f.pixelformat == pixelformat; });
    };
    if (request == VIDIOC_ENUM_FMT) {
        auto* desc = static_cast<v4l2_fmtdesc*>(arg);
        if (desc->type != V4L2_BUF_TYPE_VIDEO_CAPTURE || desc->index >= formats.size())
            return -EINVAL;
        *desc =
            v4l2_fmtdesc{desc->index, V4L2_BUF_TYPE_VIDEO_CAPTURE, 0, {}, formats[desc->index].pixelformat};
        return 0;
    }
    if (request == VIDIOC_ENUM_FRAMESIZES) {
        auto* e = static_cast<v4l2_frmsizeenum*>(arg);
        const FakeFormat* f = findFormat(e->pixel_format);
        if (!f || e->index >= (f->stepwise ? 1 : f->sizes.size()))
            return -EINVAL;
        e->type = f->stepwise ? V4L2_FRMSIZE_TYPE_STEPWISE : V4L2_FRMSIZE_TYPE_DISCRETE;
        if (f->stepwise)
            e->stepwise = f->range;
        else
            e->discrete = {f->sizes[e->index].width, f->sizes[e->index].height};
        return 0;
    }
    if (request == VIDIOC_ENUM_FRAMEINTERVALS) {
        auto* e = static_cast<v4l2_frmivalenum*>(arg);
        const FakeFormat* f = findFormat(e->pixel_format);
        const FakeFrameSize* s = offered(node.camera, e->pixel_format, e->width, e->height);
        if (s ? e->index >= s->intervals.size() : !f || !f->stepwise || e->index != 0)
            return -EINVAL;
        e->type = s ? V4L2_FRMIVAL_TYPE_DISCRETE : V4L2_FRMIVAL_TYPE_CONTINUOUS;
        if (s)
            e->discrete = s->intervals[e->index];
        else
            e->stepwise = {{1, 30}, {1, 1}, {1, 1}};
        return 0;
    }
    if (request == VIDIOC_G_FMT || request == VIDIOC_S_FMT) {
        auto* f = static_cast<v4l2_format*>(arg);
        if (f->type != V4L2_BUF_TYPE_VIDEO_CAPTURE)
            return -EINVAL;
        if (request == VIDIOC_S_FMT) {
            if (!node.buffers.empty())
                return -EBUSY;
            const FakeFormat* format = findFormat(f->fmt.pix.pixelformat);
            if (!format && !formats.empty())
                format = &formats[0];
            if (!format || format->sizes.empty())
                return -EINVAL;
            // The driver picks the nearest size it has.
            auto distance = [&](const FakeFrameSize& s) {
                const int64_t dw = int64_t(s.width) - f->fmt.pix.width,
                              dh = int64_t(s.height) - f->fmt.pix.height;
                return dw * dw + dh * dh;
            };
            const FakeFrameSize& best = *std::min_element(
                format->sizes.begin(), format->sizes.end(),
                [&](const FakeFrameSize& a, const FakeFrameSize& b) { return distance(a) < distance(b); });
            applyFormat(node, format->pixelformat, best.width, best.height);
        }
        f->fmt.pix = node.fmt;
        return 0;
    }
    if (request != VIDIOC_G_PARM && request != VIDIOC_S_PARM)
        return -ENOTTY;
    auto* p = static_cast<v4l2_streamparm*>(arg);
    if (p->type != V4L2_BUF_TYPE_VIDEO_CAPTURE)
        return -EINVAL;
    if (request == VIDIOC_S_PARM) {
        if (node.streaming)
            return -EBUSY;
        // As uvcvideo: the interval in 100 ns units, then the nearest one the size offers.
        const v4l2_fract wanted = p->parm.capture.timeperframe;
        auto distance = [&](const v4l2_fract& i) {
            return std::llabs(intervalFromFraction(i.numerator, i.denominator) -
                              intervalFromFraction(wanted.numerator, wanted.denominator));
        };
        const FakeFrameSize* size =
            offered(node.camera, node.fmt.pixelformat, node.fmt.width, node.fmt.height);
        if (wanted.denominator != 0 && size && !size->intervals.empty())
            node.timePerFrame = *std::min_element(
                size->intervals.begin(), size->intervals.end(),
                [&](const v4l2_fract& a, const v4l2_fract& b) { return distance(a) < distance(b); });
    }
    p->parm.capture = v4l2_captureparm{};
    p->parm.capture.capability = V4L2_CAP_TIMEPERFRAME;
    p->parm.capture.timeperframe = node.timePerFrame;
    return 0;
}

int FakeUvc::bufferIoctl(Node& node, int fd, unsigned long request, void* arg) {
    const char* name = requestName(request);
    auto done = [&](int result, int64_t value = 0) { return record(name, 0, value, result); };
    const bool otherOwner = node.owner >= 0 && node.owner != fd;
    // As uvcvideo: every call but REQBUFS needs a descriptor that owns the queue (its
    // REQBUFS with buffers); any other gets EBUSY, before the queue's own rules.
    const bool owns = node.owner == fd;
    if (request == VIDIOC_STREAMON || request == VIDIOC_STREAMOFF) {
        if (*static_cast<int*>(arg) != V4L2_BUF_TYPE_VIDEO_CAPTURE)
            return done(-EINVAL);
        if (!owns)
            return done(-EBUSY);
        if (request == VIDIOC_STREAMON) {
            node.streaming = true;
        } else {  // also without buffers: nothing to stop
            stop(node);
            node.waitingForBuffers = true;
        }
        changed_.notify_all();
        return done(0);
    }
    if (request == VIDIOC_REQBUFS) {
        auto* r = static_cast<v4l2_requestbuffers*>(arg);
        if (r->type != V4L2_BUF_TYPE_VIDEO_CAPTURE || r->memory != V4L2_MEMORY_MMAP)
            return done(-EINVAL);
        const int64_t asked = r->count;
        if (otherOwner || node.streaming)
            return done(-EBUSY, asked);
        stop(node);
        node.buffers.clear();  // buffers still mapped are orphaned: their memory lives on until munmap
        node.owner = -1;
        node.waitingForBuffers = true;
        if (r->count > 0) {
            r->count = std::min(r->count, kMaxBuffers);
            node.buffers.resize(r->count);
            for (Buffer& b : node.buffers)
                b.memory = std::make_shared<std::vector<uint8_t>>(node.fmt.sizeimage);
            node.owner = fd;
        }
        return done(0, asked);
    }
    auto* b = static_cast<v4l2_buffer*>(arg);
    if (b->type != V4L2_BUF_TYPE_VIDEO_CAPTURE || b->memory != V4L2_MEMORY_MMAP)
        return done(-EINVAL);
    if (!owns)
        return done(-EBUSY);
    if (request == VIDIOC_DQBUF) {
        if (!node.streaming)
            return done(-EINVAL);
        if (node.done.empty())
            return done(-EAGAIN);
        b->index = node.done.front();
        node.done.pop_front();
        Buffer& buffer = node.buffers[b->index];
        buffer.held = false;
        b->bytesused = buffer.bytesused;
        b->flags = buffer.flags | V4L2_BUF_FLAG_MAPPED;
        b->timestamp = buffer.timestamp;
        b->field = V4L2_FIELD_NONE;
        b->length = uint32_t(buffer.memory->size());
        return done(0, b->index);
    }
    if (b->index >= node.buffers.size())
        return done(-EINVAL);
    Buffer& buffer = node.buffers[b->index];
    if (request == VIDIOC_QUERYBUF) {
        b->length = uint32_t(buffer.memory->size());
        b->m.offset = b->index * kBufferOffsetStep;
        return done(0, b->index);
    }
    if (buffer.held)  // QBUF
        return done(-EINVAL, b->index);
    buffer.held = true;
    node.queued.push_back(b->index);
    node.waitingForBuffers = false;
    changed_.notify_all();
    return done(0, b->index);
}

int FakeUvc::controlIoctl(Node& node, unsigned long request, void* arg) {
    auto findControl = [&](uint32_t id) {
        return find(node.camera.controls, [&](const FakeControl& c) { return c.id == id; });
    };
    const char* name = requestName(request);
    if (request == VIDIOC_QUERYCTRL) {
        auto* q = static_cast<v4l2_queryctrl*>(arg);
        const FakeControl* c = findControl(q->id);
        if (!c)
            return record(name, q->id, 0, -EINVAL);
        *q = v4l2_queryctrl{c->id,   c->type,         {},       c->minimum, c->maximum,
                            c->step, c->defaultValue, c->flags, {}};
        std::snprintf(reinterpret_cast<char*>(q->name), sizeof q->name, "control %x", c->id);
        return record(name, q->id, 0, 0);
    }
    if (request == VIDIOC_QUERYMENU) {
        auto* m = static_cast<v4l2_querymenu*>(arg);
        const FakeControl* c = findControl(m->id);
        const bool offered = c && c->type == V4L2_CTRL_TYPE_MENU &&
                             std::count(c->menu.begin(), c->menu.end(), int32_t(m->index));
        if (offered)
            std::snprintf(reinterpret_cast<char*>(m->name), sizeof m->name, "entry %u", m->index);
        return record(name, m->id, m->index, offered ? 0 : -EINVAL);
    }
    auto* v = static_cast<v4l2_control*>(arg);
    FakeControl* c = findControl(v->id);
    int result = 0;
    if (!c) {
        result = -EINVAL;
    } else if (request == VIDIOC_G_CTRL) {
        v->value = c->value;
    } else if (c->flags & V4L2_CTRL_FLAG_READ_ONLY || lockedByAutomatic(node.camera.controls, c->id)) {
        result = -EACCES;
    } else if (c->type == V4L2_CTRL_TYPE_MENU && !std::count(c->menu.begin(), c->menu.end(), v->value)) {
        result = -EINVAL;
    } else {
        c->value = std::clamp(v->value, c->minimum, c->maximum);
    }
    return record(name, v->id, v->value, result);
}

int FakeUvc::xuQuery(Node& node, void* arg) {
    auto* q = static_cast<uvc_xu_control_query*>(arg);
    auto done = [&](int result) {
        return record("XU_QUERY", uint32_t(q->unit) << 8 | q->selector, q->query, result);
    };
    FakeXuControl* control = find(node.camera.xu, [&](const FakeXuControl& x) {
        return x.unit == q->unit && x.selector == q->selector;
    });
    if (!control)
        return done(-ENOENT);
    const uint16_t length = uint16_t(control->value.size());
    const bool get = q->query == UVC_GET_CUR;
    if (q->query != UVC_GET_LEN && !get && q->query != UVC_SET_CUR)
        return done(-EINVAL);
    if (q->size != (q->query == UVC_GET_LEN ? 2 : length))
        return done(-ENOBUFS);
    if (!q->data)
        return done(-EFAULT);
    if (q->query == UVC_GET_LEN) {
        q->data[0] = uint8_t(length);
        q->data[1] = uint8_t(length >> 8);
    } else {
        std::memcpy(get ? q->data : control->value.data(), get ? control->value.data() : q->data, length);
    }
    return done(0);
}

void* FakeUvc::mmap(size_t length, int fd, off_t offset, int& error) {
    std::lock_guard<std::mutex> lock(mutex_);
    std::shared_ptr<Node> node = enter(fd, "mmap");
    const uint32_t index = uint32_t(offset / kBufferOffsetStep);
    if (!node)
        return error = EBADF, nullptr;
    if (node->gone)
        error = ENODEV;
    else if (node->owner != fd || offset % kBufferOffsetStep != 0 || index >= node->buffers.size() ||
             length > node->buffers[index].memory->size())
        error = EINVAL;
    else
        error = 0;
    record("mmap", index, int64_t(length), -error);
    if (error)
        return nullptr;
    const auto& memory = node->buffers[index].memory;  // kept until munmap, also when orphaned
    mappings_[memory->data()] = {length, memory};
    return memory->data();
}

int FakeUvc::munmap(void* address, size_t length) {
    std::lock_guard<std::mutex> lock(mutex_);
    auto it = mappings_.find(address);
    if (it == mappings_.end() || it->second.first != length)
        return ++misuses_, record("munmap", 0, int64_t(length), -EINVAL);
    mappings_.erase(it);
    return record("munmap", 0, int64_t(length), 0);
}

int FakeUvc::poll(pollfd* fds, nfds_t, int timeoutMs) {
    std::unique_lock<std::mutex> lock(mutex_);
    pollfd& p = fds[0];
    std::shared_ptr<Node> node = enter(p.fd, "poll");
    const auto deadline =
        std::chrono::steady_clock::now() + std::chrono::milliseconds(std::max(timeoutMs, 0));
    for (;;) {
        // Without a node: POLLNVAL. Not streaming, or no QBUF since REQBUFS or STREAMOFF: nothing to wait
        // for.
        p.revents = !node                     ? POLLNVAL
                    : node->gone              ? POLLERR | POLLHUP
                    : !node->streaming        ? POLLERR
                    : !node->done.empty()     ? short(p.events & (POLLIN | POLLRDNORM))
                    : node->waitingForBuffers ? POLLERR
                                              : 0;
        if (p.revents)
            return 1;
        if (changed_.wait_until(lock, deadline) == std::cv_status::timeout)
            return 0;
    }
}

bool FakeUvc::pushFrame(int number, const std::vector<uint8_t>& bytes, uint32_t flags) {
    std::lock_guard<std::mutex> lock(mutex_);
    auto it = nodes_.find(number);
    if (it == nodes_.end() || !it->second->streaming || it->second->queued.empty())
        return false;
    Node& node = *it->second;
    const uint32_t index = node.queued.front();
    node.queued.pop_front();
    Buffer& buffer = node.buffers[index];
    const size_t n = std::min(bytes.size(), buffer.memory->size());
    std::memcpy(buffer.memory->data(), bytes.data(), n);
    buffer.bytesused = uint32_t(n);
    buffer.flags = flags | V4L2_BUF_FLAG_TIMESTAMP_MONOTONIC;
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    buffer.timestamp = timeval{now.tv_sec, now.tv_nsec / 1000};
    node.done.push_back(index);
    changed_.notify_all();
    return true;
}

bool FakeUvc::waitForQueuedBuffers(int number, int timeoutMs) {
    std::unique_lock<std::mutex> lock(mutex_);
    return changed_.wait_for(lock, std::chrono::milliseconds(timeoutMs), [&] {
        auto it = nodes_.find(number);
        return it != nodes_.end() && it->second->streaming && !it->second->buffers.empty() &&
               it->second->queued.size() == it->second->buffers.size();
    });
}

bool FakeUvc::readFile(const std::string& path, std::string& contents, size_t maxBytes) {
    std::lock_guard<std::mutex> lock(mutex_);
    contents.clear();
    int number = -1;
    char rest[128] = {};
    if (std::sscanf(path.c_str(), "/sys/class/video4linux/video%d/device/%127s", &number, rest) != 2 ||
        !nodes_.count(number))
        return false;
    const FakeCamera& c = nodes_[number]->camera;
    const std::string file = rest;
    if (c.idVendor.empty())
        return false;
    if (file == "../idVendor")
        contents = c.idVendor + "\n";
    else if (file == "../idProduct")
        contents = c.idProduct + "\n";
    else if (file == "../product" && !c.product.empty())
        contents = c.product + "\n";
    else if (file == "../descriptors" && !c.descriptors.empty())
        contents.assign(c.descriptors.begin(), c.descriptors.end());
    else if (file == "bInterfaceNumber")
        contents = "00\n";
    else
        return false;
    contents.resize(std::min(contents.size(), maxBytes));
    return true;
}

bool FakeUvc::listDirectory(const std::string& path, std::vector<std::string>& names) {
    std::lock_guard<std::mutex> lock(mutex_);
    names = {"null", "video", "vbi0", "zero"};
    for (const auto& entry : nodes_)
        names.push_back("video" + std::to_string(entry.first));
    std::reverse(names.begin(), names.end());  // directories come in no particular order
    return path == "/dev";
}

UdevNode FakeUvc::udevNode(int number, const FakeCamera& c, const char* action) {
    UdevNode node;
    node.action = action;
    node.sysname = "video" + std::to_string(number);
    node.devnode = "/dev/" + node.sysname;
    if (!c.udevDescribed)
        return node;
    // v4l_id's capabilities from the node's device_caps (a metadata node has none of them).
    std::string caps = ":";
    if (c.deviceCaps & V4L2_CAP_VIDEO_CAPTURE)
        caps += "capture:";
    if (c.deviceCaps & V4L2_CAP_VIDEO_OUTPUT)
        caps += "video_output:";
    node.properties = {{"ID_V4L_PRODUCT", c.card}, {"ID_V4L_CAPABILITIES", caps}, {"ID_PATH", c.busInfo}};
    if (!c.idVendor.empty()) {  // usb_id's, with the product string encoded as udev does
        std::string encoded;
        for (char ch : c.product)
            encoded += ch == ' ' ? std::string("\\x20") : std::string(1, ch);
        node.properties.insert({{"ID_VENDOR_ID", c.idVendor},
                                {"ID_MODEL_ID", c.idProduct},
                                {"ID_MODEL_ENC", encoded},
                                {"ID_USB_DRIVER", c.driver}});
    }
    return node;
}

void FakeUvc::tellMonitor(UdevNode event) {
    if (monitorFd_ < 0)
        return;
    events_.push_back(std::move(event));
    const uint64_t one = 1;
    if (::write(monitorFd_, &one, sizeof one) < 0)
        std::abort();
}

bool FakeUvc::listVideoDevices(std::vector<UdevNode>& nodes) {
    std::lock_guard<std::mutex> lock(mutex_);
    nodes.clear();
    for (const auto& entry : nodes_)
        nodes.push_back(udevNode(entry.first, entry.second->camera, ""));
    std::reverse(nodes.begin(), nodes.end());  // udev's order is the kernel's, not the numbers'
    return true;
}

int FakeUvc::startMonitor() {
    std::lock_guard<std::mutex> lock(mutex_);
    if (monitorFd_ < 0)
        monitorFd_ = eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
    return monitorFd_ >= 0 ? monitorFd_ : -errno;
}

bool FakeUvc::nextEvent(UdevNode& event) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (events_.empty()) {
        uint64_t count = 0;
        if (monitorFd_ >= 0 && ::read(monitorFd_, &count, sizeof count) < 0) {
            // already drained
        }
        return false;
    }
    event = std::move(events_.front());
    events_.pop_front();
    return true;
}

int32_t FakeUvc::controlValue(int number, uint32_t id) const {
    return inspect(number, INT32_MIN, [&](Node& n) {
        const FakeControl* c = find(n.camera.controls, [&](const FakeControl& c) { return c.id == id; });
        return c ? c->value : INT32_MIN;
    });
}

}  // namespace device::v4l2
