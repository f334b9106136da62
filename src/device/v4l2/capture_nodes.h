#pragma once
// The system's video capture nodes: /dev/video* whose node captures video (metadata and
// output nodes of the same camera are left out), with the names the layers above match
// and log. Listed anew on every call, so a camera that came back under another number
// after a replug or a firmware reboot is simply found there. Where udev runs, the listing
// is udev's description of the nodes and only the camera's own node is opened; without
// udev every node is opened and asked.
#include <memory>
#include <string>
#include <vector>

#include "device/result.h"
#include "device/v4l2/sys_io.h"
#include "device/v4l2/udev_io.h"

namespace device::v4l2 {

// The name the layers above look for the camera by.
constexpr const char* kCameraName = "Lumora X8";

struct CaptureNode {
    std::string path;  // "/dev/video0"
    int number = -1;   // 0 for video0
    std::string card;  // VIDIOC_QUERYCAP card
    // The friendly name: the USB product string where the card starts with it (uvcvideo
    // appends the function's name), else the card; or a test stand-in (see cameraNameFor).
    std::string name;
    std::string driver;
    std::string busInfo;
    std::string vid, pid;  // USB idVendor / idProduct, four lower-case hex digits; empty when not USB
    // "\\?\usb#vid_046d&pid_085c#usb-0000:00:14.0-2#/dev/video0"
    std::string symbolicLink;
    // "@device:pnp:" followed by the link: a capture device the capture layer counts.
    std::string displayName;
};

struct NodeListing {
    std::vector<CaptureNode> nodes;    // by node number
    std::vector<std::string> skipped;  // "/dev/video1: metadata node", for the description
};

// udev null, or unable to list: every /dev/video* node is opened and asked.
NodeListing listCaptureNodes(const std::shared_ptr<SysIo>& io, const std::shared_ptr<UdevIo>& udev = nullptr);

// The friendly name a node with this card is listed under: the card itself, or "Lumora
// X8" when the card equals the environment variable LUMORA_V4L2_MATCH_NAME. That
// variable is for test rigs only (a virtual camera such as vivid stands in for the
// camera, which the layers above look for by its name); unset, nothing changes.
std::string cameraNameFor(const std::string& card);

class NodeHandle;
// Opens a listed node again for use, and checks that its number still belongs to the
// same camera (after a replug it may be another device's now: kNotConnected).
HResult openListedNode(const std::shared_ptr<SysIo>& io, const CaptureNode& node,
                       std::shared_ptr<NodeHandle>& handle);

// sysfs folder of a node's driver binding (the video-control interface of a USB camera).
std::string sysfsInterfaceDir(int number);
// A one-line sysfs attribute without its line end; empty when unreadable.
std::string readSysfsLine(SysIo& io, const std::string& path);

}  // namespace device::v4l2
