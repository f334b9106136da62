#include <libudev.h>
#include <unistd.h>

#include <cerrno>
#include <mutex>

#include "device/v4l2/udev_io.h"

namespace device::v4l2 {
namespace {

constexpr const char* kSubsystem = "video4linux";

UdevNode nodeOf(udev_device* device) {
    UdevNode node;
    auto text = [](const char* s) { return s != nullptr ? std::string(s) : std::string(); };
    node.action = text(udev_device_get_action(device));
    node.sysname = text(udev_device_get_sysname(device));
    node.devnode = text(udev_device_get_devnode(device));
    udev_list_entry* entry = nullptr;
    udev_list_entry_foreach(entry, udev_device_get_properties_list_entry(device)) {
        node.properties[text(udev_list_entry_get_name(entry))] = text(udev_list_entry_get_value(entry));
    }
    return node;
}

class RealUdevIo : public UdevIo {
public:
    ~RealUdevIo() override {
        if (monitor_ != nullptr)
            udev_monitor_unref(monitor_);
        if (monitorContext_ != nullptr)
            udev_unref(monitorContext_);
    }

    // A context of its own for each listing: libudev's objects belong to one thread, and
    // the listings run on whichever thread looks for the camera.
    bool listVideoDevices(std::vector<UdevNode>& nodes) override {
        nodes.clear();
        udev* context = udev_new();
        if (context == nullptr)
            return false;
        udev_enumerate* enumerate = udev_enumerate_new(context);
        const bool scanned = enumerate != nullptr &&
                             udev_enumerate_add_match_subsystem(enumerate, kSubsystem) >= 0 &&
                             udev_enumerate_scan_devices(enumerate) >= 0;
        if (scanned) {
            udev_list_entry* entry = nullptr;
            udev_list_entry_foreach(entry, udev_enumerate_get_list_entry(enumerate)) {
                udev_device* device = udev_device_new_from_syspath(context, udev_list_entry_get_name(entry));
                if (device == nullptr)
                    continue;  // gone since the scan
                nodes.push_back(nodeOf(device));
                udev_device_unref(device);
            }
        }
        if (enumerate != nullptr)
            udev_enumerate_unref(enumerate);
        udev_unref(context);
        return scanned;
    }

    int startMonitor() override {
        std::lock_guard<std::mutex> lock(mutex_);
        if (monitor_ != nullptr)
            return udev_monitor_get_fd(monitor_);
        monitorContext_ = udev_new();
        if (monitorContext_ == nullptr)
            return -ENOMEM;
        // "udev": the events after udev's rules ran, so the node exists with its
        // properties and permissions when an "add" arrives. The socket does not block.
        monitor_ = udev_monitor_new_from_netlink(monitorContext_, "udev");
        if (monitor_ == nullptr ||
            udev_monitor_filter_add_match_subsystem_devtype(monitor_, kSubsystem, nullptr) < 0 ||
            udev_monitor_enable_receiving(monitor_) < 0) {
            const int error = errno != 0 ? errno : EIO;
            if (monitor_ != nullptr)
                udev_monitor_unref(monitor_);
            monitor_ = nullptr;
            return -error;
        }
        return udev_monitor_get_fd(monitor_);
    }

    bool nextEvent(UdevNode& event) override {
        std::lock_guard<std::mutex> lock(mutex_);
        if (monitor_ == nullptr)
            return false;
        udev_device* device = udev_monitor_receive_device(monitor_);
        if (device == nullptr)
            return false;
        event = nodeOf(device);
        udev_device_unref(device);
        return true;
    }

private:
    std::mutex mutex_;
    udev* monitorContext_ = nullptr;
    udev_monitor* monitor_ = nullptr;
};

}  // namespace

std::shared_ptr<UdevIo> makeRealUdevIo() {
    // udevd's control socket: without it nothing fills the database nor sends events.
    if (::access("/run/udev/control", F_OK) != 0)
        return nullptr;
    return std::make_shared<RealUdevIo>();
}

}  // namespace device::v4l2
