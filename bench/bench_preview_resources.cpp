// What the preview costs besides the decode: the memory the process holds while it shows
// the simulated Lumora X8's 3520 x 1104 MJPG stream, and the CPU it spends while nobody
// can see the window.
//
//   memory   the main window connected to the simulated camera, which renders and encodes
//            its frames at 30 fps in this process; resident memory (VmRSS) sampled every
//            100 ms while the preview runs, its highest value, and the peak (VmHWM);
//   unseen   the window minimised, then hidden; camera-like JPEG frames written into the frame
//            store at 30 fps by a thread of the bench, as a camera's streaming thread does
//            (the simulated camera's own rendering and encoding, which a real camera does
//            not leave to the process, are stopped); frames decoded meanwhile, and the
//            process's CPU time over the wall time; then the ticks until the picture
//            returns once the window is shown again.
//
// Options: --seconds=N per measurement (5).
// clang-format off
#include <cstddef>
#include <cstdio>
// clang-format on
#include <QApplication>
#include <QTest>
#include <QThread>
#include <QWindow>
#include <atomic>
#include <chrono>
#include <ctime>
#include <fstream>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "app/mainwindow.h"
#include "base/app_config.h"
#include "base/debug_log.h"
#include "bench_options.h"
#include "capture/capture_slots.h"
#include "capture/custom_image_label.h"
#include "device/sim/sim_camera.h"
#include "engine/current_values.h"
#include "engine/setting_task_engine.h"
#include "support/camera_like_jpeg.h"
#include "xu/uvc_xu_manager.h"

namespace {

using Clock = std::chrono::steady_clock;

double processCpuMs() {
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return double(now.tv_sec) * 1000.0 + double(now.tv_nsec) / 1.0e6;
}

// A /proc/self/status field in kB, in MB.
double statusMB(const std::string& field) {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind(field + ":", 0) == 0)
            return std::stod(line.substr(field.size() + 1)) / 1024.0;
    }
    return -1.0;
}

struct Unseen {
    uint64_t decoded = 0;
    double coreShare = 0;
    int ticksUntilShown = -1;
};

// Frames written at 30 fps for `seconds` while the window is unseen in the given way.
Unseen measureUnseen(mainwindow& window, const std::vector<uint8_t>& jpeg, bool minimise, int seconds) {
    CustomImageLabel* label = window.form().streamLabel;
    if (minimise)
        window.showMinimized();
    else
        window.hide();
    QTest::qWait(200);
    Unseen result;
    const uint64_t before = label->decoder().picturesMade();
    std::atomic<bool> done{false};
    const auto period = std::chrono::microseconds(1000000 / 30);
    const Clock::time_point start = Clock::now();
    const double cpuStart = processCpuMs();
    std::thread feeder([&] {
        for (int k = 0; Clock::now() < start + std::chrono::seconds(seconds); ++k) {
            std::this_thread::sleep_until(start + period * k);
            ewc_slot(window.session().stream().camera().openNum())
                .callback->BufferCB(k / 30.0, jpeg.data(), long(jpeg.size()));
        }
        done = true;
    });
    while (!done)
        QTest::qWait(50);  // the window's own timers run meanwhile
    feeder.join();
    const double wallMs = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
    result.coreShare = (processCpuMs() - cpuStart) / wallMs;
    result.decoded = label->decoder().picturesMade() - before;

    window.showNormal();
    if (!QTest::qWaitFor([&] { return window.windowHandle()->isExposed(); }, 2000))
        std::fprintf(stderr, "the window was not exposed again\n");
    const uint64_t shownBefore = label->decoder().picturesMade();
    for (int tick = 1; tick <= 10; ++tick) {
        window.updateImage();
        if (QTest::qWaitFor([&] { return label->decoder().picturesMade() > shownBefore; }, 500)) {
            result.ticksUntilShown = tick;
            break;
        }
    }
    return result;
}

}  // namespace

int main(int argc, char** argv) {
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    setLogEcho(false);
    QApplication app(argc, argv);
    const int seconds = intOption(argc, argv, "--seconds", 5);
    const QSize size(3520, 1104);

    AppConfig& config = appConfig();
    config.defaultWidth = size.width();
    config.defaultHeight = size.height();
    config.defaultFps = 30;
    std::shared_ptr<device::sim::SimCamera> camera = device::sim::installSimulatedCamera();
    auto window = std::make_unique<mainwindow>();
    window->show();
    if (!QTest::qWaitFor([&] { return window->windowHandle()->isExposed(); }, 2000))
        std::fprintf(stderr, "the window was not exposed\n");
    window->connectCamera();
    if (!window->session().stream().isOpen() || currentValues().resolution.format != "MJPG" ||
        currentValues().resolution.width != size.width()) {
        std::fprintf(stderr, "the window did not open the %dx%d stream\n", size.width(), size.height());
        return 1;
    }
    CustomImageLabel* label = window->form().streamLabel;

    // Memory while the preview runs on the simulated camera's own frames.
    const uint64_t shownBefore = label->decoder().picturesMade();
    double highest = 0;
    const Clock::time_point start = Clock::now();
    while (Clock::now() < start + std::chrono::seconds(seconds)) {
        QTest::qWait(100);
        highest = std::max(highest, statusMB("VmRSS"));
    }
    const uint64_t shownFrames = label->decoder().picturesMade() - shownBefore;
    std::printf("== previewing %dx%d MJPG from the simulated camera for %d s (%llu pictures made)\n",
                size.width(), size.height(), seconds, static_cast<unsigned long long>(shownFrames));
    std::printf("resident memory: highest %.1f MB, now %.1f MB, peak of the process (VmHWM) %.1f MB\n",
                highest, statusMB("VmRSS"), statusMB("VmHWM"));

    camera->setNeverDeliverFrames(true);
    const QByteArray frame = cameraLikeJpeg(size, 80);
    const std::vector<uint8_t> jpeg(frame.begin(), frame.end());
    std::printf("== unseen, frames of %zu KB written at 30 fps for %d s\n", jpeg.size() / 1024, seconds);
    for (const bool minimise : {true, false}) {
        const Unseen unseen = measureUnseen(*window, jpeg, minimise, seconds);
        std::printf("%s: %llu frames decoded, process at %.2f %% of a core; shown again after %d tick(s)\n",
                    minimise ? "minimised" : "hidden", static_cast<unsigned long long>(unseen.decoded),
                    unseen.coreShare * 100.0, unseen.ticksUntilShown);
    }
    std::printf("resident memory at the end: %.1f MB\n", statusMB("VmRSS"));

    window.reset();
    SettingTaskEngine::instance().deleteCamera();
    UVCXUManager::instance().setEnableCommand(false);
    camera.reset();
    return 0;
}
