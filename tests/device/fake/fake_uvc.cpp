#include "device/fake/fake_uvc.h"

#include <linux/usb/video.h>
#include <linux/uvcvideo.h>
#include <time.h>

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

v4l2_fract fract(uint32_t n, uint32_t d) {
    return v4l2_fract{n, d};
}

FakeControl integer(uint32_t id, int32_t min, int32_t max, int32_t step, int32_t def) {
    FakeControl c;
    c.id = id;
    c.minimum = min;
    c.maximum = max;
    c.step = step;
    c.defaultValue = def;
    c.value = def;
    return c;
}

FakeControl boolean(uint32_t id, int32_t def) {
    FakeControl c = integer(id, 0, 1, 1, def);
    c.type = V4L2_CTRL_TYPE_BOOLEAN;
    return c;
}

FakeControl menu(uint32_t id, int32_t min, int32_t max, std::vector<int32_t> offered, int32_t def) {
    FakeControl c = integer(id, min, max, 1, def);
    c.type = V4L2_CTRL_TYPE_MENU;
    c.menu = std::move(offered);
    return c;
}

// The automatic switch that keeps a control from being written while it is on.
bool lockedByAutomatic(const std::vector<FakeControl>& controls, uint32_t id) {
    auto value = [&](uint32_t cid, int32_t& v) {
        for (const FakeControl& c : controls)
            if (c.id == cid) {
                v = c.value;
                return true;
            }
        return false;
    };
    int32_t mode = 0;
    switch (id) {
        case V4L2_CID_EXPOSURE_ABSOLUTE:
            return value(V4L2_CID_EXPOSURE_AUTO, mode) &&
                   (mode == V4L2_EXPOSURE_AUTO || mode == V4L2_EXPOSURE_APERTURE_PRIORITY);
        case V4L2_CID_WHITE_BALANCE_TEMPERATURE:
            return value(V4L2_CID_AUTO_WHITE_BALANCE, mode) && mode != 0;
        case V4L2_CID_FOCUS_ABSOLUTE:
            return value(V4L2_CID_FOCUS_AUTO, mode) && mode != 0;
        default:
            return false;
    }
}

}  // namespace

FakeCamera fakeLumoraCamera() {
    FakeCamera c;
    c.descriptors = typicalCameraDescriptors(kUserModeUnitGuid);
    c.formats = {
        {V4L2_PIX_FMT_MJPEG,
         {{3520, 1104, {fract(1, 30), fract(1, 15)}},
          {1920, 1080, {fract(1, 30), fract(1, 25), fract(1, 15)}}}},
        {V4L2_PIX_FMT_H264, {{1920, 1080, {fract(1, 30)}}}},
        {V4L2_PIX_FMT_YUYV, {{640, 480, {fract(1, 30), fract(1, 15)}}, {320, 240, {fract(1, 30)}}}},
    };
    c.controls = {
        integer(V4L2_CID_BRIGHTNESS, -64, 64, 1, 0),
        integer(V4L2_CID_CONTRAST, 0, 95, 1, 32),
        integer(V4L2_CID_HUE, -2000, 2000, 1, 0),
        integer(V4L2_CID_SATURATION, 0, 100, 1, 64),
        integer(V4L2_CID_SHARPNESS, 0, 7, 1, 3),
        integer(V4L2_CID_GAMMA, 100, 300, 1, 100),
        boolean(V4L2_CID_AUTO_WHITE_BALANCE, 1),
        integer(V4L2_CID_WHITE_BALANCE_TEMPERATURE, 2800, 6500, 10, 4600),
        integer(V4L2_CID_BACKLIGHT_COMPENSATION, 0, 2, 1, 1),
        integer(V4L2_CID_GAIN, 0, 100, 1, 0),
        menu(V4L2_CID_POWER_LINE_FREQUENCY, 0, 2, {0, 1, 2}, 1),
        integer(V4L2_CID_PAN_ABSOLUTE, -36000, 36000, 3600, 0),
        integer(V4L2_CID_TILT_ABSOLUTE, -36000, 36000, 3600, 0),
        integer(V4L2_CID_ZOOM_ABSOLUTE, 100, 400, 1, 100),
        menu(V4L2_CID_EXPOSURE_AUTO, 0, 3, {1, 3}, 3),
        integer(V4L2_CID_EXPOSURE_ABSOLUTE, 3, 2047, 1, 156),
    };
    // The camera's controls and their lengths; selectors 12 and 15 do not exist.
    const std::pair<uint8_t, size_t> lengths[] = {{1, 1},  {2, 1},  {3, 1},  {4, 5},    {5, 1},
                                                  {6, 60}, {7, 60}, {8, 4},  {9, 4},    {10, 1},
                                                  {11, 1}, {13, 1}, {14, 1}, {16, 256}, {17, 512}};
    for (const auto& control : lengths) {
        FakeXuControl x;
        x.unit = 4;
        x.selector = control.first;
        x.value.assign(control.second, 0);
        c.xu.push_back(x);
    }
    return c;
}

FakeCamera fakeMetadataNode(const FakeCamera& camera) {
    FakeCamera meta = camera;
    meta.deviceCaps = V4L2_CAP_META_CAPTURE | V4L2_CAP_STREAMING;
    meta.formats.clear();
    meta.controls.clear();
    meta.xu.clear();
    return meta;
}

FakeUvc::~FakeUvc() = default;

void FakeUvc::plug(int number, FakeCamera camera) {
    std::lock_guard<std::mutex> lock(mutex_);
    auto node = std::make_shared<Node>();
    node->number = number;
    node->camera = std::move(camera);
    if (!node->camera.formats.empty() && !node->camera.formats[0].sizes.empty()) {
        const FakeFrameSize& size = node->camera.formats[0].sizes[0];
        applyFormat(*node, node->camera.formats[0].pixelformat, size.width, size.height);
    }
    nodes_[number] = node;
    changed_.notify_all();
}

void FakeUvc::unplugLocked(int number) {
    auto it = nodes_.find(number);
    if (it == nodes_.end())
        return;
    it->second->gone = true;
    nodes_.erase(it);
    changed_.notify_all();
}

void FakeUvc::unplug(int number) {
    std::lock_guard<std::mutex> lock(mutex_);
    unplugLocked(number);
}

void FakeUvc::unplugAfterCalls(long n) {
    std::lock_guard<std::mutex> lock(mutex_);
    unplugCountdown_ = n;
}

void FakeUvc::failNextIoctl(unsigned long request, int error) {
    std::lock_guard<std::mutex> lock(mutex_);
    failures_[request] = error;
}

void FakeUvc::countCall() {
    if (unplugCountdown_ > 0 && --unplugCountdown_ == 0)
        while (!nodes_.empty())
            unplugLocked(nodes_.begin()->first);
}

void FakeUvc::record(const char* name, int fd, uint32_t id, int64_t value, int result) {
    calls_.push_back(FakeCall{name, fd, id, value, result});
}

FakeUvc::Descriptor* FakeUvc::descriptorOf(int fd, const char* what) {
    auto it = descriptors_.find(fd);
    if (it == descriptors_.end() || !it->second.open) {
        ++closedCalls_;
        record(what, fd, 0, 0, -EBADF);
        return nullptr;
    }
    return &it->second;
}

int FakeUvc::open(const std::string& path, int) {
    std::lock_guard<std::mutex> lock(mutex_);
    countCall();
    int number = -1;
    if (std::sscanf(path.c_str(), "/dev/video%d", &number) != 1 ||
        path != "/dev/video" + std::to_string(number)) {
        record("open", -1, 0, 0, -ENOENT);
        return -ENOENT;
    }
    auto it = nodes_.find(number);
    int result = it == nodes_.end() ? -ENOENT : -it->second->camera.openErrno;
    if (result == 0) {
        result = nextFd_++;
        descriptors_[result] = Descriptor{it->second, true};
    }
    record("open", result, uint32_t(number), 0, result < 0 ? result : 0);
    return result;
}

int FakeUvc::close(int fd) {
    std::lock_guard<std::mutex> lock(mutex_);
    Descriptor* d = descriptorOf(fd, "close");
    if (!d)
        return -EBADF;
    d->open = false;
    Node& node = *d->node;
    if (node.owner == fd) {
        // The kernel stops the stream and frees the buffers; mapped memory lives on until munmap.
        node.streaming = false;
        releaseQueue(node);
        node.buffers.clear();
        node.owner = -1;
    }
    record("close", fd, 0, 0, 0);
    return 0;
}

void FakeUvc::releaseQueue(Node& node) {
    node.queued.clear();
    node.done.clear();
    for (Buffer& b : node.buffers)
        b.state = Buffer::Dequeued;
}

void FakeUvc::applyFormat(Node& node, uint32_t pixelformat, uint32_t width, uint32_t height) {
    node.fmt = v4l2_pix_format{};
    node.fmt.width = width;
    node.fmt.height = height;
    node.fmt.pixelformat = pixelformat;
    node.fmt.field = V4L2_FIELD_NONE;
    node.fmt.bytesperline = pixelformat == V4L2_PIX_FMT_YUYV ? width * 2 : 0;
    node.fmt.sizeimage = width * height * 2;
    node.fmt.colorspace = V4L2_COLORSPACE_SRGB;
    for (const FakeFormat& f : node.camera.formats)
        if (f.pixelformat == pixelformat)
            for (const FakeFrameSize& s : f.sizes)
                if (s.width == width && s.height == height && !s.intervals.empty())
                    node.timePerFrame = s.intervals.front();
}

int FakeUvc::ioctl(int fd, unsigned long request, void* arg) {
    std::lock_guard<std::mutex> lock(mutex_);
    countCall();
    Descriptor* d = descriptorOf(fd, requestName(request));
    if (!d)
        return -EBADF;
    Node& node = *d->node;
    int result;
    auto failure = failures_.find(request);
    if (node.gone) {
        result = -ENODEV;
    } else if (failure != failures_.end()) {
        result = -failure->second;
        failures_.erase(failure);
    } else if (request == VIDIOC_QUERYCAP) {
        auto* cap = static_cast<v4l2_capability*>(arg);
        *cap = v4l2_capability{};
        copyText(cap->driver, node.camera.driver);
        copyText(cap->card, node.camera.card);
        copyText(cap->bus_info, node.camera.busInfo);
        cap->device_caps = node.camera.deviceCaps;
        cap->capabilities = node.camera.deviceCaps | V4L2_CAP_VIDEO_CAPTURE | V4L2_CAP_META_CAPTURE |
                            V4L2_CAP_STREAMING | V4L2_CAP_DEVICE_CAPS;
        result = 0;
    } else if (request == VIDIOC_QUERYCTRL || request == VIDIOC_QUERYMENU || request == VIDIOC_G_CTRL ||
               request == VIDIOC_S_CTRL) {
        return controlIoctl(node, fd, request, arg);
    } else if (request == UVCIOC_CTRL_QUERY) {
        return xuQuery(node, fd, arg);
    } else if (request == VIDIOC_REQBUFS || request == VIDIOC_QUERYBUF || request == VIDIOC_QBUF ||
               request == VIDIOC_DQBUF || request == VIDIOC_STREAMON || request == VIDIOC_STREAMOFF) {
        return bufferIoctl(node, fd, request, arg);
    } else {
        result = formatIoctl(node, request, arg);
    }
    record(requestName(request), fd, 0, 0, result);
    return result;
}

int FakeUvc::formatIoctl(Node& node, unsigned long request, void* arg) {
    const std::vector<FakeFormat>& formats = node.camera.formats;
    auto findFormat = [&](uint32_t pixelformat) -> const FakeFormat* {
        for (const FakeFormat& f : formats)
            if (f.pixelformat == pixelformat)
                return &f;
        return nullptr;
    };
    switch (request) {
        case VIDIOC_ENUM_FMT: {
            auto* desc = static_cast<v4l2_fmtdesc*>(arg);
            if (desc->type != V4L2_BUF_TYPE_VIDEO_CAPTURE || desc->index >= formats.size())
                return -EINVAL;
            const uint32_t index = desc->index;
            *desc = v4l2_fmtdesc{};
            desc->index = index;
            desc->type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
            desc->pixelformat = formats[index].pixelformat;
            return 0;
        }
        case VIDIOC_ENUM_FRAMESIZES: {
            auto* e = static_cast<v4l2_frmsizeenum*>(arg);
            const FakeFormat* f = findFormat(e->pixel_format);
            if (!f)
                return -EINVAL;
            if (f->stepwise) {
                if (e->index != 0)
                    return -EINVAL;
                e->type = V4L2_FRMSIZE_TYPE_STEPWISE;
                e->stepwise = f->range;
                return 0;
            }
            if (e->index >= f->sizes.size())
                return -EINVAL;
            e->type = V4L2_FRMSIZE_TYPE_DISCRETE;
            e->discrete.width = f->sizes[e->index].width;
            e->discrete.height = f->sizes[e->index].height;
            return 0;
        }
        case VIDIOC_ENUM_FRAMEINTERVALS: {
            auto* e = static_cast<v4l2_frmivalenum*>(arg);
            const FakeFormat* f = findFormat(e->pixel_format);
            if (!f)
                return -EINVAL;
            for (const FakeFrameSize& s : f->sizes) {
                if (s.width != e->width || s.height != e->height)
                    continue;
                if (e->index >= s.intervals.size())
                    return -EINVAL;
                e->type = V4L2_FRMIVAL_TYPE_DISCRETE;
                e->discrete = s.intervals[e->index];
                return 0;
            }
            if (f->stepwise && e->index == 0) {
                e->type = V4L2_FRMIVAL_TYPE_CONTINUOUS;
                e->stepwise.min = fract(1, 30);
                e->stepwise.max = fract(1, 1);
                e->stepwise.step = fract(1, 1);
                return 0;
            }
            return -EINVAL;
        }
        case VIDIOC_G_FMT: {
            auto* f = static_cast<v4l2_format*>(arg);
            if (f->type != V4L2_BUF_TYPE_VIDEO_CAPTURE)
                return -EINVAL;
            f->fmt.pix = node.fmt;
            return 0;
        }
        case VIDIOC_S_FMT: {
            auto* f = static_cast<v4l2_format*>(arg);
            if (f->type != V4L2_BUF_TYPE_VIDEO_CAPTURE)
                return -EINVAL;
            if (!node.buffers.empty())
                return -EBUSY;
            const FakeFormat* format = findFormat(f->fmt.pix.pixelformat);
            if (!format)
                format = formats.empty() ? nullptr : &formats[0];
            if (!format || format->sizes.empty())
                return -EINVAL;
            // The driver picks the nearest size it has.
            const FakeFrameSize* best = &format->sizes[0];
            uint64_t bestDistance = UINT64_MAX;
            for (const FakeFrameSize& s : format->sizes) {
                const int64_t dw = int64_t(s.width) - f->fmt.pix.width,
                              dh = int64_t(s.height) - f->fmt.pix.height;
                const uint64_t distance = uint64_t(dw * dw + dh * dh);
                if (distance < bestDistance) {
                    bestDistance = distance;
                    best = &s;
                }
            }
            applyFormat(node, format->pixelformat, best->width, best->height);
            f->fmt.pix = node.fmt;
            return 0;
        }
        case VIDIOC_G_PARM:
        case VIDIOC_S_PARM: {
            auto* p = static_cast<v4l2_streamparm*>(arg);
            if (p->type != V4L2_BUF_TYPE_VIDEO_CAPTURE)
                return -EINVAL;
            if (request == VIDIOC_S_PARM) {
                if (node.streaming)
                    return -EBUSY;
                // As uvcvideo: the interval in 100 ns units, then the nearest one the size offers.
                const v4l2_fract wanted = p->parm.capture.timeperframe;
                const int64_t target = intervalFromFraction(wanted.numerator, wanted.denominator);
                int64_t bestDistance = INT64_MAX;
                const std::vector<v4l2_fract>* offered = nullptr;
                for (const FakeFormat& f : formats)
                    if (f.pixelformat == node.fmt.pixelformat)
                        for (const FakeFrameSize& size : f.sizes)
                            if (size.width == node.fmt.width && size.height == node.fmt.height)
                                offered = &size.intervals;
                if (wanted.denominator != 0 && offered)
                    for (const v4l2_fract& i : *offered)
                        if (const int64_t distance =
                                std::llabs(intervalFromFraction(i.numerator, i.denominator) - target);
                            distance < bestDistance) {
                            bestDistance = distance;
                            node.timePerFrame = i;
                        }
            }
            p->parm.capture = v4l2_captureparm{};
            p->parm.capture.capability = V4L2_CAP_TIMEPERFRAME;
            p->parm.capture.timeperframe = node.timePerFrame;
            return 0;
        }
        default:
            return -ENOTTY;
    }
}

int FakeUvc::bufferIoctl(Node& node, int fd, unsigned long request, void* arg) {
    const char* name = requestName(request);
    auto done = [&](int result, int64_t value = 0, uint32_t id = 0) {
        record(name, fd, id, value, result);
        return result;
    };
    if (request == VIDIOC_STREAMON || request == VIDIOC_STREAMOFF) {
        if (*static_cast<int*>(arg) != V4L2_BUF_TYPE_VIDEO_CAPTURE)
            return done(-EINVAL);
        if (node.owner >= 0 && node.owner != fd)
            return done(-EBUSY);
        if (request == VIDIOC_STREAMON) {
            if (node.buffers.empty())
                return done(-EINVAL);
            node.streaming = true;
        } else {  // also without buffers: nothing to stop
            node.streaming = false;
            releaseQueue(node);
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
        if (node.owner >= 0 && node.owner != fd)
            return done(-EBUSY, asked);
        if (node.streaming)
            return done(-EBUSY, asked);
        // Buffers still mapped are orphaned: their memory lives on until munmap.
        node.buffers.clear();
        releaseQueue(node);
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
    if (node.owner >= 0 && node.owner != fd)
        return done(-EBUSY);
    if (request == VIDIOC_DQBUF) {
        if (!node.streaming)
            return done(-EINVAL);
        if (node.done.empty())
            return done(-EAGAIN);
        const uint32_t index = node.done.front();
        node.done.pop_front();
        Buffer& buffer = node.buffers[index];
        buffer.state = Buffer::Dequeued;
        b->index = index;
        b->bytesused = buffer.bytesused;
        b->flags = buffer.flags | V4L2_BUF_FLAG_MAPPED;
        b->timestamp = buffer.timestamp;
        b->field = V4L2_FIELD_NONE;
        b->length = uint32_t(buffer.memory->size());
        return done(0, index);
    }
    if (b->index >= node.buffers.size())
        return done(-EINVAL);
    Buffer& buffer = node.buffers[b->index];
    if (request == VIDIOC_QUERYBUF) {
        b->length = uint32_t(buffer.memory->size());
        b->m.offset = b->index * kBufferOffsetStep;
        b->flags = buffer.mappings > 0 ? V4L2_BUF_FLAG_MAPPED : 0;
        return done(0, b->index);
    }
    // QBUF
    if (buffer.state != Buffer::Dequeued)
        return done(-EINVAL, b->index);
    buffer.state = Buffer::Queued;
    node.queued.push_back(b->index);
    node.waitingForBuffers = false;
    changed_.notify_all();
    return done(0, b->index);
}

int FakeUvc::controlIoctl(Node& node, int fd, unsigned long request, void* arg) {
    auto findControl = [&](uint32_t id) -> FakeControl* {
        for (FakeControl& c : node.camera.controls)
            if (c.id == id)
                return &c;
        return nullptr;
    };
    const char* name = requestName(request);
    int result = 0;
    uint32_t id = 0;
    int64_t value = 0;
    if (request == VIDIOC_QUERYCTRL) {
        auto* q = static_cast<v4l2_queryctrl*>(arg);
        id = q->id;
        const FakeControl* c = findControl(q->id);
        if (!c) {
            result = -EINVAL;
        } else {
            *q = v4l2_queryctrl{};
            q->id = c->id;
            q->type = c->type;
            std::snprintf(reinterpret_cast<char*>(q->name), sizeof q->name, "control %x", c->id);
            q->minimum = c->minimum;
            q->maximum = c->maximum;
            q->step = c->step;
            q->default_value = c->defaultValue;
            q->flags = c->flags;
        }
    } else if (request == VIDIOC_QUERYMENU) {
        auto* m = static_cast<v4l2_querymenu*>(arg);
        id = m->id;
        value = m->index;
        const FakeControl* c = findControl(m->id);
        const bool offered = c && c->type == V4L2_CTRL_TYPE_MENU &&
                             std::find(c->menu.begin(), c->menu.end(), int32_t(m->index)) != c->menu.end();
        if (!offered) {
            result = -EINVAL;
        } else {
            std::snprintf(reinterpret_cast<char*>(m->name), sizeof m->name, "entry %u", m->index);
        }
    } else {
        auto* v = static_cast<v4l2_control*>(arg);
        id = v->id;
        FakeControl* c = findControl(v->id);
        if (!c) {
            result = -EINVAL;
        } else if (request == VIDIOC_G_CTRL) {
            v->value = c->value;
            value = c->value;
        } else {
            value = v->value;
            if (c->flags & V4L2_CTRL_FLAG_READ_ONLY) {
                result = -EACCES;
            } else if (c->setErrno) {
                result = -c->setErrno;
            } else if (lockedByAutomatic(node.camera.controls, c->id)) {
                result = -EACCES;
            } else if (c->type == V4L2_CTRL_TYPE_MENU &&
                       std::find(c->menu.begin(), c->menu.end(), v->value) == c->menu.end()) {
                result = -EINVAL;
            } else {
                c->value = std::clamp(v->value, c->minimum, c->maximum);
            }
        }
    }
    record(name, fd, id, value, result);
    return result;
}

int FakeUvc::xuQuery(Node& node, int fd, void* arg) {
    auto* q = static_cast<uvc_xu_control_query*>(arg);
    auto done = [&](int result) {
        record("XU_QUERY", fd, uint32_t(q->unit) << 8 | q->selector, q->query, result);
        return result;
    };
    bool unitKnown = false;
    FakeXuControl* control = nullptr;
    for (FakeXuControl& x : node.camera.xu) {
        unitKnown = unitKnown || x.unit == q->unit;
        if (x.unit == q->unit && x.selector == q->selector)
            control = &x;
    }
    if (!unitKnown || !control)
        return done(-ENOENT);
    const uint16_t length = uint16_t(control->value.size());
    switch (q->query) {
        case UVC_GET_LEN:
            if (q->size != 2)
                return done(-ENOBUFS);
            if (!q->data)
                return done(-EFAULT);
            q->data[0] = uint8_t(length);
            q->data[1] = uint8_t(length >> 8);
            return done(0);
        case UVC_GET_CUR:
        case UVC_SET_CUR: {
            if (q->size != length)
                return done(-ENOBUFS);
            if (!q->data)
                return done(-EFAULT);
            const bool get = q->query == UVC_GET_CUR;
            const int error = get ? control->getErrno : control->setErrno;
            if (error)
                return done(-error);
            if (get)
                std::memcpy(q->data, control->value.data(), length);
            else
                std::memcpy(control->value.data(), q->data, length);
            return done(0);
        }
        default:
            return done(-EINVAL);
    }
}

void* FakeUvc::mmap(size_t length, int fd, off_t offset, int& error) {
    std::lock_guard<std::mutex> lock(mutex_);
    countCall();
    Descriptor* d = descriptorOf(fd, "mmap");
    if (!d) {
        error = EBADF;
        return nullptr;
    }
    Node& node = *d->node;
    error = 0;
    if (node.gone)
        error = ENODEV;
    const uint32_t index = uint32_t(offset / kBufferOffsetStep);
    if (!error && (node.owner != fd || offset % kBufferOffsetStep != 0 || index >= node.buffers.size()))
        error = EINVAL;
    if (!error && length > node.buffers[index].memory->size())
        error = EINVAL;
    record("mmap", fd, index, int64_t(length), -error);
    if (error)
        return nullptr;
    Buffer& buffer = node.buffers[index];
    ++buffer.mappings;
    void* address = buffer.memory->data();
    mappings_[address] = Mapping{d->node, index, length, buffer.memory};
    return address;
}

int FakeUvc::munmap(void* address, size_t length) {
    std::lock_guard<std::mutex> lock(mutex_);
    auto it = mappings_.find(address);
    if (it == mappings_.end() || it->second.length != length) {
        ++badUnmaps_;
        record("munmap", -1, 0, int64_t(length), -EINVAL);
        return -EINVAL;
    }
    Node& node = *it->second.node;
    const uint32_t index = it->second.index;
    if (index < node.buffers.size() && node.buffers[index].memory == it->second.memory)
        --node.buffers[index].mappings;
    record("munmap", -1, index, int64_t(length), 0);
    mappings_.erase(it);
    return 0;
}

int FakeUvc::poll(pollfd* fds, nfds_t count, int timeoutMs) {
    std::unique_lock<std::mutex> lock(mutex_);
    countCall();
    if (count != 1)
        return -EINVAL;
    pollfd& p = fds[0];
    p.revents = 0;
    Descriptor* d = descriptorOf(p.fd, "poll");
    if (!d) {
        p.revents = POLLNVAL;
        return 1;
    }
    std::shared_ptr<Node> node = d->node;
    const auto deadline =
        std::chrono::steady_clock::now() + std::chrono::milliseconds(std::max(timeoutMs, 0));
    for (;;) {
        if (node->gone) {
            p.revents = POLLERR | POLLHUP;
            return 1;
        }
        if (!node->streaming) {
            p.revents = POLLERR;
            return 1;
        }
        if (!node->done.empty()) {
            p.revents = short(p.events & (POLLIN | POLLRDNORM));
            return 1;
        }
        if (node->waitingForBuffers) {  // no QBUF since REQBUFS or STREAMOFF: nothing to wait for
            p.revents = POLLERR;
            return 1;
        }
        if (changed_.wait_until(lock, deadline) == std::cv_status::timeout)
            return 0;
    }
}

bool FakeUvc::pushFrame(int number, const std::vector<uint8_t>& bytes, uint32_t flags) {
    std::lock_guard<std::mutex> lock(mutex_);
    auto it = nodes_.find(number);
    if (it == nodes_.end())
        return false;
    Node& node = *it->second;
    if (!node.streaming || node.queued.empty())
        return false;
    const uint32_t index = node.queued.front();
    node.queued.pop_front();
    Buffer& buffer = node.buffers[index];
    const size_t n = std::min(bytes.size(), buffer.memory->size());
    std::memcpy(buffer.memory->data(), bytes.data(), n);
    buffer.bytesused = uint32_t(n);
    buffer.flags = flags | V4L2_BUF_FLAG_TIMESTAMP_MONOTONIC;
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    buffer.timestamp.tv_sec = now.tv_sec;
    buffer.timestamp.tv_usec = now.tv_nsec / 1000;
    buffer.state = Buffer::Done;
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
    if (std::sscanf(path.c_str(), "/sys/class/video4linux/video%d/device/%127s", &number, rest) != 2)
        return false;
    auto it = nodes_.find(number);
    if (it == nodes_.end())
        return false;
    const FakeCamera& c = it->second->camera;
    const std::string file = rest;
    if (file == "../idVendor" && !c.idVendor.empty()) {
        contents = c.idVendor + "\n";
    } else if (file == "../idProduct" && !c.idProduct.empty()) {
        contents = c.idProduct + "\n";
    } else if (file == "../descriptors" && !c.descriptors.empty()) {
        contents.assign(c.descriptors.begin(), c.descriptors.end());
    } else if (file == "bInterfaceNumber" && !c.idVendor.empty()) {
        char text[8];
        std::snprintf(text, sizeof text, "%02x\n", c.interfaceNumber);
        contents = text;
    } else {
        return false;
    }
    if (contents.size() > maxBytes)
        contents.resize(maxBytes);
    return true;
}

bool FakeUvc::listDirectory(const std::string& path, std::vector<std::string>& names) {
    std::lock_guard<std::mutex> lock(mutex_);
    names.clear();
    if (path != "/dev")
        return false;
    names = {"null", "video", "vbi0", "zero"};
    for (const auto& entry : nodes_)
        names.push_back("video" + std::to_string(entry.first));
    std::reverse(names.begin(), names.end());  // directories come in no particular order
    return true;
}

std::vector<FakeCall> FakeUvc::calls() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return calls_;
}

void FakeUvc::clearCalls() {
    std::lock_guard<std::mutex> lock(mutex_);
    calls_.clear();
}

int FakeUvc::callsOnClosedDescriptors() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return closedCalls_;
}

int FakeUvc::openDescriptors() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return int(
        std::count_if(descriptors_.begin(), descriptors_.end(), [](const auto& d) { return d.second.open; }));
}

int FakeUvc::liveMappings() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return int(mappings_.size());
}

int FakeUvc::badUnmaps() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return badUnmaps_;
}

bool FakeUvc::streaming(int number) const {
    return inspect(number, false, [](const Node& n) { return n.streaming; });
}

int FakeUvc::allocatedBuffers(int number) const {
    return inspect(number, 0, [](const Node& n) { return int(n.buffers.size()); });
}

v4l2_pix_format FakeUvc::format(int number) const {
    return inspect(number, v4l2_pix_format{}, [](const Node& n) { return n.fmt; });
}

v4l2_fract FakeUvc::timePerFrame(int number) const {
    return inspect(number, v4l2_fract{}, [](const Node& n) { return n.timePerFrame; });
}

int32_t FakeUvc::controlValue(int number, uint32_t id) const {
    return inspect(number, INT32_MIN, [&](const Node& n) {
        for (const FakeControl& c : n.camera.controls)
            if (c.id == id)
                return c.value;
        return INT32_MIN;
    });
}

std::vector<uint8_t> FakeUvc::xuValue(int number, uint8_t unit, uint8_t selector) const {
    return inspect(number, std::vector<uint8_t>{}, [&](const Node& n) {
        for (const FakeXuControl& x : n.camera.xu)
            if (x.unit == unit && x.selector == selector)
                return x.value;
        return std::vector<uint8_t>{};
    });
}

FakeCamera* FakeUvc::camera(int number) {
    std::lock_guard<std::mutex> lock(mutex_);
    auto it = nodes_.find(number);
    return it == nodes_.end() ? nullptr : &it->second->camera;
}

}  // namespace device::v4l2
