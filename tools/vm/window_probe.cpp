// lumora-window-probe: the program's window (offscreen) on the V4L2 backend, as the
// program starts it with --camera=v4l2: it must find the camera, become ready and show
// live pictures in its preview. Prints one line per check and exits 1 when any failed.
#include <QApplication>
#include <QElapsedTimer>
#include <QImage>
#include <QLabel>
#include <QPixmap>
#include <QThread>
#include <cstdio>
#include <cstdlib>
#include <functional>

#include "app/mainwindow.h"
#include "app/mainwindow_ui.h"
#include "base/debug_log.h"
#include "base/read_config.h"
#include "capture/custom_image_label.h"
#include "common/wait_until.h"
#include "device/device_port.h"
#include "device/v4l2/sys_io.h"
#include "device/v4l2/v4l2_port.h"
#include "engine/control_id.h"
#include "engine/current_values.h"
#include "engine/setting_task_engine.h"
#include "probe_report.h"

namespace {

QImage preview(mainwindow& window) {
    return window.form().streamLabel->shownPicture().toImage();
}

}  // namespace

int main(int argc, char** argv) {
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    setLogEcho(false);  // the window's log would drown the report
    readConfig();
    device::installPort(device::v4l2::makeV4l2Port(device::v4l2::makeRealSysIo()));
    qRegisterMetaType<RESOLUTION_LIST>("RESOLUTION_LIST");
    QApplication application(argc, argv);
    ProbeReport report;
    QElapsedTimer clock;
    clock.start();
    mainwindow window;
    window.show();
    const bool ready = waitUntil([&] { return window.session().state() == SessionState::Ready; }, 60000);
    report.check("window ready", ready, "after " + std::to_string(clock.elapsed()) + " ms");
    const bool shown = ready && waitUntil([&] { return !preview(window).isNull(); }, 60000);
    const QImage first = shown ? preview(window) : QImage();
    report.check("preview", shown,
                 std::to_string(first.width()) + "x" + std::to_string(first.height()) + " after " +
                     std::to_string(clock.elapsed()) + " ms");
    // Live: the picture moves (frame number, sweeping marker), so a later one differs.
    const bool live = shown && waitUntil([&] { return preview(window) != first; }, 30000);
    report.check("live preview", live, live ? "a new picture shown" : "the picture never changed");

    // A factory reset while the camera stays on the bus: the values read afterwards must be
    // the camera's defaults, not what the driver kept from before the reset.
    SettingTaskEngine::instance().addJob(ADJ_BRIGHTNESS, 40);
    const bool set = live && SettingTaskEngine::instance().waitUntilIdle(std::chrono::seconds(10)) &&
                     currentValues().brightness.load() == 40;
    window.resetSettings();
    const bool back =
        set && waitUntil([&] { return window.session().state() == SessionState::Ready; }, 60000);
    const int brightness = currentValues().brightness.load();
    report.check(
        "factory reset", back && brightness == 100,
        "brightness set to 40, then " + std::to_string(brightness) + " after the reset (default 100)");
    return report.finish();
}
