#pragma once
// The settings job queue and its worker. Every control change made in the window becomes
// a SettingJob that is queued here and applied to the camera by exactly one worker
// thread, so the GUI thread never waits on the device.
//
// Threads: addJob, setCamera and deleteCamera come from the GUI thread; the worker is
// the only consumer. The queue is guarded by one mutex and signalled by a condition
// variable after every push, so an idle worker wakes at once. The camera reference is
// atomic. Once a quit is requested (base/quit_request.h) the worker takes no further job
// and ends after the one it is applying. setCamera and deleteCamera join the previous
// worker, so no two workers ever apply jobs and no worker outlives the camera it was
// given; a join waits at most for the device call the worker is in.
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <deque>
#include <functional>
#include <future>
#include <mutex>
#include <thread>

#include "engine/setting_job.h"

class UvcCamera;

class SettingTaskEngine {
public:
    // The singleton: created on first use with an empty queue, adding allowed and no
    // worker; never destroyed (a worker still running at exit is stopped then).
    static SettingTaskEngine& instance();

    SettingTaskEngine(const SettingTaskEngine&) = delete;
    SettingTaskEngine& operator=(const SettingTaskEngine&) = delete;

    // Queues a change; dropped with a log line while adding is paused.
    void addJob(int controlId, int value);
    void addJob(int controlId, int value, bool force);

    // Around the refilling of the pages, so that their echo never reaches the camera.
    void pauseJobAdding();
    void resumeJobAdding();

    // Starts the worker for an open camera. A worker that still runs is stopped and
    // joined first. Returns once the new worker has discarded the jobs queued before it
    // started, so a job queued after the return is always applied.
    void setCamera(UvcCamera* camera);
    // Stops the worker, discards every pending job and forgets the camera. Returns once
    // the worker has ended (at most the device call it was in). Called by the worker
    // itself it does not wait; the next setCamera or deleteCamera joins that worker.
    void deleteCamera();

    // The camera jobs are applied to; null while stopped.
    UvcCamera* camera() const { return camera_.load(); }
    // Whether a worker is held (between setCamera and deleteCamera).
    bool hasWorker() const { return workerHeld_.load(); }
    std::size_t pendingJobCount() const;
    // The jobs queued and not yet taken by the worker, oldest first.
    std::deque<SettingJob> pendingJobs() const;
    // Waits until every queued job has been applied (the queue is empty and the worker is
    // between jobs) or no worker runs. false when timeout passed first, or at once when a
    // quit leaves jobs unapplied.
    bool waitUntilIdle(std::chrono::milliseconds timeout);

    // Called on the worker with each job it takes, just before the job is applied (for
    // tests and measurements). Settable only while no worker is held; answers false
    // otherwise. An empty function removes it.
    using JobObserver = std::function<void(const SettingJob&)>;
    bool setJobObserver(JobObserver observer);

private:
    SettingTaskEngine();
    ~SettingTaskEngine() = default;

    void runWorker(std::promise<void> started);
    // The worker's body; answers 0.
    int startSettingTask(std::promise<void>& started);
    // Clears the camera reference, wakes the worker and joins it. Logs nothing.
    void stopWorker();
    static void stopAtExit();

    static constexpr std::chrono::milliseconds kIdleWait{100};

    std::atomic<bool> jobAddingPaused_{false};
    mutable std::mutex mutex_;  // guards queue_
    std::condition_variable wake_;
    std::condition_variable idle_;  // signalled after each job and when the worker ends
    std::deque<SettingJob> queue_;
    bool applying_ = false;  // the worker is inside a job; guarded by mutex_

    std::atomic<UvcCamera*> camera_{nullptr};  // written under mutex_ so no wake-up is lost
    std::mutex lifecycleMutex_;                // serialises setCamera and deleteCamera
    std::thread worker_;                       // touched under lifecycleMutex_ only
    std::atomic<bool> workerHeld_{false};
    JobObserver observer_;  // written under lifecycleMutex_ while no worker runs
};
