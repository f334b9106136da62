#pragma once
// The soak run's pieces: random control changes queued through the settings engine and
// the record of what was queued, the check of that record against the simulated camera,
// and the process's resident memory and open descriptors.
#include <atomic>
#include <map>
#include <mutex>
#include <random>
#include <string>
#include <vector>

#include "device/sim/sim_camera.h"

class mainwindow;

namespace soak {

struct Figures {
    int cycles = 0;
    int reconnects = 0;
    long changes = 0;
    int formatChanges = 0;
};

// What was queued since the start, per control: the last value, and for the controls
// with an automatic mode whether it was last switched to automatic.
class ControlRecord {
public:
    void queued(int controlId, int value);
    // Called on the settings worker with each job it takes.
    void taken(int controlId, int value);
    // Queues a job the worker ignores and waits until the worker took it: every job
    // queued before it has then been applied. False after 5 s or when the worker took
    // fewer jobs than were queued (a change was lost).
    bool drain();
    // One text per control whose camera value (or mode) differs from what was queued.
    std::vector<std::string> compareWith(const device::sim::SimCamera& camera) const;
    long appliedCount() const { return taken_.load(); }

private:
    std::map<int, int> values_;
    std::map<int, bool> automatic_;  // EXPOSURE, WHITEBALANCE: last switch or value job
    long queued_ = 0;
    std::atomic<long> taken_{0};
    std::atomic<int> lastMarkerTaken_{-1};
    int marker_ = 0;
};

// Queues one random change of a random control (a value the camera accepts).
void queueRandomChange(std::mt19937& random, ControlRecord& record);

// Observes the settings worker's jobs (only while no worker runs).
bool installJobObserver(ControlRecord& record);
// Stops the worker and removes the observer.
void removeJobObserver();

bool isCovered(mainwindow& window);
// Capture slots holding a stream (one while connected).
int captureSlotsInUse();
bool showsPicture(mainwindow& window);

struct Usage {
    long rssKb = 0;
    int descriptors = 0;
    int threads = 0;
};
Usage usageNow();

}  // namespace soak
