// lumora-vivid-probe --lose-command CMD [--frames N]
// Runs the V4L2 backend through the capture layer, as the program does, against a real
// kernel driver standing in for the camera (vivid in tools/vm/vivid-check.sh's guest,
// listed as "Lumora X8" through LUMORA_V4L2_MATCH_NAME): device discovery, the format
// list with its frame rates, a stream of a few hundred converted frames into the frame
// store (N, default 300), the standard controls set and read back, the driver's own answers to the calls
// the backend relies on, and the device lost mid-stream (CMD takes it away) ending in
// the device-lost event without a hang or a leaked descriptor. Prints one line per check
// and exits 1 when any failed.
#include <dirent.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "capture/capture_formats.h"
#include "capture/capture_slots.h"
#include "capture/uvc_camera.h"
#include "device/control_port.h"
#include "device/device_port.h"
#include "device/v4l2/v4l2_port.h"
#include "driver_answers.h"
#include "probe_report.h"
#include "recording_sys_io.h"

namespace {
using Clock = std::chrono::steady_clock;
const char* const kCameraName = "Lumora X8";

double secondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

int openDescriptors() {
    int count = 0;
    if (DIR* dir = opendir("/proc/self/fd")) {
        while (readdir(dir) != nullptr)
            ++count;
        closedir(dir);
    }
    return count - 3;  // ".", ".." and the listing's own descriptor
}

void checkDiscovery(ProbeReport& report) {
    std::vector<std::unique_ptr<device::DeviceMoniker>> monikers;
    device::port().video->enumerateVideoInputs(monikers);
    int named = 0;
    for (auto& moniker : monikers) {
        std::string name;
        moniker->friendlyName(name);
        named += name == kCameraName ? 1 : 0;
    }
    // The listing's line of the backend's description: the nodes taken and skipped.
    const std::string notes = device::v4l2::describe();
    const size_t from = std::min(notes.find("capture nodes"), notes.size());
    const std::string listing = notes.substr(from, notes.find('\n', from) - from);
    report.check(
        "discovery", named == 1 && listing.find("skipped") != std::string::npos,
        std::to_string(named) + " of " + std::to_string(monikers.size()) + " as \"Lumora X8\"; " + listing);
    report.check("presence check", findUvcCamera(-1, kCameraName), "findUvcCamera by name");
}

// The entry to stream: MJPG where the driver offers it, else YUY2; the smallest size at
// its highest rate.
int chooseFormat(ProbeReport& report, UvcCamera& camera, RESOLUTION_LIST& chosen) {
    std::vector<RESOLUTION_LIST> formats;
    camera.initial(kCameraName, formats);
    // The most rates any one size offers.
    int rates = 0;
    for (const RESOLUTION_LIST& size : formats) {
        const int here = int(std::count_if(formats.begin(), formats.end(), [&](const RESOLUTION_LIST& f) {
            return f.width == size.width && f.height == size.height && f.format == size.format;
        }));
        rates = std::max(rates, here);
    }
    const bool hasMjpg =
        std::any_of(formats.begin(), formats.end(), [](auto& f) { return f.format == "MJPG"; });
    const std::string wanted = hasMjpg ? "MJPG" : "YUY2";
    int index = -1;
    for (const RESOLUTION_LIST& f : formats) {
        if (f.format != wanted)
            continue;
        const bool better = index < 0 || f.width * f.height < chosen.width * chosen.height ||
                            (f.width == chosen.width && f.height == chosen.height && f.fps > chosen.fps);
        if (better) {
            chosen = f;
            index = f.index;
        }
    }
    std::string sizes;
    for (const RESOLUTION_LIST& f : formats) {
        const std::string size = std::to_string(f.width) + "x" + std::to_string(f.height);
        if (sizes.find(size) == std::string::npos)
            sizes += " " + size;
    }
    report.check("formats", !formats.empty() && rates > 1 && index >= 0,
                 std::to_string(formats.size()) + " entries (size x rate), " + std::to_string(rates) +
                     " rates at most at one size; sizes" + sizes +
                     (hasMjpg ? "; MJPG offered" : "; no MJPG"));
    return index;
}

bool pictureHasContent(const uint8_t* data, int length) {
    if (data == nullptr || length < 8)
        return false;
    for (int i = 4; i < length; i += 4) {
        if (std::memcmp(data, data + i, 3) != 0)
            return true;
    }
    return false;
}

void checkStream(ProbeReport& report, UvcCamera& camera, const RESOLUTION_LIST& chosen, int wantFrames) {
    const Clock::time_point start = Clock::now();
    long frames = 0;
    long badLength = 0;
    bool content = false;
    const int expected = chosen.width * chosen.height * 4;
    while (frames < wantFrames && secondsSince(start) < 20.0) {
        const int fresh = camera.newFrameCount();
        if (fresh > 0) {
            uint8_t* data = nullptr;
            const int length = camera.getFrame(&data);
            frames += fresh;
            badLength += length != expected ? 1 : 0;
            content = content || pictureHasContent(data, length);
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    char detail[160];
    std::snprintf(detail, sizeof detail, "%ld frames of %dx%d %s as RGB32 in %.1f s, %ld of a wrong length%s",
                  frames, chosen.width, chosen.height, chosen.format.c_str(), secondsSince(start), badLength,
                  content ? "" : ", picture uniform");
    report.check("stream", frames >= wantFrames && badLength == 0 && content, detail);
}

void checkControls(ProbeReport& report, UvcCamera& camera) {
    static const char* const names[kStandardPropertyCount] = {
        "brightness",  "contrast",     "hue",       "saturation", "sharpness", "gamma",
        "colorenable", "whitebalance", "backlight", "gain",       "pan",       "tilt",
        "roll",        "zoom",         "exposure",  "iris",       "focus"};
    CaptureSlot& slot = ewc_slot(camera.openNum());
    device::ControlPort* controls = slot.captureFilter->controls();
    int offered = 0;
    for (int p = 0; p < kStandardPropertyCount; ++p) {
        if (!slot.supported[p])
            continue;
        ++offered;
        const auto group = p < 10 ? device::ControlGroup::VideoProcAmp : device::ControlGroup::CameraControl;
        device::ControlRange range;
        controls->getRange(group, p < 10 ? p : p - 10, range);
        const int before = camera.getValue(p);
        // A value other than the current one, on the control's grid.
        const long step = std::max(1L, range.step);
        long target = range.min + ((range.max - range.min) / step / 4) * step;
        if (target == before)
            target = range.max;
        const int setCode = camera.setValue(p, double(target));
        const int after = camera.getValue(p);
        const int restoreCode = camera.setValue(p, double(range.def));
        char detail[200];
        std::snprintf(detail, sizeof detail,
                      "%ld..%ld step %ld default %ld: was %d, set %ld (code %d), read %d; "
                      "default restored (code %d)",
                      range.min, range.max, range.step, range.def, before, target, setCode, after,
                      restoreCode);
        report.check(std::string("control ") + names[p], setCode == 0 && after == target && restoreCode == 0,
                     detail);
    }
    report.check("controls offered", offered >= 4, std::to_string(offered) + " standard controls");
}

void checkLoss(ProbeReport& report, UvcCamera& camera, RecordingSysIo& io, const std::string& loseCommand,
               int baseline) {
    const int framesBefore = camera.newFrameCount();
    io.startRecording();
    std::printf("  (taking the device away: %s)\n", loseCommand.c_str());
    std::fflush(stdout);
    const int commandCode = std::system(loseCommand.c_str());
    const Clock::time_point start = Clock::now();
    bool lost = false;
    while (!lost && secondsSince(start) < 5.0) {
        lost = camera.getEvent() == 1;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    char detail[160];
    std::snprintf(detail, sizeof detail,
                  "command code %d, device-lost event %s after %.2f s (%d frames pending)", commandCode,
                  lost ? "seen" : "NOT seen", secondsSince(start), framesBefore);
    report.check("device lost", lost, detail);

    const Clock::time_point releaseStart = Clock::now();
    camera.release();
    std::snprintf(detail, sizeof detail, "release took %.2f s", secondsSince(releaseStart));
    report.check("release after loss", secondsSince(releaseStart) < 3.0, detail);
    report.note("the driver answered the backend after the loss: " + io.summary());

    std::vector<std::unique_ptr<device::DeviceMoniker>> monikers;
    device::port().video->enumerateVideoInputs(monikers);
    report.check("gone from the listing", monikers.empty(),
                 std::to_string(monikers.size()) + " node(s) left");
    const int now = openDescriptors();
    report.check("descriptors", now == baseline,
                 std::to_string(baseline) + " open before the first open, " + std::to_string(now) + " now");
}
}  // namespace

int main(int argc, char** argv) {
    std::string loseCommand;
    int frames = 300;
    for (int i = 1; i + 1 < argc; ++i) {
        if (std::strcmp(argv[i], "--lose-command") == 0)
            loseCommand = argv[i + 1];
        else if (std::strcmp(argv[i], "--frames") == 0)
            frames = std::max(1, std::atoi(argv[i + 1]));
    }
    if (loseCommand.empty()) {
        std::fprintf(stderr, "usage: %s --lose-command CMD [--frames N]\n", argv[0]);
        return 2;
    }
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    auto io = std::make_shared<RecordingSysIo>(device::v4l2::makeRealSysIo());
    device::installPort(device::v4l2::makeV4l2Port(io));
    ProbeReport report;
    const int baseline = openDescriptors();

    checkDiscovery(report);
    checkDriverAnswers(report, io);
    UvcCamera camera;
    RESOLUTION_LIST chosen;
    const int index = chooseFormat(report, camera, chosen);
    if (index < 0)
        return report.finish();
    const int slot = camera.open(0, index, 0);
    report.check("open", slot >= 0, "slot " + std::to_string(slot));
    if (slot < 0)
        return report.finish();
    checkStream(report, camera, chosen, frames);
    checkControls(report, camera);
    checkLoss(report, camera, *io, loseCommand, baseline);
    return report.finish();
}
