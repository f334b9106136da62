// The main window on the simulated camera: as built, its connection state machine (the
// connect tick, the open result with its extension-unit retries, the read of the camera's
// values, the device-lost path) and the control slots.
#include <QDialog>
#include <QGroupBox>
#include <QTabWidget>
#include <QtTest>
#include <functional>
#include <vector>

#include "base/scale_size.h"
#include "engine/control_id.h"
#include "firmware/firmware_update.h"
#include "firmware/fw_test_images.h"
#include "tst_mainwindow_fixture.h"
#include "widgets/darken_effect.h"

using namespace window_test;
using device::ControlGroup;
using device::sim::SimOptions;

class MainWindowConnectionTest : public QObject {
    Q_OBJECT

private slots:
    // Whatever the flags were, a new window starts Searching under the cover, fitted to the
    // screen, with its timers running.
    void startsCoveredAndTriesEveryTick() {
        SimOptions options;
        options.pluggedAtStart = false;
        resetProcessState();
        auto camera = device::sim::installSimulatedCamera(options);
        LogCapture log;
        connectEnabled = false;
        cameraReady = true;
        mainwindow::Timing timing = manualTiming();
        timing.connectIntervalMs = 20;
        {
            mainwindow window(timing);
            window.show();
            QCOMPARE(window.objectName(), QStringLiteral("mainwindowClass"));  // dialogs find it by name
            QCOMPARE(window.windowTitle(), QStringLiteral("Lumora X8 Setting Software"));
            // The page panel is 310 wide at 96 dpi; the preview box takes what it and the
            // 60-wide strip leave of the window.
            const int tabsWidth = static_cast<int>(310 * getScaleSize());
            QCOMPARE(window.form().tabWidget->minimumSize(), QSize(tabsWidth, 650));
            QCOMPARE(window.form().verticalGroupBox->minimumSize(), QSize(1280 - tabsWidth - 60, 650));
            QCOMPARE(window.form().streamLabel->parentWidget(), window.form().verticalGroupBox);
            QVERIFY(window.previewTimerObject()->isActive());

            QVERIFY(isCovered(window) && isSearching());
            QCOMPARE(window.overlay()->parentWidget(), window.centralWidget());
            QCOMPARE(window.overlay()->size(), window.size());
            QVERIFY(window.overlay()->textLabel()->isVisible());
            QCOMPARE(window.overlay()->textLabel()->text(), QStringLiteral("Camera is Not Connected"));
            QVERIFY(qobject_cast<DarkenEffect*>(window.form().horizontalWidget->graphicsEffect()));
            QCOMPARE(log.count("disableWindow \n"), 1);

            // Every tick opens (and fails) again, without limit.
            QTRY_VERIFY_WITH_TIMEOUT(log.count("\n******connectStart*****: 0\n") >= 3, 5000);
            QVERIFY(log.count("\n*******open camera failed*******\n") >= 2);
            QVERIFY(isCovered(window) && isSearching());
            QCOMPARE(log.count("getDefaultValue\n"), 0);

            // Without an open stream the read leaves the values as they were.
            currentValues().brightness = 1234;
            window.getDefaultValue();
            QCOMPARE(log.count("getDefaultValue\n"), 0);
            QCOMPARE(currentValues().brightness.load(), 1234);
        }
        resetProcessState();
    }

    void pluggingInReadsValuesOnceAndUncovers() {
        SimOptions options;
        options.pluggedAtStart = false;
        Rig rig(options);
        rig.window->connectCamera();
        QVERIFY(isSearching());
        QVERIFY(isCovered(*rig.window));

        rig.camera->setControl(ControlGroup::VideoProcAmp, device::kProcBrightness,
                               {77, device::kFlagsManual});
        rig.camera->setControl(ControlGroup::CameraControl, device::kCamZoom, {130, device::kFlagsManual});
        rig.camera->plug();
        QVERIFY(rig.connect());

        QVERIFY(!rig.window->overlay()->isOverlayShown() && !rig.window->overlay()->isVisible());
        QVERIFY(!isDarkened(*rig.window));
        QVERIFY(rig.window->stream().isOpen());
        QCOMPARE(SettingTaskEngine::instance().camera(), &rig.window->stream().camera());
        QCOMPARE(rig.log->count("getDefaultValue\n"), 1);
        QCOMPARE(rig.log->count("enableWindow \n"), 1);
        QCOMPARE(currentValues().brightness.load(), 77);
        QCOMPARE(rig.log->count("\n--------getDefaultValue zoom: 130 ,pan:0, tilt: 0 --------\n"), 1);
        QCOMPARE(rig.log->count("\n--------getDefaultValue brightness: 77 ,contract:100, hue: 90 --------\n"),
                 1);
        QCOMPARE(rig.log->count("\n--------getDefaultValue frequency: 2--------\n"), 1);
        QCOMPARE(currentValues().zoom.load(), 130);
        QCOMPARE(QByteArray(currentValues().serialNumber), QByteArray("LX8A2412000137"));
        QVERIFY(rig.log->contains("\n--------getDefaultValue fwVer: "));
        QVERIFY(!appConfig().resolutionList.empty());
        // Without the mode page the window takes the default MJPG format itself.
        QCOMPARE(currentValues().resolution.format, std::string("MJPG"));
        QCOMPARE(currentValues().resolution.width, 3520);
        QCOMPARE(currentValues().resolution.height, 1104);

        // Ready: further ticks neither open nor read.
        rig.log->clear();
        rig.window->connectCamera();
        rig.window->connectCamera();
        QCOMPARE(rig.log->count("getDefaultValue\n"), 0);
        QVERIFY(!rig.log->contains("connectStart"));
        QVERIFY(isReady());

        // A cover without text (a format change, a cancelled update) keeps the darkening.
        rig.window->disableWindowWithoutText();
        QVERIFY(isCovered(*rig.window) && isDarkened(*rig.window));
        QVERIFY(!rig.window->overlay()->textLabel()->isVisible());
        QCOMPARE(rig.log->count("disableWindowWithoutText \n"), 1);
    }

    // The first check and 19 retries; a unit that shows up on the last retry (activation 21)
    // connects, one that never does ends the flow until a later tick.
    void extensionUnitChecks_data() {
        QTest::addColumn<int>("from");
        QTest::newRow("found on the last retry") << 21;
        QTest::newRow("missing after twenty checks") << 0;
    }
    void extensionUnitChecks() {
        QFETCH(int, from);
        Rig rig;
        rig.camera->setExtensionUnitFromActivation(from);
        rig.window->connectCamera();
        QCOMPARE(rig.log->count("setEnableCommand streamResult S\n"), 20);
        QCOMPARE(rig.log->count("\n*******No device, check again with count: 19 *******\n"), 1);
        QCOMPARE(rig.log->count("\n*******No device, check again with count: 20 *******\n"), 0);
        const bool found = from != 0;
        QCOMPARE(rig.log->count("\n*******out of 20 times, end flow*******\n"), found ? 0 : 1);
        QCOMPARE(rig.log->count("deleteCamera streamResult\n"), found ? 0 : 1);
        QCOMPARE(rig.log->count("getDefaultValue\n"), found ? 1 : 0);
        QCOMPARE(rig.window->stream().isOpen(), found);
        QCOMPARE(UVCXUManager::instance().isCommandEnabled(), found);
        QCOMPARE(UVCXUManager::instance().haveDevice(), found);
        QCOMPARE(SettingTaskEngine::instance().camera() != nullptr, found);
        QCOMPARE(isReady(), found);
        QCOMPARE(isCovered(*rig.window), !found);
        if (!found) {
            rig.camera->setExtensionUnitFromActivation(1);
            QVERIFY(rig.connect());
        }
    }

    void openFailureStaysSearching() {
        Rig rig;
        rig.camera->failAlways("CaptureGraph::run", device::kFail);
        modeChanging = true;  // a failed re-open leaves the format change pending
        rig.window->connectCamera();
        QVERIFY(rig.log->contains("\n*******open camera failed*******\n"));
        QVERIFY(isSearching() && modeChanging && isCovered(*rig.window));

        rig.camera->clearFaults();
        // A failed second half may leave the slot held: a tick releases it, the next opens.
        for (int tick = 0; tick < 3 && !isReady(); ++tick)
            rig.window->connectCamera();
        QVERIFY(isReady() && !modeChanging);
    }

    // A lost camera releases everything; the window closes its dialogs and covers itself,
    // unless a firmware update runs (its progress stays, the window stays usable).
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
        FirmwareUpdate& update = rig.window->firmwareUpdate();
        if (updating) {  // the update holds the camera: its image waits for the user's start
            auto timing = fwtest::fastTiming(4096);
            timing.statusPollMs = 60000;  // the camera's loss is the window's to see first
            update.engine().setTiming(timing);
            QVERIFY(
                update.start(fwtest::writeFile(dir, "fw.bin", fwtest::imageOf(1, 2, 4, 5000)), "1.2.3", 264));
            QVERIFY(QTest::qWaitFor([&] { return update.step() == FirmwareUpdate::Step::AwaitingStart; }));
        }

        rig.camera->unplug();
        QVERIFY(tickUntil(*rig.window, [&] { return rig.log->contains("DeviceLost!!"); }));
        QCOMPARE(rig.log->count(updating ? "\n******DeviceLost!! release all uvc camera***** 1\n"
                                         : "\n******DeviceLost!! release all uvc camera***** 0\n"),
                 1);
        QVERIFY(!rig.window->stream().isOpen());
        QCOMPARE(SettingTaskEngine::instance().camera(), nullptr);
        QCOMPARE(rig.log->count("closeAllDialogs \n"), updating ? 0 : 1);
        QCOMPARE(dialog.isVisible(), updating);
        QCOMPARE(rig.window->overlay()->isOverlayShown(), !updating);
        QCOMPARE(isCovered(*rig.window), !updating);
        QCOMPARE(isDarkened(*rig.window), !updating);
        QCOMPARE(isReady(), updating);
        if (!updating) {
            QVERIFY(!UVCXUManager::instance().isCommandEnabled());
            QVERIFY(isSearching() && rig.window->overlay()->textLabel()->isVisible());
        }
    }

    void reopensWhileReadyReadNothingAgain() {
        Rig rig;
        QVERIFY(rig.connect());
        rig.log->clear();

        // What a format change does: the stream is re-opened while the window is Ready.
        modeChanging = true;
        UVCXUManager::instance().setEnableCommand(false);
        SettingTaskEngine::instance().deleteCamera();
        rig.window->stream().release();
        rig.window->stream().openAsRgbStream();

        QCOMPARE(rig.log->count("streamResult:0 \n"), 1);
        QCOMPARE(rig.log->count("\n setCamera \n"), 1);
        QCOMPARE(SettingTaskEngine::instance().camera(), &rig.window->stream().camera());
        QCOMPARE(rig.log->count("getDefaultValue\n"), 0);
        QVERIFY(!rig.log->contains("enableWindow") && !rig.log->contains("disableWindow"));
        QVERIFY(!rig.window->overlay()->isOverlayShown());
        QVERIFY(!modeChanging && isReady());

        // A reconnect asked for while the stream runs: one tick releases, the next opens.
        rig.log->clear();
        connectEnabled = true;

        rig.window->connectCamera();
        QCOMPARE(rig.log->count("\n******connectStart*****: 1\n"), 1);
        QVERIFY(!rig.log->contains("open RGB"));
        QVERIFY(!rig.window->stream().isOpen());
        QCOMPARE(SettingTaskEngine::instance().camera(), nullptr);

        rig.window->connectCamera();
        QCOMPARE(rig.log->count("\n-----open RGB-----\n"), 1);
        QVERIFY(rig.window->stream().isOpen());
        QVERIFY(!connectEnabled);
        // cameraReady stayed true: nothing is read again.
        QCOMPARE(rig.log->count("getDefaultValue\n"), 0);
    }

    void firmwareRebootWatchCoversWhenCameraLeaves() {
        Rig rig;
        QVERIFY(rig.connect());
        fwUpdating = true;
        rig.window->connectCamera();
        QCOMPARE(rig.log->count("checkUVCDeviceExist: 1 \n"), 1);
        QVERIFY(fwUpdating && !rig.window->overlay()->isOverlayShown());

        QDialog progress;
        progress.show();
        rig.camera->unplug();
        rig.window->connectCamera();
        QCOMPARE(rig.log->count("checkUVCDeviceExist: 0 \n"), 1);
        QVERIFY(!fwUpdating && !progress.isVisible());
        QVERIFY(isCovered(*rig.window) && rig.window->overlay()->textLabel()->isVisible());
    }

    void controlSlotsAndForceHandlersQueueTheirJobs() {
        struct Case {
            std::function<void(mainwindow&)> call;
            std::string log;
            int controlId;
            int value;
            bool force;
        };
        const std::vector<Case> cases{
            {[](mainwindow& w) { w.controlEptzSlider(110); }, "controlEptzSlider 110 \n", EPTZ_ZOOM, 110,
             false},
            {[](mainwindow& w) { w.controlPan(1); }, "controlPan 1 \n", EWC_PAN, 1, false},
            {[](mainwindow& w) { w.controlTilt(2); }, "controlTilt 2 \n", EWC_TILT, 2, false},
            {[](mainwindow& w) { w.controlExpMode(false); }, "controlExpMode 0 \n", EXP_SWITCH, 0, false},
            {[](mainwindow& w) { w.controlGain(3); }, "controlGain 3 \n", EXP_GAIN, 3, false},
            {[](mainwindow& w) { w.controlExpValue(-6); }, "controlExpValue -6 \n", EXP_TIME, -6, false},
            {[](mainwindow& w) { w.controlWBMode(true); }, "controlWBMode 1 \n", WB_SWITCH, 1, false},
            {[](mainwindow& w) { w.controlWBValue(4600); }, "controlWBValue 4600 \n", WB_VALUE, 4600, false},
            {[](mainwindow& w) { w.controlBrightness(42); }, "controlBrightness 42 \n", ADJ_BRIGHTNESS, 42,
             false},
            {[](mainwindow& w) { w.controlContrast(43); }, "controlContrast 43 \n", ADJ_CONTRAST, 43, false},
            {[](mainwindow& w) { w.controlHue(4); }, "controlHue 4 \n", ADJ_HUE, 4, false},
            {[](mainwindow& w) { w.controlSaturation(45); }, "controlSaturation 45 \n", ADJ_SATURATION, 45,
             false},
            {[](mainwindow& w) { w.controlSharpness(5); }, "controlSharpness 5 \n", ADJ_SHAPNESS, 5, false},
            {[](mainwindow& w) { w.controlGamma(12); }, "controlGamma 120 \n", ADJ_GAMMA, 120, false},
            {[](mainwindow& w) { w.controlBCMode(true); }, "controlBCMode 1 \n", ADJ_BACKLIGHT, 1, false},
            {[](mainwindow& w) { w.controlAntiFlickerMode(1); }, "controlAntiFlickerMode 1 \n",
             ADJ_ANTIFLICKER, 1, false},
            {[](mainwindow& w) { w.forceZoom(120); }, "forceZoom: 120 \n", EPTZ_ZOOM, 120, true},
            {[](mainwindow& w) { w.forcePanTilt(6, 7); }, "forcePanTilt pan: 6, tilt: 7 \n", EWC_PAN, 6,
             true},
            {[](mainwindow&) {}, "", EWC_TILT, 7, true},  // the second job of forcePanTilt
            {[](mainwindow& w) { w.forceGain(8); }, "forceGain: 8 \n", EXP_GAIN, 8, true},
            {[](mainwindow& w) { w.forceExp(-7); }, "forceExp: -7 \n", EXP_TIME, -7, true},
            {[](mainwindow& w) { w.forceWb(5000); }, "forceWb: 5000 \n", WB_VALUE, 5000, true},
            {[](mainwindow& w) { w.forceBrightnessm(50); }, "forceBrightnessm: 50 \n", ADJ_BRIGHTNESS, 50,
             true},
            {[](mainwindow& w) { w.forceContrast(51); }, "forceContrast: 51 \n", ADJ_CONTRAST, 51, true},
            {[](mainwindow& w) { w.forceHue(9); }, "forceHue: 9 \n", ADJ_HUE, 9, true},
            {[](mainwindow& w) { w.forceSaturation(52); }, "forceSaturation: 52 \n", ADJ_SATURATION, 52,
             true},
            {[](mainwindow& w) { w.forceSharpness(6); }, "forceSharpness: 6 \n", ADJ_SHAPNESS, 6, true},
            {[](mainwindow& w) { w.forceGamma(15); }, "forceGamma: 150 \n", ADJ_GAMMA, 150, true},
        };
        Rig rig;
        std::vector<SettingJob> taken;  // written by the worker until deleteCamera joins it
        QVERIFY(SettingTaskEngine::instance().setJobObserver(
            [&](const SettingJob& job) { taken.push_back(job); }));
        QVERIFY(rig.connect());
        for (const Case& c : cases)
            c.call(*rig.window);
        QTRY_COMPARE_WITH_TIMEOUT(currentValues().gamma.load(), 150, 5000);  // the last job applied
        SettingTaskEngine::instance().deleteCamera();
        QVERIFY(SettingTaskEngine::instance().setJobObserver(nullptr));
        QCOMPARE(taken.size(), cases.size());
        for (std::size_t i = 0; i < cases.size(); ++i) {
            QVERIFY(cases[i].log.empty() || rig.log->count(cases[i].log) == 1);
            QCOMPARE(taken[i].controlId, cases[i].controlId);
            QCOMPARE(taken[i].value, cases[i].value);
            QCOMPARE(taken[i].force, cases[i].force);
        }
        // What the jobs did to the camera (the engine's own tests cover each control).
        QCOMPARE(rig.camera->control(ControlGroup::VideoProcAmp, device::kProcBrightness).value, 50L);
        QCOMPARE(rig.camera->powerLineFrequency(), 1L);
        QCOMPARE(rig.log->count("EXP_GAIN Force \n"), 1);
    }
};

QTEST_MAIN(MainWindowConnectionTest)
#include "tst_mainwindow_connection.moc"
