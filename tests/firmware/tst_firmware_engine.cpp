// The update engine on the simulated camera: a full update read back after the reboot,
// the block layout of a full-size image, the version comparison and the judgement of the
// version a camera came back with, the camera (not the host) judging the image, a start
// whose answer the camera took off the bus with it, cancel and stop, and the refusal of a
// transfer size that cannot carry a packet.
#include <QtTest>
#include <atomic>
#include <memory>
#include <mutex>
#include <thread>

#include "base/app_config.h"
#include "device/sim/sim_camera.h"
#include "firmware/update_fw_by_usb_func.h"
#include "fw_test_images.h"
#include "support/log_capture.h"
#include "xu/uvc_xu_manager.h"

using namespace device;
using namespace fwtest;

namespace {
constexpr int kTransferSize = 264;

bool waitUntil(const std::function<bool()>& done, int ms) {
    QElapsedTimer clock;
    clock.start();
    while (!done()) {
        if (clock.elapsed() > ms)
            return false;
        QThread::msleep(5);
    }
    return true;
}

int countSelector(const std::vector<sim::XuRecord>& records, uint32_t selector, bool set = true) {
    int n = 0;
    for (const auto& r : records)
        n += r.selector == selector && r.set == set ? 1 : 0;
    return n;
}
}  // namespace

class FirmwareEngineTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<LogCapture> log_;
    std::shared_ptr<sim::SimCamera> camera_;
    std::unique_ptr<UpdateFWbyUsbFunc> engine_;
    QTemporaryDir dir_;
    std::atomic<int> waits_{0};

    // A fresh camera (its start answer lost to the reboot, when asked) and engine.
    void makeCameraAndEngine(bool startAnswerLost = false) {
        engine_.reset();
        UVCXUManager::instance().setEnableCommand(false);
        sim::SimOptions options;
        options.rebootAbsenceMs = 50;
        options.startAnswerLost = startAnswerLost;
        camera_ = sim::installSimulatedCamera(options);
        UVCXUManager::instance().setEnableCommand(true);
        QVERIFY(UVCXUManager::instance().haveDevice());
        engine_ = std::make_unique<UpdateFWbyUsbFunc>();
        engine_->setTiming(fastTiming());
        engine_->setTransferSize(kTransferSize);
    }

private slots:
    void init() {
        log_ = std::make_unique<LogCapture>();
        appConfig().setDeviceName("Lumora X8");
        makeCameraAndEngine();
        waits_ = 0;
        // The user confirms the start at once (on the update thread: the engine allows it).
        connect(
            engine_.get(), &UpdateFWbyUsbFunc::waitForUpdateStart, engine_.get(),
            [this] {
                ++waits_;
                engine_->startFwUpdate();
            },
            Qt::DirectConnection);
    }
    void cleanup() {
        engine_.reset();
        UVCXUManager::instance().setEnableCommand(false);
        camera_.reset();
        log_.reset();
    }

    // A full-size image one byte over a block: one full block (status 5), then a final
    // block of one byte; the camera reboots into it and answers the new version.
    void fullUpdateReadsBackTheNewVersion() {
        const std::vector<uint8_t> image = imageOf(1, 2, 4, 10485760 + 1);
        const QString path = writeFile(dir_, "fw-1.2.4.bin", image);
        QVERIFY(engine_->checkNeedFwUpdate(path, "1.2.3", false));
        int code = 99;
        std::thread([&] { code = engine_->runUpdate(path, false); }).join();  // not on the GUI thread
        QCOMPARE(code, int(kFwStarted));
        QCOMPARE(waits_.load(), 1);
        QVERIFY(waitUntil([&] { return camera_->firmware().updatesCompleted == 1 && camera_->isPlugged(); },
                          5000));
        UVCXUManager::instance().setEnableCommand(false);
        UVCXUManager::instance().setEnableCommand(true);
        char version[kXuTextLength] = {};
        QVERIFY(UVCXUManager::instance().getFwVersion(version));
        QCOMPARE(QString::fromLatin1(version), QStringLiteral("1.2.4"));
        QCOMPARE(camera_->storedImage(), image);

        const auto records = camera_->xuRequests();
        std::vector<uint32_t> blocks;
        for (const auto& r : records)
            if (r.selector == 9 && r.set)
                blocks.push_back(sim::getLe32(r.bytes.data()));
        QCOMPARE(blocks, (std::vector<uint32_t>{10485760u, 1u}));
        // Header packet, 40960 full packets, then the last byte; every packet full length.
        QCOMPARE(countSelector(records, 17), 1 + 40960 + 1);
        for (const auto& r : records)
            if (r.selector == 17 && r.set)
                QCOMPARE(r.length, uint32_t(kTransferSize));
    }

    void versionComparison_data() {
        QTest::addColumn<uint32_t>("header");
        QTest::addColumn<QString>("running");
        QTest::addColumn<bool>("newer");
        const uint32_t v123 = sim::makeHeaderVersion(1, 2, 3);
        QTest::newRow("equal") << v123 << "1.2.3" << false;
        QTest::newRow("minor newer") << v123 << "1.2.2" << true;
        QTest::newRow("formal decides") << v123 << "0.9.9" << true;
        QTest::newRow("older") << v123 << "1.3.0" << false;
        QTest::newRow("two parts repeat the last") << v123 << "1.2" << true;  // 1.2.2
        QTest::newRow("empty text") << v123 << "" << true;                    // 0.0.0
        QTest::newRow("huge part") << v123 << "99999999999999.0.0" << false;
    }
    void versionComparison() {
        QFETCH(uint32_t, header);
        QFETCH(QString, running);
        QFETCH(bool, newer);
        QCOMPARE(isNewerVersion(splitHeaderVersion(header), parseRunningVersion(running.toStdString())),
                 newer);
    }

    // The version text a camera reports after its update, against the image's header
    // version (1.2.4) and the text it reported before.
    void cameraBackRunsTheImage_data() {
        QTest::addColumn<QString>("before");
        QTest::addColumn<QString>("after");
        QTest::addColumn<bool>("updated");
        const auto row = [](const char* name, const char* before, const char* after, bool updated) {
            QTest::newRow(name) << QString::fromLatin1(before) << QString::fromLatin1(after) << updated;
        };
        row("plain", "1.2.3", "1.2.4", true);
        row("prefixed", "v1.2.3", "v1.2.4", true);
        row("prefixed, same text before (forced)", "v1.2.4", "v1.2.4", true);
        row("a build name", "Build 76", "Build 77", true);
        row("old version back", "1.2.3", "1.2.3", false);
        row("old build name back", "Build 76", "Build 76", false);
        row("1.2.40 is not 1.2.4", "1.2.40", "1.2.40", false);
        row("nothing read back", "1.2.3", "", false);
    }
    void cameraBackRunsTheImage() {
        QFETCH(QString, before);
        QFETCH(QString, after);
        QFETCH(bool, updated);
        QCOMPARE(runsUpdatedFirmware(before.toStdString(), after.toStdString(), FwVersion{1, 2, 4}), updated);
    }

    // The image is the camera's to judge: whatever the host can send reaches the camera,
    // and the camera's refusal (status 15, at the header or at a block) is reported as the
    // camera's.
    void cameraJudgesTheImage_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("check");    // CheckOutcome
        QTest::addColumn<int>("outcome");  // of the run, when the check passed
        using Check = UpdateFWbyUsbFunc::CheckOutcome;
        const auto bytes = [](const std::vector<uint8_t>& v) {
            return QByteArray(reinterpret_cast<const char*>(v.data()), int(v.size()));
        };
        std::vector<uint8_t> image = imageOf(1, 2, 4, 5000);
        QTest::newRow("an image of the camera's format")
            << bytes(image) << int(Check::Newer) << int(kFwStarted);
        QTest::newRow("not the camera's format") << bytes(payloadOf(5000)) << int(Check::CameraRefused) << 0;
        std::vector<uint8_t> damaged = image;
        damaged[3000] ^= 0x40;
        QTest::newRow("damaged payload") << bytes(damaged) << int(Check::Newer) << int(kFwTransferFailed);
    }
    void cameraJudgesTheImage() {
        QFETCH(QByteArray, bytes);
        QFETCH(int, check);
        QFETCH(int, outcome);
        const QString path =
            writeFile(dir_, "fw.bin", std::vector<uint8_t>(bytes.constBegin(), bytes.constEnd()));
        const bool newer = engine_->checkNeedFwUpdate(path, "1.2.3", false);
        QCOMPARE(int(engine_->lastCheckOutcome()), check);
        // The header packet reached the camera and was read there.
        QCOMPARE(countSelector(camera_->xuRequests(), 17), 1);
        QCOMPARE(countSelector(camera_->xuRequests(), 8), 1);
        if (!newer) {
            QVERIFY(engine_->cameraRefused());
            QCOMPARE(camera_->firmware().status, 15);
            return;
        }
        QCOMPARE(engine_->runUpdate(path, false), outcome);
        QCOMPARE(engine_->cameraRefused(), outcome == kFwTransferFailed);
        QCOMPARE(countSelector(camera_->xuRequests(), 10), outcome == kFwStarted ? 1 : 0);
    }

    // The start command's own transfer fails: a camera that took it and left the bus is
    // followed as a started update; one that still answers did not start (-5).
    void startWithoutAnAnswer_data() {
        QTest::addColumn<bool>("cameraLeaves");
        QTest::newRow("camera left before answering") << true;
        QTest::newRow("camera stays and refuses") << false;
    }
    void startWithoutAnAnswer() {
        QFETCH(bool, cameraLeaves);
        makeCameraAndEngine(cameraLeaves);  // without the start of init()
        if (!cameraLeaves)
            camera_->failAlways("XuNodeControl::property:10", kGenFailure);
        std::atomic<bool> started{false};
        connect(
            engine_.get(), &UpdateFWbyUsbFunc::waitForUpdateStart, engine_.get(),
            [&] { started = engine_->startFwUpdate(); }, Qt::DirectConnection);

        const QString path = writeFile(dir_, "fw-1.2.4.bin", imageOf(1, 2, 4, 5000));
        QVERIFY(engine_->checkNeedFwUpdate(path, "1.2.3", false));
        QCOMPARE(engine_->runUpdate(path, false), int(cameraLeaves ? kFwStarted : kFwStartFailed));
        QVERIFY(started.load());
        QVERIFY(engine_->startWasSent());
        int lostAnswers = 0;  // starts the camera took but could not answer
        for (const auto& r : camera_->xuRequests())
            lostAnswers += r.selector == 10 && r.set && r.result == kNotConnected ? 1 : 0;
        QCOMPARE(lostAnswers, cameraLeaves ? 1 : 0);
        QVERIFY(waitUntil([&] { return camera_->isPlugged(); }, 5000));
        QCOMPARE(camera_->firmware().version, std::string(cameraLeaves ? "1.2.4" : "1.2.3"));
        // The run is over: a late start sends nothing.
        camera_->clearXuRequests();
        QVERIFY(!engine_->startFwUpdate());
        QCOMPARE(countSelector(camera_->xuRequests(), 10), 0);
    }

    // Force updates an older image; without force the camera leaves update mode after
    // the check.
    void forceFlagOverridesTheVersion() {
        const QString path = writeFile(dir_, "fw-1.0.0.bin", imageOf(1, 0, 0, 2000));
        QVERIFY(!engine_->checkNeedFwUpdate(path, "1.2.3", false));
        QCOMPARE(int(engine_->lastCheckOutcome()), int(UpdateFWbyUsbFunc::CheckOutcome::NotNewer));
        engine_->endUpdateFlow();
        QVERIFY(!camera_->firmware().updateMode);
        QVERIFY(engine_->checkNeedFwUpdate(path, "1.2.3", true));
        QVERIFY(camera_->firmware().updateMode);
    }

    // Cancel mid-transfer (from the progress) and stop while waiting for the start: both
    // end with -1 and leave update mode; the camera keeps its firmware.
    void cancelAndStopEndTheRun_data() {
        QTest::addColumn<bool>("duringTransfer");
        QTest::newRow("cancel during the transfer") << true;
        QTest::newRow("stop while waiting for the start") << false;
    }
    void cancelAndStopEndTheRun() {
        QFETCH(bool, duringTransfer);
        engine_.reset(new UpdateFWbyUsbFunc);
        auto t = fastTiming(4096);
        t.statusPollMs = 500;  // the stop must not wait for a poll
        engine_->setTiming(t);
        engine_->setTransferSize(kTransferSize);
        std::atomic<bool> asked{false};
        if (duringTransfer) {
            connect(
                engine_.get(), &UpdateFWbyUsbFunc::updateProgress, engine_.get(),
                [this](double p) {
                    if (p > 40)
                        engine_->cancelUpdate();
                },
                Qt::DirectConnection);
        } else {
            connect(
                engine_.get(), &UpdateFWbyUsbFunc::waitForUpdateStart, engine_.get(), [&] { asked = true; },
                Qt::DirectConnection);
        }
        const QString path = writeFile(dir_, "fw.bin", imageOf(1, 2, 4, 20000));
        QVERIFY(engine_->checkNeedFwUpdate(path, "1.2.3", false));
        std::atomic<int> code{99};
        std::thread run([&] { code = engine_->runUpdate(path, false); });
        if (!duringTransfer) {
            QVERIFY(waitUntil([&] { return asked.load(); }, 10000));
            engine_->requestStop();
        }
        QVERIFY(waitUntil([&] { return code.load() != 99; }, 5000));
        run.join();
        QCOMPARE(code.load(), int(kFwCancelled));
        QVERIFY(!camera_->firmware().updateMode);
        QCOMPARE(camera_->firmware().version, std::string("1.2.3"));
        QCOMPARE(countSelector(camera_->xuRequests(), 10), 0);
    }

    // A transfer size that cannot carry a packet: the check sends nothing, a run fails.
    void unusableTransferSizeIsRefused_data() {
        QTest::addColumn<int>("size");
        QTest::newRow("zero (size query failed)") << 0;
        QTest::newRow("below a header packet") << 135;
        QTest::newRow("count does not fit 16 bits") << 0xFFFF + 9;
    }
    void unusableTransferSizeIsRefused() {
        QFETCH(int, size);
        engine_->setTransferSize(size);
        const QString path = writeFile(dir_, "fw.bin", imageOf(1, 2, 4, 2000));
        camera_->clearXuRequests();
        QVERIFY(!engine_->checkNeedFwUpdate(path, "1.2.3", false));
        QVERIFY(camera_->xuRequests().empty());
        QCOMPARE(engine_->runUpdate(path, false), int(kFwTransferFailed));
        QCOMPARE(countSelector(camera_->xuRequests(), 17), 0);
    }
};

QTEST_GUILESS_MAIN(FirmwareEngineTest)
#include "tst_firmware_engine.moc"
