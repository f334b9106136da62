#pragma once
// One capture stream on a V4L2 node, built in the steps of the port's capture graph:
// addCaptureDevice takes the bound node, connect sets the format (S_FMT, S_PARM) and
// maps the buffers (REQBUFS, QUERYBUF, mmap), run queues them, starts streaming
// (STREAMON) and the streaming thread (poll, DQBUF, call-back, QBUF); stop joins the
// thread, then STREAMOFF, munmap and REQBUFS 0. A device that vanishes while streaming
// (ENODEV, EIO, POLLERR/POLLHUP) is reported once as kEventDeviceLost.
#include <atomic>
#include <chrono>
#include <deque>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include <linux/videodev2.h>

#include "device/v4l2/frame_converter.h"
#include "device/v4l2/v4l2_capture_device.h"
#include "device/video_port.h"

namespace device::v4l2 {

struct StreamOptions {
    int bufferCount = 4;
    int pollTimeoutMs = 100;  // how long stop() may wait for the streaming thread to notice
};

class V4l2CaptureGraph : public CaptureGraph {
public:
    explicit V4l2CaptureGraph(StreamOptions options = {});
    ~V4l2CaptureGraph() override;

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

private:
    struct MappedBuffer {
        void* address = nullptr;
        size_t length = 0;
    };

    HResult mapBuffers();
    void unmapBuffers();
    HResult queueAllBuffers();
    void stream();
    void streamLoop();
    void deliver(const v4l2_buffer& buffer);
    void postEvent(long code);
    void endStream(int error);

    StreamOptions options_;
    std::shared_ptr<V4l2CaptureDevice> device_;
    std::shared_ptr<NodeHandle> node_;
    bool grabberCreated_ = false;
    bool grabberAdded_ = false;
    bool connected_ = false;
    bool streaming_ = false;  // STREAMON done and not undone
    bool running_ = false;    // the graph's state: run() until stop()
    Guid outputSubtype_;
    std::atomic<FrameSink*> sink_{nullptr};

    std::vector<MappedBuffer> buffers_;
    std::unique_ptr<FrameConverter> converter_;

    std::thread thread_;
    std::atomic<std::thread::id> streamingThread_{};
    std::atomic<bool> stopRequested_{false};
    std::chrono::steady_clock::time_point streamStart_;

    std::mutex eventMutex_;
    std::deque<long> events_;
    bool lostReported_ = false;
};

}  // namespace device::v4l2
