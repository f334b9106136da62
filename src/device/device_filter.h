#pragma once
// A view of a backend that shows one camera only. Several cameras of the same name are
// told apart by their device key; the layers above, which take the first device of the
// configured name, then reach the chosen one.
#include <string>

#include "device/device_port.h"

namespace device {

// What identifies a device across the video and the extension-unit listings: its
// symbolic link without a trailing interface class ("#{...}..."), which differs between
// the two listings of one camera.
std::string deviceKey(const std::string& symbolicLink);

// The same backend, listing only the video input and the capture source whose device key
// is key (none when nothing matches).
DevicePort onlyDevice(const DevicePort& inner, const std::string& key);

}  // namespace device
