#include "capture/uvc_stream.h"

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>
#include <system_error>
#include <thread>
#include <utility>

#include "base/app_config.h"
#include "base/debug_log.h"
#include "capture/default_format_report.h"

namespace {
// State of the stream objects, one set for the process. The worker writes it while the
// caller waits; the mutex keeps a caller on another thread from reading it meanwhile.
struct StreamModuleState {
    std::mutex mutex;
    std::vector<RESOLUTION_LIST> formatList;
    int foundIndex = 0;
    int streamType = 0;  // 0 MJPG, 1 H264, 2 YUY2
    int openResult = 0;
    std::atomic<bool> workerRunning{false};
    std::atomic<StreamCallback*> callback{nullptr};
    UvcStream::OpenWait openWait;        // set and used on the caller's thread
    UvcStream::ThreadStart threadStart;  // empty: std::thread
    DefaultFormatReport defaultFormatReport;
};

StreamModuleState& moduleState() {
    static StreamModuleState* state = new StreamModuleState;
    return *state;
}

// Worker A (useDefaultIndex) and worker B: rebuild the format list and open a format.
// The command line's camera opens its controls only.
int openWorker(UvcCamera& camera, bool useDefaultIndex, bool controlsOnly) {
    StreamModuleState& state = moduleState();
    std::lock_guard<std::mutex> lock(state.mutex);
    state.formatList.clear();
    const int mjpgHD = camera.initial(appConfig().deviceName, state.formatList);
    if (useDefaultIndex) {
        state.foundIndex = mjpgHD;
        state.defaultFormatReport.afterSearch(state.formatList, mjpgHD);
    }
    const int outputType = state.streamType == 0 ? 1 : 0;
    // The controls need no particular format: a camera without the default one (a
    // webcam with raw formats only) still opens them with its first.
    state.openResult = controlsOnly ? camera.openControls(0, std::max(state.foundIndex, 0), outputType)
                                    : camera.open(0, state.foundIndex, outputType);
    debugLog("camera open: %d, with type: %d\n", state.openResult, state.streamType);
    return state.openResult;
}

// Runs one open on a worker thread to its end and marks the stream idle again; answers
// its result. A worker that cannot be created (no threads or memory left) is reported as
// a failed first half, -1, so that the caller retries later as after any failed open:
// the exception must not leave this function, which runs in the caller's event loop.
int runOnWorker(const std::function<int()>& open) {
    StreamModuleState& state = moduleState();
    std::atomic<bool> done{false};
    std::atomic<int> result{-1};
    std::function<void()> body = [&open, &done, &result] {
        result = open();
        done = true;
    };
    std::thread worker;
    bool created = true;
    try {
        worker = state.threadStart ? state.threadStart(std::move(body)) : std::thread(std::move(body));
    } catch (const std::system_error& error) {
        debugLog("openAsRgbStream: worker not created: %s \n", error.what());
        created = false;
    }
    if (created) {
        if (state.openWait) {
            state.openWait([&done] { return done.load(); });
        }
        worker.join();
    }
    state.workerRunning = false;
    return created ? result.load() : -1;
}

void runWorker(UvcCamera& camera, bool useDefaultIndex, bool controlsOnly = false) {
    const int result = runOnWorker([&camera, useDefaultIndex, controlsOnly] {
        return openWorker(camera, useDefaultIndex, controlsOnly);
    });
    if (StreamCallback* callback = moduleState().callback.load()) {
        callback->streamResult(result);
    }
}

// The list entry a request names, with its stream type (0 MJPG, 1 H264, 2 YUY2); -1
// when none matches. Called with the module's mutex held.
int matchRequest(const StreamModuleState& state, const RESOLUTION_LIST& request, int& streamType) {
    int found = -1;
    const int64_t requestPixels = int64_t(request.width) * int64_t(request.height);
    for (const RESOLUTION_LIST& entry : state.formatList) {
        if (int64_t(entry.width) * int64_t(entry.height) != requestPixels || entry.format != request.format) {
            continue;
        }
        found = request.index;
        if (entry.format == "MJPG") {
            streamType = 0;
        } else if (entry.format == "H264") {
            streamType = 1;
        } else if (entry.format == "YUY2") {
            streamType = 2;
        } else {
            debugLog("unsupported type: %s\n", entry.format.c_str());
        }
    }
    return found;
}
}  // namespace

UvcStream::~UvcStream() = default;

int UvcStream::openAsRgbStream() {
    StreamModuleState& state = moduleState();
    bool idle = false;
    if (!state.workerRunning.compare_exchange_strong(idle, true)) {
        return 0;
    }
    debugLog("openAsRgbStream CreateThread: \n");
    runWorker(camera_, true);
    return 0;
}

int UvcStream::openAsRgbStream(const RESOLUTION_LIST& request) {
    StreamModuleState& state = moduleState();
    int index = -1;
    {
        std::lock_guard<std::mutex> lock(state.mutex);
        state.foundIndex = matchRequest(state, request, state.streamType);
        debugLog("openAsRgbStream founde index: %d, type: %d \n", state.foundIndex, state.streamType);
        index = state.foundIndex;
    }
    if (index == -1) {
        return -1;
    }
    bool idle = false;
    if (state.workerRunning.compare_exchange_strong(idle, true)) {
        debugLog("openAsRgbStream CreateThread: %d\n", index);
        runWorker(camera_, false);
    }
    return 0;
}

int UvcStream::openControls() {
    StreamModuleState& state = moduleState();
    bool idle = false;
    if (!state.workerRunning.compare_exchange_strong(idle, true)) {
        return 0;
    }
    runWorker(camera_, true, true);
    return 0;
}

int UvcStream::resumeStream(const RESOLUTION_LIST& request) {
    StreamModuleState& state = moduleState();
    int index = -1;
    int streamType = 0;
    if (!request.format.empty()) {
        std::lock_guard<std::mutex> lock(state.mutex);
        index = matchRequest(state, request, state.streamType);
        if (index == -1) {
            return -1;
        }
        state.foundIndex = index;
        streamType = state.streamType;
    }
    bool idle = false;
    if (!state.workerRunning.compare_exchange_strong(idle, true)) {
        return -1;
    }
    return runOnWorker([this, index, streamType] {
        return index == -1 ? camera_.openStream() : camera_.openStream(index, streamType == 0 ? 1 : 0);
    });
}

int UvcStream::isOpen() {
    return camera_.isOpen();
}

int UvcStream::newFrameCount() {
    return camera_.newFrameCount();
}

int UvcStream::getFrame(uint8_t** data) {
    return camera_.getFrame(data);
}

int UvcStream::getEvent() {
    return camera_.getEvent();
}

int UvcStream::release() {
    camera_.release();
    return 0;
}

std::vector<RESOLUTION_LIST> UvcStream::getList() {
    StreamModuleState& state = moduleState();
    std::vector<RESOLUTION_LIST> copy;
    {
        std::lock_guard<std::mutex> lock(state.mutex);
        copy = state.formatList;
    }
    writeStdout("getList: " + std::to_string(copy.size()) + "\n");
    return copy;
}

void UvcStream::setCallback(StreamCallback* callback) {
    moduleState().callback = callback;
}

void UvcStream::setOpenWait(OpenWait wait) {
    moduleState().openWait = std::move(wait);
}

void UvcStream::setThreadStart(ThreadStart start) {
    moduleState().threadStart = std::move(start);
}
