// The settings page inside the main window on the simulated camera: each control reaches
// the camera in the camera's units, the refill after a connection shows the camera's
// values without sending anything back, the Auto Zoom interlock, and the tab strip.
#define QTEST_QPA_MOUSE_HANDLING
#include <QtTest>
#include <functional>
#include <mutex>

#include "app/page_state.h"
#include "engine/control_id.h"
#include "tabs/range_eptz_controller.h"
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

// The jobs the settings worker took, in order.
class JobRecord {
public:
    JobRecord() {
        SettingTaskEngine::instance().setJobObserver([this](const SettingJob& job) {
            std::lock_guard<std::mutex> lock(mutex_);
            jobs_.push_back(job);
        });
    }
    ~JobRecord() { SettingTaskEngine::instance().setJobObserver({}); }
    std::vector<SettingJob> jobs() const {
        std::lock_guard<std::mutex> lock(mutex_);
        return jobs_;
    }
    bool hasForced(int controlId, int value) const {
        for (const SettingJob& job : jobs()) {
            if (job.force && job.controlId == controlId && job.value == value)
                return true;
        }
        return false;
    }
    int count(int controlId) const {
        int n = 0;
        for (const SettingJob& job : jobs())
            n += job.controlId == controlId ? 1 : 0;
        return n;
    }

private:
    mutable std::mutex mutex_;
    std::vector<SettingJob> jobs_;
};

// Exposure and white balance start manual, so that their sliders show.
void makeManual(SimCamera& camera) {
    camera.setControl(ControlGroup::CameraControl, device::kCamExposure, {-5, device::kFlagsManual});
    camera.setControl(ControlGroup::VideoProcAmp, device::kProcWhiteBalance, {4600, device::kFlagsManual});
}

long standard(const SimCamera& camera, ControlGroup group, long property) {
    return camera.control(group, property).value;
}

bool isAuto(const SimCamera& camera, ControlGroup group, long property) {
    return camera.control(group, property).flags == device::kFlagsAuto;
}

// A user action on the page; answers the value the camera must end up with.
using Action = std::function<long(SettingTab&, SimCamera&)>;
using Reading = std::function<long(const SimCamera&)>;

Action drag(CustomSlider* SettingTabForm::*slider, int target, int unit = 1) {
    return [slider, target, unit](SettingTab& page, SimCamera&) {
        return long(dragSlider(page, page.form().*slider, target)) * unit;
    };
}

template <typename Widget>
Action clickOn(Widget* SettingTabForm::*widget, long expected) {
    return [widget, expected](SettingTab& page, SimCamera&) {
        click(page, page.form().*widget);
        return expected;
    };
}

// What a row needs before its action: Auto Zoom on, or the digital zoom at 300 (each
// waited for on the camera). Answers whether it got there.
using Preparation = std::function<bool(SettingTab&, SimCamera&)>;

bool nothing(SettingTab&, SimCamera&) {
    return true;
}

bool autoZoomOn(SettingTab& page, SimCamera& camera) {
    click(page, page.form().autoFrameSwitch);
    return QTest::qWaitFor([&] { return camera.xuControls().autoFrame == 1; });
}

bool zoomedIn(SettingTab& page, SimCamera& camera) {
    const int zoom = dragSlider(page, page.form().eptzSlider, 300);
    return QTest::qWaitFor(
        [&] { return standard(camera, ControlGroup::CameraControl, device::kCamZoom) == zoom; });
}

Reading standardValue(ControlGroup group, long property) {
    return [group, property](const SimCamera& camera) { return standard(camera, group, property); };
}

Reading standardAuto(ControlGroup group, long property) {
    return [group, property](const SimCamera& camera) { return long(isAuto(camera, group, property)); };
}

}  // namespace

Q_DECLARE_METATYPE(Preparation)
Q_DECLARE_METATYPE(Action)
Q_DECLARE_METATYPE(Reading)

class PageWiringTest : public QObject {
    Q_OBJECT

private slots:
    void controlReachesTheCamera_data();
    void controlReachesTheCamera();
    void refillShowsTheCameraAndSendsNothing();
    void autoZoomAgainstDigitalZoom();
    void tabStripSwitchesAndHidesPages();
};

void PageWiringTest::controlReachesTheCamera_data() {
    QTest::addColumn<Preparation>("preparation");
    QTest::addColumn<Action>("action");
    QTest::addColumn<Reading>("reading");
    QTest::addColumn<int>("forcedControl");  // the control the release sends forced; 0: none

    const auto P = ControlGroup::VideoProcAmp;
    const auto C = ControlGroup::CameraControl;
    using F = SettingTabForm;
    QTest::newRow("brightness") << Preparation(nothing) << drag(&F::brightnessSlider, 150)
                                << standardValue(P, device::kProcBrightness) << int(ADJ_BRIGHTNESS);
    QTest::newRow("contrast") << Preparation(nothing) << drag(&F::contrastSlider, 40)
                              << standardValue(P, device::kProcContrast) << int(ADJ_CONTRAST);
    QTest::newRow("hue") << Preparation(nothing) << drag(&F::hueSlider, 120)
                         << standardValue(P, device::kProcHue) << int(ADJ_HUE);
    QTest::newRow("saturation") << Preparation(nothing) << drag(&F::saturationSlider, 160)
                                << standardValue(P, device::kProcSaturation) << int(ADJ_SATURATION);
    QTest::newRow("sharpness") << Preparation(nothing) << drag(&F::sharpnessSlider, 20)
                               << standardValue(P, device::kProcSharpness) << int(ADJ_SHAPNESS);
    QTest::newRow("gain") << Preparation(nothing) << drag(&F::gainSlider, 4)
                          << standardValue(P, device::kProcGain) << int(EXP_GAIN);
    QTest::newRow("exposure time") << Preparation(nothing) << drag(&F::expSlider, -2)
                                   << standardValue(C, device::kCamExposure) << int(EXP_TIME);
    QTest::newRow("white balance in kelvin") << Preparation(nothing) << drag(&F::wbSlider, 55, 100)
                                             << standardValue(P, device::kProcWhiteBalance) << int(WB_VALUE);
    QTest::newRow("automatic exposure") << Preparation(nothing) << clickOn(&F::exposureSwitch, 1)
                                        << standardAuto(C, device::kCamExposure) << 0;
    QTest::newRow("automatic white balance") << Preparation(nothing) << clickOn(&F::wbSwitch, 1)
                                             << standardAuto(P, device::kProcWhiteBalance) << 0;
    QTest::newRow("digital zoom") << Preparation(nothing) << drag(&F::eptzSlider, 300)
                                  << standardValue(C, device::kCamZoom) << int(EPTZ_ZOOM);
    QTest::newRow("reset") << Preparation(zoomedIn) << clickOn(&F::ezptResetBtn, 100)
                           << standardValue(C, device::kCamZoom) << 0;
    QTest::newRow("pan by the rectangle")
        << Preparation(zoomedIn) << Action([](SettingTab& page, SimCamera&) {
               RangeEptzController* controller = page.form().eptzController;
               scrollTo(page, controller);
               const QPoint centre = controller->getRect().center().toPoint();
               QTest::mousePress(controller, Qt::LeftButton, {}, centre);
               for (int x = centre.x(); x < controller->width() - 1; ++x)
                   QTest::mouseMove(controller, QPoint(x, centre.y()));
               QTest::mouseRelease(controller, Qt::LeftButton, {},
                                   QPoint(controller->width() - 1, centre.y()));
               return long(controller->getPan());
           })
        << standardValue(C, device::kCamPan) << int(EWC_PAN);
    QTest::newRow("anti-flicker 50Hz") << Preparation(nothing) << Action([](SettingTab& page, SimCamera&) {
        click(page, page.form().antiFlickerSwitcher->findChild<QPushButton*>(QStringLiteral("Mode1")));
        return 1L;
    }) << Reading([](const SimCamera& camera) { return camera.powerLineFrequency(); })
                                       << 0;
    QTest::newRow("HDR") << Preparation(nothing) << clickOn(&F::HDRSwitch, 1)
                         << Reading([](const SimCamera& camera) { return long(camera.xuControls().hdr); })
                         << 0;
    QTest::newRow("tracking") << Preparation(nothing) << clickOn(&F::TASSwitch, 1)
                              << Reading([](const SimCamera& camera) {
                                     return long(camera.xuControls().tracking);
                                 })
                              << 0;
    QTest::newRow("auto zoom") << Preparation(nothing) << clickOn(&F::autoFrameSwitch, 1)
                               << Reading([](const SimCamera& camera) {
                                      return long(camera.xuControls().autoFrame);
                                  })
                               << 0;
    QTest::newRow("sensitivity") << Preparation(autoZoomOn) << drag(&F::sensitivitySlider, -2)
                                 << Reading(
                                        [](const SimCamera& c) { return long(c.xuControls().sensitivity); })
                                 << int(AUTO_FRAME_SENSITIVE);
    QTest::newRow("zoom level") << Preparation(autoZoomOn) << drag(&F::zoomLevelSlider, 3)
                                << Reading([](const SimCamera& c) { return long(c.xuControls().zoomLevel); })
                                << int(AUTO_FRAME_ZOOM_LEVEL);
}

void PageWiringTest::controlReachesTheCamera() {
    QFETCH(Preparation, preparation);
    QFETCH(Action, action);
    QFETCH(Reading, reading);
    QFETCH(int, forcedControl);
    JobRecord record;
    Rig rig;
    makeManual(*rig.camera);
    QVERIFY(rig.connect());
    QVERIFY(preparation(*settingTab, *rig.camera));
    const long before = reading(*rig.camera);

    const long expected = action(*settingTab, *rig.camera);
    QVERIFY(expected != before);
    QTRY_COMPARE(reading(*rig.camera), expected);
    if (forcedControl != 0)
        QTRY_VERIFY(record.hasForced(forcedControl, int(expected)));
}

void PageWiringTest::refillShowsTheCameraAndSendsNothing() {
    JobRecord record;
    Rig rig;
    SimCamera& camera = *rig.camera;
    makeManual(camera);
    camera.setControl(ControlGroup::VideoProcAmp, device::kProcBrightness, {150, device::kFlagsManual});
    camera.setControl(ControlGroup::VideoProcAmp, device::kProcWhiteBalance, {5230, device::kFlagsManual});
    camera.setControl(ControlGroup::CameraControl, device::kCamZoom, {200, device::kFlagsManual});
    device::sim::XuControls xu;
    xu.autoFrame = 1;
    xu.sensitivity = -1;
    xu.zoomLevel = 3;
    xu.hdr = 1;
    camera.setXuControls(xu);
    QVERIFY(rig.connect());
    const SettingTabForm& ui = settingTab->form();
    QCOMPARE(ui.brightnessSlider->value(), 150);
    QCOMPARE(ui.wbSlider->value(), 52);
    QVERIFY(!ui.wbSwitch->isSwitchOn() && ui.wbWidget_2->isVisible());
    QCOMPARE(ui.eptzSlider->value(), 200);
    QVERIFY(ui.ezptResetBtn->isEnabled());
    QVERIFY(ui.autoFrameSwitch->isSwitchOn() && ui.sensitivityWidget_2->isVisible());
    QCOMPARE(ui.sensitivitySlider->value(), -1);
    QCOMPARE(ui.zoomLevelSlider->value(), 3);
    QVERIFY(ui.HDRSwitch->isSwitchOn());
    QCOMPARE(ui.antiFlickerSwitcher->checkedMode(), 2);

    // The camera changes behind the window's back; the next connection shows it.
    camera.unplug();
    QVERIFY(tickUntil(*rig.window, [] { return isSearching(); }));
    camera.setControl(ControlGroup::VideoProcAmp, device::kProcBrightness, {40, device::kFlagsManual});
    camera.setControl(ControlGroup::CameraControl, device::kCamExposure, {-5, device::kFlagsAuto});
    camera.plug();
    QVERIFY(rig.connect());
    QCOMPARE(ui.brightnessSlider->value(), 40);
    QVERIFY(ui.exposureSwitch->isSwitchOn() && ui.gainWidget->isHidden());

    QTest::qWait(300);  // a job sent back would have reached the worker by now
    QCOMPARE(record.jobs().size(), size_t(0));
    QVERIFY(!rig.log->contains("pauseJobAdding, drop job"));
}

void PageWiringTest::autoZoomAgainstDigitalZoom() {
    JobRecord record;
    Rig rig;
    QVERIFY(rig.connect());
    SettingTab& page = *settingTab;
    const SettingTabForm& ui = page.form();
    SimCamera& camera = *rig.camera;
    const int zoom = dragSlider(page, ui.eptzSlider, 300);
    QTRY_VERIFY(record.hasForced(EPTZ_ZOOM, zoom));
    const int zoomJobs = record.count(EPTZ_ZOOM);

    // Digital Zoom is active: Auto Zoom asks first, and the window is covered meanwhile.
    click(page, ui.autoFrameSwitch);
    QCOMPARE(dialogTitle(openDialog()), QStringLiteral("Auto Zoom will be Activated"));
    QVERIFY(isCovered(*rig.window));
    answer("leftBtn");
    QVERIFY(!ui.autoFrameSwitch->isSwitchOn());
    QVERIFY(!isCovered(*rig.window));
    click(page, ui.autoFrameSwitch);
    answer("rightBtn");
    QTRY_COMPARE(int(camera.xuControls().autoFrame), 1);
    QCOMPARE(ui.eptzSlider->value(), 100);
    QVERIFY(!ui.ezptResetBtn->isEnabled() && ui.zoomLevelWidget_2->isVisible());

    // Auto Zoom on: pressing the zoom handle asks; "Cancel" keeps it, "Enable" turns it off.
    scrollTo(page, ui.eptzSlider);
    QTest::mousePress(ui.eptzSlider, Qt::LeftButton, {}, handleCentre(ui.eptzSlider));
    QTest::mouseRelease(ui.eptzSlider, Qt::LeftButton, {}, handleCentre(ui.eptzSlider));
    QCOMPARE(dialogTitle(openDialog()), QStringLiteral("Digital Zoom will be Activated"));
    QVERIFY(!ui.eptzSlider->isEnabled());
    answer("leftBtn");
    QVERIFY(ui.eptzSlider->isEnabled() && ui.autoFrameSwitch->isSwitchOn());
    QTest::mousePress(ui.eptzSlider, Qt::LeftButton, {}, handleCentre(ui.eptzSlider));
    QTest::mouseRelease(ui.eptzSlider, Qt::LeftButton, {}, handleCentre(ui.eptzSlider));
    answer("rightBtn");
    QTRY_COMPARE(int(camera.xuControls().autoFrame), 0);
    QVERIFY(!ui.autoFrameSwitch->isSwitchOn() && ui.zoomLevelWidget_2->isHidden());
    QCOMPARE(record.count(AUTO_FRAME), 2);
    // Neither answer moved the camera's digital zoom; the user zooms again by dragging.
    QCOMPARE(record.count(EPTZ_ZOOM), zoomJobs);
    QCOMPARE(standard(camera, ControlGroup::CameraControl, device::kCamZoom), long(zoom));
    QVERIFY(dragSlider(page, ui.eptzSlider, 200) > 100);
    QTRY_VERIFY(standard(camera, ControlGroup::CameraControl, device::kCamZoom) != zoom);

    // A right click reports the switch as it is, off: Auto Zoom is off already, nothing goes.
    scrollTo(page, ui.autoFrameSwitch);
    QTest::mouseClick(ui.autoFrameSwitch, Qt::RightButton);
    QTest::qWait(300);
    QCOMPARE(record.count(AUTO_FRAME), 2);
}

void PageWiringTest::tabStripSwitchesAndHidesPages() {
    appConfig().debug = false;
    Rig rig;
    QVERIFY(rig.connect());
    const MainWindowForm& ui = rig.window->form();
    QVERIFY(!ui.modeBtn->isVisible() && ui.infoBtn->isVisible());
    QTest::mouseClick(ui.infoBtn, Qt::LeftButton);
    QCOMPARE(ui.tabWidget->currentIndex(), 2);
    QVERIFY(!settingTab->isVisible());
    QTest::mouseClick(ui.settingBtn, Qt::LeftButton);
    QCOMPARE(ui.tabWidget->currentIndex(), 0);
    QVERIFY(settingTab->isVisible());
    rig.window->tabSelected(3);
    QCOMPARE(ui.tabWidget->currentIndex(), 1);

    QTest::mouseClick(ui.hideBtn, Qt::LeftButton);
    QVERIFY(!ui.tabWidget->isVisible());
    QTest::mouseClick(ui.hideBtn, Qt::LeftButton);
    QVERIFY(ui.tabWidget->isVisible());
    const auto picture = [](const QIcon& icon) { return icon.pixmap(24, 24).toImage(); };
    QCOMPARE(picture(ui.hideBtn->icon()), picture(QIcon(QStringLiteral(":/icons/arrow_back.png"))));
    QCOMPARE(rig.log->count("hiddenBtnClicked 1\n") + rig.log->count("hiddenBtnClicked 0\n"), 2);

    // A lost camera brings the settings page back.
    QTest::mouseClick(ui.infoBtn, Qt::LeftButton);
    rig.camera->unplug();
    QVERIFY(tickUntil(*rig.window, [] { return isSearching(); }));
    QCOMPARE(ui.tabWidget->currentIndex(), 0);
    QVERIFY(ui.settingBtn->isChecked());
}

QTEST_MAIN(PageWiringTest)
#include "tst_page_wiring.moc"
