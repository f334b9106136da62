#include "xu/uvc_xu.h"

#include <cstring>
#include <exception>
#include <iostream>

#include "base/app_config.h"
#include "base/debug_log.h"
#include "device/device_port.h"

namespace {

// Names and links are converted into buffers of 260 bytes, terminator included.
constexpr size_t kNameBufferLength = 260;

void logFailure(const char* function, const char* step, device::HResult hr) {
    debugLog("info: Function: %s, %s failed, Error code: 0x%.2x \n", function, step,
             static_cast<unsigned>(hr));
}

std::string fitNameBuffer(std::string text) {
    if (text.size() >= kNameBufferLength) {
        text.resize(kNameBufferLength - 1);
    }
    return text;
}

const char* configuredName() {
    const char* name = appConfig().deviceName;
    return name ? name : "";
}

}  // namespace

UVCXU::UVCXU() {
    getVideoDevices();

    int selected = -1;
    for (size_t i = 0; i < devices_.size(); ++i) {
        std::string name;
        const bool haveName = getVideoDeviceFriendlyName(i, name);
        parseVidPid(i);
        // An empty configured name names no camera (a nameless device would match it).
        if (haveName && *configuredName() != '\0' && std::strcmp(name.c_str(), configuredName()) == 0) {
            selected = int(i);
            debugLog("device selectedVal: %d\n", selected);
        }
    }
    if (selected < 0) {
        deviceFound_ = false;
        debugLog("\nDid not find \"%s\" device\n\n", configuredName());
        return;
    }

    initVideoDevice(size_t(selected));
    const bool result = initKsControl();
    debugLog("InitKsControl res: %d\n", result);
    if (result) {
        deviceFound_ = true;
    }
}

UVCXU::~UVCXU() {
    debugLog("~UVCXU S\n");
    devices_.clear();
    debugLog("~UVCXU A\n");
    system_.reset();
    debugLog("~UVCXU B\n");
    if (source_) {
        source_->shutdown();
    }
    debugLog("~UVCXU C\n");
    source_.reset();
    debugLog("~UVCXU D\n");
    control_.reset();
    debugLog("~UVCXU E\n");
    vid_.clear();
    pid_.clear();
}

void UVCXU::getVideoDevices() {
    system_ = device::port().xu;
    if (!system_) {
        // No extension-unit system installed: as if the attribute store could not be made.
        logFailure("UVCXU::GetVideoDevices", "Create attribute store", device::kFail);
        return;
    }
    device::HResult hr = system_->createAttributes();
    if (device::failed(hr)) {
        logFailure("UVCXU::GetVideoDevices", "Create attribute store", hr);
        return;
    }
    hr = system_->selectVideoCaptureSources();
    if (device::failed(hr)) {
        logFailure("UVCXU::GetVideoDevices", "Video capture device SetGUID", hr);
        return;
    }
    std::vector<std::unique_ptr<device::XuActivation>> sources;
    hr = system_->enumerateSources(sources);
    if (device::failed(hr)) {
        logFailure("UVCXU::GetVideoDevices", "Device enumeration", hr);
        return;
    }
    devices_ = std::move(sources);
}

bool UVCXU::getVideoDeviceFriendlyName(size_t index, std::string& name) {
    device::XuActivation* device = devices_[index].get();
    std::string wide;
    const device::HResult hr = device ? device->friendlyName(wide) : device::kFail;
    if (device::failed(hr)) {
        logFailure("UVCXU::GetVideoDeviceFriendlyNames", "Get video device friendly name", hr);
        return false;
    }
    name = fitNameBuffer(std::move(wide));
    return true;
}

void UVCXU::parseVidPid(size_t index) {
    device::XuActivation* device = devices_[index].get();
    std::string link;
    if (device == nullptr || device::failed(device->symbolicLink(link))) {
        link.clear();
    }
    link = fitNameBuffer(std::move(link));
    debugLog("%s\n", link.c_str());

    vid_.clear();
    pid_.clear();
    const size_t vidAt = link.find("#vid");
    if (vidAt != std::string::npos && vidAt + 5 < link.size()) {
        vid_.append(link, vidAt + 5, 4);
    }
    const size_t pidAt = link.find("&pid");
    if (pidAt != std::string::npos && pidAt + 5 < link.size()) {
        pid_.append(link, pidAt + 5, 4);
    }
    writeStdout("VID: " + vid_ + " PID: " + pid_ + "\n\n");
}

void UVCXU::initVideoDevice(size_t index) {
    device::XuActivation* device = devices_[index].get();
    std::unique_ptr<device::XuMediaSource> source;
    const device::HResult hr = device ? device->activate(source) : device::kFail;
    if (device::failed(hr) || !source) {
        logFailure("UVCXU::InitVideoDevice", "Activating video device",
                   device::failed(hr) ? hr : device::kFail);
        return;
    }
    source_ = std::move(source);
    const device::HResult readerHr = source_->createSourceReader();
    if (device::failed(readerHr)) {
        logFailure("UVCXU::InitVideoDevice", "Creating video source reader", readerHr);
    }
}

bool UVCXU::initKsControl() {
    if (!source_) {
        return false;
    }
    device::HResult hr = source_->queryTopology();
    if (device::failed(hr)) {
        logFailure("UVCXU::InitKsControl", "IMFMediaSource::QueryInterface(IKsTopologyInfo)", hr);
        return false;
    }
    uint32_t count = 0;
    if (device::failed(source_->nodeCount(count))) {
        count = 0;
    }
    for (uint32_t node = 0; node < count; ++node) {
        device::Guid type;
        hr = source_->nodeType(node, type);
        if (device::failed(hr)) {
            logFailure("UVCXU::InitKsControl", "IKsTopologyInfo->get_NodeType(...)", hr);
            return false;
        }
        if (type != device::kNodeTypeDevSpecific) {
            continue;
        }
        std::unique_ptr<device::XuNodeControl> control;
        hr = source_->createNodeControl(node, control);
        if (device::failed(hr)) {
            logFailure("UVCXU::InitKsControl", "ks_topology_info->CreateNodeInstance(...)", hr);
            return false;
        }
        if (!control) {
            // The node instance offers no control interface.
            logFailure("UVCXU::InitKsControl", "ks_topology_info->QueryInterface(...)", device::kNoInterface);
            return false;
        }
        control_ = std::move(control);
        nodeId_ = int32_t(node);
        return true;
    }
    return false;
}

bool UVCXU::isDeviceFounded() const {
    debugLog("isDeviceFounded res: %d\n", deviceFound_);
    return deviceFound_;
}

bool UVCXU::callProperty(const device::KsNodeProperty& property, XURequest& request, uint32_t& returned,
                         device::HResult& hr) {
    try {
        hr = control_->property(property, request.data, request.wLength, returned);
        return true;
    } catch (const std::exception& e) {
        const char* what = e.what();
        std::cerr << (what && *what ? what : "Unknown exception") << std::endl;
    } catch (...) {
        std::cerr << "Unknown exception" << std::endl;
    }
    hr = device::kFail;
    return false;
}

device::KsNodeProperty UVCXU::nodeProperty(XURequest& request) const {
    if (request.nodeId == kXuChannelNode) {
        request.nodeId = nodeId_;
    }
    device::KsNodeProperty property;
    property.set = request.guid;
    property.id = request.wValue;
    property.flags = request.flag;
    property.nodeId = uint32_t(request.nodeId);
    property.reserved = 0;
    return property;
}

bool UVCXU::sendRequest(XURequest& request) {
    debugLog("sendRequest: A \n");
    const device::KsNodeProperty property = nodeProperty(request);
    debugLog("sendRequest: B \n");
    writeStdout("Node ID: " + std::to_string(request.nodeId) + " wValue: " + std::to_string(request.wValue) +
                " Flag: " + std::to_string(request.flag) + " wLength: " + std::to_string(request.wLength) +
                "\n");

    device::HResult hr = device::kFail;
    if (!control_) {
        debugLog("\n *************ks_control == NULL************* \n");
    } else if (request.wLength > 0 && request.data == nullptr) {
        hr = device::kInvalidArg;  // never hand the driver a missing buffer
    } else {
        uint32_t returned = 0;
        callProperty(property, request, returned, hr);
        if (device::succeeded(hr) && returned > request.wLength) {
            hr = device::kMoreData;  // an answer longer than the caller's buffer is refused
        }
    }
    debugLog("sendRequest: C \n");
    if (hr == device::kOk) {
        return true;
    }
    // Only 0 counts as success; the same text serves GET and SET requests.
    logFailure("UVCXU::sendRequest", "ks_control->KsProperty(...) (Flag:TYPE_SET)", hr);
    return false;
}

bool UVCXU::getXUTransferSize(XURequest& request, uint32_t& size) {
    const device::KsNodeProperty property = nodeProperty(request);
    if (!control_) {
        debugLog("\n *************ks_control == NULL************* \n");
        return true;
    }
    uint32_t returned = 0;
    device::HResult ignored = device::kOk;  // a zero-length GET answers with the length, whatever its result
    if (!callProperty(property, request, returned, ignored)) {
        return true;
    }
    writeStdout("returnByte: " + std::to_string(returned) + "\n");
    size = returned;
    return true;
}
