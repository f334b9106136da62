// lumora-udev-probe --change-command CMD
// The V4L2 backend's use of udev on a real system (tools/vm/vivid-shared-check.sh runs it
// in the virtual machine, with udevd started there): the listing from udev's database
// names the camera's node as the listing that opens every node does, and skips the other
// nodes without opening them; then CMD takes the device away and brings it back, and the
// port's device watch must tell of the removal and of the return.
#include <poll.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "device/device_port.h"
#include "device/v4l2/capture_nodes.h"
#include "device/v4l2/sys_io.h"
#include "device/v4l2/udev_io.h"
#include "device/v4l2/udev_watch.h"
#include "probe_report.h"

using namespace device;
using namespace device::v4l2;

namespace {

std::string summary(const NodeListing& listing) {
    std::string text;
    for (const CaptureNode& node : listing.nodes)
        text += node.path + " \"" + node.name + "\" " + node.symbolicLink + "; ";
    for (const std::string& skipped : listing.skipped)
        text += "skipped " + skipped + "; ";
    return text;
}

const CaptureNode* camera(const NodeListing& listing) {
    for (const CaptureNode& node : listing.nodes)
        if (node.name == kCameraName)
            return &node;
    return nullptr;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3 || std::strcmp(argv[1], "--change-command") != 0) {
        std::fprintf(stderr, "usage: %s --change-command CMD\n", argv[0]);
        return 2;
    }
    ProbeReport report;
    const std::shared_ptr<SysIo> io = makeRealSysIo();
    const std::shared_ptr<UdevIo> udev = makeRealUdevIo();
    report.check("udev", udev != nullptr, udev ? "udevd's control socket is there" : "no /run/udev/control");
    if (!udev)
        return report.finish();

    std::vector<UdevNode> known;
    std::string capabilities;
    const bool listed = udev->listVideoDevices(known);
    for (const UdevNode& node : known)
        capabilities += node.devnode + " " + node.property("ID_V4L_CAPABILITIES") + " ";
    report.check("described by udev", listed && capabilities.find(":capture:") != std::string::npos,
                 std::to_string(known.size()) + " video4linux devices: " + capabilities);

    const NodeListing opened = listCaptureNodes(io, nullptr), described = listCaptureNodes(io, udev);
    report.note("every node opened: " + summary(opened));
    report.note("from udev: " + summary(described));
    const CaptureNode *a = camera(opened), *b = camera(described);
    report.check("listing from udev",
                 a != nullptr && b != nullptr && a->symbolicLink == b->symbolicLink && a->card == b->card,
                 "the camera's node and link as the driver gives them");
    report.check("others untouched", described.skipped.size() == opened.skipped.size(),
                 std::to_string(described.skipped.size()) + " nodes skipped, as when each is opened");

    const std::shared_ptr<DeviceWatch> watch = watchVideoDevices(udev);
    report.check("monitor", watch != nullptr, "udev's monitor on video4linux");
    if (!watch)
        return report.finish();
    const auto start = std::chrono::steady_clock::now();
    const int rc = std::system(argv[2]);
    report.check("change command", rc == 0, argv[2]);
    unsigned told = 0;
    pollfd ready{watch->descriptor(), POLLIN, 0};
    while (told != (DeviceWatch::kAdded | DeviceWatch::kRemoved) &&
           std::chrono::steady_clock::now() - start < std::chrono::seconds(20)) {
        if (::poll(&ready, 1, 500) > 0)
            told |= watch->takeChanges();
    }
    report.check("removal told", told & DeviceWatch::kRemoved, "udev's \"remove\" reached the watch");
    report.check("return told", told & DeviceWatch::kAdded, "udev's \"add\" reached the watch");
    const NodeListing after = listCaptureNodes(io, udev);
    report.check("listed again", camera(after) != nullptr, summary(after));
    return report.finish();
}
