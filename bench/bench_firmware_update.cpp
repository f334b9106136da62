// The firmware update engine's own cost: a full-size image (10 MiB, 40961 packets) sent
// to the simulated camera with 1 ms per control transfer, from the start of runUpdate
// until the image is in the camera (waitForUpdateStart). The engine times each of its
// extension-unit calls; whatever the run takes beyond their sum is the engine's overhead
// (file reads, packet building, log lines, progress signals, the device watch).
//
// Printed last: the run's time over the transfers' time (goal: at most 1.02).
#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <vector>

#include "base/app_config.h"
#include "base/debug_log.h"
#include "device/sim/fw_image.h"
#include "device/sim/sim_camera.h"
#include "firmware/update_fw_by_usb_func.h"
#include "xu/uvc_xu_manager.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr size_t kImageBytes = 10485760;
double lastRatio = 0.0;

QString writeImage(const QTemporaryDir& dir) {
    using namespace device::sim;
    std::vector<uint8_t> payload(kImageBytes - kFwHeaderSize);
    for (size_t i = 0; i < payload.size(); ++i)
        payload[i] = uint8_t(i * 2654435761u >> 24);
    const std::vector<uint8_t> image = buildFwImage(makeHeaderVersion(1, 2, 4), std::string(), payload);
    const QString path = dir.filePath(QStringLiteral("fw-1.2.4.bin"));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return QString();
    file.write(reinterpret_cast<const char*>(image.data()), qint64(image.size()));
    return path;
}

void fullImageTransfer(benchmark::State& state) {
    setLogEcho(false);
    appConfig().setDeviceName("Lumora X8");
    device::sim::SimOptions options;
    options.controlLatencyUs = 1000;
    auto camera = device::sim::installSimulatedCamera(options);
    UVCXUManager& xu = UVCXUManager::instance();
    xu.setEnableCommand(true);
    QTemporaryDir dir;
    const QString path = writeImage(dir);
    if (!xu.haveDevice() || path.isEmpty()) {
        state.SkipWithError("no simulated camera or no image");
        return;
    }
    // Progress goes to a receiver on another thread, as it does to the information page.
    QObject receiver;
    double ratioSum = 0;
    for (auto _ : state) {
        UpdateFWbyUsbFunc engine;
        engine.setTransferSize(int(xu.getTransferSize()));
        QObject::connect(
            &engine, &UpdateFWbyUsbFunc::updateProgress, &receiver, [](double) {}, Qt::QueuedConnection);
        if (!engine.checkNeedFwUpdate(path, "1.2.3", false)) {
            state.SkipWithError("the camera refused the image");
            return;
        }
        Clock::time_point inCamera;
        UpdateFWbyUsbFunc::TransferStats stats;
        QObject::connect(
            &engine, &UpdateFWbyUsbFunc::waitForUpdateStart, &engine,
            [&] {
                inCamera = Clock::now();
                stats = engine.transferStats();
                engine.requestStop();  // the camera keeps its firmware
            },
            Qt::DirectConnection);
        const Clock::time_point start = Clock::now();
        engine.runUpdate(path, false);
        const double runSeconds = std::chrono::duration<double>(inCamera - start).count();
        const double transferSeconds = double(stats.nanoseconds) / 1e9;
        state.SetIterationTime(runSeconds);
        state.counters["transfers"] = double(stats.calls);
        state.counters["transfer_s"] = transferSeconds;
        state.counters["run_s"] = runSeconds;
        ratioSum += runSeconds / transferSeconds;
        QCoreApplication::removePostedEvents(&receiver);
    }
    lastRatio = ratioSum / double(state.iterations());
    state.counters["ratio"] = lastRatio;
    xu.setEnableCommand(false);
    setLogEcho(true);
}

}  // namespace

BENCHMARK(fullImageTransfer)
    ->Name("FirmwareUpdate/fullImage1msPerTransfer")
    ->Iterations(1)
    ->UseManualTime()
    ->Unit(benchmark::kSecond);

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    std::printf("update time / transfer time: %.4f (overhead %.2f %%)\n", lastRatio,
                (lastRatio - 1.0) * 100.0);
    return 0;
}
