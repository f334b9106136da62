#include "device/sim/sim_timer.h"

namespace device::sim {

SimTimer::~SimTimer() {
    stop();
}

void SimTimer::schedule(int delayMs, std::function<void()> action) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (stopping_)
        return;
    pending_.emplace(std::chrono::steady_clock::now() + std::chrono::milliseconds(delayMs < 0 ? 0 : delayMs),
                     std::move(action));
    if (!thread_.joinable())
        thread_ = std::thread([this] { loop(); });
    wake_.notify_all();
}

void SimTimer::stop() {
    std::thread thread;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        stopping_ = true;
        pending_.clear();
        thread = std::move(thread_);
        wake_.notify_all();
    }
    if (thread.joinable() && thread.get_id() != std::this_thread::get_id())
        thread.join();
    else if (thread.joinable())
        thread.detach();
}

void SimTimer::loop() {
    std::unique_lock<std::mutex> lock(mutex_);
    while (!stopping_) {
        if (pending_.empty()) {
            wake_.wait(lock);
            continue;
        }
        auto first = pending_.begin();
        // A copy: the wait reads its deadline again after waking, when stop() may have
        // dropped the action it belongs to.
        const std::chrono::steady_clock::time_point due = first->first;
        if (std::chrono::steady_clock::now() < due) {
            wake_.wait_until(lock, due);
            continue;
        }
        std::function<void()> action = std::move(first->second);
        pending_.erase(first);
        lock.unlock();
        action();
        lock.lock();
    }
}

}  // namespace device::sim
