// A firmware update through the information page and the main window on the simulated
// camera: the full update with the new version read back (also as a text that is not a
// plain version), a fault at each stage of the update (every fault at every step:
// tst_firmware_update), and a run that ends while the start question is open. Each case
// checks the outcome, the message the user gets, the camera's firmware, and that the
// window is back to a usable camera afterwards.
#include <QPushButton>
#include <QSignalSpy>
#include <QtTest>
#include <memory>

#include "app/page_state.h"
#include "app/tst_mainwindow_fixture.h"
#include "firmware/firmware_update.h"
#include "fw_dialog_driver.h"
#include "fw_test_images.h"
#include "tabs/info_tab.h"

using namespace device;
using namespace fwtest;

namespace {
enum Stage { BeforeHeader, MiddleBlock, Flashing, Reboot };
enum Fault { NoFault, TransferError, CameraGone, TimeOut, CameraFailure, OldVersion, StartAnswerLost };
// What ends a run while its start question is open.
enum RunEnd { UnplugAndBack, Status15, CancelAtTheEnd, CancelBeforeTheQuestion };
// The test image: three blocks of 4096 bytes and a final block of 1000; a fault strikes
// in the middle block at 40 %.
constexpr int kImageSize = 3 * 4096 + 1000;
}  // namespace
Q_DECLARE_METATYPE(Stage)
Q_DECLARE_METATYPE(Fault)
Q_DECLARE_METATYPE(RunEnd)

class FirmwareWindowTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<window_test::Rig> rig_;
    std::shared_ptr<sim::SimCamera> camera_;
    QTemporaryDir dir_;

    // Connect ticks until the window is Ready again.
    bool reconnect() {
        return QTest::qWaitFor([this] { return rig_->window->connectCamera(), window_test::isReady(); },
                               10000);
    }

    void injectNow(Fault fault) {
        switch (fault) {
            case TransferError:
                camera_->failAlways("XuNodeControl::property:17", kGenFailure);
                break;
            case CameraGone:
                camera_->unplug();
                camera_->plugAfter(150);
                break;
            case TimeOut:
                camera_->forceStatus(2);
                break;
            default:
                break;
        }
    }

    // A window on a camera made with these behaviours, Ready.
    void build(bool startAnswerLost = false) {
        camera_.reset();
        rig_.reset();
        sim::SimOptions options;
        options.rebootAbsenceMs = 100;
        options.startAnswerLost = startAnswerLost;
        rig_ = std::make_unique<window_test::Rig>(options);
        camera_ = rig_->camera;
        QVERIFY(reconnect());
        update().engine().setTiming(fastTiming(4096));
    }

    FirmwareUpdate& update() { return rig_->window->firmwareUpdate(); }

private slots:
    void init() { build(); }
    void cleanup() {
        camera_.reset();
        rig_.reset();
    }

    void faultAtEachStage_data() {
        QTest::addColumn<Stage>("stage");
        QTest::addColumn<Fault>("fault");
        QTest::addColumn<int>("code");         // the engine's outcome
        QTest::addColumn<QString>("message");  // title of the last dialog
        QTest::addColumn<QString>("version");  // what the camera runs at the end (the image's text)
        const QString failed = QStringLiteral("Firmware Update Failed");
        const QString transmission = QStringLiteral("Transmission Failed");
        const QString completed = QStringLiteral("Firmware Update Completed");
        QTest::newRow("no fault") << Reboot << NoFault << 0 << completed << "1.2.4";
        QTest::newRow("no fault, version text Build 77") << Reboot << NoFault << 0 << completed << "Build 77";
        QTest::newRow("header: camera gone") << BeforeHeader << CameraGone << -1 << failed << "1.2.3";
        QTest::newRow("block: transfer error")
            << MiddleBlock << TransferError << -4 << transmission << "1.2.3";
        QTest::newRow("block: camera gone") << MiddleBlock << CameraGone << -99 << failed << "1.2.3";
        QTest::newRow("block: time-out") << MiddleBlock << TimeOut << -4 << transmission << "1.2.3";
        QTest::newRow("flashing: start answer lost to the reboot")
            << Flashing << StartAnswerLost << 0 << completed << "1.2.4";
        QTest::newRow("flashing: camera failure")
            << Flashing << CameraFailure << -9 << transmission << "1.2.3";
        QTest::newRow("reboot: old version back") << Reboot << OldVersion << 0 << failed << "1.2.3";
    }
    void faultAtEachStage() {
        QFETCH(Stage, stage);
        QFETCH(Fault, fault);
        QFETCH(int, code);
        QFETCH(QString, message);
        QFETCH(QString, version);
        if (fault == StartAnswerLost)
            build(true);

        const bool updated = version != QLatin1String("1.2.3");
        const std::string text = updated ? version.toStdString() : std::string();
        const QString path = writeFile(dir_, "fw-1.2.4.bin", imageOf(1, 2, 4, kImageSize, text));
        infoTab->setFileChooser([path](QWidget*) { return path; });
        // Yes to the update and to its start; Cancel to every failure; OK to messages.
        DialogDriver driver([](const ShownDialog& d) { return d.title == QLatin1String("Firmware Update"); });

        if (stage == BeforeHeader)
            injectNow(fault);
        bool struck = false;  // touched on the update thread only
        if (stage == MiddleBlock) {
            connect(
                &update().engine(), &UpdateFWbyUsbFunc::updateProgress, this,
                [&, fault](double percent) {
                    if (!struck && percent >= 40) {
                        struck = true;
                        injectNow(fault);
                    }
                },
                Qt::DirectConnection);
        }
        if (stage == Flashing) {
            if (fault == TransferError)
                camera_->failAlways("XuNodeControl::property:10", kGenFailure);
            camera_->setFlashFails(fault == CameraFailure || fault == TimeOut);
            if (fault == TimeOut) {
                // From the moment the image is stored on, the camera keeps answering "stored".
                connect(
                    &update().engine(), &UpdateFWbyUsbFunc::waitForUpdateStart, this,
                    [this] { camera_->forceStatus(6); }, Qt::DirectConnection);
            }
        }
        camera_->setRebootKeepsFirmware(fault == OldVersion);

        infoTab->fwUpdateBtnClicked();
        QTRY_VERIFY_WITH_TIMEOUT(!infoTab->isUpdateFlowActive(), 10000);
        disconnect(&update().engine(), nullptr, this, nullptr);
        QCOMPARE(update().outcome(), code);

        // The faults end; the window finds the camera again and is usable.
        camera_->clearFaults();
        camera_->forceStatus(-1);
        camera_->setFlashFails(false);
        QVERIFY(reconnect());
        QTRY_COMPARE_WITH_TIMEOUT(driver.titles().value(driver.titles().size() - 1), message, 5000);
        QCOMPARE(QString::fromStdString(camera_->firmware().version), version);
        QCOMPARE(QString::fromLatin1(currentValues().fwVersion), version);
        QVERIFY(!fwUpdating);
        QVERIFY(!infoTab->isUpdateFlowActive() && !update().holdsCamera());
        QVERIFY(infoTab->findChild<QPushButton*>(QStringLiteral("fwUpdateButton"))->isEnabled());
        QVERIFY(!rig_->window->overlay()->isOverlayShown());
        QVERIFY(SettingTaskEngine::instance().camera() != nullptr);
        QCOMPARE(camera_->firmware().updatesCompleted, updated ? 1 : 0);
    }

    // The run ends while the question "Start Firmware Update" is open: the question closes,
    // nothing is started, and the window is back on the camera with its picture. A run
    // that ended before the question asks nothing.
    void startQuestionClosesWhenTheRunEnds_data() {
        QTest::addColumn<RunEnd>("end");
        QTest::addColumn<int>("code");
        QTest::newRow("camera unplugged and back") << UnplugAndBack << -99;
        QTest::newRow("status 15 before the start") << Status15 << -9;
        QTest::newRow("cancel as the transfer ends") << CancelAtTheEnd << -1;
        QTest::newRow("cancel before the question") << CancelBeforeTheQuestion << -1;
    }
    void startQuestionClosesWhenTheRunEnds() {
        QFETCH(RunEnd, end);
        QFETCH(int, code);
        const QString path = writeFile(dir_, "fw-1.2.4.bin", imageOf(1, 2, 4, kImageSize));
        infoTab->setFileChooser([path](QWidget*) { return path; });
        int started = 0;
        connect(&update(), &FirmwareUpdate::stepChanged, this,
                [&started](FirmwareUpdate::Step step) { started += step == FirmwareUpdate::Step::Flashing; });
        const QString question = QStringLiteral("Start Firmware Update");
        bool struck = false;
        // The run ends once the question shows; the user answers it only after that.
        DialogDriver driver([](const ShownDialog& d) { return d.title == QLatin1String("Firmware Update"); },
                            [&, end](const ShownDialog& d) {
                                if (d.title != question)
                                    return false;
                                if (!struck) {
                                    struck = true;
                                    if (end == UnplugAndBack) {
                                        camera_->unplug();
                                        camera_->plugAfter(50);
                                    } else if (end == Status15) {
                                        camera_->forceStatus(15);
                                    } else {
                                        // The progress dialog's cancel, delivered just too late.
                                        infoTab->updateDialogs().cancelTransfer();
                                    }
                                }
                                return update().holdsCamera();
                            });
        if (end == CancelBeforeTheQuestion) {
            connect(
                &update().engine(), &UpdateFWbyUsbFunc::waitForUpdateStart, this,
                [this] { update().engine().cancelUpdate(); }, Qt::DirectConnection);
        }

        infoTab->fwUpdateBtnClicked();
        QTRY_VERIFY_WITH_TIMEOUT(!infoTab->isUpdateFlowActive(), 10000);
        disconnect(&update().engine(), nullptr, this, nullptr);
        disconnect(&update(), nullptr, this, nullptr);
        QCOMPARE(update().outcome(), code);
        QCOMPARE(driver.titles().contains(question), end != CancelBeforeTheQuestion);
        QCOMPARE(started, 0);
        for (const auto& r : camera_->xuRequests())
            QVERIFY(!(r.set && r.selector == 10));  // no start command
        QVERIFY(!fwUpdating);

        camera_->clearFaults();
        camera_->forceStatus(-1);
        camera_->plug();
        QVERIFY(reconnect());
        QVERIFY(rig_->window->stream().isOpen());
        QVERIFY(window_test::tickUntil(
            *rig_->window, [this] { return !window_test::shownPicture(*rig_->window).isNull(); }));
        QCOMPARE(camera_->firmware().version, std::string("1.2.3"));
    }

    // Closing the window while the image is being sent asks first; "Cancel" keeps the
    // update running, "Quit" stops it at once and leaves the camera as it was.
    void closingDuringTheTransferAsksFirst() {
        const QString path = writeFile(dir_, "fw-1.2.4.bin", imageOf(1, 2, 4, kImageSize));
        infoTab->setFileChooser([path](QWidget*) { return path; });
        int closeAttempts = 0;
        bool accepted[2] = {true, true};
        DialogDriver driver([&](const ShownDialog& d) {
            return d.title == QLatin1String("Firmware Update") && d.content.contains(QLatin1String("Quit"))
                       ? closeAttempts > 1
                       : d.title == QLatin1String("Firmware Update");
        });
        // Slow enough packets that the close, queued at 20 %, comes long before the transfer
        // ends, also on a loaded machine.
        camera_->setLatency("XuNodeControl::property:17", 20);
        bool asked = false;
        connect(
            &update().engine(), &UpdateFWbyUsbFunc::updateProgress, this,
            [&](double percent) {
                if (percent < 20 || asked)
                    return;
                asked = true;
                for (bool& answer : accepted) {
                    ++closeAttempts;
                    QCloseEvent event;
                    QApplication::sendEvent(rig_->window.get(), &event);
                    answer = event.isAccepted();
                }
            },
            Qt::QueuedConnection);
        infoTab->fwUpdateBtnClicked();
        QVERIFY(asked);
        QVERIFY(!accepted[0]);
        QVERIFY(accepted[1]);
        QVERIFY(!update().holdsCamera());
        QVERIFY(!camera_->firmware().updateMode);
        QCOMPARE(camera_->firmware().version, std::string("1.2.3"));
    }
};

QTEST_MAIN(FirmwareWindowTest)
#include "tst_firmware_window.moc"
