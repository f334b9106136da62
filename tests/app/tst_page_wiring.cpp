// The settings page in the main window on the simulated camera: the refill after a
// connection shows the camera's values without sending anything back; and the tab strip.
// (The Auto Zoom interlock: tst_setting_tab.)
#define QTEST_QPA_MOUSE_HANDLING
#include <QtTest>
#include <atomic>

#include "engine/control_id.h"
#include "tabs/tst_setting_tab_drive.h"
#include "tst_mainwindow_fixture.h"
#include "widgets/custom_mode_switcher.h"
#include "widgets/switch_button.h"
#include "widgets/tab_button.h"

using namespace window_test;
using device::ControlGroup;
using device::sim::SimCamera;

namespace {
const auto P = ControlGroup::VideoProcAmp;
const auto C = ControlGroup::CameraControl;
}  // namespace

class PageWiringTest : public QObject {
    Q_OBJECT

private slots:
    void refillShowsTheCameraAndSendsNothing() {
        std::atomic<int> jobs{0};  // the jobs the settings worker takes
        SettingTaskEngine::instance().setJobObserver([&jobs](const SettingJob&) { ++jobs; });
        Rig rig;
        SimCamera& camera = *rig.camera;
        using namespace device;
        const SettingTabForm& ui = rig.window->settingPage()->form();
        const struct {
            ControlGroup group;
            long property;
            long value;
            CustomSlider* slider;  // null: a switch
            int shown;
        } controls[] = {{P, kProcBrightness, 150, ui.brightnessSlider, 150},
                        {P, kProcContrast, 60, ui.contrastSlider, 60},
                        {P, kProcHue, 100, ui.hueSlider, 100},
                        {P, kProcSaturation, 120, ui.saturationSlider, 120},
                        {P, kProcSharpness, 30, ui.sharpnessSlider, 30},
                        {P, kProcGamma, 105, ui.gammaSlider, 10},
                        {P, kProcGain, 4, ui.gainSlider, 4},
                        {P, kProcWhiteBalance, 4650, ui.wbSlider, 46},
                        {C, kCamExposure, -3, ui.expSlider, -3},
                        {C, kCamZoom, 250, ui.eptzSlider, 250},
                        {P, kProcBacklightCompensation, 1, nullptr, 0}};
        for (const auto& c : controls)
            camera.setControl(c.group, c.property, {c.value, kFlagsManual});
        camera.setXuControls({1, 1, 1, 3, -1});  // HDR, Auto Zoom, tracking, zoom level, sensitivity
        QVERIFY(rig.connect());
        for (const auto& c : controls)
            if (c.slider)
                QCOMPARE(c.slider->value(), c.shown);
        QVERIFY(ui.sensitivitySlider->value() == -1 && ui.zoomLevelSlider->value() == 3);
        for (SwitchButton* on : {ui.autoFrameSwitch, ui.BCSwitch, ui.HDRSwitch, ui.TASSwitch})
            QVERIFY(on->isSwitchOn());
        QVERIFY(!ui.exposureSwitch->isSwitchOn() && !ui.wbSwitch->isSwitchOn() &&
                ui.ezptResetBtn->isEnabled());
        QCOMPARE(ui.antiFlickerSwitcher->checkedMode(), 2);
        for (QWidget* row : {ui.gainWidget_2, ui.expWidget, ui.wbWidget_2, ui.zoomLevelWidget, ui.HDRWidget})
            QVERIFY(row->isVisible());
        for (QWidget* row : {ui.gammaWidget, ui.gammaWidget_2, ui.BCWidget, ui.LCDWidget, ui.HRWidget})
            QVERIFY(row->isHidden());

        // The tab strip without the debug mode's mode page (its clicks: the table below): a
        // hidden page's number goes to the next, the hide button hides and shows the pages,
        // and a lost camera brings the settings page back.
        const MainWindowForm& strip = rig.window->form();
        QVERIFY(!strip.modeBtn->isVisible() && strip.infoBtn->isVisible());
        rig.window->tabSelected(3);
        QCOMPARE(strip.tabWidget->currentIndex(), 1);
        QTest::mouseClick(strip.hideBtn, Qt::LeftButton);
        QVERIFY(!strip.tabWidget->isVisible());
        QTest::mouseClick(strip.hideBtn, Qt::LeftButton);
        QVERIFY(strip.tabWidget->isVisible());

        // The camera changes while it is away; the next connection shows it, switches flipped
        // and rows gone without a word.
        camera.unplug();
        QVERIFY(tickUntil(*rig.window, [&] { return isSearching(*rig.window); }));
        QVERIFY(strip.tabWidget->currentIndex() == 0 && strip.settingBtn->isChecked());
        camera.setControl(P, kProcBrightness, {40, kFlagsManual});
        camera.setControl(C, kCamExposure, {-5, kFlagsAuto});
        camera.setXuControls({});
        camera.plug();
        QVERIFY(rig.connect());
        QCOMPARE(ui.brightnessSlider->value(), 40);
        QVERIFY(ui.exposureSwitch->isSwitchOn() && ui.gainWidget->isHidden());
        QVERIFY(!ui.autoFrameSwitch->isSwitchOn() && ui.sensitivityWidget_2->isHidden() &&
                !ui.HDRSwitch->isSwitchOn());
        QTest::qWait(300);  // a job sent back would have reached the worker by now
        QCOMPARE(jobs.load(), 0);
        SettingTaskEngine::instance().setJobObserver({});
        QVERIFY(!rig.log->contains("pauseJobAdding, drop job"));
    }

    // The tab buttons are one exclusive group: after any sequence of clicks, keys and
    // assistive toggles exactly one is checked, the last one chosen, and its page shows.
    void tabStripIsOneExclusiveGroup_data() {
        QTest::addColumn<QStringList>("steps");  // button name, or "ctrl+tab" / "ctrl+shift+tab" / "down"
        QTest::addColumn<QString>("last");
        QTest::newRow("mode, info, mode") << QStringList{"modeBtn", "infoBtn", "modeBtn"} << "modeBtn";
        QTest::newRow("info twice") << QStringList{"infoBtn", "infoBtn"} << "infoBtn";
        QTest::newRow("ctrl+tab thrice wraps")
            << QStringList{"ctrl+tab", "ctrl+tab", "ctrl+tab"} << "settingBtn";
        QTest::newRow("ctrl+shift+tab wraps back") << QStringList{"ctrl+shift+tab"} << "infoBtn";
        QTest::newRow("click, then ctrl+tab") << QStringList{"modeBtn", "ctrl+tab"} << "infoBtn";
        QTest::newRow("arrow down from settings") << QStringList{"down"} << "modeBtn";
        QTest::newRow("assistive toggle of info") << QStringList{"toggle infoBtn"} << "infoBtn";
    }

    void tabStripIsOneExclusiveGroup() {
        QFETCH(QStringList, steps);
        QFETCH(QString, last);
        appConfig().debug = true;
        Rig rig;
        appConfig().debug = false;
        QVERIFY(rig.connect());
        QApplication::setActiveWindow(rig.window.get());
        QVERIFY(QTest::qWaitForWindowActive(rig.window.get()));
        const MainWindowForm& ui = rig.window->form();
        const QList<TabButton*> buttons{ui.settingBtn, ui.modeBtn, ui.infoBtn};
        for (const QString& step : steps) {
            if (step == "ctrl+tab") {
                QTest::keyClick(rig.window.get(), Qt::Key_Tab, Qt::ControlModifier);
            } else if (step == "ctrl+shift+tab") {
                QTest::keyClick(rig.window.get(), Qt::Key_Backtab, Qt::ControlModifier | Qt::ShiftModifier);
            } else if (step == "down") {
                ui.settingBtn->setFocus();
                QTest::keyClick(ui.settingBtn, Qt::Key_Down);
            } else if (step.startsWith("toggle ")) {
                rig.window->findChild<TabButton*>(step.mid(7))->toggle();
            } else {
                QTest::mouseClick(rig.window->findChild<TabButton*>(step), Qt::LeftButton);
            }
            int checked = 0;
            for (TabButton* button : buttons)
                checked += button->isChecked();
            QCOMPARE(checked, 1);
        }
        auto* chosen = rig.window->findChild<TabButton*>(last);
        QVERIFY(chosen->isChecked());
        QCOMPARE(ui.tabWidget->currentIndex(), buttons.indexOf(chosen));
    }
};

QTEST_MAIN(PageWiringTest)
#include "tst_page_wiring.moc"
