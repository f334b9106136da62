// Requests from several threads (the interface, the settings worker, the firmware threads)
// racing against the channel being disabled and re-created: no request may run on a
// channel that is being destroyed, nothing is freed twice, every answer is a valid value.
#include <QtTest>
#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

#include "base/app_config.h"
#include "device/sim/sim_camera.h"
#include "fake_xu_system.h"
#include "support/log_capture.h"
#include "xu/uvc_xu_manager.h"
#include "xu/xu_payloads.h"

namespace {

UVCXUManager& xu() {
    return UVCXUManager::instance();
}

constexpr int kToggles = 40;

struct Outcome {
    std::atomic<int> invalid{0};
    std::atomic<int> calls{0};
};

// Runs the three kinds of callers until stop is set.
std::vector<std::thread> startCallers(std::atomic<bool>& stop, Outcome& outcome, uint32_t transferSize) {
    std::vector<std::thread> threads;
    threads.emplace_back([&] {  // interface thread: reads at connection time
        while (!stop) {
            const uint16_t hdr = xu().getHdr();
            const uint32_t size = xu().getTransferSize();
            char text[kXuTextLength] = {};
            xu().getFwVersion(text);
            if (hdr > 1 || (size != 0 && size != transferSize) || text[kXuTextLength - 1] != '\0')
                ++outcome.invalid;
            xu().haveDevice();
            outcome.calls += 4;
        }
    });
    threads.emplace_back([&] {  // settings worker: control writes
        bool on = false;
        while (!stop) {
            on = !on;
            xu().setAutoFrame(on);
            xu().setAutoSensitive(on ? 1 : -1);
            xu().setHdr(on);
            outcome.calls += 3;
        }
    });
    threads.emplace_back([&] {  // firmware threads: status polling and transfer
        const auto info = makeXuTransferInfo(kXuTransferAnnounce, 16);
        const uint8_t data[16] = {1, 2, 3};
        const auto packet = makeXuTransferPacket(0, data, sizeof(data), transferSize);
        while (!stop) {
            const int status = xu().getCameraSatatus();
            if (status < 0 || (status > 255 && status != 65535))
                ++outcome.invalid;
            const int infoStatus = xu().getTransferDataInfoSatatus();
            if (infoStatus < -128 || infoStatus > 127)
                ++outcome.invalid;
            xu().setTransferDataInfo(info.data());
            xu().setTransferData(packet.data(), uint32_t(packet.size()));
            outcome.calls += 4;
        }
    });
    return threads;
}

void toggleWhileCalling(uint32_t transferSize, Outcome& outcome) {
    std::atomic<bool> stop{false};
    auto threads = startCallers(stop, outcome, transferSize);
    // On a loaded machine the callers may not have run yet: toggling goes on (up to fifty
    // times as long) until one call got through.
    for (int i = 0; i < kToggles || (outcome.calls.load() == 0 && i < 50 * kToggles); ++i) {
        xu().setEnableCommand(false);
        std::this_thread::sleep_for(std::chrono::microseconds(300));
        xu().setEnableCommand(true);
        xu().haveDevice();
        std::this_thread::sleep_for(std::chrono::microseconds(700));
    }
    stop = true;
    for (std::thread& t : threads)
        t.join();
}

}  // namespace

class TestXuConcurrency : public QObject {
    Q_OBJECT

private slots:
    void init() { appConfig().setDeviceName("Lumora X8"); }
    void cleanup() { xu().setEnableCommand(false); }

    void requestsNeverReachADestroyedChannel() {
        auto shared = fake::install({{"Lumora X8", "", device::kOk, {device::kNodeTypeDevSpecific}}});
        LogCapture log;
        xu().setEnableCommand(true);
        Outcome outcome;
        toggleWhileCalling(264, outcome);
        QCOMPARE(outcome.invalid.load(), 0);
        QVERIFY(outcome.calls.load() > 0);
        QCOMPARE(shared->callsAfterShutdown.load(), 0);
        xu().setEnableCommand(false);
        // Every channel created was released once: no source or control outlives it.
        QCOMPARE(shared->liveSources.load(), 0);
        QCOMPARE(shared->liveControls.load(), 0);
        QVERIFY(shared->requests().size() > 0);
    }

    void simulatedCameraUnderRacingToggles() {
        device::sim::SimOptions options;
        options.transferSize = 300;
        auto camera = device::sim::installSimulatedCamera(options);
        LogCapture log;
        xu().setEnableCommand(true);
        Outcome outcome;
        toggleWhileCalling(300, outcome);
        QCOMPARE(outcome.invalid.load(), 0);
        QVERIFY(outcome.calls.load() > 0);
        xu().setEnableCommand(false);
        xu().setEnableCommand(true);
        QVERIFY(xu().haveDevice());
        QCOMPARE(xu().getTransferSize(), 300u);
        QVERIFY(xu().setHdr(true));
        QCOMPARE(xu().getHdr(), uint16_t(1));
    }
};

QTEST_GUILESS_MAIN(TestXuConcurrency)
#include "tst_xu_concurrency.moc"
