// A firmware update through the information page and the main window on the simulated
// camera: the full update with the new version read back, files and images refused before
// the transfer, one fault for each message the user can get (every fault at every step:
// tst_firmware_update), a run that ends while the start question is open, and the window
// closed during the transfer. Each case checks the outcome, the message the user gets, the
// camera's firmware, and that the window is back to a usable camera with its picture
// afterwards.
#include <sys/stat.h>
#include <QPushButton>
#include <QSemaphore>
#include <QtTest>
#include <memory>
#include <utility>

#include "app/tst_mainwindow_fixture.h"
#include "firmware/firmware_update.h"
#include "fw_dialog_driver.h"
#include "fw_test_images.h"
#include "tabs/info_tab.h"

using namespace device;
using namespace fwtest;
using Step = FirmwareUpdate::Step;

namespace {
// Files the host refuses before anything is sent (missing, a FIFO, empty, shorter than a
// header packet) and images the camera refuses at the header (not its format) or that are
// not newer; the camera leaves before the header check; once the start question shows, the
// camera leaves (and comes back) or the progress's cancel arrives just too late; a cancel
// as the image is stored ends the run before the question; flashing fails; the camera
// comes back with its old firmware.
// clang-format off
enum Fault { NoFault, FileMissing, FileFifo, FileEmpty, FileShort, FileForeign, FileOlder, HeaderGone,
             UnplugAtQuestion, CancelAtQuestion, CancelBeforeQuestion, FlashFails, OldVersion };
// clang-format on
// The test image: three blocks of 4096 bytes and a final block of 1000.
constexpr int kImageSize = 3 * 4096 + 1000;
const QString kQuestion = QStringLiteral("Start Firmware Update");
}  // namespace
Q_DECLARE_METATYPE(Fault)

class FirmwareWindowTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<window_test::Rig> rig_;
    std::shared_ptr<sim::SimCamera> camera_;
    QTemporaryDir dir_;

    // Connect ticks until the window is Ready again.
    bool reconnect() {
        return QTest::qWaitFor(
            [this] { return rig_->window->connectCamera(), window_test::isReady(*rig_->window); }, 10000);
    }

    FirmwareUpdate& update() { return rig_->window->session().firmwareUpdate(); }

private slots:
    // A window on a camera that is away 100 ms for its reboot, Ready.
    void init() {
        sim::SimOptions options;
        options.rebootAbsenceMs = 100;
        rig_ = std::make_unique<window_test::Rig>(options);
        camera_ = rig_->camera;
        QVERIFY(reconnect());
        update().engine().setTiming(fastTiming(4096));
    }
    void cleanup() {
        camera_.reset();
        rig_.reset();
    }

    void faultAtEachStage_data() {
        QTest::addColumn<Fault>("fault");
        QTest::addColumn<int>("code");         // the engine's outcome
        QTest::addColumn<QString>("message");  // title of the last dialog
        QTest::addColumn<QString>("version");  // what the camera runs at the end
        QTest::addColumn<QString>("said");     // in the last dialog's text
        const QString failed = QStringLiteral("Firmware Update Failed");
        const QString transmission = QStringLiteral("Transmission Failed");
        const QString completed = QStringLiteral("Firmware Update Completed");
        const QString invalid = QStringLiteral("Invalid Firmware File");
        const auto row = [](const char* name, Fault fault, int code, const QString& message,
                            const char* version, const char* said = "") {
            QTest::newRow(name) << fault << code << message << QString(version) << QString(said);
        };
        row("no fault", NoFault, 0, completed, "1.2.4");
        row("file: unreadable path", FileMissing, -1, invalid, "1.2.3", "The file cannot be read.");
        row("file: a pipe", FileFifo, -1, invalid, "1.2.3", "The selected path is not a file.");
        row("file: empty", FileEmpty, -1, invalid, "1.2.3", "The file is empty.");
        row("file: shorter than the header packet", FileShort, -1, invalid, "1.2.3",
            "The file is shorter than a firmware header (128 bytes).");
        row("header: not the camera's format", FileForeign, -1, failed, "1.2.3",
            "The camera did not accept the firmware file.");
        row("header: not newer", FileOlder, -1, failed, "1.2.3", "Please check if it is the latest version.");
        row("header: camera gone", HeaderGone, -1, failed, "1.2.3");
        row("question: camera gone", UnplugAtQuestion, -99, failed, "1.2.3");
        row("question: cancel too late", CancelAtQuestion, -1, kQuestion, "1.2.3");
        row("question: run ended before", CancelBeforeQuestion, -1, "Firmware Update", "1.2.3");
        row("flashing: camera failure", FlashFails, -9, transmission, "1.2.3");
        row("reboot: old version back", OldVersion, 0, failed, "1.2.3");
    }
    void faultAtEachStage() {
        QFETCH(Fault, fault);
        QFETCH(int, code);
        QFETCH(QString, message);
        QFETCH(QString, version);
        QFETCH(QString, said);
        std::vector<uint8_t> image = imageOf(1, 2, fault == FileOlder ? 3 : 4, kImageSize);
        if (fault == FileEmpty || fault == FileShort)
            image.resize(fault == FileEmpty ? 0 : 127);
        if (fault == FileForeign)
            image[0] = 'X';
        QString path = writeFile(dir_, "fw-1.2.4.bin", image);
        if (fault == FileMissing || fault == FileFifo)
            path = dir_.filePath(fault == FileMissing ? "missing.bin" : "fifo.bin");
        if (fault == FileFifo)
            QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
        // The first choice; the second, after a refused file, is the user's cancel.
        rig_->window->infoPage()->setFileChooser(
            [path, chosen = 0](QWidget*) mutable { return chosen++ == 0 ? path : QString(); });
        int starts = 0;
        connect(&update(), &FirmwareUpdate::stepChanged, this,
                [&](Step step) { starts += step == Step::Flashing; });
        // Yes to the update and to its start; Cancel to every failure; OK to messages. When the
        // fault strikes at the question, the user never answers it: the run's end closes it.
        bool struck = false;  // at the question (GUI thread)
        DialogDriver driver(
            [](const ShownDialog& d) { return d.title == QLatin1String("Firmware Update"); },
            [&, fault](const ShownDialog& d) {
                if (d.title != kQuestion || (fault != UnplugAtQuestion && fault != CancelAtQuestion))
                    return false;
                if (!struck && fault == UnplugAtQuestion) {
                    camera_->unplug();
                    camera_->plugAfter(50);
                }
                if (!struck && fault == CancelAtQuestion)
                    rig_->window->infoPage()->updateDialogs().cancelTransfer();
                struck = true;
                return true;
            });
        if (fault == HeaderGone) {
            camera_->unplug();
            camera_->plugAfter(150);
        }
        // The run is cancelled as it signals the stored image. The window is held at the
        // transfer's first progress until then, so that signal's event, queued behind it,
        // always finds the run ended.
        QSemaphore cancelMade;
        if (fault == CancelBeforeQuestion) {
            connect(
                &update().engine(), &UpdateFWbyUsbFunc::waitForUpdateStart, this,
                [this, &cancelMade] {
                    update().engine().cancelUpdate();
                    cancelMade.release();
                },
                Qt::DirectConnection);
            connect(&update(), &FirmwareUpdate::progressChanged, this, [&cancelMade, held = false]() mutable {
                if (!std::exchange(held, true))
                    cancelMade.tryAcquire(1, 5000);
            });
        }
        camera_->setFlashFails(fault == FlashFails);
        camera_->setRebootKeepsFirmware(fault == OldVersion);

        rig_->window->infoPage()->fwUpdateBtnClicked();
        QTRY_VERIFY_WITH_TIMEOUT(!rig_->window->infoPage()->isUpdateFlowActive(), 10000);
        disconnect(&update().engine(), nullptr, this, nullptr);
        disconnect(&update(), nullptr, this, nullptr);
        QCOMPARE(update().outcome(), code);
        QCOMPARE(starts, code == 0 || fault == FlashFails ? 1 : 0);  // only a confirmed start
        QCOMPARE(driver.titles().contains(kQuestion),
                 fault > HeaderGone ? fault != CancelBeforeQuestion : fault == NoFault);
        // What the host refuses reaches the camera not at all, the camera's refusal after
        // the header packet; either leaves it out of update mode.
        if (fault >= FileMissing && fault <= FileOlder) {
            QCOMPARE(camera_->firmware().bytesReceived, uint64_t(fault >= FileForeign ? 128 : 0));
            QVERIFY(!camera_->firmware().updateMode);
        }

        // The faults end; the window finds the camera again and is usable.
        camera_->clearFaults();
        camera_->forceStatus(-1);
        camera_->setFlashFails(false);
        if (code != 0)
            camera_->plug();
        QVERIFY(reconnect());
        QTRY_COMPARE_WITH_TIMEOUT(driver.titles().value(driver.titles().size() - 1), message, 5000);
        QVERIFY2(driver.shown.last().content.contains(said), qPrintable(driver.shown.last().content));
        QCOMPARE(QString::fromStdString(camera_->firmware().version), version);
        QCOMPARE(QString::fromLatin1(currentValues().fwVersion), version);
        QVERIFY(!rig_->window->session().firmwareHoldsCamera());
        QVERIFY(!rig_->window->infoPage()->isUpdateFlowActive() && !update().holdsCamera());
        QVERIFY(
            rig_->window->infoPage()->findChild<QPushButton*>(QStringLiteral("fwUpdateButton"))->isEnabled());
        QVERIFY(!rig_->window->overlay()->isOverlayShown());
        QVERIFY(SettingTaskEngine::instance().camera() != nullptr);
        QCOMPARE(camera_->firmware().updatesCompleted, version == "1.2.4" ? 1 : 0);
        QVERIFY(window_test::tickUntil(
            *rig_->window, [this] { return !window_test::shownPicture(*rig_->window).isNull(); }));
    }

    // Closing the window while the image is being sent asks first; "Cancel" keeps the
    // update running, "Quit" stops it at once and leaves the camera as it was.
    void closingDuringTheTransferAsksFirst() {
        const QString path = writeFile(dir_, "fw-1.2.4.bin", imageOf(1, 2, 4, kImageSize));
        rig_->window->infoPage()->setFileChooser([path](QWidget*) { return path; });
        int closeAttempts = 0;
        bool accepted[2] = {true, true};
        // Yes to the update; to the question on closing "Cancel", then "Quit".
        DialogDriver driver([&](const ShownDialog& d) {
            return d.title == QLatin1String("Firmware Update") &&
                   (!d.content.contains("Quit") || closeAttempts > 1);
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
        rig_->window->infoPage()->fwUpdateBtnClicked();
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
