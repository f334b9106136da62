// The main window on the simulated camera: as built, and the cover it draws for the
// session's states (the session's own transitions are tests/session's).
#include <QDialog>
#include <QtTest>

#include "firmware/firmware_update.h"
#include "firmware/fw_dialog_driver.h"
#include "firmware/fw_test_images.h"
#include "tabs/info_tab.h"
#include "tst_mainwindow_fixture.h"
#include "widgets/darken_effect.h"

using namespace window_test;
using device::sim::SimOptions;

class MainWindowConnectionTest : public QObject {
    Q_OBJECT

private slots:
    // A new window starts Searching under the cover, with its preview timer running;
    // without an open stream the read leaves the values as they were. Plugged in (once
    // the user may open it), the values are read once and the cover goes.
    void pluggingInReadsValuesOnceAndUncovers() {
        SimOptions options;
        options.pluggedAtStart = false;
        Rig rig(options);
        mainwindow& window = *rig.window;
        QVERIFY(window.previewTimerObject()->isActive());
        QVERIFY(isCovered(window) && isSearching(window));
        QCOMPARE(window.overlay()->parentWidget(), window.centralWidget());
        QCOMPARE(window.overlay()->size(), window.size());
        QVERIFY(window.overlay()->textLabel()->isVisible());
        QCOMPARE(window.overlay()->textLabel()->text(), QStringLiteral("Camera is Not Connected"));
        QVERIFY(qobject_cast<DarkenEffect*>(window.form().horizontalWidget->graphicsEffect()));
        window.connectCamera();  // each tick tries again: tests/session
        currentValues().brightness = 1234;
        window.session().readValues();
        QCOMPARE(rig.log->count("getDefaultValue\n"), 0);
        QCOMPARE(currentValues().brightness.load(), 1234);

        // Plugged in but not open to this user: the cover says how to mend it, until it opens.
        rig.camera->setAccessDenied(true);
        rig.camera->plug();
        window.connectCamera();
        QCOMPARE(window.session().state(), SessionState::Denied);
        const QString fix = window.overlay()->textLabel()->text();
        QVERIFY(isCovered(window) && fix.contains(QStringLiteral("uaccess")) &&
                fix.contains(QStringLiteral("\"video\"")));
        rig.camera->setAccessDenied(false);
        QVERIFY(rig.connect());

        QVERIFY(!window.overlay()->isOverlayShown() && !window.overlay()->isVisible());
        QVERIFY(!isDarkened(window));  // the open stream and the worker: tests/session
        QCOMPARE(rig.log->count("getDefaultValue\n"), 1);
        // The read's lines and values: tst_setting_engine valueReadLogsItsGroups; the values
        // on the page: tst_page_wiring.
        // Without the mode page the window takes the default MJPG format itself.
        QVERIFY(currentValues().resolution.format == "MJPG" && currentValues().resolution.width == 3520 &&
                currentValues().resolution.height == 1104);

        // Ready: further ticks neither open nor read.
        rig.log->clear();
        window.connectCamera();
        window.connectCamera();
        QCOMPARE(rig.log->count("getDefaultValue\n"), 0);
        QVERIFY(!rig.log->contains("connectStart"));
        QVERIFY(isReady(window));

        // A cover without text (a format change, a cancelled update) keeps the darkening.
        window.disableWindowWithoutText();
        QVERIFY(isCovered(window) && isDarkened(window));
        QVERIFY(!window.overlay()->textLabel()->isVisible());
        // Lost, it says so again.
        rig.camera->unplug();
        QVERIFY(tickUntil(window, [&] { return isSearching(window); }));
        QCOMPARE(window.overlay()->textLabel()->text(), QStringLiteral("Camera is Not Connected"));
    }

    // A lost camera: the window closes its dialogs and covers itself, unless a firmware
    // update holds the camera (its progress stays, the window stays usable); once the image
    // is in and the camera is told to start, its leaving for the reboot covers the window.
    void unplug_data() {
        QTest::addColumn<int>("update");  // 0: none, 1: awaiting the user's start, 2: image sent
        QTest::newRow("ready") << 0;
        QTest::newRow("during a firmware update") << 1;
        QTest::newRow("gone for the firmware's reboot") << 2;
    }
    void unplug() {
        QFETCH(int, update);
        Rig rig;
        QVERIFY(rig.connect());
        QDialog dialog;
        dialog.show();
        QTemporaryDir dir;
        FirmwareUpdate& firmware = rig.window->session().firmwareUpdate();
        if (update == 1) {
            auto timing = fwtest::fastTiming(4096);
            timing.statusPollMs = 60000;  // the camera's loss is the window's to see first
            firmware.engine().setTiming(timing);
            QVERIFY(firmware.start(fwtest::writeFile(dir, "fw.bin", fwtest::imageOf(1, 2, 4, 5000)), "1.2.3",
                                   264));
            QVERIFY(QTest::qWaitFor([&] { return firmware.step() == FirmwareUpdate::Step::AwaitingStart; }));
        }
        if (update == 2) {
            rig.window->session().firmwareTransferStarting();
            rig.window->session().firmwareImageSent();
            rig.window->connectCamera();
            QCOMPARE(rig.log->count("checkUVCDeviceExist: 1 \n"), 1);
            QVERIFY(!rig.window->overlay()->isOverlayShown());
        }

        rig.camera->unplug();
        if (update == 2)
            rig.window->connectCamera();
        QVERIFY(tickUntil(*rig.window, [&] { return !rig.window->session().stream().isOpen(); }));
        const bool held = update == 1;
        QCOMPARE(dialog.isVisible(), held);
        QCOMPARE(isCovered(*rig.window), !held);
        QCOMPARE(isDarkened(*rig.window), !held);
        QCOMPARE(rig.window->overlay()->textLabel()->isVisible(), !held);
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
};

QTEST_MAIN(MainWindowConnectionTest)
#include "tst_mainwindow_connection.moc"
