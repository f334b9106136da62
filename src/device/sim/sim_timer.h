#pragma once
// A small timer thread of the simulated camera: runs actions after a delay (the camera's
// return after a reboot, the events of a demo script). The thread starts with the first
// action and is joined by stop() or the destructor; pending actions are dropped then.
#include <chrono>
#include <condition_variable>
#include <functional>
#include <map>
#include <mutex>
#include <thread>

namespace device::sim {

class SimTimer {
public:
    SimTimer() = default;
    ~SimTimer();
    SimTimer(const SimTimer&) = delete;
    SimTimer& operator=(const SimTimer&) = delete;

    void schedule(int delayMs, std::function<void()> action);
    // Drops pending actions and joins the thread (an action running now finishes first).
    void stop();

private:
    void loop();

    std::mutex mutex_;
    std::condition_variable wake_;
    std::multimap<std::chrono::steady_clock::time_point, std::function<void()>> pending_;
    bool stopping_ = false;
    std::thread thread_;
};

}  // namespace device::sim
