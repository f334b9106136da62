#include "device/sim/sim_video.h"

#include "device/sim/sim_graph.h"

namespace device::sim {
namespace {
constexpr int kCapabilityRecordSize = 128;

class SimMoniker : public DeviceMoniker {
public:
    SimMoniker(std::shared_ptr<SimCore> core, int unit, uint64_t generation)
        : core_(std::move(core)), unit_(unit), generation_(generation) {}

    HResult displayName(std::string& name) override {
        return core_->answer("DeviceMoniker::displayName", name, core_->info(unit_).displayName);
    }
    HResult friendlyName(std::string& name) override {
        return core_->answer("DeviceMoniker::friendlyName", name, core_->info(unit_).friendlyName);
    }
    HResult symbolicLink(std::string& link) override {
        return core_->answer("DeviceMoniker::symbolicLink", link, core_->info(unit_).videoLink);
    }
    HResult bind(std::shared_ptr<CaptureDevice>& device) override {
        if (HResult hr = core_->enterOpen("DeviceMoniker::bind", unit_, generation_); failed(hr))
            return hr;
        device = std::make_shared<SimCaptureDevice>(core_, unit_, generation_);
        return kOk;
    }

private:
    std::shared_ptr<SimCore> core_;
    int unit_;
    uint64_t generation_;
};
}  // namespace

// --- controls ------------------------------------------------------------------------------

// A call that reaches the camera waits for its control transfer, unless the driver answers
// a read from its cache; what the host knows from the camera's descriptors (its groups,
// the kernel-streaming set's support) costs none.
template <typename F>
HResult SimControlPort::call(const char* name, F&& f, Transfer transfer, int group, long property) {
    if (HResult hr = core_->enter(name); failed(hr))
        return hr;
    const bool read = transfer == Transfer::Range || transfer == Transfer::Value;
    const auto kind = transfer == Transfer::Range ? DriverCache::Kind::Range : DriverCache::Kind::Value;
    if (transfer == Transfer::Set ||
        (read && core_->driverMustAsk(unit_, generation_, kind, group, property)))
        core_->controlLatency();
    const HResult hr = core_->withControls(unit_, generation_, std::forward<F>(f));
    if (read && succeeded(hr))
        core_->driverNoteRead(unit_, generation_, kind, group, property);
    else if (transfer == Transfer::Set)
        core_->driverForgetValue(unit_, generation_, group, property);
    return hr;
}

// The kernel-streaming properties in the driver's cache, beside the two groups.
constexpr int kKsGroup = -1;

HResult SimControlPort::hasGroup(ControlGroup group) {
    return call(
        "ControlPort::hasGroup", [&](ControlTable& t) { return t.hasGroup(group) ? kOk : kNoInterface; },
        Transfer::None);
}

HResult SimControlPort::getRange(ControlGroup group, long property, ControlRange& range) {
    return call(
        "ControlPort::getRange", [&](ControlTable& t) { return t.range(group, property, range); },
        Transfer::Range, int(group), property);
}

HResult SimControlPort::get(ControlGroup group, long property, long& value, long& flags) {
    return call(
        "ControlPort::get", [&](ControlTable& t) { return t.get(group, property, value, flags); },
        Transfer::Value, int(group), property);
}

HResult SimControlPort::set(ControlGroup group, long property, long value, long flags) {
    return call(
        "ControlPort::set", [&](ControlTable& t) { return t.set(group, property, value, flags); },
        Transfer::Set, int(group), property);
}

HResult SimControlPort::hasKsPropertySet() {
    return call(
        "ControlPort::hasKsPropertySet", [&](ControlTable& t) { return t.hasKsSet() ? kOk : kNoInterface; },
        Transfer::None);
}

HResult SimControlPort::ksQuerySupported(long property, uint32_t& support) {
    return call(
        "ControlPort::ksQuerySupported", [&](ControlTable& t) { return t.ksSupport(property, support); },
        Transfer::None);
}

HResult SimControlPort::ksGet(long property, long& value, long& flags) {
    return call(
        "ControlPort::ksGet", [&](ControlTable& t) { return t.ksGet(property, value, flags); },
        Transfer::Value, kKsGroup, property);
}

HResult SimControlPort::ksSet(long property, long value, long flags) {
    return call(
        "ControlPort::ksSet", [&](ControlTable& t) { return t.ksSet(property, value, flags); }, Transfer::Set,
        kKsGroup, property);
}

// --- capture device ------------------------------------------------------------------------

SimCaptureDevice::SimCaptureDevice(std::shared_ptr<SimCore> core, int unit, uint64_t generation)
    : core_(std::move(core)), unit_(unit), generation_(generation), controls_(core_, unit, generation) {
    format_ = caps().front().format;
}

HResult SimCaptureDevice::enter(const char* call) {
    return core_->enterAlive(call, unit_, generation_);
}

HResult SimCaptureDevice::streamHolders(std::vector<ProcessRef>& holders) {
    holders.clear();
    ProcessRef holder;
    if (core_->streamHolder(unit_, holder))
        holders.push_back(holder);
    return kOk;
}

HResult SimCaptureDevice::pinCount(int& count) {
    if (HResult hr = enter("CaptureDevice::pinCount"); failed(hr))
        return hr;
    count = 1;
    return kOk;
}

HResult SimCaptureDevice::pinIsOutput(int pin, bool& isOutput) {
    if (HResult hr = enter("CaptureDevice::pinIsOutput"); failed(hr))
        return hr;
    if (pin != 0)
        return kInvalidArg;
    isOutput = true;
    return kOk;
}

HResult SimCaptureDevice::hasStreamConfig(int pin) {
    if (HResult hr = enter("CaptureDevice::hasStreamConfig"); failed(hr))
        return hr;
    return pin == 0 ? kOk : kNoInterface;
}

HResult SimCaptureDevice::capabilityCount(int pin, int& count, int& recordSize) {
    if (HResult hr = enter("CaptureDevice::capabilityCount"); failed(hr))
        return hr;
    if (pin != 0)
        return kInvalidArg;
    count = int(caps().size());
    recordSize = kCapabilityRecordSize;
    return kOk;
}

HResult SimCaptureDevice::capability(int pin, int index, MediaFormat& format) {
    if (HResult hr = enter("CaptureDevice::capability"); failed(hr))
        return hr;
    if (pin != 0 || index < 0 || index >= int(caps().size()))
        return kInvalidArg;
    format = caps()[size_t(index)].format;
    return kOk;
}

HResult SimCaptureDevice::hasVideoControl() {
    return enter("CaptureDevice::hasVideoControl");
}

HResult SimCaptureDevice::frameIntervals(int pin, int index, int width, int height,
                                         std::vector<int64_t>& intervals) {
    if (HResult hr = enter("CaptureDevice::frameIntervals"); failed(hr))
        return hr;
    if (pin != 0 || index < 0 || index >= int(caps().size()))
        return kInvalidArg;
    const SimCapability& c = caps()[size_t(index)];
    if (c.format.width != width || c.format.height != height)
        return kInvalidArg;
    intervals = c.intervals;
    return kOk;
}

HResult SimCaptureDevice::currentFormat(int pin, MediaFormat& format) {
    if (HResult hr = enter("CaptureDevice::currentFormat"); failed(hr))
        return hr;
    if (pin != 0)
        return kInvalidArg;
    format = this->format();
    return kOk;
}

HResult SimCaptureDevice::setFormat(int pin, const MediaFormat& format) {
    if (HResult hr = enter("CaptureDevice::setFormat"); failed(hr))
        return hr;
    if (pin != 0)
        return kInvalidArg;
    for (const SimCapability& c : caps()) {
        if (c.format.subtype != format.subtype || c.format.width != format.width ||
            c.format.height != format.height || !c.format.videoInfo)
            continue;
        // The camera runs at the offered interval nearest to the one asked for.
        int64_t best = c.intervals.front();
        if (format.avgTimePerFrame > 0)
            for (int64_t i : c.intervals)
                if (std::llabs(i - format.avgTimePerFrame) < std::llabs(best - format.avgTimePerFrame))
                    best = i;
        std::lock_guard<std::mutex> lock(mutex_);
        format_ = c.format;
        format_.avgTimePerFrame = best;
        return kOk;
    }
    return kInvalidArg;
}

MediaFormat SimCaptureDevice::format() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return format_;
}

ControlPort* SimCaptureDevice::controls() {
    if (failed(core_->enter("CaptureDevice::controls")))
        return nullptr;
    return &controls_;
}

// --- system --------------------------------------------------------------------------------

HResult SimVideoSystem::createGraph(std::unique_ptr<CaptureGraph>& graph) {
    if (HResult hr = core_->enter("VideoSystem::createGraph"); failed(hr))
        return hr;
    graph = std::make_unique<SimCaptureGraph>(core_);
    return kOk;
}

HResult SimVideoSystem::createDeviceEnumerator() {
    return core_->enter("VideoSystem::createDeviceEnumerator");
}

HResult SimVideoSystem::enumerateVideoInputs(std::vector<std::unique_ptr<DeviceMoniker>>& devices) {
    devices.clear();
    if (HResult hr = core_->enter("VideoSystem::enumerateVideoInputs"); failed(hr))
        return hr;
    for (int id : core_->listedUnits(true))
        devices.push_back(std::make_unique<SimMoniker>(core_, id, core_->generation(id)));
    return devices.empty() ? kFalse : kOk;
}

}  // namespace device::sim
