#include "base/quit_request.h"

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <mutex>

namespace {
// Written by a signal handler, so it must not take a lock.
std::atomic<bool> quitFlag{false};
static_assert(std::atomic<bool>::is_always_lock_free, "the quit flag is set in a signal handler");

// The waits' wake-up. Created on first use and never destroyed, so a thread that waits
// while the process tears down its statics still finds it.
struct Wake {
    std::mutex mutex;
    std::condition_variable changed;
};
Wake& wake() {
    static Wake* const instance = new Wake;
    return *instance;
}
}  // namespace

void requestQuit() {
    quitFlag.store(true);
    Wake& w = wake();
    {
        // Taken so that a waiter between its check and its wait cannot miss the wake-up.
        std::lock_guard<std::mutex> lock(w.mutex);
    }
    w.changed.notify_all();
}

void requestQuitFromSignalHandler() {
    quitFlag.store(true);
}

bool quitRequested() {
    return quitFlag.load();
}

bool waitUnlessQuitRequested(std::chrono::milliseconds duration) {
    using Clock = std::chrono::steady_clock;
    const Clock::time_point end = Clock::now() + duration;
    Wake& w = wake();
    std::unique_lock<std::mutex> lock(w.mutex);
    while (!quitFlag.load()) {
        const Clock::time_point now = Clock::now();
        if (now >= end)
            break;
        // In slices: a request raised by a signal handler wakes nobody.
        const Clock::time_point sliceEnd = std::min(end, now + kQuitPollSlice);
        w.changed.wait_until(lock, sliceEnd);
    }
    return quitFlag.load();
}

void clearQuitRequest() {
    quitFlag.store(false);
}
