#pragma once
// The main window's handle on the camera stream: opens it on a worker thread, reports
// the result through a callback and offers the frame, event and release operations.
#include <cstdint>
#include <functional>
#include <thread>
#include <vector>

#include "base/resolution_list.h"
#include "capture/uvc_camera.h"

// Receives the result of an open: the slot number (0 or more) or a negative open code.
class StreamCallback {
public:
    virtual ~StreamCallback() = default;
    virtual void streamResult(int result) = 0;
};

// A stream as the main window uses it; the base versions do nothing and answer 0.
class StreamWrapper {
public:
    virtual ~StreamWrapper() = default;
    virtual int openAsRgbStream() { return 0; }
    virtual int isOpen() { return 0; }
    virtual int newFrameCount() { return 0; }
    virtual int getFrame(uint8_t** data) {
        (void)data;
        return 0;
    }
    virtual int getEvent() { return 0; }
    virtual int release() { return 0; }
};

class UvcStream : public StreamWrapper {
public:
    UvcStream() = default;
    ~UvcStream() override;
    UvcStream(const UvcStream&) = delete;
    UvcStream& operator=(const UvcStream&) = delete;

    // Opens the default stream on a worker thread, waits for it and reports through the
    // callback. Answers 0 (also when an open is already running).
    int openAsRgbStream() override;
    // Opens the format of formatList whose pixel count and format text match the
    // request: 0 when a worker ran, -1 (no worker, no callback) when nothing matched.
    int openAsRgbStream(const RESOLUTION_LIST& request);
    // The command line's open: the format list and the device's controls, no stream.
    // Reports through the callback as openAsRgbStream does (the slot, or a negative code).
    int openControls();
    // Opens the stream of a camera whose controls are open (after an open that found the
    // stream held by another application): the format of that open (request empty) or
    // request. Runs on a worker as an open does and answers the slot, or a negative code
    // (camera().lastOutcome() says why); no callback.
    int resumeStream(const RESOLUTION_LIST& request);
    int isOpen() override;
    int newFrameCount() override;
    int getFrame(uint8_t** data) override;
    int getEvent() override;
    int release() override;

    // A copy of the format list of the last open.
    std::vector<RESOLUTION_LIST> getList();
    void setCallback(StreamCallback* callback);
    // How the caller waits for an open worker: called with a function that answers true
    // once the worker is done; it returns when it likes, the join follows. Without one
    // the caller simply blocks in the join. The main window installs a wait that keeps
    // it alive.
    using OpenWait = std::function<void(const std::function<bool()>& workerDone)>;
    void setOpenWait(OpenWait wait);
    // How an open worker is created (std::thread when empty). Tests install one that
    // throws std::system_error, as std::thread does when the system has no thread left.
    using ThreadStart = std::function<std::thread(std::function<void()> body)>;
    static void setThreadStart(ThreadStart start);
    UvcCamera& camera() { return camera_; }

private:
    UvcCamera camera_;
};
