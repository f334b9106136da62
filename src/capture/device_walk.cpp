#include "capture/device_walk.h"

#include <vector>

#include "capture/capture_formats.h"
#include "capture/capture_slots.h"
#include "device/device_port.h"

namespace {
bool isCaptureDisplayName(const std::string& name) {
    return name.find("@device:pnp") != std::string::npos || name.find("@device:sw") != std::string::npos;
}
}  // namespace

int ewc_WalkDevices(const std::optional<std::string>& nameFilter, int deviceIndex, bool firstOnMinusOne,
                    DeviceWalk& walk) {
    walk = DeviceWalk{};
    const std::shared_ptr<device::VideoSystem> system = device::port().video;
    if (!system) {
        ewc_hr = device::kNoInterface;
        return 4;
    }
    ewc_hr = system->createDeviceEnumerator();
    if (ewc_hr != device::kOk) {
        return 4;
    }
    std::vector<std::unique_ptr<device::DeviceMoniker>> monikers;
    ewc_hr = system->enumerateVideoInputs(monikers);
    if (ewc_hr != device::kOk) {
        return 5;
    }
    // Ten asks for the next device; an ask that yields none is skipped.
    for (int ask = 0; ask < kMaxDevicesExamined; ++ask) {
        if (ask >= static_cast<int>(monikers.size()) || !monikers[ask]) {
            continue;
        }
        std::string displayName;
        ewc_hr = monikers[ask]->displayName(displayName);
        if (device::failed(ewc_hr)) {
            return 6;
        }
        if (!isCaptureDisplayName(displayName)) {
            continue;
        }
        const int position = walk.counted++;
        std::string friendlyName;
        ewc_hr = monikers[ask]->friendlyName(friendlyName);
        if (device::failed(ewc_hr)) {
            friendlyName.clear();
        }
        // A name bigger than the 256-character buffer it was read into is cut there.
        if (friendlyName.size() > 255) {
            friendlyName.resize(255);
        }
        bool matches = false;
        if (nameFilter) {
            // An empty name would be found in every friendly name: it names no camera.
            matches = device::succeeded(ewc_hr) && !nameFilter->empty() &&
                      friendlyName.find(*nameFilter) != std::string::npos;
        } else {
            matches = position == deviceIndex || (firstOnMinusOne && deviceIndex == -1 && position == 0);
        }
        if (matches && !walk.match) {
            walk.match = std::move(monikers[ask]);
            walk.matchPosition = position;
        }
    }
    return 0;
}
