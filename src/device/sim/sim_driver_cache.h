#pragma once
// What the host's camera driver keeps of a camera's controls while the camera stays on the
// bus, as uvcvideo does (checked on the real driver in tools/vm: a second program reading
// every control asks the camera nothing): a range or current value read once is answered
// again without a control transfer. A set is always a transfer, and here leaves the value
// to be read again (the driver keeps some, never more). The cache belongs to one plug of
// the camera: a camera that comes back on the bus starts with an empty one.
#include <set>
#include <tuple>

namespace device::sim {

class DriverCache {
public:
    enum class Kind { Range, Value };

    // readBefore: another program (or an earlier run) has read every control since the plug.
    explicit DriverCache(bool readBefore = false) : allRead_(readBefore) {}

    bool mustAsk(Kind kind, int group, long property) const;
    void noteRead(Kind kind, int group, long property);
    void forgetValue(int group, long property);

private:
    using Key = std::tuple<Kind, int, long>;
    bool allRead_;
    std::set<Key> read_;
    std::set<Key> forgotten_;  // values set since allRead_ held
};

}  // namespace device::sim
