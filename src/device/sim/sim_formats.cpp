#include "device/sim/sim_formats.h"

namespace device::sim {
namespace {
constexpr int64_t k30 = 333333;
constexpr int64_t k25 = 400000;
constexpr int64_t k15 = 666666;
constexpr int64_t k10 = 1000000;
constexpr int64_t k5 = 2000000;

SimCapability cap(const Guid& subtype, int w, int h, int bits, std::vector<int64_t> intervals,
                  bool videoInfo = true) {
    SimCapability c;
    c.format.subtype = subtype;
    c.format.width = w;
    c.format.height = h;
    c.format.bitCount = bits;
    c.format.avgTimePerFrame = intervals.front();
    c.format.videoInfo = videoInfo;
    c.intervals = std::move(intervals);
    return c;
}
}  // namespace

const std::vector<SimCapability>& lumoraCapabilities() {
    static const std::vector<SimCapability> caps = {
        cap(kSubtypeMJPG, 3520, 1104, 24, {k30}),
        cap(kSubtypeMJPG, 1920, 1080, 24, {k30, k25, k15}),
        cap(kSubtypeMJPG, 1280, 720, 24, {k30, k25, k15}),
        cap(kSubtypeMJPG, 640, 360, 24, {k30, k15}),
        cap(kSubtypeH264, 3520, 1104, 16, {k30}),
        cap(kSubtypeH264, 1920, 1080, 16, {k30, k15}),
        cap(kSubtypeH264, 1080, 1920, 16, {k30}),
        cap(kSubtypeH264, 1280, 720, 16, {k30}),
        cap(kSubtypeYUY2, 1280, 720, 16, {k10, k5}),
        cap(kSubtypeYUY2, 640, 360, 16, {k30, k15}),
        cap(kSubtypeNV12, 640, 360, 12, {k30}),
        cap(kSubtypeH264, 1920, 1080, 16, {k30}, false),
    };
    return caps;
}

const std::vector<SimCapability>& webcamCapabilities() {
    static const std::vector<SimCapability> caps = {
        cap(kSubtypeMJPG, 1280, 720, 24, {k30, k15}),
        cap(kSubtypeMJPG, 640, 480, 24, {k30}),
        cap(kSubtypeYUY2, 640, 480, 16, {k30}),
    };
    return caps;
}

}  // namespace device::sim
