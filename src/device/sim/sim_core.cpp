#include "device/sim/sim_core.h"

#include "device/sim/camera_model.h"

#include <chrono>
#include <thread>

namespace device::sim {
namespace {
constexpr size_t kMaxRecords = 100000;
constexpr size_t kPacketBytesKept = 16;

const char kCameraInstance[] = "6&2f4b1c9e&0&0000";
const char kDuplicateInstance[] = "6&3a7d52e1&0&0000";
const char kWebcamInstance[] = "6&1c0a8e37&0&0000";
const char kCaptureClass[] = "{65e8773d-8f56-11d0-a3b9-00a0c9223196}";
const char kSourceClass[] = "{e5323777-f976-4f5b-9b55-b94699c46e44}";

std::string usbPath(const char* vidPid, const char* instance, const char* klass) {
    return std::string("\\\\?\\usb#") + vidPid + "#" + instance + "#" + klass + "\\global";
}

UnitInfo makeInfo(bool lumora, const std::string& name, const char* vidPid, const char* instance) {
    UnitInfo u;
    u.lumora = lumora;
    u.friendlyName = name;
    u.videoLink = usbPath(vidPid, instance, kCaptureClass);
    u.xuLink = usbPath(vidPid, instance, kSourceClass);
    u.displayName = "@device:pnp:" + u.videoLink;
    u.capabilities = lumora ? &lumoraCapabilities() : &webcamCapabilities();
    return u;
}
}  // namespace

SimCore::SimCore(SimOptions options) : options_(std::move(options)) {
    infos_.push_back(makeInfo(false, "Integrated Webcam", "vid_0bda&pid_58f4&mi_00", kWebcamInstance));
    infos_.push_back(makeInfo(true, options_.friendlyName, "vid_2e7a&pid_0c08&mi_00", kCameraInstance));
    infos_.push_back(makeInfo(true, options_.friendlyName, "vid_2e7a&pid_0c08&mi_00", kDuplicateInstance));
    // A virtual (non-capture-class) source whose name contains the camera's.
    UnitInfo virtualSource = makeInfo(false, options_.friendlyName + " Virtual", "", "");
    virtualSource.displayName =
        "@device:cm:{860BB310-5D01-11D0-BD3B-00A0C911CE86}\\" + virtualSource.friendlyName;
    virtualSource.videoLink.clear();
    virtualSource.xuLink.clear();
    infos_.push_back(virtualSource);
    for (int id = 0; id < int(infos_.size()); ++id) {
        Unit unit;
        unit.controls = infos_[size_t(id)].lumora ? ControlTable::lumora() : ControlTable::webcam();
        unit.controls.setPanTiltNeedZoom(options_.panTiltNeedZoom);
        if (infos_[size_t(id)].lumora)
            unit.xu = std::make_unique<ExtensionUnit>(options_);
        unit.driverCache = DriverCache(options_.controlsReadBefore);
        unit.driverCacheGeneration = infos_[size_t(id)].lumora ? generation_ : 0;
        units_.push_back(std::move(unit));
    }
    plugged_ = options_.pluggedAtStart;
}

SimCore::~SimCore() {
    timer_.stop();
}

HResult SimCore::enter(const std::string& call, const std::string& specific) {
    return faults_.enter(call, specific);
}

void SimCore::controlLatency() const {
    if (options_.controlLatencyUs > 0)
        std::this_thread::sleep_for(std::chrono::microseconds(options_.controlLatencyUs));
}

std::vector<int> SimCore::listedUnits(bool videoSide) const {
    std::lock_guard<std::mutex> lock(mutex_);
    std::vector<int> ids;
    if (options_.noDevices)
        return ids;
    if (videoSide && options_.listNonCaptureDevice)
        ids.push_back(kVirtual);
    if (options_.listOtherDevice)
        ids.push_back(kWebcam);
    if (plugged_) {
        ids.push_back(kCamera);
        if (options_.duplicateCamera)
            ids.push_back(kDuplicate);
    }
    return ids;
}

DriverCache& SimCore::driverCacheLocked(int id, uint64_t gen) {
    Unit& unit = units_[size_t(id)];
    if (unit.driverCacheGeneration != gen) {
        unit.driverCache = DriverCache();
        unit.driverCacheGeneration = gen;
    }
    return unit.driverCache;
}

bool SimCore::driverMustAsk(int id, uint64_t gen, DriverCache::Kind kind, int group, long property) {
    std::lock_guard<std::mutex> lock(mutex_);
    return driverCacheLocked(id, gen).mustAsk(kind, group, property);
}

void SimCore::driverNoteRead(int id, uint64_t gen, DriverCache::Kind kind, int group, long property) {
    std::lock_guard<std::mutex> lock(mutex_);
    driverCacheLocked(id, gen).noteRead(kind, group, property);
}

void SimCore::driverForgetValue(int id, uint64_t gen, int group, long property) {
    std::lock_guard<std::mutex> lock(mutex_);
    driverCacheLocked(id, gen).forgetValue(group, property);
}

uint64_t SimCore::generation(int id) const {
    if (!info(id).lumora)
        return 0;
    std::lock_guard<std::mutex> lock(mutex_);
    return generation_;
}

bool SimCore::aliveLocked(int id, uint64_t gen) const {
    if (!info(id).lumora)
        return !options_.noDevices;
    return plugged_ && gen == generation_;
}

bool SimCore::alive(int id, uint64_t gen) const {
    std::lock_guard<std::mutex> lock(mutex_);
    return aliveLocked(id, gen);
}

PictureSettings SimCore::pictureSettings(int id) const {
    std::lock_guard<std::mutex> lock(mutex_);
    const Unit& u = units_[size_t(id)];
    const ControlTable& c = u.controls;
    const auto P = ControlGroup::VideoProcAmp;
    if (info(id).lumora)
        return lumoraPictureSettings(c, u.xu->controls());
    PictureSettings s;
    s.brightness = 100 + c.state(P, kProcBrightness).value;
    s.contrast = c.state(P, kProcContrast).value * 100 / 32;
    s.saturation = c.state(P, kProcSaturation).value * 100 / 64;
    const ControlState wb = c.state(P, kProcWhiteBalance);
    s.wbAuto = wb.flags == kFlagsAuto;
    s.wbKelvin = wb.value;
    return s;
}

bool SimCore::activationHasExtensionUnit(int id) {
    if (!info(id).lumora)
        return false;
    std::lock_guard<std::mutex> lock(mutex_);
    if (id == kDuplicate)
        return true;
    ++activations_;
    return xuFromActivation_ >= 1 && activations_ >= xuFromActivation_;
}

void SimCore::record(XuRecord r) {
    if (records_.size() >= kMaxRecords)
        return;
    records_.push_back(std::move(r));
}

HResult SimCore::xuProperty(int id, uint64_t gen, const KsNodeProperty& request, void* data, uint32_t length,
                            uint32_t& returned) {
    ExtensionUnit::Action action = ExtensionUnit::Action::None;
    HResult hr;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        if (!aliveLocked(id, gen))
            return kNotConnected;
        Unit& unit = units_[size_t(id)];
        XuRecord r;
        r.selector = request.id;
        r.set = (request.flags & kKsPropertySet) != 0;
        r.length = length;
        const uint8_t* bytes = static_cast<const uint8_t*>(data);
        auto keep = [&](uint32_t n) {
            if (!bytes)
                return;
            if (request.id == 17)
                n = std::min<uint32_t>(n, kPacketBytesKept);
            r.bytes.assign(bytes, bytes + n);
        };
        if (r.set)
            keep(length);
        hr = unit.xu->property(request, data, length, returned, unit.controls, action);
        if (!r.set && succeeded(hr))
            keep(returned);
        r.result = hr;
        record(std::move(r));
    }
    if (action == ExtensionUnit::Action::RebootIntoFirmware) {
        dropOff();
        schedule(options_.rebootAbsenceMs, [this, id] {
            {
                std::lock_guard<std::mutex> lock(mutex_);
                units_[size_t(id)].xu->firmware().completeReboot(rebootKeepsFirmware_);
            }
            plug();
        });
    } else if (action == ExtensionUnit::Action::RebootAfterReset && options_.resetAbsenceMs > 0) {
        dropOff();
        schedule(options_.resetAbsenceMs, [this] { plug(); });
    }
    return hr;
}

void SimCore::addStream(StreamObserver* stream, int id) {
    std::lock_guard<std::mutex> lock(streamsMutex_);
    streams_.insert({stream, id});
}

void SimCore::removeStream(StreamObserver* stream) {
    std::lock_guard<std::mutex> lock(streamsMutex_);
    for (auto it = streams_.begin(); it != streams_.end();) {
        if (it->first == stream)
            it = streams_.erase(it);
        else
            ++it;
    }
}

int SimCore::runningStreams() const {
    std::lock_guard<std::mutex> lock(streamsMutex_);
    return int(streams_.size());
}

void SimCore::dropOff() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        if (!plugged_)
            return;
        plugged_ = false;
    }
    {
        std::lock_guard<std::mutex> lock(streamsMutex_);
        for (const auto& entry : streams_)
            if (info(entry.second).lumora)
                entry.first->deviceLost();
    }
    deviceChanges_->post(DeviceWatch::kRemoved);
}

void SimCore::plug() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        if (plugged_)
            return;
        plugged_ = true;
        ++generation_;
    }
    deviceChanges_->post(DeviceWatch::kAdded);
}

void SimCore::unplug() {
    dropOff();
}

bool SimCore::isPlugged() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return plugged_;
}

void SimCore::plugAfter(int delayMs) {
    schedule(delayMs, [this] { plug(); });
}

void SimCore::unplugAfter(int delayMs) {
    schedule(delayMs, [this] { unplug(); });
}

void SimCore::forceStatus(int status) {
    std::lock_guard<std::mutex> lock(mutex_);
    for (Unit& u : units_)
        if (u.xu)
            u.xu->setForcedStatus(status);
}

void SimCore::setExtensionUnitFromActivation(int k) {
    std::lock_guard<std::mutex> lock(mutex_);
    xuFromActivation_ = k;
    activations_ = 0;
}

HResult SimCore::enterOpen(const std::string& call, int id, uint64_t generation) {
    const HResult hr = enterAlive(call, id, generation);
    if (failed(hr))
        return hr;
    return accessDenied_ && infos_[size_t(id)].lumora ? kAccessDenied : kOk;
}

bool SimCore::streamHolder(int id, ProcessRef& holder) const {
    std::lock_guard<std::mutex> lock(mutex_);
    if (!streamHeld_ || !infos_[size_t(id)].lumora)
        return false;
    holder = holder_;
    return true;
}

void SimCore::holdStream(const std::string& process, int pid) {
    std::lock_guard<std::mutex> lock(mutex_);
    streamHeld_ = true;
    holder_ = {process, pid};
}

void SimCore::releaseStream() {
    std::lock_guard<std::mutex> lock(mutex_);
    streamHeld_ = false;
}

void SimCore::setRebootKeepsFirmware(bool keeps) {
    std::lock_guard<std::mutex> lock(mutex_);
    rebootKeepsFirmware_ = keeps;
}

void SimCore::setFlashFails(bool fails) {
    std::lock_guard<std::mutex> lock(mutex_);
    for (Unit& u : units_)
        if (u.xu)
            u.xu->setFlashFails(fails);
}

ControlState SimCore::control(ControlGroup group, long property) const {
    std::lock_guard<std::mutex> lock(mutex_);
    return units_[kCamera].controls.state(group, property);
}

void SimCore::setControl(ControlGroup group, long property, ControlState state) {
    std::lock_guard<std::mutex> lock(mutex_);
    units_[kCamera].controls.force(group, property, state);
}

long SimCore::powerLineFrequency() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return units_[kCamera].controls.powerLine();
}

XuControls SimCore::xuControls() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return units_[kCamera].xu->controls();
}

void SimCore::setXuControls(const XuControls& controls) {
    std::lock_guard<std::mutex> lock(mutex_);
    units_[kCamera].xu->setControls(controls);
}

std::vector<XuRecord> SimCore::xuRequests() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return records_;
}

void SimCore::clearXuRequests() {
    std::lock_guard<std::mutex> lock(mutex_);
    records_.clear();
}

FirmwareState SimCore::firmware() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return units_[kCamera].xu->firmware().snapshot();
}

std::vector<uint8_t> SimCore::storedImage() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return units_[kCamera].xu->firmware().storedImage();
}

int SimCore::resetCount() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return units_[kCamera].xu->resetCount();
}

}  // namespace device::sim
