#pragma once
// The video side of the simulated bus: the system's list of video input devices, the
// bound devices with their pin, capabilities and standard controls.
#include <memory>
#include <mutex>

#include "device/sim/sim_core.h"
#include "device/video_port.h"

namespace device::sim {

class SimControlPort : public ControlPort {
public:
    SimControlPort(std::shared_ptr<SimCore> core, int unit, uint64_t generation)
        : core_(std::move(core)), unit_(unit), generation_(generation) {}
    HResult hasGroup(ControlGroup group) override;
    HResult getRange(ControlGroup group, long property, ControlRange& range) override;
    HResult get(ControlGroup group, long property, long& value, long& flags) override;
    HResult set(ControlGroup group, long property, long value, long flags) override;
    HResult hasKsPropertySet() override;
    HResult ksQuerySupported(long property, uint32_t& support) override;
    HResult ksGet(long property, long& value, long& flags) override;
    HResult ksSet(long property, long value, long flags) override;

private:
    // What a call costs on the wire: nothing (the host knows it from the descriptors), a
    // read the driver may answer from its cache, or a set.
    enum class Transfer { None, Range, Value, Set };
    template <typename F>
    HResult call(const char* name, F&& f, Transfer transfer, int group = 0, long property = 0);
    std::shared_ptr<SimCore> core_;
    int unit_;
    uint64_t generation_;
};

class SimCaptureDevice : public CaptureDevice {
public:
    SimCaptureDevice(std::shared_ptr<SimCore> core, int unit, uint64_t generation);

    HResult pinCount(int& count) override;
    HResult pinIsOutput(int pin, bool& isOutput) override;
    HResult hasStreamConfig(int pin) override;
    HResult capabilityCount(int pin, int& count, int& recordSize) override;
    HResult capability(int pin, int index, MediaFormat& format) override;
    HResult hasVideoControl() override;
    HResult frameIntervals(int pin, int index, int width, int height,
                           std::vector<int64_t>& intervals) override;
    HResult currentFormat(int pin, MediaFormat& format) override;
    HResult setFormat(int pin, const MediaFormat& format) override;
    ControlPort* controls() override;
    HResult streamHolders(std::vector<ProcessRef>& holders) override;

    int unit() const { return unit_; }
    uint64_t generation() const { return generation_; }
    MediaFormat format() const;

private:
    HResult enter(const char* call);
    const std::vector<SimCapability>& caps() const { return *core_->info(unit_).capabilities; }

    std::shared_ptr<SimCore> core_;
    int unit_;
    uint64_t generation_;
    SimControlPort controls_;
    mutable std::mutex mutex_;
    MediaFormat format_;
};

class SimVideoSystem : public VideoSystem {
public:
    explicit SimVideoSystem(std::shared_ptr<SimCore> core) : core_(std::move(core)) {}
    HResult createGraph(std::unique_ptr<CaptureGraph>& graph) override;
    HResult createDeviceEnumerator() override;
    HResult enumerateVideoInputs(std::vector<std::unique_ptr<DeviceMoniker>>& devices) override;

private:
    std::shared_ptr<SimCore> core_;
};

}  // namespace device::sim
