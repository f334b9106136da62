#include <dlfcn.h>
#include <libudev.h>
#include <unistd.h>

#include <cerrno>
#include <mutex>

#include "device/v4l2/udev_io.h"

namespace device::v4l2 {
namespace {

constexpr const char* kSubsystem = "video4linux";

// libudev, loaded on the first use rather than linked: the program's start maps one
// library less, and a system without it simply lists as without udev.
#define LUMORA_UDEV_FUNCTIONS(F)                                                                      \
    F(udev_new)                                                                                       \
    F(udev_unref) F(udev_enumerate_new) F(udev_enumerate_unref) F(udev_enumerate_add_match_subsystem) \
        F(udev_enumerate_scan_devices) F(udev_enumerate_get_list_entry) F(udev_list_entry_get_next)   \
            F(udev_list_entry_get_name) F(udev_list_entry_get_value) F(udev_device_new_from_syspath)  \
                F(udev_device_unref) F(udev_device_get_action) F(udev_device_get_sysname)             \
                    F(udev_device_get_devnode) F(udev_device_get_properties_list_entry)               \
                        F(udev_monitor_new_from_netlink) F(udev_monitor_unref)                        \
                            F(udev_monitor_filter_add_match_subsystem_devtype)                        \
                                F(udev_monitor_enable_receiving) F(udev_monitor_get_fd)               \
                                    F(udev_monitor_receive_device)

struct Libudev {
#define LUMORA_UDEV_POINTER(name) decltype(&::name) name = nullptr;
    LUMORA_UDEV_FUNCTIONS(LUMORA_UDEV_POINTER)
#undef LUMORA_UDEV_POINTER
    bool loaded = false;
};

// The library's functions, or loaded == false when it or one of them is missing.
const Libudev& libudev() {
    static const Libudev lib = [] {
        Libudev l;
        void* handle = ::dlopen("libudev.so.1", RTLD_NOW | RTLD_LOCAL);
        if (handle == nullptr)
            return l;
        bool all = true;
#define LUMORA_UDEV_LOAD(name) \
    all = (l.name = reinterpret_cast<decltype(&::name)>(::dlsym(handle, #name))) && all;
        LUMORA_UDEV_FUNCTIONS(LUMORA_UDEV_LOAD)
#undef LUMORA_UDEV_LOAD
        l.loaded = all;
        return l;
    }();
    return lib;
}

// udev_list_entry_foreach on the loaded functions.
#define LUMORA_UDEV_FOREACH(lib, entry, first) \
    for (entry = (first); entry != nullptr; entry = lib.udev_list_entry_get_next(entry))

UdevNode nodeOf(const Libudev& lib, udev_device* device) {
    UdevNode node;
    auto text = [](const char* s) { return s != nullptr ? std::string(s) : std::string(); };
    node.action = text(lib.udev_device_get_action(device));
    node.sysname = text(lib.udev_device_get_sysname(device));
    node.devnode = text(lib.udev_device_get_devnode(device));
    udev_list_entry* entry = nullptr;
    LUMORA_UDEV_FOREACH(lib, entry, lib.udev_device_get_properties_list_entry(device)) {
        node.properties[text(lib.udev_list_entry_get_name(entry))] =
            text(lib.udev_list_entry_get_value(entry));
    }
    return node;
}

class RealUdevIo : public UdevIo {
public:
    ~RealUdevIo() override {
        const Libudev& lib = libudev();
        if (monitor_ != nullptr)
            lib.udev_monitor_unref(monitor_);
        if (monitorContext_ != nullptr)
            lib.udev_unref(monitorContext_);
    }

    // A context of its own for each listing: libudev's objects belong to one thread, and
    // the listings run on whichever thread looks for the camera.
    bool listVideoDevices(std::vector<UdevNode>& nodes) override {
        nodes.clear();
        const Libudev& lib = libudev();
        if (!lib.loaded)
            return false;
        udev* context = lib.udev_new();
        if (context == nullptr)
            return false;
        udev_enumerate* enumerate = lib.udev_enumerate_new(context);
        const bool scanned = enumerate != nullptr &&
                             lib.udev_enumerate_add_match_subsystem(enumerate, kSubsystem) >= 0 &&
                             lib.udev_enumerate_scan_devices(enumerate) >= 0;
        if (scanned) {
            udev_list_entry* entry = nullptr;
            LUMORA_UDEV_FOREACH(lib, entry, lib.udev_enumerate_get_list_entry(enumerate)) {
                udev_device* device =
                    lib.udev_device_new_from_syspath(context, lib.udev_list_entry_get_name(entry));
                if (device == nullptr)
                    continue;  // gone since the scan
                nodes.push_back(nodeOf(lib, device));
                lib.udev_device_unref(device);
            }
        }
        if (enumerate != nullptr)
            lib.udev_enumerate_unref(enumerate);
        lib.udev_unref(context);
        return scanned;
    }

    int startMonitor() override {
        std::lock_guard<std::mutex> lock(mutex_);
        const Libudev& lib = libudev();
        if (!lib.loaded)
            return -ENOSYS;
        if (monitor_ != nullptr)
            return lib.udev_monitor_get_fd(monitor_);
        monitorContext_ = lib.udev_new();
        if (monitorContext_ == nullptr)
            return -ENOMEM;
        // "udev": the events after udev's rules ran, so the node exists with its
        // properties and permissions when an "add" arrives. The socket does not block.
        monitor_ = lib.udev_monitor_new_from_netlink(monitorContext_, "udev");
        if (monitor_ == nullptr ||
            lib.udev_monitor_filter_add_match_subsystem_devtype(monitor_, kSubsystem, nullptr) < 0 ||
            lib.udev_monitor_enable_receiving(monitor_) < 0) {
            const int error = errno != 0 ? errno : EIO;
            if (monitor_ != nullptr)
                lib.udev_monitor_unref(monitor_);
            monitor_ = nullptr;
            return -error;
        }
        return lib.udev_monitor_get_fd(monitor_);
    }

    bool nextEvent(UdevNode& event) override {
        std::lock_guard<std::mutex> lock(mutex_);
        if (monitor_ == nullptr)
            return false;
        const Libudev& lib = libudev();
        udev_device* device = lib.udev_monitor_receive_device(monitor_);
        if (device == nullptr)
            return false;
        event = nodeOf(lib, device);
        lib.udev_device_unref(device);
        return true;
    }

private:
    std::mutex mutex_;
    udev* monitorContext_ = nullptr;
    udev_monitor* monitor_ = nullptr;
};

}  // namespace

std::shared_ptr<UdevIo> makeRealUdevIo() {
    // udevd's control socket: without it nothing fills the database nor sends events. The
    // library is loaded on the first listing.
    if (::access("/run/udev/control", F_OK) != 0)
        return nullptr;
    return std::make_shared<RealUdevIo>();
}

}  // namespace device::v4l2
