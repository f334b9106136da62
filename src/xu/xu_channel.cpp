#include "xu/xu_channel.h"

#include "base/app_config.h"
#include "base/debug_log.h"
#include "capture/capture_formats.h"
#include "xu/uvc_xu.h"

XuChannel::XuChannel() : uvcxu_(std::make_unique<UVCXU>()) {}

XuChannel::~XuChannel() = default;

void XuChannel::setEnableCommand(bool enable) {
    std::lock_guard<std::mutex> lock(channelMutex_);
    debugLog("\n*******setEnableCommand*******: %d\n", enable);
    commandEnabled_ = enable;
    if (enable) {
        if (!uvcxu_) {
            debugLog("new UVCXU\n");
            uvcxu_ = std::make_unique<UVCXU>();
            debugLog("new UVCXU End\n");
        } else {
            debugLog("UVCXU exist\n");
        }
    } else if (uvcxu_) {
        debugLog("~UVCXU\n");
        uvcxu_.reset();
        debugLog("~UVCXU End\n");
    } else {
        debugLog("UVCXU null\n");
    }
}

bool XuChannel::haveDevice() {
    std::lock_guard<std::mutex> lock(channelMutex_);
    const bool found = uvcxu_ && uvcxu_->isDeviceFounded();
    debugLog("\n*******haveDevice******* %d\n", found);
    return found;
}

bool XuChannel::sendDirectly(XURequest& request, bool* sent) {
    std::lock_guard<std::mutex> lock(channelMutex_);
    const bool enabled = commandEnabled_.load();
    debugLog("sendRequestDirectly: %d \n", enabled);
    // The flag and the UVCXU change together under the lock, so an enabled channel
    // always has its UVCXU here.
    if (sent != nullptr) {
        *sent = enabled && uvcxu_;
    }
    if (!enabled || !uvcxu_) {
        debugLog("not connected\n");
        return false;
    }
    return uvcxu_->sendRequest(request);
}

bool XuChannel::querySize(XURequest& request, uint32_t& size) {
    std::lock_guard<std::mutex> lock(channelMutex_);
    const bool enabled = commandEnabled_.load();
    debugLog("getXUTransferSize: %d \n", enabled);
    if (!enabled || !uvcxu_) {
        debugLog("not connected\n");
        return false;
    }
    return uvcxu_->getXUTransferSize(request, size);
}

bool XuChannel::findUnit(int retries, const std::function<bool()>& pause) {
    setEnableCommand(true);
    bool found = haveDevice();
    for (int retry = 0; !found && retry < retries; ++retry) {
        debugLog("setEnableCommand streamResult S\n");
        setEnableCommand(false);
        debugLog("setEnableCommand streamResult E\n");
        if (pause())
            return false;
        debugLog("\n*******No device, check again with count: %d *******\n", retry);
        setEnableCommand(true);
        found = haveDevice();
    }
    return found;
}

bool XuChannel::checkUVCDeviceExist() {
    // Asks the capture layer, not the extension unit: works without a UVCXU.
    const char* name = appConfig().deviceName;
    const bool exists = name != nullptr && *name != '\0' && findUvcCamera(0, name);
    debugLog("\n*******checkUVCDeviceExist******* %d\n", exists);
    return exists;
}
