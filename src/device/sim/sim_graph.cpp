#include "device/sim/sim_graph.h"

#include <chrono>
#include <cstring>

#include "device/sim/sim_encoder.h"
#include "device/sim/sim_picture.h"

namespace device::sim {

SimCaptureGraph::~SimCaptureGraph() {
    halt();
}

HResult SimCaptureGraph::addCaptureDevice(const std::shared_ptr<CaptureDevice>& device, const std::string&) {
    if (HResult hr = core_->enter("CaptureGraph::addCaptureDevice"); failed(hr))
        return hr;
    auto sim = std::dynamic_pointer_cast<SimCaptureDevice>(device);
    if (!sim)
        return kInvalidArg;
    if (!core_->alive(sim->unit(), sim->generation()))
        return kNotConnected;
    std::lock_guard<std::mutex> lock(mutex_);
    if (device_)
        return kUnexpected;  // one capture device per graph
    device_ = std::move(sim);
    return kOk;
}

HResult SimCaptureGraph::attachGraphBuilder() {
    if (HResult hr = core_->enter("CaptureGraph::attachGraphBuilder"); failed(hr))
        return hr;
    std::lock_guard<std::mutex> lock(mutex_);
    builder_ = true;
    return kOk;
}

HResult SimCaptureGraph::createGrabber() {
    if (HResult hr = core_->enter("CaptureGraph::createGrabber"); failed(hr))
        return hr;
    std::lock_guard<std::mutex> lock(mutex_);
    grabberCreated_ = true;
    grabberSubtype_ = kSubtypeNull;
    return kOk;
}

HResult SimCaptureGraph::setGrabberSubtype(const Guid& outputSubtype) {
    if (HResult hr = core_->enter("CaptureGraph::setGrabberSubtype"); failed(hr))
        return hr;
    std::lock_guard<std::mutex> lock(mutex_);
    if (!grabberCreated_)
        return kUnexpected;
    grabberSubtype_ = outputSubtype;
    return kOk;
}

HResult SimCaptureGraph::addGrabber(const std::string&) {
    if (HResult hr = core_->enter("CaptureGraph::addGrabber"); failed(hr))
        return hr;
    std::lock_guard<std::mutex> lock(mutex_);
    if (!grabberCreated_)
        return kUnexpected;
    grabberAdded_ = true;
    return kOk;
}

HResult SimCaptureGraph::connect(int outputPin) {
    if (HResult hr = core_->enter("CaptureGraph::connect"); failed(hr))
        return hr;
    std::lock_guard<std::mutex> lock(mutex_);
    if (!device_ || !builder_ || !grabberAdded_)
        return kUnexpected;
    if (outputPin != 0)
        return kInvalidArg;
    if (running_)
        return kWrongState;
    if (!core_->alive(device_->unit(), device_->generation()))
        return kNotConnected;
    ProcessRef holder;
    if (core_->streamHolder(device_->unit(), holder))
        return kInUse;  // as the driver refuses the format to a second application
    const MediaFormat format = device_->format();
    if (grabberSubtype_ == kSubtypeRGB32) {
        output_ = Output::Rgb32;
    } else if (grabberSubtype_ != kSubtypeNull && grabberSubtype_ != format.subtype) {
        return kNoInterface;  // no conversion to what the grabber accepts
    } else if (format.subtype == kSubtypeMJPG) {
        output_ = Output::Jpeg;
    } else if (format.subtype == kSubtypeYUY2) {
        output_ = Output::Yuy2;
    } else {
        return kNotImplemented;  // native H264/NV12 samples are not simulated
    }
    format_ = format;
    connected_ = true;
    return kOk;
}

HResult SimCaptureGraph::removeGrabber() {
    if (HResult hr = core_->enter("CaptureGraph::removeGrabber"); failed(hr))
        return hr;
    std::lock_guard<std::mutex> lock(mutex_);
    if (running_)
        return kWrongState;
    grabberCreated_ = grabberAdded_ = connected_ = false;
    grabberSubtype_ = kSubtypeNull;
    return kOk;
}

HResult SimCaptureGraph::setBufferSamples(bool) {
    return core_->enter("CaptureGraph::setBufferSamples");
}

HResult SimCaptureGraph::setOneShot(bool oneShot) {
    if (HResult hr = core_->enter("CaptureGraph::setOneShot"); failed(hr))
        return hr;
    return oneShot ? kNotImplemented : kOk;  // the camera streams; one-shot capture is not simulated
}

HResult SimCaptureGraph::setCallback(FrameSink* sink) {
    if (HResult hr = core_->enter("CaptureGraph::setCallback"); failed(hr))
        return hr;
    std::lock_guard<std::mutex> lock(mutex_);
    sink_ = sink;
    return kOk;
}

HResult SimCaptureGraph::hasMediaEvent() {
    return core_->enter("CaptureGraph::hasMediaEvent");
}
HResult SimCaptureGraph::hasMediaControl() {
    return core_->enter("CaptureGraph::hasMediaControl");
}

HResult SimCaptureGraph::run() {
    if (HResult hr = core_->enter("CaptureGraph::run"); failed(hr))
        return hr;
    int unit;
    uint64_t generation;
    {
        std::thread ended;  // a stream stopped from its callback
        {
            std::lock_guard<std::mutex> lock(mutex_);
            if (!running_)
                ended = std::move(thread_);
        }
        if (ended.joinable())
            ended.join();
    }
    {
        std::lock_guard<std::mutex> lock(mutex_);
        if (!connected_)
            return kUnexpected;
        if (running_)
            return kOk;
        if (!core_->alive(device_->unit(), device_->generation()))
            return kNotConnected;
        running_ = true;
        stopRequested_ = false;
        lost_ = false;
        unit = device_->unit();
        generation = device_->generation();
        thread_ =
            std::thread([this, unit, format = format_, output = output_] { stream(unit, format, output); });
    }
    core_->addStream(this, unit);
    // An unplug between the check above and the registration must not go unnoticed.
    if (!core_->alive(unit, generation))
        deviceLost();
    return kOk;
}

void SimCaptureGraph::halt() {
    core_->removeStream(this);
    std::thread thread;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        stopRequested_ = true;
        running_ = false;
        wake_.notify_all();
        // Stopped from its own sample callback: the stream thread ends when the callback
        // returns and is joined by the next run, stop or the graph's destruction.
        if (thread_.get_id() == std::this_thread::get_id())
            return;
        thread = std::move(thread_);
    }
    if (thread.joinable())
        thread.join();
}

HResult SimCaptureGraph::stop() {
    if (HResult hr = core_->enter("CaptureGraph::stop"); failed(hr))
        return hr;
    halt();
    return kOk;
}

HResult SimCaptureGraph::waitForCompletion(int, long& evCode) {
    if (HResult hr = core_->enter("CaptureGraph::waitForCompletion"); failed(hr))
        return hr;
    evCode = 0;  // a live stream never completes
    return kOk;
}

HResult SimCaptureGraph::nextEvent(long& evCode, int64_t& param1, int64_t& param2) {
    if (HResult hr = core_->enter("CaptureGraph::nextEvent"); failed(hr))
        return hr;
    std::lock_guard<std::mutex> lock(mutex_);
    if (events_.empty())
        return kAbort;
    evCode = events_.front();
    events_.pop_front();
    param1 = param2 = 0;
    return kOk;
}

void SimCaptureGraph::deviceLost() {
    std::lock_guard<std::mutex> lock(mutex_);
    if (lost_)
        return;
    lost_ = true;
    events_.push_back(kEventDeviceLost);
    wake_.notify_all();
}

void SimCaptureGraph::stream(int unit, MediaFormat format, Output output) {
    using Clock = std::chrono::steady_clock;
    TestPicture picture(format.width, format.height, core_->info(unit).friendlyName);
    FrameEncoder encoder;
    std::vector<uint8_t> sample;
    const int64_t interval100ns = format.avgTimePerFrame > 0 ? format.avgTimePerFrame : 333333;
    const double multiplier = core_->frameRateMultiplier();
    const auto period = std::chrono::duration_cast<Clock::duration>(
        std::chrono::nanoseconds(multiplier > 0 ? int64_t(double(interval100ns) * 100.0 / multiplier) : 0));
    const Clock::time_point start = Clock::now();
    int64_t slot = 0;  // the frame slot of the next sample; its stream time is slot x interval

    for (;;) {
        FrameSink* sink;
        {
            std::unique_lock<std::mutex> lock(mutex_);
            if (period.count() > 0) {
                const Clock::time_point due = start + period * slot;
                wake_.wait_until(lock, due, [&] { return stopRequested_ || lost_; });
            }
            if (stopRequested_ || lost_)
                return;
            sink = sink_;
        }
        if (period.count() > 0) {
            // A camera that falls behind skips the frames it missed.
            const int64_t now = (Clock::now() - start) / period;
            if (now > slot + 2)
                slot = now;
        }
        const double seconds = double(slot) * double(interval100ns) / 1e7;
        if (!sink || core_->neverDeliverFrames()) {
            ++slot;  // nothing would be delivered: no picture is made
            if (period.count() == 0)
                std::this_thread::sleep_for(std::chrono::milliseconds(1));  // no busy loop unpaced
            continue;
        }
        picture.render(core_->pictureSettings(unit), long(slot), seconds);
        size_t length = 0;
        switch (output) {
            case Output::Jpeg:
                length = encoder.jpeg(picture, sample);
                break;
            case Output::Yuy2:
                length = encoder.yuy2(picture, sample);
                break;
            case Output::Rgb32:
                length = encoder.rgb32BottomUp(picture, sample);
                break;
        }
        switch (core_->sampleFault()) {
            case SampleFault::None:
                break;
            case SampleFault::Oversized: {
                const size_t big = size_t(format.width) * format.height * 4 + 4096;
                if (sample.size() < big)
                    sample.resize(big);
                length = big;
                break;
            }
            case SampleFault::Corrupt:
                if (output != Output::Jpeg) {
                    length /= 3;  // a truncated raw frame
                } else if (length > 2) {
                    // A start marker followed by bytes that are no JPEG segment.
                    length = std::min<size_t>(length, 4096);
                    std::memset(sample.data() + 2, 0x5A, length - 2);
                }
                break;
            case SampleFault::Empty:
                length = 0;
                break;
        }
        sink->bufferCB(seconds, sample.data(), long(length));
        core_->countFrame();
        ++slot;
    }
}

}  // namespace device::sim
