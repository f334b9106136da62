// The main window on the simulated camera: as built, and the cover it draws for the
// session's states (the session's own transitions are tests/session's).
#include <QDialog>
#include <QGroupBox>
#include <QTabWidget>
#include <QtTest>
#include <functional>
#include <vector>

#include "engine/control_id.h"
#include "firmware/firmware_update.h"
#include "firmware/fw_dialog_driver.h"
#include "firmware/fw_test_images.h"
#include "tabs/info_tab.h"
#include "tabs/tst_setting_tab_drive.h"
#include "tst_mainwindow_fixture.h"
#include "widgets/darken_effect.h"

using namespace window_test;
using device::sim::SimOptions;

class MainWindowConnectionTest : public QObject {
    Q_OBJECT

private slots:
    // Whatever the flags were, a new window starts Searching under the cover, with its timers
    // running.
    void startsCoveredAndTriesEveryTick() {
        SimOptions options;
        options.pluggedAtStart = false;
        mainwindow::Timing timing = manualTiming();
        timing.session.connectIntervalMs = 20;
        Rig rig(options, timing);
        mainwindow& window = *rig.window;
        QVERIFY(window.previewTimerObject()->isActive());

        QVERIFY(isCovered(window) && isSearching(window));
        QCOMPARE(window.overlay()->parentWidget(), window.centralWidget());
        QCOMPARE(window.overlay()->size(), window.size());
        QVERIFY(window.overlay()->textLabel()->isVisible());
        QCOMPARE(window.overlay()->textLabel()->text(), QStringLiteral("Camera is Not Connected"));
        QVERIFY(qobject_cast<DarkenEffect*>(window.form().horizontalWidget->graphicsEffect()));

        // Each tick tries again (tests/session); the cover stays.
        QTRY_VERIFY_WITH_TIMEOUT(rig.log->count("\n******connectStart*****: 0\n") >= 2, 5000);
        QVERIFY(isCovered(window) && isSearching(window));
        // Without an open stream the read leaves the values as they were.
        currentValues().brightness = 1234;
        window.session().readValues();
        QCOMPARE(rig.log->count("getDefaultValue\n"), 0);
        QCOMPARE(currentValues().brightness.load(), 1234);
    }

    void pluggingInReadsValuesOnceAndUncovers() {
        SimOptions options;
        options.pluggedAtStart = false;
        Rig rig(options);
        rig.window->connectCamera();
        QVERIFY(isSearching(*rig.window));
        QVERIFY(isCovered(*rig.window));

        rig.camera->plug();
        QVERIFY(rig.connect());

        QVERIFY(!rig.window->overlay()->isOverlayShown() && !rig.window->overlay()->isVisible());
        QVERIFY(!isDarkened(*rig.window));  // the open stream and the worker: tests/session
        QCOMPARE(rig.log->count("getDefaultValue\n"), 1);
        // The read's lines and values: tst_setting_engine valueReadLogsItsGroups; the values
        // on the page: tst_page_wiring.
        // Without the mode page the window takes the default MJPG format itself.
        QVERIFY(currentValues().resolution.format == "MJPG" && currentValues().resolution.width == 3520 &&
                currentValues().resolution.height == 1104);

        // Ready: further ticks neither open nor read.
        rig.log->clear();
        rig.window->connectCamera();
        rig.window->connectCamera();
        QCOMPARE(rig.log->count("getDefaultValue\n"), 0);
        QVERIFY(!rig.log->contains("connectStart"));
        QVERIFY(isReady(*rig.window));

        // A cover without text (a format change, a cancelled update) keeps the darkening.
        rig.window->disableWindowWithoutText();
        QVERIFY(isCovered(*rig.window) && isDarkened(*rig.window));
        QVERIFY(!rig.window->overlay()->textLabel()->isVisible());
    }

    // A lost camera: the window closes its dialogs and covers itself, unless a firmware
    // update holds the camera (its progress stays, the window stays usable).
    void unplug_data() {
        QTest::addColumn<bool>("updating");
        QTest::newRow("ready") << false;
        QTest::newRow("during a firmware update") << true;
    }
    void unplug() {
        QFETCH(bool, updating);
        Rig rig;
        QVERIFY(rig.connect());
        QDialog dialog;
        dialog.show();
        QTemporaryDir dir;
        FirmwareUpdate& update = rig.window->session().firmwareUpdate();
        if (updating) {  // the update holds the camera: its image waits for the user's start
            auto timing = fwtest::fastTiming(4096);
            timing.statusPollMs = 60000;  // the camera's loss is the window's to see first
            update.engine().setTiming(timing);
            QVERIFY(
                update.start(fwtest::writeFile(dir, "fw.bin", fwtest::imageOf(1, 2, 4, 5000)), "1.2.3", 264));
            QVERIFY(QTest::qWaitFor([&] { return update.step() == FirmwareUpdate::Step::AwaitingStart; }));
        }

        rig.camera->unplug();
        QVERIFY(tickUntil(*rig.window, [&] { return !rig.window->session().stream().isOpen(); }));
        QCOMPARE(dialog.isVisible(), updating);
        QCOMPARE(isCovered(*rig.window), !updating);
        QCOMPARE(isDarkened(*rig.window), !updating);
        QCOMPARE(rig.window->overlay()->textLabel()->isVisible(), !updating);
    }

    void firmwareRebootWatchCoversWhenCameraLeaves() {
        Rig rig;
        QVERIFY(rig.connect());
        rig.window->session().firmwareTransferStarting();
        rig.window->session().firmwareImageSent();
        rig.window->connectCamera();
        QCOMPARE(rig.log->count("checkUVCDeviceExist: 1 \n"), 1);
        QVERIFY(!rig.window->overlay()->isOverlayShown());

        QDialog progress;
        progress.show();
        rig.camera->unplug();
        rig.window->connectCamera();
        QVERIFY(!progress.isVisible());  // the state and its lines: tests/session
        QVERIFY(isCovered(*rig.window) && rig.window->overlay()->textLabel()->isVisible());
    }

    // Another application streams: the pages work, the preview names it, and what would
    // take the stream asks first; the picture comes back when the camera is free.
    void settingsOnlyWhileAnotherApplicationStreams() {
        Rig rig;
        rig.camera->holdStream("video-call", 4242);
        rig.window->connectCamera();
        QCOMPARE(rig.window->session().state(), SessionState::InUse);
        QVERIFY(!isCovered(*rig.window) && !isDarkened(*rig.window));
        QVERIFY(rig.window->inUseNote()->isVisible());
        QVERIFY(rig.window->inUseNote()->text().startsWith(QStringLiteral("video-call (pid 4242) is using")));

        // Each question is answered "Cancel".
        auto cancel =
            std::make_unique<fwtest::DialogDriver>([](const fwtest::ShownDialog&) { return false; });
        const RESOLUTION_LIST before = currentValues().resolution;
        RESOLUTION_LIST other = before;
        other.width = 1280;
        other.height = 720;
        rig.window->channgeResolution(other);
        rig.window->infoPage()->updateDialogs().begin();
        cancel.reset();
        QCOMPARE(rig.log->count("stream held by another application: cancelled \n"), 2);
        QCOMPARE(currentValues().resolution.width, before.width);
        QVERIFY(!rig.window->infoPage()->updateDialogs().isActive());

        rig.camera->releaseStream();
        rig.window->connectCamera();
        QVERIFY(isReady(*rig.window));
        QVERIFY(!rig.window->inUseNote()->isVisible());
        QVERIFY(tickUntil(*rig.window, [&] { return !shownPicture(*rig.window).isNull(); }));
    }

    // A camera the user may not open: the cover says so and how to mend it, until it opens.
    void deniedCameraCoverNamesTheFix() {
        Rig rig;
        rig.camera->setAccessDenied(true);
        rig.window->connectCamera();
        QCOMPARE(rig.window->session().state(), SessionState::Denied);
        QVERIFY(isCovered(*rig.window) && rig.window->overlay()->textLabel()->isVisible());
        const QString text = rig.window->overlay()->textLabel()->text();
        QVERIFY(text.contains(QStringLiteral("uaccess")) && text.contains(QStringLiteral("\"video\"")));
        rig.camera->setAccessDenied(false);
        QVERIFY(rig.connect());
        QVERIFY(!isCovered(*rig.window));
        rig.camera->unplug();
        QVERIFY(tickUntil(*rig.window, [&] { return isSearching(*rig.window); }));
        QCOMPARE(rig.window->overlay()->textLabel()->text(), QStringLiteral("Camera is Not Connected"));
    }
};

QTEST_MAIN(MainWindowConnectionTest)
#include "tst_mainwindow_connection.moc"
