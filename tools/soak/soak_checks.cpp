#include "soak_checks.h"

#include <dirent.h>
#include <malloc.h>
#include <unistd.h>
#include <QElapsedTimer>
#include <QPixmap>
#include <QThread>
#include <cstdio>

#include "app/mainwindow.h"
#include "capture/capture_slots.h"
#include "capture/custom_image_label.h"
#include "engine/control_id.h"
#include "engine/setting_task_engine.h"
#include "widgets/protect_layout.h"

namespace soak {
namespace {

using device::ControlGroup;

// Each control the soak changes: the values the simulated Lumora X8 accepts and where it
// keeps the value. Vendor controls and the anti-flicker have no group.
struct Control {
    int id;
    const char* name;
    int min, max, step;
    ControlGroup group;
    long property;
};
constexpr ControlGroup P = ControlGroup::VideoProcAmp;
constexpr ControlGroup C = ControlGroup::CameraControl;
constexpr long kNone = -1;
constexpr Control kControls[] = {
    {EPTZ_ZOOM, "zoom", 100, 500, 1, C, device::kCamZoom},
    {EWC_PAN, "pan", -20, 20, 1, C, device::kCamPan},
    {EWC_TILT, "tilt", -15, 15, 1, C, device::kCamTilt},
    {EXP_SWITCH, "exposure mode", 0, 1, 1, C, device::kCamExposure},
    {EXP_GAIN, "gain", 0, 6, 1, P, device::kProcGain},
    {EXP_TIME, "exposure", -8, -1, 1, C, device::kCamExposure},
    {WB_SWITCH, "white balance mode", 0, 1, 1, P, device::kProcWhiteBalance},
    {WB_VALUE, "white balance", 2000, 7500, 10, P, device::kProcWhiteBalance},
    {ADJ_BRIGHTNESS, "brightness", 0, 200, 1, P, device::kProcBrightness},
    {ADJ_CONTRAST, "contrast", 0, 200, 1, P, device::kProcContrast},
    {ADJ_HUE, "hue", 0, 180, 1, P, device::kProcHue},
    {ADJ_SATURATION, "saturation", 0, 200, 1, P, device::kProcSaturation},
    {ADJ_SHAPNESS, "sharpness", 0, 200, 1, P, device::kProcSharpness},
    {ADJ_GAMMA, "gamma", 100, 220, 1, P, device::kProcGamma},
    {ADJ_BACKLIGHT, "backlight", 0, 1, 1, P, device::kProcBacklightCompensation},
    {ADJ_ANTIFLICKER, "anti-flicker", 1, 2, 1, P, kNone},
    {AUTO_FRAME, "Auto Zoom", 0, 1, 1, P, kNone},
    {AUTO_FRAME_SENSITIVE, "Auto Zoom sensitivity", -2, 2, 1, P, kNone},
    {AUTO_FRAME_ZOOM_LEVEL, "Auto Zoom level", 0, 4, 1, P, kNone},
    {HDR, "HDR", 0, 1, 1, P, kNone},
    {TRACKING_ACTIVE, "tracking", 0, 1, 1, P, kNone},
};

const Control* find(int id) {
    for (const Control& c : kControls)
        if (c.id == id)
            return &c;
    return nullptr;
}

bool isSwitch(int id) {
    return id == EXP_SWITCH || id == WB_SWITCH;
}

// The value the camera holds for a control without a group.
long vendorValue(const device::sim::SimCamera& camera, int id) {
    const device::sim::XuControls xu = camera.xuControls();
    switch (id) {
        case ADJ_ANTIFLICKER:
            return camera.powerLineFrequency();
        case AUTO_FRAME:
            return xu.autoFrame;
        case AUTO_FRAME_SENSITIVE:
            return xu.sensitivity;
        case AUTO_FRAME_ZOOM_LEVEL:
            return xu.zoomLevel;
        case HDR:
            return xu.hdr;
        case TRACKING_ACTIVE:
            return xu.tracking;
        default:
            return -1000;
    }
}

ControlRecord* observed = nullptr;

}  // namespace

void ControlRecord::queued(int controlId, int value) {
    ++queued_;
    if (controlId == DISTORTION_CORRECTION)
        return;
    const Control* c = find(controlId);
    if (isSwitch(controlId))
        automatic_[int(c->property)] = value == 1;
    else
        values_[controlId] = value;
    if (controlId == EXP_TIME || controlId == WB_VALUE)
        automatic_[int(c->property)] = false;  // a value is written in manual mode
}

void ControlRecord::taken(int controlId, int value) {
    ++taken_;
    if (controlId == DISTORTION_CORRECTION)
        lastMarkerTaken_ = value;
}

bool ControlRecord::drain() {
    const int marker = ++marker_;
    queued(DISTORTION_CORRECTION, marker);
    SettingTaskEngine::instance().addJob(DISTORTION_CORRECTION, marker);
    QElapsedTimer clock;
    clock.start();
    while (lastMarkerTaken_.load() != marker) {
        if (clock.elapsed() > 5000)
            return false;
        QThread::msleep(2);
    }
    return taken_.load() == queued_;
}

std::vector<std::string> ControlRecord::compareWith(const device::sim::SimCamera& camera) const {
    std::vector<std::string> mismatches;
    for (const auto& [id, value] : values_) {
        const Control* c = find(id);
        const long held =
            c->property == kNone ? vendorValue(camera, id) : camera.control(c->group, c->property).value;
        if (held != value)
            mismatches.push_back(std::string(c->name) + ": set " + std::to_string(value) +
                                 ", the camera holds " + std::to_string(held));
    }
    for (const auto& [property, automatic] : automatic_) {
        const ControlGroup group = property == device::kCamExposure ? C : P;
        const long flags = camera.control(group, property).flags;
        if ((flags == device::kFlagsAuto) != automatic)
            mismatches.push_back(
                std::string(property == device::kCamExposure ? "exposure" : "white balance") + " mode: set " +
                (automatic ? "automatic" : "manual") + ", the camera is not");
    }
    return mismatches;
}

void queueRandomChange(std::mt19937& random, ControlRecord& record) {
    const Control& c = kControls[random() % (sizeof kControls / sizeof kControls[0])];
    const int steps = (c.max - c.min) / c.step;
    const int value = c.min + int(random() % unsigned(steps + 1)) * c.step;
    record.queued(c.id, value);
    SettingTaskEngine::instance().addJob(c.id, value);
}

bool installJobObserver(ControlRecord& record) {
    observed = &record;
    return SettingTaskEngine::instance().setJobObserver(
        [](const SettingJob& job) { observed->taken(job.controlId, job.value); });
}

void removeJobObserver() {
    SettingTaskEngine::instance().deleteCamera();
    SettingTaskEngine::instance().setJobObserver({});
    observed = nullptr;
}

int captureSlotsInUse() {
    int used = 0;
    for (int n = 0; n < kCaptureSlotCount; ++n)
        used += ewc_slot(n).inUse != 0 ? 1 : 0;
    return used;
}

bool isCovered(mainwindow& window) {
    return window.overlay()->isOverlayShown();
}

bool showsPicture(mainwindow& window) {
    return !window.form().streamLabel->shownPicture().isNull();
}

Usage usageNow() {
    Usage usage;
    // Freed heap goes back to the system first, so the figure follows live memory rather
    // than the allocator's caches.
    malloc_trim(0);
    if (FILE* statm = std::fopen("/proc/self/statm", "r")) {
        long size = 0, resident = 0;
        if (std::fscanf(statm, "%ld %ld", &size, &resident) == 2)
            usage.rssKb = resident * (sysconf(_SC_PAGESIZE) / 1024);
        std::fclose(statm);
    }
    if (DIR* fds = opendir("/proc/self/fd")) {
        while (const dirent* entry = readdir(fds))
            if (entry->d_name[0] != '.')
                ++usage.descriptors;
        closedir(fds);
        --usage.descriptors;  // the listing's own
    }
    if (DIR* tasks = opendir("/proc/self/task")) {
        while (const dirent* entry = readdir(tasks))
            if (entry->d_name[0] != '.')
                ++usage.threads;
        closedir(tasks);
    }
    return usage;
}

}  // namespace soak
