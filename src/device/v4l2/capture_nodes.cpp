#include "device/v4l2/capture_nodes.h"

#include <linux/videodev2.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <cstring>

#include "device/v4l2/errno_result.h"
#include "device/v4l2/node_handle.h"

namespace device::v4l2 {
namespace {

// "video12" -> 12; -1 for anything else ("video", "vbi0", "video0p").
int nodeNumber(const std::string& name) {
    const std::string prefix = "video";
    if (name.size() <= prefix.size() || name.size() > prefix.size() + 6 ||
        name.compare(0, prefix.size(), prefix) != 0)
        return -1;
    int number = 0;
    for (size_t i = prefix.size(); i < name.size(); ++i) {
        if (!std::isdigit(static_cast<unsigned char>(name[i])))
            return -1;
        number = number * 10 + (name[i] - '0');
    }
    return number;
}

std::string fixedText(const uint8_t* text, size_t capacity) {
    const char* p = reinterpret_cast<const char*>(text);
    return std::string(p, strnlen(p, capacity));
}

bool isHexId(const std::string& s) {
    return s.size() == 4 && std::all_of(s.begin(), s.end(), [](char c) { return std::isxdigit(uint8_t(c)); });
}

std::string lower(std::string s) {
    for (char& c : s)
        c = char(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

}  // namespace

std::string cameraNameFor(const std::string& card) {
    const char* standIn = std::getenv("LUMORA_V4L2_MATCH_NAME");
    return standIn != nullptr && *standIn != '\0' && card == standIn ? kCameraName : card;
}

std::string sysfsInterfaceDir(int number) {
    return "/sys/class/video4linux/video" + std::to_string(number) + "/device";
}

std::string readSysfsLine(SysIo& io, const std::string& path) {
    std::string text;
    if (!io.readFile(path, text, 256))
        return {};
    size_t end = text.find_first_of("\r\n");
    if (end != std::string::npos)
        text.resize(end);
    return text;
}

namespace {

// The USB identity and, where uvcvideo's card starts with it, the product name.
void nameUsbNode(CaptureNode& node, std::string vid, std::string pid, const std::string& product) {
    vid = lower(std::move(vid));
    pid = lower(std::move(pid));
    if (isHexId(vid) && isHexId(pid)) {
        // uvcvideo's card is the product string, followed by ": " and the function's
        // or interface's string where the device names one ("Lumora X8: Lumora X8"):
        // a USB camera is known by its product string.
        if (!product.empty() && node.name == node.card &&
            node.card.compare(0, product.size(), product) == 0 &&
            (node.card.size() == product.size() || node.card.compare(product.size(), 2, ": ") == 0))
            node.name = product;
        node.vid = vid;
        node.pid = pid;
        node.symbolicLink = "\\\\?\\usb#vid_" + vid + "&pid_" + pid + "#" + node.busInfo + "#" + node.path;
    } else {
        node.symbolicLink = "\\\\?\\v4l2#" + node.driver + "#" + node.busInfo + "#" + node.path;
    }
    node.displayName = "@device:pnp:" + node.symbolicLink;
}

// Opens the node and asks it: listed when it captures video, else skipped with the reason.
void probeNode(SysIo& io, const std::shared_ptr<SysIo>& shared, int number, const std::string& path,
               NodeListing& listing) {
    CaptureNode node;
    node.number = number;
    node.path = path;
    NodeHandle handle(shared, node.path);
    int r = handle.open();
    if (r < 0) {
        listing.skipped.push_back(node.path + ": cannot open (" + std::string(std::strerror(-r)) + ")");
        return;
    }
    v4l2_capability cap{};
    r = handle.ioctl(VIDIOC_QUERYCAP, &cap);
    handle.close();
    if (r < 0) {
        listing.skipped.push_back(node.path + ": no answer to QUERYCAP (" + std::string(std::strerror(-r)) +
                                  ")");
        return;
    }
    const uint32_t caps = (cap.capabilities & V4L2_CAP_DEVICE_CAPS) ? cap.device_caps : cap.capabilities;
    if (!(caps & V4L2_CAP_VIDEO_CAPTURE) || !(caps & V4L2_CAP_STREAMING)) {
        listing.skipped.push_back(
            node.path + (caps & V4L2_CAP_META_CAPTURE ? ": metadata node" : ": not a capture node"));
        return;
    }
    node.card = fixedText(cap.card, sizeof cap.card);
    node.name = cameraNameFor(node.card);
    node.driver = fixedText(cap.driver, sizeof cap.driver);
    node.busInfo = fixedText(cap.bus_info, sizeof cap.bus_info);
    const std::string usbDevice = sysfsInterfaceDir(number) + "/..";
    nameUsbNode(node, readSysfsLine(io, usbDevice + "/idVendor"), readSysfsLine(io, usbDevice + "/idProduct"),
                readSysfsLine(io, usbDevice + "/product"));
    listing.nodes.push_back(node);
}

// udev's encoding of a string in a property: "\x20" for a space and the like.
std::string decodeUdevText(const std::string& text) {
    std::string plain;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text.compare(i, 2, "\\x") == 0 && i + 3 < text.size() && std::isxdigit(uint8_t(text[i + 2])) &&
            std::isxdigit(uint8_t(text[i + 3]))) {
            plain += char(std::stoi(text.substr(i + 2, 2), nullptr, 16));
            i += 3;
        } else {
            plain += text[i];
        }
    }
    return plain;
}

// The listing from udev's database. Only a node that may be the camera (its name is the
// camera's) is opened, to check it answers and to take its driver's bus name; every other
// camera is listed as udev describes it, its node untouched. A node udev's rules did not
// describe is opened and asked.
NodeListing listFromUdev(const std::shared_ptr<SysIo>& io, const std::vector<UdevNode>& known) {
    std::vector<std::pair<int, const UdevNode*>> numbered;
    for (const UdevNode& u : known) {
        const int number = nodeNumber(u.sysname);
        if (number >= 0)
            numbered.emplace_back(number, &u);
    }
    std::sort(numbered.begin(), numbered.end());

    NodeListing listing;
    for (const auto& [number, u] : numbered) {
        const std::string path = u->devnode.empty() ? "/dev/video" + std::to_string(number) : u->devnode;
        const std::string capabilities = u->property("ID_V4L_CAPABILITIES");
        if (capabilities.empty()) {
            probeNode(*io, io, number, path, listing);
            continue;
        }
        if (capabilities.find(":capture:") == std::string::npos) {
            listing.skipped.push_back(path + ": not a capture node (udev: " + capabilities + ")");
            continue;
        }
        CaptureNode node;
        node.number = number;
        node.path = path;
        node.card = u->property("ID_V4L_PRODUCT");
        node.name = cameraNameFor(node.card);
        node.driver = u->property("ID_USB_DRIVER");
        node.busInfo = u->property("ID_PATH");
        std::string product = decodeUdevText(u->property("ID_MODEL_ENC"));
        if (product.empty()) {
            product = u->property("ID_MODEL");
            std::replace(product.begin(), product.end(), '_', ' ');
        }
        nameUsbNode(node, u->property("ID_VENDOR_ID"), u->property("ID_MODEL_ID"), product);
        if (node.name == kCameraName) {
            const size_t before = listing.nodes.size();
            probeNode(*io, io, number, path, listing);  // as the driver answers it now
            if (listing.nodes.size() > before)
                listing.nodes.back().name = node.name;
            continue;
        }
        listing.nodes.push_back(node);
    }
    return listing;
}

}  // namespace

NodeListing listCaptureNodes(const std::shared_ptr<SysIo>& io, const std::shared_ptr<UdevIo>& udev) {
    std::vector<UdevNode> known;
    if (udev && udev->listVideoDevices(known))
        return listFromUdev(io, known);

    NodeListing listing;
    std::vector<std::string> names;
    if (!io->listDirectory("/dev", names))
        return listing;
    std::vector<int> numbers;
    for (const std::string& name : names) {
        int number = nodeNumber(name);
        if (number >= 0)
            numbers.push_back(number);
    }
    std::sort(numbers.begin(), numbers.end());
    for (int number : numbers)
        probeNode(*io, io, number, "/dev/video" + std::to_string(number), listing);
    return listing;
}

HResult openListedNode(const std::shared_ptr<SysIo>& io, const CaptureNode& node,
                       std::shared_ptr<NodeHandle>& handle) {
    auto opened = std::make_shared<NodeHandle>(io, node.path);
    int r = opened->open();
    if (r < 0)
        return resultFromOpenErrno(r);
    v4l2_capability cap{};
    r = opened->ioctl(VIDIOC_QUERYCAP, &cap);
    if (r < 0)
        return resultFromErrno(r);
    if (fixedText(cap.card, sizeof cap.card) != node.card)
        return kNotConnected;
    handle = std::move(opened);
    return kOk;
}

}  // namespace device::v4l2
