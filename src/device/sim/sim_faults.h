#pragma once
// Fault injection for the simulated camera: every port call passes through enter() with
// its name ("CaptureGraph::run"); the table counts the call, waits the latency set for it
// and answers the fault set for it, if any.
#include <map>
#include <mutex>
#include <string>

#include "device/result.h"

namespace device::sim {

class FaultTable {
public:
    // kOk, or the injected failure for this call. Counts the call under both names when a
    // more specific name is given (e.g. "XuNodeControl::property:17").
    HResult enter(const std::string& call, const std::string& specific = {});
    void failNext(const std::string& call, HResult hr, int count);
    void failFrom(const std::string& call, HResult hr, int nth);
    void failAlways(const std::string& call, HResult hr);
    void setLatency(const std::string& call, int ms);
    void clear();
    int callCount(const std::string& call) const;

private:
    enum class Mode { None, Next, From, Always };
    struct Entry {
        Mode mode = Mode::None;
        HResult hr = kOk;
        int count = 0;  // Next: calls still to fail; From: the failing call's number
        int calls = 0;  // calls since the fault was set
        int latencyMs = 0;
    };
    // Applies the entry of one name; returns its failure and adds its latency.
    HResult apply(const std::string& name, int& latencyMs);

    mutable std::mutex mutex_;
    std::map<std::string, Entry> entries_;
    std::map<std::string, int> counts_;
};

}  // namespace device::sim
