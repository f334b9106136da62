// The settings page in the main window on the simulated camera: the refill after a
// connection shows the camera's values without sending anything back, the Auto Zoom
// interlock reaching the camera, and the tab strip.
#define QTEST_QPA_MOUSE_HANDLING
#include <QComboBox>
#include <QtTest>
#include <mutex>

#include "engine/control_id.h"
#include "tabs/tst_setting_tab_drive.h"
#include "tst_mainwindow_fixture.h"
#include "widgets/custom_mode_switcher.h"
#include "widgets/switch_button.h"
#include "widgets/tab_button.h"

using namespace window_test;
using namespace setting_drive;
using device::ControlGroup;
using device::sim::SimCamera;

namespace {
// The jobs the settings worker took.
struct JobRecord {
    mutable std::mutex mutex;
    std::vector<SettingJob> jobs;
    JobRecord() {
        SettingTaskEngine::instance().setJobObserver([this](const SettingJob& job) {
            std::lock_guard<std::mutex> lock(mutex);
            jobs.push_back(job);
        });
    }
    ~JobRecord() { SettingTaskEngine::instance().setJobObserver({}); }
    std::size_t size() const {
        std::lock_guard<std::mutex> lock(mutex);
        return jobs.size();
    }
    int count(int controlId, bool forcedOnly = false, int value = 0) const {
        std::lock_guard<std::mutex> lock(mutex);
        return int(std::count_if(jobs.begin(), jobs.end(), [&](const SettingJob& job) {
            return job.controlId == controlId && (!forcedOnly || (job.force && job.value == value));
        }));
    }
};

const auto P = ControlGroup::VideoProcAmp;
const auto C = ControlGroup::CameraControl;

long zoomOf(const SimCamera& camera) {
    return camera.control(C, device::kCamZoom).value;
}

}  // namespace

class PageWiringTest : public QObject {
    Q_OBJECT

private slots:
    void refillShowsTheCameraAndSendsNothing() {
        JobRecord record;
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

        // The camera changes while it is away; the next connection shows it, switches flipped
        // and rows gone without a word.
        camera.unplug();
        QVERIFY(tickUntil(*rig.window, [&] { return isSearching(*rig.window); }));
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
        QCOMPARE(record.size(), size_t(0));
        QVERIFY(!rig.log->contains("pauseJobAdding, drop job"));
    }

    void autoZoomAgainstDigitalZoom() {
        JobRecord record;
        Rig rig;
        QVERIFY(rig.connect());
        SettingTab& page = *rig.window->settingPage();
        const SettingTabForm& ui = page.form();
        SimCamera& camera = *rig.camera;
        const int zoom = dragSlider(page, ui.eptzSlider, 300);
        QTRY_COMPARE(record.count(EPTZ_ZOOM, true, zoom), 1);
        const int zoomJobs = record.count(EPTZ_ZOOM);

        // Digital Zoom is active: Auto Zoom asks first, over a covered window.
        click(page, ui.autoFrameSwitch);
        QCOMPARE(openDialogTitle(), QStringLiteral("Auto Zoom will be Activated"));
        QVERIFY(isCovered(*rig.window));
        answer("leftBtn");
        QVERIFY(!ui.autoFrameSwitch->isSwitchOn() && !isCovered(*rig.window));
        click(page, ui.autoFrameSwitch);
        answer("rightBtn");
        QTRY_COMPARE(int(camera.xuControls().autoFrame), 1);
        QVERIFY(ui.eptzSlider->value() == 100 && !ui.ezptResetBtn->isEnabled() &&
                ui.zoomLevelWidget_2->isVisible());

        // Auto Zoom on: pressing the zoom handle asks; "Cancel" keeps it, "Enable" turns it off.
        pressHandle(page, ui.eptzSlider);
        QCOMPARE(openDialogTitle(), QStringLiteral("Digital Zoom will be Activated"));
        QVERIFY(!ui.eptzSlider->isEnabled());
        answer("leftBtn");
        QVERIFY(ui.eptzSlider->isEnabled() && ui.autoFrameSwitch->isSwitchOn());
        pressHandle(page, ui.eptzSlider);
        answer("rightBtn");
        QTRY_COMPARE(int(camera.xuControls().autoFrame), 0);
        QVERIFY(!ui.autoFrameSwitch->isSwitchOn() && ui.zoomLevelWidget_2->isHidden());
        // No answer moved the camera's zoom; the user zooms again by dragging.
        QCOMPARE(record.count(EPTZ_ZOOM), zoomJobs);
        QCOMPARE(zoomOf(camera), long(zoom));
        QVERIFY(dragSlider(page, ui.eptzSlider, 200) > 100);
        QTRY_VERIFY(zoomOf(camera) != zoom);

        // A right click reports the switch as it is, off: Auto Zoom is off already, nothing goes.
        scrollTo(page, ui.autoFrameSwitch);
        QTest::mouseClick(ui.autoFrameSwitch, Qt::RightButton);
        QTest::qWait(300);
        QCOMPARE(record.count(AUTO_FRAME), 2);
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

    void tabStripSwitchesAndHidesPages() {
        Rig rig;  // debug is off
        QVERIFY(rig.connect());
        const MainWindowForm& ui = rig.window->form();
        QVERIFY(!ui.modeBtn->isVisible() && ui.infoBtn->isVisible());
        QTest::mouseClick(ui.infoBtn, Qt::LeftButton);
        QVERIFY(ui.tabWidget->currentIndex() == 2 && !rig.window->settingPage()->isVisible());
        QTest::mouseClick(ui.settingBtn, Qt::LeftButton);
        QVERIFY(ui.tabWidget->currentIndex() == 0 && rig.window->settingPage()->isVisible());
        rig.window->tabSelected(3);
        QCOMPARE(ui.tabWidget->currentIndex(), 1);

        QTest::mouseClick(ui.hideBtn, Qt::LeftButton);
        QVERIFY(!ui.tabWidget->isVisible());
        QTest::mouseClick(ui.hideBtn, Qt::LeftButton);
        QVERIFY(ui.tabWidget->isVisible());

        // A lost camera brings the settings page back.
        QTest::mouseClick(ui.infoBtn, Qt::LeftButton);
        rig.camera->unplug();
        QVERIFY(tickUntil(*rig.window, [&] { return isSearching(*rig.window); }));
        QVERIFY(ui.tabWidget->currentIndex() == 0 && ui.settingBtn->isChecked());
    }
};

QTEST_MAIN(PageWiringTest)
#include "tst_page_wiring.moc"
