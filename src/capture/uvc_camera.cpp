#include "capture/uvc_camera.h"

#include <algorithm>
#include <cstring>
#include <mutex>
#include <string>

#include "base/app_config.h"
#include "base/debug_log.h"
#include "capture/capture_formats.h"
#include "capture/capture_slots.h"
#include "capture/slot_open.h"

namespace {
bool isUsableFormat(const char* name) {
    return std::strcmp(name, "MJPG") == 0 || std::strcmp(name, "H264") == 0 || std::strcmp(name, "YUY2") == 0;
}

// The default MJPG format: the configured one when both dimensions are set, else
// 3520 x 1104 at 30 fps.
bool isDefaultMjpg(const CaptureFormat& entry) {
    const AppConfig& config = appConfig();
    const int fps = static_cast<int>(entry.fps);
    if (config.defaultWidth != 0 && config.defaultHeight != 0) {
        return entry.width == config.defaultWidth && entry.height == config.defaultHeight &&
               fps == config.defaultFps;
    }
    return entry.width == 3520 && entry.height == 1104 && fps == 30;
}

// The stream the slot's second half is to open.
void requestFormat(CaptureSlot& slot, const CaptureFormat& entry, int outputType) {
    slot.width = entry.width;
    slot.height = entry.height;
    slot.fps = entry.fps;
    slot.outputSubtype = outputType == 0 ? device::kSubtypeRGB32 : device::kSubtypeNull;
    slot.nativeSubtype = entry.subtype;
}

size_t frameBytes(int width, int height) {
    if (width <= 0 || height <= 0) {
        return 0;
    }
    return static_cast<size_t>(width) * static_cast<size_t>(height) * 4;
}
}  // namespace

int UvcCamera::initial(const char* name, std::vector<RESOLUTION_LIST>& formats) {
    if (name != nullptr) {
        debugLog("uvcCamera initial name(%s)\n", name);
    } else {
        debugLog("uvcCamera initial id(%d)\n", -1);
    }
    CaptureFormatList& list = ewc_currentFormatList();
    list = CaptureFormatList{};
    list.deviceIndex = -1;
    if (name != nullptr) {
        list.nameFilter = std::string(name);
    }
    // A device the user may not open lists no format: the open says why.
    listingDenied_ = ewc_EnumFormats(list) != 0 && ewc_hr.load() == device::kAccessDenied;

    int mjpgHD = -1;
    for (int p = 0; p < list.pinCount(); ++p) {
        debugLog("---pin %d---\n", p);
        const PinFormats& pin = list.pins[p];
        for (int j = 0; j < pin.count(); ++j) {
            const CaptureFormat& entry = pin.entries[j];
            debugLog("%d: %dx%d(%d) %lld %f[fps] %s\n", j, entry.width, entry.height, entry.bitCount,
                     static_cast<long long>(entry.avgTimePerFrame), entry.fps, entry.name);
            if (isUsableFormat(entry.name)) {
                formats.push_back(RESOLUTION_LIST{j, entry.width, entry.height, static_cast<int>(entry.fps),
                                                  std::string(entry.name)});
            }
            if (std::strcmp(entry.name, "MJPG") == 0 && isDefaultMjpg(entry)) {
                mjpgHD = j;
            }
        }
    }
    debugLog("---GetMjpgHD %d---\n", mjpgHD);
    return mjpgHD;
}

int UvcCamera::open(int pinId, int formatId, int outputType) {
    const int slotNumber = openControls(pinId, formatId, outputType);
    return slotNumber < 0 ? slotNumber : openStream();
}

int UvcCamera::openControls(int pinId, int formatId, int outputType) {
    debugLog("uvcCamera open pinId(%d) formatId(%d) outputType(%d)\n", pinId, formatId, outputType);
    streaming_ = false;
    outcome_ = Outcome::Failed;
    const CaptureFormatList& list = ewc_currentFormatList();
    if (list.pinCount() == 0 || pinId < 0 || pinId >= list.pinCount()) {
        debugLog("uvcCamera open failed! \n");
        if (list.pinCount() == 0 && listingDenied_)
            outcome_ = Outcome::Denied;
        return -3;
    }
    int slotNumber = -1;
    for (int n = 0; n < kCaptureSlotCount; ++n) {
        if (ewc_slot(n).inUse == 0) {
            slotNumber = n;
            break;
        }
    }
    if (slotNumber < 0) {
        debugLog("uvcCamera open failed! invalid openNum(%d) \n", kCaptureSlotCount);
        return -3;
    }
    // A format index outside the pin's list (no default format found, or a list that
    // changed since the request was made) names nothing to open.
    const PinFormats& pin = list.pins[pinId];
    if (formatId < 0 || formatId >= pin.count()) {
        debugLog("uvcCamera open failed! \n");
        return -3;
    }
    const CaptureFormat entry = pin.entries[formatId];
    debugLog("uvcCamera open with fps : %lf \n", entry.fps);
    selectedPin = pinId;
    pinId_ = pinId;

    ewc_EnsureCom();
    CaptureSlot& slot = ewc_slot(slotNumber);
    if (slot.inUse != 0) {
        return -1;
    }
    requestFormat(slot, entry, outputType);
    slot.deviceIndex = list.deviceIndex;
    slot.nameFilter.reset();
    slot.status = -1;
    ewc_OpenControl(slotNumber);
    if (slot.status != 0) {
        outcome_ = ewc_hr.load() == device::kAccessDenied ? Outcome::Denied : Outcome::Failed;
        return -1;
    }
    copyBuffer_ = zeroedFrameBytes(frameBytes(entry.width, entry.height));
    openNum_ = slotNumber;
    outcome_ = Outcome::Opened;
    return slotNumber;
}

int UvcCamera::openStream(int formatId, int outputType) {
    const CaptureFormatList& list = ewc_currentFormatList();
    if (!isOpen() || pinId_ >= list.pinCount() || formatId < 0 || formatId >= list.pins[pinId_].count()) {
        outcome_ = Outcome::Failed;
        return -3;
    }
    const CaptureFormat entry = list.pins[pinId_].entries[formatId];
    requestFormat(ewc_slot(openNum_), entry, outputType);
    return openStream();
}

int UvcCamera::openStream() {
    if (!isOpen()) {
        outcome_ = Outcome::Failed;
        return -3;
    }
    CaptureSlot& slot = ewc_slot(openNum_);
    ewc_OpenStream(openNum_);
    // An entry without a size takes the last one: the copy buffer follows the slot's
    // frame buffer.
    if (copyBuffer_.size() != frameBytes(slot.width, slot.height)) {
        copyBuffer_ = zeroedFrameBytes(frameBytes(slot.width, slot.height));
    }
    if (slot.status != 0) {
        outcome_ = ewc_hr.load() == device::kInUse ? Outcome::StreamInUse : Outcome::Failed;
        return -3;
    }
    streaming_ = true;
    outcome_ = Outcome::Opened;
    return openNum_;
}

std::vector<device::ProcessRef> UvcCamera::streamHolders() {
    std::vector<device::ProcessRef> holders;
    if (isOpen() && ewc_slot(openNum_).captureFilter)
        ewc_slot(openNum_).captureFilter->streamHolders(holders);
    return holders;
}

void UvcCamera::release() {
    debugLog("\n-----release-----\n");
    const int code = EWC_Close(openNum_);
    debugLog("EWC_Close: %d \n", code);
    openNum_ = -1;
    streaming_ = false;
    copyBuffer_.clear();
    copyBuffer_.shrink_to_fit();
}

int UvcCamera::isOpen() const {
    return ewc_validSlot(openNum_) && ewc_slot(openNum_).inUse != 0 ? 1 : 0;
}

int UvcCamera::newFrameCount() {
    if (copyBuffer_.empty() || !isOpen()) {
        return 0;
    }
    std::lock_guard<std::mutex> lock(ewc_slotMutex(openNum_));
    const FrameStore& store = ewc_slot(openNum_).store;
    return static_cast<int>(store.storedCounter - store.lastReadCounter);
}

int UvcCamera::getFrame(uint8_t** data) {
    int length = 0;
    if (isOpen()) {
        std::lock_guard<std::mutex> lock(ewc_slotMutex(openNum_));
        FrameStore& store = ewc_slot(openNum_).store;
        // Never more than either buffer holds.
        const size_t bytes =
            std::min({static_cast<size_t>(store.frameSize), copyBuffer_.size(), store.buffer.size()});
        if (bytes > 0) {
            std::memcpy(copyBuffer_.data(), store.buffer.data(), bytes);
        }
        store.lastReadCounter = store.storedCounter;
        length = static_cast<int>(bytes);
    }
    if (data != nullptr) {
        *data = copyBuffer_.empty() ? nullptr : copyBuffer_.data();
    }
    return length;
}

int UvcCamera::getEvent() {
    if (!isOpen()) {
        return 0;
    }
    CaptureSlot& slot = ewc_slot(openNum_);
    if (!slot.hasMediaEvent || !slot.graph) {
        return 0;
    }
    for (;;) {
        long evCode = 0;
        int64_t param1 = 0;
        int64_t param2 = 0;
        if (device::failed(slot.graph->nextEvent(evCode, param1, param2))) {
            return 0;
        }
        debugLog("EWC_GetEvent: evCode(%ld) param1(%lld) param2(%lld) \n", evCode,
                 static_cast<long long>(param1), static_cast<long long>(param2));
        if (evCode == 0) {
            return 0;
        }
        if (evCode == device::kEventDeviceLost) {
            return 1;
        }
    }
}

int UvcCamera::getValue(int property) {
    double value = 0.0;
    const int code = ewc_propfunc(kPropGetValue, openNum_, property, &value, nullptr);
    return code != 0 ? -1 : static_cast<int>(value);
}

int UvcCamera::setValue(int property, double value) {
    return ewc_propfunc(kPropSetManualValue, openNum_, property, &value, nullptr);
}

int UvcCamera::setManual(int property) {
    return ewc_propfunc(kPropSetManual, openNum_, property, nullptr, nullptr);
}

int UvcCamera::setAuto(int property) {
    return ewc_setAuto(openNum_, property);
}

int UvcCamera::cameraRestoredDefaults() {
    return ewc_cameraRestoredDefaults(openNum_);
}

int UvcCamera::getRange(int property, ControlLimits& limits) {
    return ewc_getRange(openNum_, property, limits);
}

int UvcCamera::getFlags(int property) {
    return ewc_getFlags(openNum_, property);
}

int UvcCamera::getKsValue(int property) {
    double value = 0.0;
    const int code = ewc_propKSfunc(2, openNum_, property, &value);
    return code != 0 ? -1 : static_cast<int>(value);
}

int UvcCamera::setKsValue(int property, double value) {
    return ewc_propKSfunc(1, openNum_, property, &value);
}
