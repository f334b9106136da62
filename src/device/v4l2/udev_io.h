#pragma once
// The seam to udev's device database and its event monitor, for the video4linux
// subsystem only. udev already asked every node (its v4l_id and usb_id helpers: card,
// capabilities, USB vendor and product), so the listing reads what it found instead of
// opening every camera's node, and the monitor tells when a node comes or goes. The real
// one is libudev; tests put the fake uvcvideo in its place.
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace device::v4l2 {

struct UdevNode {
    std::string action;   // a monitor's event: "add", "remove", "change", ...; empty in a listing
    std::string sysname;  // "video0"
    std::string devnode;  // "/dev/video0"; empty when udev names none
    // The database's properties: ID_V4L_PRODUCT, ID_V4L_CAPABILITIES, ID_VENDOR_ID,
    // ID_MODEL_ID, ID_MODEL_ENC, ID_MODEL, ID_PATH, ID_USB_DRIVER, ... (missing where udev's
    // rules did not run for the node)
    std::map<std::string, std::string> properties;

    std::string property(const std::string& key) const {
        auto it = properties.find(key);
        return it == properties.end() ? std::string() : it->second;
    }
};

class UdevIo {
public:
    virtual ~UdevIo() = default;
    // The video4linux devices as udev knows them now; false when it cannot list them.
    virtual bool listVideoDevices(std::vector<UdevNode>& nodes) = 0;
    // Starts the monitor (once; later calls answer the same): a descriptor that turns
    // readable while events wait, or -errno.
    virtual int startMonitor() = 0;
    // The next waiting event without blocking; false when none waits. One reader.
    virtual bool nextEvent(UdevNode& event) = 0;
};

// libudev on this system; null where no udev runs (a container without /run/udev): the
// listing then opens every node, and only the connect tick notices changes. Creating it
// costs nothing; udev is reached on the first listing.
std::shared_ptr<UdevIo> makeRealUdevIo();

}  // namespace device::v4l2
