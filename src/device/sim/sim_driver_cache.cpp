#include "device/sim/sim_driver_cache.h"

namespace device::sim {

bool DriverCache::mustAsk(Kind kind, int group, long property) const {
    const Key key{kind, group, property};
    if (read_.count(key) != 0)
        return false;
    return !allRead_ || forgotten_.count(key) != 0;
}

void DriverCache::noteRead(Kind kind, int group, long property) {
    const Key key{kind, group, property};
    read_.insert(key);
    forgotten_.erase(key);
}

void DriverCache::forgetValue(int group, long property) {
    const Key key{Kind::Value, group, property};
    read_.erase(key);
    forgotten_.insert(key);
}

}  // namespace device::sim
