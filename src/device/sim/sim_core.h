#pragma once
// The state behind one simulated camera: the devices on the simulated bus (the webcam,
// the Lumora X8, optionally a second one of the same name), their controls and extension
// units, fault injection, the running streams and the camera's timer. The port objects
// (sim_video, sim_graph, sim_xu) hold it through a shared pointer and call in here; the
// test control surface is its SimCamera side.
#include <atomic>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <vector>

#include "device/device_change_signal.h"
#include "device/sim/sim_camera.h"
#include "device/sim/sim_controls.h"
#include "device/sim/sim_driver_cache.h"
#include "device/sim/sim_extension_unit.h"
#include "device/sim/sim_faults.h"
#include "device/sim/sim_formats.h"
#include "device/sim/sim_picture.h"
#include "device/sim/sim_timer.h"

namespace device::sim {

// A running stream, told when its device leaves the bus.
class StreamObserver {
public:
    virtual ~StreamObserver() = default;
    virtual void deviceLost() = 0;
};

// The parts of a device that never change.
struct UnitInfo {
    bool lumora = false;
    std::string friendlyName, displayName, videoLink, xuLink;
    const std::vector<SimCapability>* capabilities = nullptr;
};

class SimCore : public SimCamera {
public:
    enum : int { kWebcam = 0, kCamera = 1, kDuplicate = 2, kVirtual = 3 };

    explicit SimCore(SimOptions options);
    ~SimCore() override;

    // --- port side -----------------------------------------------------------------------
    // Fault injection and latency of one call (see FaultTable::enter).
    HResult enter(const std::string& call, const std::string& specific = {});
    // A call that answers a text: value into out unless the call fails by injection.
    HResult answer(const std::string& call, std::string& out, const std::string& value) {
        const HResult hr = enter(call);
        if (failed(hr))
            return hr;
        out = value;
        return kOk;
    }
    // The USB control transfer's own latency (SimOptions::controlLatencyUs).
    void controlLatency() const;
    // The driver's control cache of a device at a generation (a newer generation, the
    // camera back on the bus, finds it empty): whether a read must ask the camera, a
    // successful read noted, a value set.
    bool driverMustAsk(int id, uint64_t gen, DriverCache::Kind kind, int group, long property);
    void driverNoteRead(int id, uint64_t gen, DriverCache::Kind kind, int group, long property);
    void driverForgetValue(int id, uint64_t gen, int group, long property);
    // The devices on the bus now, in listing order (the virtual source is listed on the
    // video side only).
    std::vector<int> listedUnits(bool videoSide) const;
    const UnitInfo& info(int id) const { return infos_[size_t(id)]; }
    // A handle taken at this generation stays usable while alive() says so.
    uint64_t generation(int id) const;
    bool alive(int id, uint64_t generation) const;
    // A call on a handle of one device: enter(call), then kNotConnected when the device
    // left the bus since the handle was made.
    HResult enterAlive(const std::string& call, int id, uint64_t generation) {
        const HResult hr = enter(call);
        if (failed(hr))
            return hr;
        return alive(id, generation) ? kOk : kNotConnected;
    }
    // Runs f on the device's controls under the lock; kNotConnected when the handle died.
    template <typename F>
    HResult withControls(int id, uint64_t gen, F&& f) {
        std::lock_guard<std::mutex> lock(mutex_);
        if (!aliveLocked(id, gen))
            return kNotConnected;
        return f(units_[size_t(id)].controls);
    }
    // enterAlive for opening a device (binding, activating): kAccessDenied for the
    // Lumora X8s while access is denied.
    HResult enterOpen(const std::string& call, int id, uint64_t generation);
    // The application holding the stream of the Lumora X8s; false when none does.
    bool streamHolder(int id, ProcessRef& holder) const;
    PictureSettings pictureSettings(int id) const;
    // Activation of a capture source for the extension unit: whether its topology holds
    // the unit this time.
    bool activationHasExtensionUnit(int id);
    HResult xuProperty(int id, uint64_t gen, const KsNodeProperty& request, void* data, uint32_t length,
                       uint32_t& returned);

    void addStream(StreamObserver* stream, int id);
    void removeStream(StreamObserver* stream);
    bool neverDeliverFrames() const { return neverDeliver_.load(); }
    SampleFault sampleFault() const { return SampleFault(sampleFault_.load()); }
    void countFrame() { framesDelivered_.fetch_add(1); }
    double frameRateMultiplier() const { return options_.frameRateMultiplier; }
    // Runs an action later on the camera's timer.
    void schedule(int delayMs, std::function<void()> action) { timer_.schedule(delayMs, std::move(action)); }

    // --- SimCamera -------------------------------------------------------------------------
    void plug() override;
    void unplug() override;
    bool isPlugged() const override;
    void plugAfter(int delayMs) override;
    void unplugAfter(int delayMs) override;
    void failNext(const std::string& call, HResult hr, int count) override {
        faults_.failNext(call, hr, count);
    }
    void failFrom(const std::string& call, HResult hr, int nth) override { faults_.failFrom(call, hr, nth); }
    void failAlways(const std::string& call, HResult hr) override { faults_.failAlways(call, hr); }
    void setLatency(const std::string& call, int ms) override { faults_.setLatency(call, ms); }
    void clearFaults() override { faults_.clear(); }
    int callCount(const std::string& call) const override { return faults_.callCount(call); }
    void forceStatus(int status) override;
    void setNeverDeliverFrames(bool never) override { neverDeliver_ = never; }
    void setSampleFault(SampleFault fault) override { sampleFault_ = int(fault); }
    void setExtensionUnitFromActivation(int k) override;
    void setFlashFails(bool fails) override;
    void setRebootKeepsFirmware(bool keeps) override;
    void holdStream(const std::string& process, int pid) override;
    void releaseStream() override;
    void holdStreamAfter(int delayMs, const std::string& process, int pid) override {
        schedule(delayMs, [this, process, pid] { holdStream(process, pid); });
    }
    void releaseStreamAfter(int delayMs) override {
        schedule(delayMs, [this] { releaseStream(); });
    }
    void setAccessDenied(bool denied) override { accessDenied_ = denied; }
    ControlState control(ControlGroup group, long property) const override;
    void setControl(ControlGroup group, long property, ControlState state) override;
    long powerLineFrequency() const override;
    XuControls xuControls() const override;
    void setXuControls(const XuControls& controls) override;
    std::vector<XuRecord> xuRequests() const override;
    void clearXuRequests() override;
    FirmwareState firmware() const override;
    std::vector<uint8_t> storedImage() const override;
    long framesDelivered() const override { return framesDelivered_.load(); }
    int runningStreams() const override;
    int resetCount() const override;
    // Posted on every plug and drop-off (also a reboot's), as udev tells of a real camera.
    const std::shared_ptr<DeviceChangeSignal>& deviceChanges() const { return deviceChanges_; }

private:
    struct Unit {
        ControlTable controls;
        std::unique_ptr<ExtensionUnit> xu;  // the Lumora X8s only
        DriverCache driverCache;
        uint64_t driverCacheGeneration = 0;
    };
    bool aliveLocked(int id, uint64_t gen) const;
    DriverCache& driverCacheLocked(int id, uint64_t gen);
    // Takes the cameras off the bus; the streams are told outside the state lock.
    void dropOff();
    void record(XuRecord record);

    const SimOptions options_;
    std::vector<UnitInfo> infos_;
    FaultTable faults_;
    const std::shared_ptr<DeviceChangeSignal> deviceChanges_ = std::make_shared<DeviceChangeSignal>();

    mutable std::mutex mutex_;  // guards everything below up to the stream set
    std::vector<Unit> units_;
    bool plugged_ = false;
    uint64_t generation_ = 1;
    int activations_ = 0;
    int xuFromActivation_ = 1;
    bool rebootKeepsFirmware_ = false;
    std::vector<XuRecord> records_;
    bool streamHeld_ = false;
    ProcessRef holder_;

    mutable std::mutex streamsMutex_;
    std::set<std::pair<StreamObserver*, int>> streams_;

    std::atomic<bool> neverDeliver_{false};
    std::atomic<bool> accessDenied_{false};
    std::atomic<int> sampleFault_{int(SampleFault::None)};
    std::atomic<long> framesDelivered_{0};

    SimTimer timer_;  // last: stopped first
};

}  // namespace device::sim
