#include "engine/setting_task_engine.h"

#include <cstdlib>
#include <system_error>
#include <utility>

#include "base/debug_log.h"
#include "base/quit_request.h"
#include "device/device_port.h"
#include "engine/control_application.h"
#include "engine/control_id.h"

namespace {

// True on the worker thread, so that a stop requested from a job never joins itself.
thread_local bool tl_onSettingWorker = false;

}  // namespace

SettingTaskEngine& SettingTaskEngine::instance() {
    static SettingTaskEngine* const engine = new SettingTaskEngine();
    return *engine;
}

SettingTaskEngine::SettingTaskEngine() {
    // The worker must not run on while the process tears down its statics.
    std::atexit(&SettingTaskEngine::stopAtExit);
}

void SettingTaskEngine::stopAtExit() {
    if (tl_onSettingWorker) {
        return;
    }
    SettingTaskEngine& engine = instance();
    std::lock_guard<std::mutex> lifecycle(engine.lifecycleMutex_);
    engine.stopWorker();
}

void SettingTaskEngine::addJob(int controlId, int value) {
    addJob(controlId, value, false);
}

void SettingTaskEngine::addJob(int controlId, int value, bool force) {
    if (jobAddingPaused_.load()) {
        debugLog("pauseJobAdding, drop job: %d \n", controlId);
        return;
    }
    const SettingJob job{controlId, value, device::tickCount(), force};
    {
        std::lock_guard<std::mutex> lock(mutex_);
        queue_.push_back(job);
    }
    wake_.notify_one();
}

void SettingTaskEngine::pauseJobAdding() {
    jobAddingPaused_.store(true);
}

void SettingTaskEngine::resumeJobAdding() {
    jobAddingPaused_.store(false);
}

std::size_t SettingTaskEngine::pendingJobCount() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return queue_.size();
}

std::deque<SettingJob> SettingTaskEngine::pendingJobs() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return queue_;
}

bool SettingTaskEngine::waitUntilIdle(std::chrono::milliseconds timeout) {
    std::unique_lock<std::mutex> lock(mutex_);
    const auto idle = [this] { return camera_.load() == nullptr || (queue_.empty() && !applying_); };
    // After a quit the worker takes no further job: what is still queued never goes.
    idle_.wait_for(lock, timeout, [&] { return idle() || quitRequested(); });
    return idle();
}

bool SettingTaskEngine::setJobObserver(JobObserver observer) {
    if (tl_onSettingWorker) {
        return false;
    }
    std::lock_guard<std::mutex> lifecycle(lifecycleMutex_);
    if (workerHeld_.load()) {
        return false;
    }
    // A worker stopped from within a job may still be ending: let it end first.
    if (worker_.joinable()) {
        worker_.join();
    }
    observer_ = std::move(observer);
    return true;
}

void SettingTaskEngine::setCamera(UvcCamera* camera) {
    debugLog("\n setCamera \n");
    if (tl_onSettingWorker) {
        // The worker cannot wait for its own end; a new worker needs the GUI thread.
        debugLog("setCamera refused on the settings worker \n");
        return;
    }
    std::lock_guard<std::mutex> lifecycle(lifecycleMutex_);
    stopWorker();
    {
        std::lock_guard<std::mutex> lock(mutex_);
        camera_.store(camera);
    }
    std::promise<void> started;
    std::future<void> discarded = started.get_future();
    try {
        worker_ = std::thread(&SettingTaskEngine::runWorker, this, std::move(started));
    } catch (const std::system_error& error) {
        // No worker runs; queued jobs wait until the next deleteCamera discards them.
        debugLog("setCamera: worker not created: %s \n", error.what());
        return;
    }
    workerHeld_.store(true);
    discarded.wait();
}

void SettingTaskEngine::deleteCamera() {
    const bool onWorker = tl_onSettingWorker;
    std::unique_lock<std::mutex> lifecycle(lifecycleMutex_, std::defer_lock);
    if (!onWorker) {
        lifecycle.lock();
    }
    debugLog("\n deleteCamera S\n");
    if (workerHeld_.load()) {
        debugLog("CloseHandle \n");
    }
    debugLog("\n deleteCamera A\n");
    {
        std::lock_guard<std::mutex> lock(mutex_);
        queue_.clear();
    }
    debugLog("\n deleteCamera B\n");
    if (onWorker) {
        // The worker ends after the job it is applying; whoever next starts or stops a
        // worker joins it.
        {
            std::lock_guard<std::mutex> lock(mutex_);
            camera_.store(nullptr);
        }
        wake_.notify_all();
    } else {
        stopWorker();
    }
    workerHeld_.store(false);
    debugLog("\n deleteCamera E\n");
}

void SettingTaskEngine::stopWorker() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        camera_.store(nullptr);
    }
    wake_.notify_all();
    idle_.notify_all();
    if (worker_.joinable()) {
        worker_.join();
    }
    workerHeld_.store(false);
}

void SettingTaskEngine::runWorker(std::promise<void> started) {
    tl_onSettingWorker = true;
    startSettingTask(started);
}

int SettingTaskEngine::startSettingTask(std::promise<void>& started) {
    // Jobs queued while no worker ran belong to an earlier camera: drop them unapplied.
    std::size_t stale = 0;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        stale = queue_.size();
        queue_.clear();
    }
    debugLog("\n startSettingTask: %d \n", static_cast<int>(stale));
    started.set_value();

    for (;;) {
        SettingJob job;
        {
            std::unique_lock<std::mutex> lock(mutex_);
            wake_.wait_for(lock, kIdleWait, [this] { return !queue_.empty() || camera_.load() == nullptr; });
            // A quit leaves the rest of the queue unapplied: the program is ending.
            if (camera_.load() == nullptr || quitRequested()) {
                idle_.notify_all();
                return 0;
            }
            if (queue_.empty()) {
                continue;
            }
            job = queue_.front();
            queue_.pop_front();
            applying_ = true;
        }
        if (observer_) {
            observer_(job);
        }
        // Applied outside the lock: a device call never blocks the producers.
        switch (job.controlId & kControlGroupMask) {
            case kStandardControlGroup:
                setUVCStandard(job);
                break;
            case kVendorControlGroup:
                setUVCExtension(job);
                break;
            default:
                break;
        }
        {
            std::lock_guard<std::mutex> lock(mutex_);
            applying_ = false;
        }
        idle_.notify_all();
    }
}
