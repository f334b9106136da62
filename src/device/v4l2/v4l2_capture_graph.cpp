#include "device/v4l2/v4l2_capture_graph.h"

#include <linux/videodev2.h>
#include <poll.h>

#include <cerrno>
#include <numeric>

#include "device/v4l2/errno_result.h"

namespace device::v4l2 {

V4l2CaptureGraph::V4l2CaptureGraph(StreamOptions options) : options_(options) {}

V4l2CaptureGraph::~V4l2CaptureGraph() {
    stop();
    if (thread_.joinable())
        thread_.join();  // stop() from the call-back left it running
}

HResult V4l2CaptureGraph::addCaptureDevice(const std::shared_ptr<CaptureDevice>& device, const std::string&) {
    auto node = std::dynamic_pointer_cast<V4l2CaptureDevice>(device);
    if (!node)
        return kInvalidArg;
    if (device_)
        return kUnexpected;
    device_ = node;
    node_ = node->handle();
    return kOk;
}

HResult V4l2CaptureGraph::attachGraphBuilder() {
    return kOk;
}

HResult V4l2CaptureGraph::createGrabber() {
    grabberCreated_ = true;
    return kOk;
}

HResult V4l2CaptureGraph::setGrabberSubtype(const Guid& outputSubtype) {
    if (!grabberCreated_)
        return kUnexpected;
    outputSubtype_ = outputSubtype;
    return kOk;
}

HResult V4l2CaptureGraph::addGrabber(const std::string&) {
    if (!grabberCreated_)
        return kUnexpected;
    if (grabberAdded_)
        removeGrabber();  // a retry adds the grabber anew
    grabberAdded_ = true;
    return kOk;
}

HResult V4l2CaptureGraph::connect(int outputPin) {
    if (!device_ || !grabberAdded_)
        return kUnexpected;
    if (outputPin != 0)
        return kInvalidArg;
    if (running_)
        return kWrongState;
    const bool converted = outputSubtype_ == kSubtypeRGB32;
    if (!converted && !outputSubtype_.isNull())
        return kFail;  // no converter for that output
    unmapBuffers();
    connected_ = false;
    converter_.reset();

    MediaFormat format;
    uint32_t pixelformat = 0;
    HResult hr = device_->streamFormat(format, pixelformat);
    if (failed(hr))
        return hr;

    v4l2_format fmt{};
    fmt.type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
    fmt.fmt.pix.width = uint32_t(format.width);
    fmt.fmt.pix.height = uint32_t(format.height);
    fmt.fmt.pix.pixelformat = pixelformat;
    fmt.fmt.pix.field = V4L2_FIELD_ANY;
    int r = node_->ioctl(VIDIOC_S_FMT, &fmt);
    if (r < 0)
        return resultFromStreamErrno(r);
    if (fmt.fmt.pix.pixelformat != pixelformat)
        return kFail;
    const bool sameSize = int(fmt.fmt.pix.width) == format.width && int(fmt.fmt.pix.height) == format.height;
    if (!sameSize && !converted)
        return kFail;  // native samples must have the size asked for

    if (format.avgTimePerFrame > 0) {
        v4l2_streamparm parm{};
        parm.type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
        uint64_t n = uint64_t(format.avgTimePerFrame), d = 10000000;
        const uint64_t g = std::gcd(n, d);
        parm.parm.capture.timeperframe.numerator = uint32_t(n / g);
        parm.parm.capture.timeperframe.denominator = uint32_t(d / g);
        r = node_->ioctl(VIDIOC_S_PARM, &parm);
        // A node without frame-rate control streams at its own rate; a vanished one does not stream.
        if (r < 0 && resultFromErrno(r) == kNotConnected)
            return kNotConnected;
    }

    hr = mapBuffers();
    if (failed(hr))
        return hr;
    if (converted) {
        size_t largest = 0;
        for (const MappedBuffer& b : buffers_)
            largest = std::max(largest, b.length);
        auto converter = std::make_unique<FrameConverter>();
        if (!converter->open(pixelformat, int(fmt.fmt.pix.width), int(fmt.fmt.pix.height),
                             int(fmt.fmt.pix.bytesperline), largest, format.width, format.height)) {
            unmapBuffers();
            return kFail;
        }
        converter_ = std::move(converter);
    }
    connected_ = true;
    return kOk;
}

HResult V4l2CaptureGraph::mapBuffers() {
    if (!buffers_.empty())
        return kOk;
    v4l2_requestbuffers request{};
    request.count = uint32_t(options_.bufferCount);
    request.type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
    request.memory = V4L2_MEMORY_MMAP;
    int r = node_->ioctl(VIDIOC_REQBUFS, &request);
    if (r < 0)
        return resultFromStreamErrno(r);
    if (request.count == 0)
        return kOutOfMemory;
    // From here on REQBUFS 0 must follow, also when a step fails.
    buffers_.resize(request.count);
    for (uint32_t i = 0; i < request.count; ++i) {
        v4l2_buffer buffer{};
        buffer.index = i;
        buffer.type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
        buffer.memory = V4L2_MEMORY_MMAP;
        r = node_->ioctl(VIDIOC_QUERYBUF, &buffer);
        int error = 0;
        void* address = r < 0 ? nullptr : node_->mmap(buffer.length, off_t(buffer.m.offset), error);
        if (!address) {
            unmapBuffers();
            return resultFromErrno(r < 0 ? r : -error);
        }
        buffers_[i].address = address;
        buffers_[i].length = buffer.length;
    }
    return kOk;
}

void V4l2CaptureGraph::unmapBuffers() {
    if (buffers_.empty())
        return;
    for (MappedBuffer& b : buffers_)
        if (b.address)
            node_->io().munmap(b.address, b.length);
    buffers_.clear();
    v4l2_requestbuffers release{};
    release.count = 0;
    release.type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
    release.memory = V4L2_MEMORY_MMAP;
    node_->ioctl(VIDIOC_REQBUFS, &release);
}

HResult V4l2CaptureGraph::queueAllBuffers() {
    for (uint32_t i = 0; i < buffers_.size(); ++i) {
        v4l2_buffer buffer{};
        buffer.index = i;
        buffer.type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
        buffer.memory = V4L2_MEMORY_MMAP;
        int r = node_->ioctl(VIDIOC_QBUF, &buffer);
        if (r < 0)
            return resultFromErrno(r);
    }
    return kOk;
}

HResult V4l2CaptureGraph::removeGrabber() {
    stop();
    connected_ = false;
    converter_.reset();
    grabberAdded_ = false;
    return kOk;
}

HResult V4l2CaptureGraph::setBufferSamples(bool buffer) {
    return buffer ? kNotImplemented : kOk;
}

HResult V4l2CaptureGraph::setOneShot(bool oneShot) {
    return oneShot ? kNotImplemented : kOk;
}

HResult V4l2CaptureGraph::setCallback(FrameSink* sink) {
    sink_.store(sink);
    return kOk;
}

HResult V4l2CaptureGraph::hasMediaEvent() {
    return kOk;
}

HResult V4l2CaptureGraph::hasMediaControl() {
    return kOk;
}

HResult V4l2CaptureGraph::run() {
    if (running_)
        return kOk;
    if (!connected_)
        return kWrongState;
    if (thread_.joinable())
        thread_.join();
    HResult hr = mapBuffers();  // again after a stop
    if (succeeded(hr))
        hr = queueAllBuffers();
    if (succeeded(hr)) {
        int type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
        hr = resultFromStreamErrno(node_->ioctl(VIDIOC_STREAMON, &type));
    }
    if (failed(hr)) {
        unmapBuffers();
        return hr;
    }
    streaming_ = true;
    running_ = true;
    {
        std::lock_guard<std::mutex> lock(eventMutex_);
        lostReported_ = false;
    }
    stopRequested_ = false;
    streamStart_ = std::chrono::steady_clock::now();
    thread_ = std::thread([this] { stream(); });
    return kOk;
}

HResult V4l2CaptureGraph::stop() {
    stopRequested_ = true;
    if (streamingThread_.load() == std::this_thread::get_id())
        return kOk;  // from the call-back: joined later
    if (thread_.joinable())
        thread_.join();
    if (streaming_) {
        int type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
        node_->ioctl(VIDIOC_STREAMOFF, &type);
        streaming_ = false;
    }
    unmapBuffers();
    running_ = false;
    return kOk;
}

HResult V4l2CaptureGraph::waitForCompletion(int, long& evCode) {
    evCode = 0;
    return running_ ? kOk : kWrongState;  // a live stream never completes
}

HResult V4l2CaptureGraph::nextEvent(long& evCode, int64_t& param1, int64_t& param2) {
    std::lock_guard<std::mutex> lock(eventMutex_);
    if (events_.empty())
        return kAbort;
    evCode = events_.front();
    events_.pop_front();
    param1 = 0;
    param2 = 0;
    return kOk;
}

void V4l2CaptureGraph::postEvent(long code) {
    std::lock_guard<std::mutex> lock(eventMutex_);
    if (code == kEventDeviceLost) {
        if (lostReported_)
            return;
        lostReported_ = true;
    }
    events_.push_back(code);
}

void V4l2CaptureGraph::endStream(int error) {
    postEvent(isStreamLost(error) ? long(kEventDeviceLost) : long(kEventErrorAbort));
}

void V4l2CaptureGraph::stream() {
    // Known while it runs, so that a stop() from the call-back does not join itself;
    // cleared after, as a later thread may get the same id.
    streamingThread_.store(std::this_thread::get_id());
    streamLoop();
    streamingThread_.store(std::thread::id());
}

void V4l2CaptureGraph::streamLoop() {
    while (!stopRequested_) {
        short revents = 0;
        int r = node_->poll(POLLIN, revents, options_.pollTimeoutMs);
        if (r == -EINTR || r == 0)
            continue;
        if (r < 0) {
            endStream(r);
            return;
        }
        if (revents & (POLLERR | POLLHUP | POLLNVAL)) {
            postEvent(kEventDeviceLost);
            return;
        }
        if (!(revents & POLLIN))
            continue;
        v4l2_buffer buffer{};
        buffer.type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
        buffer.memory = V4L2_MEMORY_MMAP;
        r = node_->ioctl(VIDIOC_DQBUF, &buffer);
        if (r == -EAGAIN)
            continue;
        if (r < 0) {
            endStream(r);
            return;
        }
        if (buffer.index >= buffers_.size())
            continue;  // not one of ours: never touch it
        if (!(buffer.flags & V4L2_BUF_FLAG_ERROR) && !stopRequested_)
            deliver(buffer);
        r = node_->ioctl(VIDIOC_QBUF, &buffer);
        if (r < 0) {
            endStream(r);
            return;
        }
    }
}

void V4l2CaptureGraph::deliver(const v4l2_buffer& buffer) {
    const MappedBuffer& mapped = buffers_[buffer.index];
    const size_t length = std::min<size_t>(buffer.bytesused, mapped.length);
    if (length == 0)
        return;
    using namespace std::chrono;
    double sampleTime;
    const bool monotonic = (buffer.flags & V4L2_BUF_FLAG_TIMESTAMP_MASK) == V4L2_BUF_FLAG_TIMESTAMP_MONOTONIC;
    if (monotonic && (buffer.timestamp.tv_sec || buffer.timestamp.tv_usec)) {
        const double captured = double(buffer.timestamp.tv_sec) + double(buffer.timestamp.tv_usec) / 1e6;
        sampleTime = captured - duration<double>(streamStart_.time_since_epoch()).count();
    } else {
        sampleTime = duration<double>(steady_clock::now() - streamStart_).count();
    }
    if (sampleTime < 0)
        sampleTime = 0;

    FrameSink* sink = sink_.load();
    if (!sink)
        return;
    const uint8_t* bytes = static_cast<const uint8_t*>(mapped.address);
    if (!converter_) {
        sink->bufferCB(sampleTime, bytes, long(length));
        return;
    }
    const uint8_t* picture = converter_->convert(bytes, length);
    if (picture)
        sink->bufferCB(sampleTime, picture, long(converter_->pictureSize()));
}

}  // namespace device::v4l2
