#pragma once
// One capture stream of the simulated bus: a bound device connected to a grabber, run on
// its own std::thread that renders the test picture at the format's rate and hands each
// sample to the sink (JPEG for native MJPG, packed YUY2 for native YUY2, RGB32 rows
// bottom-up when the grabber asks for RGB32).
#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <thread>

#include "device/sim/sim_core.h"
#include "device/sim/sim_video.h"
#include "device/video_port.h"

namespace device::sim {

class SimCaptureGraph : public CaptureGraph, public StreamObserver {
public:
    explicit SimCaptureGraph(std::shared_ptr<SimCore> core) : core_(std::move(core)) {}
    ~SimCaptureGraph() override;

    HResult addCaptureDevice(const std::shared_ptr<CaptureDevice>& device, const std::string& name) override;
    HResult attachGraphBuilder() override;
    HResult createGrabber() override;
    HResult setGrabberSubtype(const Guid& outputSubtype) override;
    HResult addGrabber(const std::string& name) override;
    HResult connect(int outputPin) override;
    HResult removeGrabber() override;
    HResult setBufferSamples(bool buffer) override;
    HResult setOneShot(bool oneShot) override;
    HResult setCallback(FrameSink* sink) override;
    HResult hasMediaEvent() override;
    HResult hasMediaControl() override;
    HResult run() override;
    HResult stop() override;
    HResult waitForCompletion(int timeoutMs, long& evCode) override;
    HResult nextEvent(long& evCode, int64_t& param1, int64_t& param2) override;

    void deviceLost() override;

private:
    enum class Output { Jpeg, Yuy2, Rgb32 };
    void stream(int unit, MediaFormat format, Output output);
    void halt();

    std::shared_ptr<SimCore> core_;
    std::mutex mutex_;  // guards everything below
    std::condition_variable wake_;
    std::shared_ptr<SimCaptureDevice> device_;
    bool builder_ = false;
    bool grabberCreated_ = false;
    bool grabberAdded_ = false;
    Guid grabberSubtype_;
    bool connected_ = false;
    MediaFormat format_;
    Output output_ = Output::Jpeg;
    FrameSink* sink_ = nullptr;
    bool running_ = false;
    bool stopRequested_ = false;
    bool lost_ = false;
    std::deque<long> events_;
    std::thread thread_;
};

}  // namespace device::sim
