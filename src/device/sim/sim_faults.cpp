#include "device/sim/sim_faults.h"

#include <chrono>
#include <thread>

namespace device::sim {

HResult FaultTable::apply(const std::string& name, int& latencyMs) {
    ++counts_[name];
    auto it = entries_.find(name);
    if (it == entries_.end())
        return kOk;
    Entry& e = it->second;
    latencyMs += e.latencyMs;
    ++e.calls;
    switch (e.mode) {
        case Mode::None:
            return kOk;
        case Mode::Next:
            if (e.count > 0) {
                --e.count;
                return e.hr;
            }
            return kOk;
        case Mode::From:
            return e.calls >= e.count ? e.hr : kOk;
        case Mode::Always:
            return e.hr;
    }
    return kOk;
}

HResult FaultTable::enter(const std::string& call, const std::string& specific) {
    int latencyMs = 0;
    HResult hr = kOk;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        hr = apply(call, latencyMs);
        if (!specific.empty()) {
            HResult specificHr = apply(specific, latencyMs);
            if (hr == kOk)
                hr = specificHr;
        }
    }
    if (latencyMs > 0)
        std::this_thread::sleep_for(std::chrono::milliseconds(latencyMs));
    return hr;
}

void FaultTable::failNext(const std::string& call, HResult hr, int count) {
    std::lock_guard<std::mutex> lock(mutex_);
    Entry& e = entries_[call];
    e.mode = Mode::Next;
    e.hr = hr;
    e.count = count;
    e.calls = 0;
}

void FaultTable::failFrom(const std::string& call, HResult hr, int nth) {
    std::lock_guard<std::mutex> lock(mutex_);
    Entry& e = entries_[call];
    e.mode = Mode::From;
    e.hr = hr;
    e.count = nth < 1 ? 1 : nth;
    e.calls = 0;
}

void FaultTable::failAlways(const std::string& call, HResult hr) {
    std::lock_guard<std::mutex> lock(mutex_);
    Entry& e = entries_[call];
    e.mode = Mode::Always;
    e.hr = hr;
    e.calls = 0;
}

void FaultTable::setLatency(const std::string& call, int ms) {
    std::lock_guard<std::mutex> lock(mutex_);
    entries_[call].latencyMs = ms < 0 ? 0 : ms;
}

void FaultTable::clear() {
    std::lock_guard<std::mutex> lock(mutex_);
    entries_.clear();
}

int FaultTable::callCount(const std::string& call) const {
    std::lock_guard<std::mutex> lock(mutex_);
    auto it = counts_.find(call);
    return it == counts_.end() ? 0 : it->second;
}

}  // namespace device::sim
