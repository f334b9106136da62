#include "capture/slot_open.h"

#include <chrono>
#include <cmath>
#include <cstdio>
#include <thread>

#include "base/debug_log.h"
#include "base/quit_request.h"
#include "capture/capture_slots.h"
#include "capture/device_walk.h"
#include "capture/sample_grabber_cb.h"
#include "device/control_port.h"
#include "device/device_port.h"

namespace {
constexpr int kOpenAttempts = 3;

// Stores the code of an open half in the slot's status and logs its outcome.
int finishOpen(CaptureSlot& slot, const char* half, int code) {
    slot.status = code;
    if (code != 0) {
        debugLog("uvc %s open fail! error(%d) \n", half, code);
    } else {
        debugLog("uvc %s open success! \n", half);
    }
    return code;
}

bool isRetried(int code) {
    return code == 22 || code == 23 || code == 24;
}

// Probes which standard controls answer their range; a missing group clears its flags.
void probeControls(CaptureSlot& slot) {
    device::ControlPort* controls = slot.captureFilter ? slot.captureFilter->controls() : nullptr;
    const bool hasProcAmp =
        controls != nullptr && device::succeeded(controls->hasGroup(device::ControlGroup::VideoProcAmp));
    for (int n = 0; n < 10; ++n) {
        slot.ranges[n] = device::ControlRange{};
        slot.supported[n] = hasProcAmp && device::succeeded(controls->getRange(
                                              device::ControlGroup::VideoProcAmp, n, slot.ranges[n]));
    }
    const bool hasCameraControl =
        controls != nullptr && device::succeeded(controls->hasGroup(device::ControlGroup::CameraControl));
    for (int n = 0; n < 7; ++n) {
        slot.ranges[10 + n] = device::ControlRange{};
        slot.supported[10 + n] =
            hasCameraControl && device::succeeded(controls->getRange(device::ControlGroup::CameraControl, n,
                                                                     slot.ranges[10 + n]));
    }
}

int openControl(int slotNumber) {
    CaptureSlot& slot = ewc_slot(slotNumber);
    const std::shared_ptr<device::VideoSystem> system = device::port().video;
    if (!system) {
        ewc_hr = device::kNoInterface;
        return 4;
    }
    ewc_hr = system->createGraph(slot.graph);
    if (device::failed(ewc_hr) || !slot.graph) {
        return 3;
    }
    DeviceWalk walk;
    int code = ewc_WalkDevices(slot.nameFilter, slot.deviceIndex, true, walk);
    if (code != 0) {
        return code;
    }
    if (walk.match) {
        ewc_hr = walk.match->bind(slot.captureFilter);
        if (device::succeeded(ewc_hr) && !slot.captureFilter) {
            ewc_hr = device::kFail;
        }
        if (device::failed(ewc_hr)) {
            return 7;
        }
        char name[32];
        std::snprintf(name, sizeof name, "Video Capture %d", slotNumber);
        ewc_hr = slot.graph->addCaptureDevice(slot.captureFilter, name);
        if (device::failed(ewc_hr)) {
            return 7;
        }
    }
    if (deviceCount == -1) {
        deviceCount = walk.counted;
    }
    if (deviceCount == 0) {
        return 8;
    }
    if (!walk.match) {
        return 9;
    }
    ewc_hr = slot.graph->attachGraphBuilder();
    if (device::failed(ewc_hr)) {
        return 10;
    }
    probeControls(slot);
    return 0;
}

// One attempt of the second half. ran tells whether an earlier attempt started the
// graph; such a graph is stopped and its grabber removed before the grabber is built
// again, so retries never pile grabbers up nor race a still-running sink.
int openStreamAttempt(int slotNumber, bool& ran) {
    CaptureSlot& slot = ewc_slot(slotNumber);
    if (ran) {
        slot.graph->stop();
        ran = false;
    }
    const int pin = ewc_GetPin(*slot.captureFilter, PinDirection::Output);
    if (pin < 0) {
        ewc_hr = device::kNoInterface;
        return 11;
    }
    ewc_hr = slot.captureFilter->hasStreamConfig(pin);
    if (device::failed(ewc_hr)) {
        return 11;
    }
    device::MediaFormat format;
    ewc_hr = slot.captureFilter->currentFormat(pin, format);
    if (device::failed(ewc_hr)) {
        return 11;
    }

    if (slot.width == 0) {
        slot.width = lastWidth;
    }
    if (slot.height == 0) {
        slot.height = lastHeight;
    }
    if (slot.fps == 0.0) {
        slot.fps = lastFps;
    }
    lastWidth = slot.width;
    lastHeight = slot.height;
    lastFps = slot.fps;

    format.width = slot.width;
    format.height = slot.height;
    format.avgTimePerFrame = static_cast<int64_t>(std::floor(10000000.0 / slot.fps + 0.5));
    if (!slot.nativeSubtype.isNull()) {
        format.subtype = slot.nativeSubtype;
    }
    slot.nativeSubtype = format.subtype;
    ewc_hr = slot.captureFilter->setFormat(pin, format);
    if (device::failed(ewc_hr)) {
        return 12;
    }

    if (slot.grabberAdded) {
        slot.graph->removeGrabber();
        slot.grabberAdded = false;
    }
    ewc_hr = slot.graph->createGrabber();
    if (device::failed(ewc_hr)) {
        return 13;
    }
    ewc_hr = slot.graph->setGrabberSubtype(slot.outputSubtype);
    if (device::failed(ewc_hr)) {
        return 14;
    }
    char name[32];
    std::snprintf(name, sizeof name, "Grabber %d", slotNumber);
    ewc_hr = slot.graph->addGrabber(name);
    if (device::failed(ewc_hr)) {
        return 15;
    }
    slot.grabberAdded = true;
    ewc_hr = slot.graph->connect(pin);
    if (device::failed(ewc_hr)) {
        return 16;
    }
    ewc_hr = slot.graph->setBufferSamples(false);
    if (device::failed(ewc_hr)) {
        return 17;
    }
    ewc_hr = slot.graph->setOneShot(false);
    if (device::failed(ewc_hr)) {
        return 18;
    }

    {
        const size_t width = slot.width > 0 ? static_cast<size_t>(slot.width) : 0;
        const size_t height = slot.height > 0 ? static_cast<size_t>(slot.height) : 0;
        std::lock_guard<std::mutex> lock(ewc_slotMutex(slotNumber));
        slot.store = FrameStore{};
        slot.store.buffer = zeroedFrameBytes(width * height * 4);
        slot.callback = std::make_unique<ewc_SampleGrabberCB>(slotNumber);
    }
    ewc_hr = slot.graph->setCallback(slot.callback.get());
    if (device::failed(ewc_hr)) {
        return 19;
    }
    ewc_hr = slot.graph->hasMediaEvent();
    if (device::failed(ewc_hr)) {
        return 20;
    }
    slot.hasMediaEvent = true;
    ewc_hr = slot.graph->hasMediaControl();
    if (device::failed(ewc_hr)) {
        return 21;
    }
    ran = true;
    ewc_hr = slot.graph->run();
    if (device::failed(ewc_hr)) {
        return 22;
    }

    long evCode = 0;
    ewc_hr = slot.graph->waitForCompletion(ewc_timeouts().openCompletionMs, evCode);
    debugLog("ewc_OpenStream ewc_hr:%x, evCode: %d\n", ewc_hrBits(), static_cast<int>(evCode));
    if (ewc_hr == device::kAbort) {
        return 23;
    }
    // Wait for the first frame; a quit request ends the wait as if the time were up.
    const uint32_t start = device::tickCount();
    for (;;) {
        {
            std::lock_guard<std::mutex> lock(ewc_slotMutex(slotNumber));
            if (slot.store.frameSize != 0) {
                return 0;
            }
        }
        if (quitRequested()) {
            debugLog("first frame wait ended: quit requested \n");
            return 24;
        }
        if (device::tickCount() - start > static_cast<uint32_t>(ewc_timeouts().firstFrameMs)) {
            return 24;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
}
}  // namespace

void ewc_EnsureCom() {
    if (!ewc_comInitialised && deviceCount == -1) {
        ewc_comInitialised = true;
    }
    if (deviceCount == -1) {
        ewc_resetSlotTable();
    }
}

int ewc_OpenControl(int slotNumber) {
    CaptureSlot& slot = ewc_slot(slotNumber);
    const int code = openControl(slotNumber);
    debugLog("fin error(%d) retry(%d)\n", code, kOpenAttempts);
    if (code == 0) {
        slot.inUse = 1;
    } else {
        ewc_ReleaseSlot(slotNumber);
    }
    return finishOpen(slot, "control", code);
}

int ewc_OpenStream(int slotNumber) {
    CaptureSlot& slot = ewc_slot(slotNumber);
    int code = 0;
    bool ran = false;
    for (int attemptsLeft = kOpenAttempts; attemptsLeft > 0; --attemptsLeft) {
        code = openStreamAttempt(slotNumber, ran);
        debugLog("fin error(%d) retry(%d)\n", code, attemptsLeft);
        if (code == 0) {
            slot.inUse = 1;
            break;
        }
        if (!isRetried(code) || quitRequested()) {
            break;
        }
    }
    return finishOpen(slot, "stream", code);
}

int EWC_Close(int slotNumber) {
    debugLog("EWC_Close num: %d\n", slotNumber);
    if (!ewc_validSlot(slotNumber) || ewc_slot(slotNumber).inUse == 0) {
        return 1;
    }
    CaptureSlot& slot = ewc_slot(slotNumber);
    if (!slot.graph) {
        return 2;
    }
    ewc_hr = slot.graph->hasMediaControl();
    if (device::failed(ewc_hr)) {
        return 2;
    }
    slot.graph->stop();
    long evCode = 0;
    ewc_hr = slot.graph->waitForCompletion(ewc_timeouts().stopCompletionMs, evCode);
    debugLog("EWC_Stop   ewc_hr:%x, evCode: %d\n", ewc_hrBits(), static_cast<int>(evCode));
    if (ewc_hr == device::kAbort) {
        return 2;
    }
    ewc_ReleaseSlot(slotNumber);

    bool anyInUse = false;
    for (int n = 0; n < kCaptureSlotCount; ++n) {
        anyInUse = anyInUse || ewc_slot(n).inUse != 0;
    }
    if (!anyInUse) {
        ewc_comInitialised = false;
        deviceCount = -1;
    }
    return 0;
}

void ewc_ReleaseSlot(int slotNumber) {
    CaptureSlot& slot = ewc_slot(slotNumber);
    slot.hasMediaEvent = false;
    slot.grabberAdded = false;
    // The graph goes first and outside the lock: its streaming thread may be waiting for
    // the lock in the call-back, and the call-back object must outlive it.
    slot.graph.reset();
    slot.captureFilter.reset();
    {
        std::lock_guard<std::mutex> lock(ewc_slotMutex(slotNumber));
        slot.store = FrameStore{};
        slot.callback.reset();
    }
    slot.inUse = 0;
}

int ewc_GetPin(device::CaptureDevice& filter, PinDirection direction) {
    int count = 0;
    if (device::failed(filter.pinCount(count))) {
        return -1;
    }
    int outputPosition = 0;
    for (int pin = 0; pin < count; ++pin) {
        bool isOutput = false;
        if (device::failed(filter.pinIsOutput(pin, isOutput))) {
            continue;
        }
        if (direction == PinDirection::Input && !isOutput) {
            return pin;
        }
        if (direction == PinDirection::Output && isOutput) {
            if (outputPosition == selectedPin) {
                return pin;
            }
            ++outputPosition;
        }
    }
    return -1;
}
