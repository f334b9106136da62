#pragma once
// Which processes have a device node open: the /proc/<pid>/fd links that point at it.
// Another application that streams from the camera shows up so (a video call); the lookup
// sees only the processes the user may inspect, which are the ones that matter here.
#include <string>
#include <vector>

#include "device/video_port.h"

namespace device::v4l2 {

// Every process under procRoot ("/proc"; tests pass a folder laid out alike) other than
// `self` with a descriptor on nodePath, in ascending pid order, named by its "comm".
std::vector<ProcessRef> nodeHolders(const std::string& procRoot, const std::string& nodePath, int self);

}  // namespace device::v4l2
