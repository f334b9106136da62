#include "device/v4l2/v4l2_xu.h"

#include <linux/usb/video.h>
#include <linux/uvcvideo.h>
#include <linux/videodev2.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "device/v4l2/backend_notes.h"
#include "device/v4l2/errno_result.h"
#include "device/v4l2/node_handle.h"

namespace device::v4l2 {
namespace {

constexpr size_t kMaxDescriptorBytes = 65536;

class V4l2XuNodeControl : public XuNodeControl {
public:
    V4l2XuNodeControl(std::shared_ptr<NodeHandle> node, uint8_t unitId, GuidBytes guid)
        : node_(std::move(node)), unitId_(unitId), guid_(guid) {}

    HResult property(const KsNodeProperty& request, void* data, uint32_t length,
                     uint32_t& returned) override {
        returned = 0;
        if (std::memcmp(&request.set, guid_.data(), guid_.size()) != 0)
            return kSetNotFound;
        const bool get = request.flags & kKsPropertyGet;
        const bool set = request.flags & kKsPropertySet;
        if (get == set || request.id == 0 || request.id > 0xFF)
            return kInvalidArg;
        if (length > 0xFFFF || (length > 0 && !data))
            return kInvalidArg;

        uvc_xu_control_query query{};
        query.unit = unitId_;
        query.selector = uint8_t(request.id);
        if (get && length == 0) {
            // The size query: GET_LEN answers the control's length, two bytes little-endian.
            uint8_t answer[2] = {0, 0};
            query.query = UVC_GET_LEN;
            query.size = 2;
            query.data = answer;
            HResult hr = call(query);
            if (failed(hr))
                return hr;
            returned = uint32_t(answer[0]) | uint32_t(answer[1]) << 8;
            return returned > 0 ? kMoreData : kOk;
        }
        if (set && length == 0)
            return kInvalidArg;
        query.query = get ? UVC_GET_CUR : UVC_SET_CUR;
        query.size = uint16_t(length);
        query.data = static_cast<uint8_t*>(data);
        HResult hr = call(query);
        if (succeeded(hr) && get)
            returned = length;
        return hr;
    }

private:
    HResult call(uvc_xu_control_query& query) {
        int r = node_->ioctl(UVCIOC_CTRL_QUERY, &query);
        if (r == -EBADF)
            return kWrongState;  // the source was shut down
        return resultFromErrno(r);
    }

    std::shared_ptr<NodeHandle> node_;
    uint8_t unitId_;
    GuidBytes guid_;
};

class V4l2XuSource : public XuMediaSource {
public:
    V4l2XuSource(std::shared_ptr<NodeHandle> node, bool topology, DescriptorWalk walk, GuidBytes unitGuid)
        : node_(std::move(node)), topology_(topology), walk_(std::move(walk)), unitGuid_(unitGuid) {}
    ~V4l2XuSource() override { shutdown(); }

    HResult createSourceReader() override { return node_->isOpen() ? kOk : kWrongState; }
    HResult queryTopology() override {
        if (!node_->isOpen())
            return kWrongState;
        return topology_ ? kOk : kNoInterface;
    }
    HResult nodeCount(uint32_t& count) override {
        if (!topology_)
            return kNoInterface;
        count = uint32_t(walk_.entities.size());
        return kOk;
    }
    HResult nodeType(uint32_t n, Guid& type) override {
        if (!topology_)
            return kNoInterface;
        if (n >= walk_.entities.size())
            return kInvalidArg;
        const VideoControlEntity& e = walk_.entities[n];
        type = e.isExtensionUnit() && e.guid == unitGuid_ ? kNodeTypeDevSpecific : Guid{};
        return kOk;
    }
    HResult createNodeControl(uint32_t n, std::unique_ptr<XuNodeControl>& control) override {
        if (!node_->isOpen())
            return kWrongState;
        if (!topology_)
            return kNoInterface;
        if (n >= walk_.entities.size())
            return kInvalidArg;
        const VideoControlEntity& e = walk_.entities[n];
        if (!e.isExtensionUnit())
            return kNoInterface;
        control = std::make_unique<V4l2XuNodeControl>(node_, e.id, e.guid);
        return kOk;
    }
    void shutdown() override { node_->close(); }

private:
    std::shared_ptr<NodeHandle> node_;
    bool topology_;
    DescriptorWalk walk_;
    GuidBytes unitGuid_;
};

class V4l2XuActivation : public XuActivation {
public:
    V4l2XuActivation(std::shared_ptr<SysIo> io, CaptureNode node, GuidBytes unitGuid)
        : io_(std::move(io)), node_(std::move(node)), unitGuid_(unitGuid) {}

    HResult friendlyName(std::string& name) override {
        name = node_.name;
        return kOk;
    }
    HResult symbolicLink(std::string& link) override {
        link = node_.symbolicLink;
        return kOk;
    }
    HResult activate(std::unique_ptr<XuMediaSource>& source) override {
        std::shared_ptr<NodeHandle> handle;
        if (HResult opened = openListedNode(io_, node_, handle); failed(opened))
            return opened;

        const std::string interfaceDir = sysfsInterfaceDir(node_.number);
        std::string blob;
        const bool readable = io_->readFile(interfaceDir + "/../descriptors", blob, kMaxDescriptorBytes);
        int interfaceNumber = -1;
        const std::string number = readSysfsLine(*io_, interfaceDir + "/bInterfaceNumber");
        if (!number.empty()) {
            char* end = nullptr;
            long value = std::strtol(number.c_str(), &end, 16);
            if (end && *end == '\0' && value >= 0 && value < 256)
                interfaceNumber = int(value);
        }
        DescriptorWalk walk;
        if (readable)
            walk = walkVideoControlDescriptors(reinterpret_cast<const uint8_t*>(blob.data()), blob.size(),
                                               interfaceNumber);
        note(readable, walk, interfaceNumber);
        source = std::make_unique<V4l2XuSource>(handle, readable && !walk.entities.empty(), std::move(walk),
                                                unitGuid_);
        return kOk;
    }

private:
    void note(bool readable, const DescriptorWalk& walk, int interfaceNumber) {
        std::string line = node_.path + " \"" + node_.card + "\": ";
        if (!readable) {
            line += "no USB descriptors readable";
        } else if (const VideoControlEntity* unit = findExtensionUnit(walk, unitGuid_)) {
            line += "VideoControl interface " + std::to_string(unit->interfaceNumber) + ", unit " +
                    std::to_string(unit->id) + " " + guidText(unit->guid);
        } else {
            line += "no unit " + guidText(unitGuid_) + " among " + std::to_string(walk.entities.size()) +
                    " terminals and units";
            if (interfaceNumber >= 0)
                line += " of interface " + std::to_string(interfaceNumber);
        }
        if (!walk.problem.empty())
            line += " (" + walk.problem + ")";
        BackendNotes::instance().noteExtensionUnit(line);
    }

    std::shared_ptr<SysIo> io_;
    CaptureNode node_;
    GuidBytes unitGuid_;
};

}  // namespace

V4l2XuSystem::V4l2XuSystem(std::shared_ptr<SysIo> io, GuidBytes unitGuid, std::shared_ptr<UdevIo> udev)
    : io_(std::move(io)), unitGuid_(unitGuid), udev_(std::move(udev)) {}

// Listing needs no set-up on V4L2: the steps before it always succeed.
HResult V4l2XuSystem::createAttributes() {
    return kOk;
}

HResult V4l2XuSystem::selectVideoCaptureSources() {
    return kOk;
}

HResult V4l2XuSystem::enumerateSources(std::vector<std::unique_ptr<XuActivation>>& sources) {
    sources.clear();
    NodeListing listing = listCaptureNodes(io_, udev_);
    BackendNotes::instance().noteListing(listing);
    for (const CaptureNode& node : listing.nodes)
        sources.push_back(std::make_unique<V4l2XuActivation>(io_, node, unitGuid_));
    return kOk;
}

}  // namespace device::v4l2
