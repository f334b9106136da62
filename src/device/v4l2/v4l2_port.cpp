#include "device/v4l2/v4l2_port.h"

#include "device/v4l2/backend_notes.h"
#include "device/v4l2/capture_nodes.h"
#include "device/v4l2/sys_io.h"
#include "device/v4l2/udev_watch.h"
#include "device/v4l2/v4l2_capture_device.h"
#include "device/v4l2/v4l2_capture_graph.h"
#include "device/v4l2/v4l2_xu.h"

namespace device::v4l2 {
namespace {

class V4l2Moniker : public DeviceMoniker {
public:
    V4l2Moniker(std::shared_ptr<SysIo> io, CaptureNode node) : io_(std::move(io)), node_(std::move(node)) {}

    HResult displayName(std::string& name) override {
        name = node_.displayName;
        return kOk;
    }
    HResult friendlyName(std::string& name) override {
        name = node_.name;
        return kOk;
    }
    HResult symbolicLink(std::string& link) override {
        link = node_.symbolicLink;
        return kOk;
    }
    HResult bind(std::shared_ptr<CaptureDevice>& device) override {
        std::shared_ptr<V4l2CaptureDevice> bound;
        HResult hr = V4l2CaptureDevice::open(io_, node_, bound);
        if (failed(hr))
            return hr;
        BackendNotes::instance().noteBound(node_);
        device = bound;
        return kOk;
    }

private:
    std::shared_ptr<SysIo> io_;
    CaptureNode node_;
};

class V4l2VideoSystem : public VideoSystem {
public:
    V4l2VideoSystem(std::shared_ptr<SysIo> io, V4l2Options options) : io_(std::move(io)), options_(options) {}

    HResult createGraph(std::unique_ptr<CaptureGraph>& graph) override {
        StreamOptions stream;
        stream.bufferCount = options_.bufferCount;
        stream.pollTimeoutMs = options_.pollTimeoutMs;
        graph = std::make_unique<V4l2CaptureGraph>(stream);
        return kOk;
    }
    HResult createDeviceEnumerator() override { return kOk; }
    HResult enumerateVideoInputs(std::vector<std::unique_ptr<DeviceMoniker>>& devices) override {
        devices.clear();
        NodeListing listing = listCaptureNodes(io_, options_.udev);
        BackendNotes::instance().noteListing(listing);
        for (const CaptureNode& node : listing.nodes)
            devices.push_back(std::make_unique<V4l2Moniker>(io_, node));
        return devices.empty() ? kFalse : kOk;
    }

private:
    std::shared_ptr<SysIo> io_;
    V4l2Options options_;
};

}  // namespace

DevicePort makeV4l2Port() {
    V4l2Options options;
    options.udev = makeRealUdevIo();
    return makeV4l2Port(makeRealSysIo(), options);
}

DevicePort makeV4l2Port(std::shared_ptr<SysIo> io, V4l2Options options) {
    DevicePort port;
    port.name = "v4l2";
    port.video = std::make_shared<V4l2VideoSystem>(io, options);
    port.xu = std::make_shared<V4l2XuSystem>(io, kUserModeUnitGuid, options.udev);
    port.describe = [] { return describe(); };
    if (options.udev)
        port.watchDevices = [udev = options.udev] { return watchVideoDevices(udev); };
    return port;
}

std::string describe() {
    return BackendNotes::instance().text();
}

}  // namespace device::v4l2
