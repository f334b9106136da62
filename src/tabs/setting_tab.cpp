// The settings page: construction, connections and the slots that only forward or queue.
#include "tabs/setting_tab.h"

#include <QPushButton>

#include "base/debug_log.h"
#include "engine/control_id.h"
#include "engine/current_values.h"
#include "engine/setting_task_engine.h"
#include "tabs/range_eptz_controller.h"
#include "widgets/custom_mode_switcher.h"
#include "widgets/custom_slider.h"
#include "widgets/hover_hint_btn.h"
#include "widgets/popup_window.h"
#include "widgets/switch_button.h"

namespace {
QSize builtContentsSize;
}  // namespace

QSize SettingTab::maxScrollAreaSize() {
    return builtContentsSize;
}

SettingTab::SettingTab(QWidget* parent) : BaseTab(parent) {
    ui.setupUi(this);
    builtContentsSize = ui.scrollAreaWidgetContents->size();
    scaleForDpi();
    connectControls();
    setHints();
}

void SettingTab::connectRelease(CustomSlider* slider, const char* name, void (SettingTab::*force)(int),
                                int unit) {
    connect(slider, &CustomSlider::sliderReleased, this, [this, name, force, unit](int value) {
        debugLog("\n********%s, %d ********\n", name, value);
        emit(this->*force)(value * unit);
    });
}

void SettingTab::connectControls() {
    connect(ui.eptzSlider, &CustomSlider::sliderValueChanged, this, &SettingTab::eptzSliderChanged);
    connect(ui.eptzSlider, &CustomSlider::sliderClicked, this, &SettingTab::eptzSliderClicked);
    connect(ui.eptzSlider, &CustomSlider::sliderReleased, this, [this](int value) {
        if (currentValues().autoFrame.load() == 1)
            return;
        debugLog("\n********forceZoom, %d ********\n", value);
        emit forceZoom(value);
    });
    connect(ui.eptzController, &RangeEptzController::positionChanged, this, &SettingTab::eptzPositionChanged);
    connect(ui.eptzController, &RangeEptzController::forcePanTilt, this, [this](int pan, int tilt) {
        debugLog("\n********eptzforcePanTilt, %d, %d ********\n", pan, tilt);
        emit forcePanTilt(pan, tilt);
    });
    connect(ui.ezptResetBtn, &QPushButton::released, this, &SettingTab::eptzResetBtnClicked);

    connect(ui.exposureSwitch, &SwitchButton::switchChanged, this, &SettingTab::exposureSwitch);
    connect(ui.wbSwitch, &SwitchButton::switchChanged, this, &SettingTab::wbSwitch);
    connect(ui.autoFrameSwitch, &SwitchButton::switchChanged, this, &SettingTab::autoFrameSwitch);
    connect(ui.BCSwitch, &SwitchButton::switchChanged, this, &SettingTab::BCSwitch);
    connect(ui.HDRSwitch, &SwitchButton::switchChanged, this, &SettingTab::hdrSwitch);
    connect(ui.LCDSwitch, &SwitchButton::switchChanged, this, &SettingTab::lcdSwitch);
    connect(ui.TASSwitch, &SwitchButton::switchChanged, this, &SettingTab::TASSwitch);

    connect(ui.gainSlider, &CustomSlider::sliderValueChanged, this, &SettingTab::gainSliderChanged);
    connect(ui.expSlider, &CustomSlider::sliderValueChanged, this, &SettingTab::expTimeSliderChanged);
    connect(ui.wbSlider, &CustomSlider::sliderValueChanged, this, &SettingTab::wbSliderChanged);
    connect(ui.brightnessSlider, &CustomSlider::sliderValueChanged, this,
            &SettingTab::brightnessSliderChanged);
    connect(ui.contrastSlider, &CustomSlider::sliderValueChanged, this, &SettingTab::contrastSliderChanged);
    connect(ui.hueSlider, &CustomSlider::sliderValueChanged, this, &SettingTab::hueSliderChanged);
    connect(ui.saturationSlider, &CustomSlider::sliderValueChanged, this,
            &SettingTab::saturationSliderChanged);
    connect(ui.sharpnessSlider, &CustomSlider::sliderValueChanged, this, &SettingTab::sharpnessSliderChanged);
    connect(ui.gammaSlider, &CustomSlider::sliderValueChanged, this, &SettingTab::gammaSliderChanged);

    connectRelease(ui.gainSlider, "forceGain", &SettingTab::forceGain);
    connectRelease(ui.expSlider, "forceExp", &SettingTab::forceExp);
    // The white balance slider shows hundreds of kelvin; the camera takes kelvin.
    connectRelease(ui.wbSlider, "forceWb", &SettingTab::forceWb, 100);
    connectRelease(ui.brightnessSlider, "forceBrightnessm", &SettingTab::forceBrightnessm);
    connectRelease(ui.contrastSlider, "forceContrast", &SettingTab::forceContrast);
    connectRelease(ui.hueSlider, "forceHue", &SettingTab::forceHue);
    connectRelease(ui.saturationSlider, "forceSaturation", &SettingTab::forceSaturation);
    connectRelease(ui.sharpnessSlider, "forceSharpness", &SettingTab::forceSharpness);
    connectRelease(ui.gammaSlider, "forceGamma", &SettingTab::forceGamma);
    connect(ui.gammaSlider, &CustomSlider::sliderClicked, this, &SettingTab::gammaSliderClicked);

    SettingTaskEngine& engine = SettingTaskEngine::instance();
    connect(ui.sensitivitySlider, &CustomSlider::sliderValueChanged, this, [&engine](int value) {
        debugLog("controlExpValue %d \n", value);
        engine.addJob(AUTO_FRAME_SENSITIVE, value);
    });
    connect(ui.sensitivitySlider, &CustomSlider::sliderReleased, this, [&engine](int value) {
        debugLog("\n********forceAutoFrame, %d ********\n", value);
        engine.addJob(AUTO_FRAME_SENSITIVE, value, true);
    });
    connect(ui.zoomLevelSlider, &CustomSlider::sliderValueChanged, this, [&engine](int value) {
        debugLog("controlZoomLevel %d \n", value);
        engine.addJob(AUTO_FRAME_ZOOM_LEVEL, value);
    });
    connect(ui.zoomLevelSlider, &CustomSlider::sliderReleased, this, [&engine](int value) {
        debugLog("\n********forceZoomLevel, %d ********\n", value);
        engine.addJob(AUTO_FRAME_ZOOM_LEVEL, value, true);
    });

    connect(ui.autoFrameHintBtn, &QPushButton::released, this, &SettingTab::autoFrameHintBtnClicked);
    connect(ui.TASHintBtn, &QPushButton::released, this, &SettingTab::TASHintBtnClicked);
    connect(ui.antiFlickerSwitcher, &CustomModeSwitcher::modeChanged, this,
            &SettingTab::antiFlickerModeChanged);
    // The Horizontal Reversal switch has no camera control: it stays unconnected.
}

void SettingTab::setHints() {
    ui.wbSlider->setDisplayScale(100);
    ui.gammaSlider->setDisplayScale(10);
    ui.autoFrameHintBtn->setHint(
        tr("Auto Zoom"), tr("Auto Zoom will automatically detect the \nhuman figure on the screen and zoom "
                            "in on it."));
    ui.antiFlickerSwitcher->setButtonTexts(tr("50Hz"), tr("60Hz"));
    ui.TASHintBtn->setHint(
        tr("Tracking Active Speakers"),
        tr("Tracking Active Speakers will track the speaker \nand display a voice animation "
           "next to it.\t\t\t\t\t\t\t\t\t\n*Notice: When there are multiple voices of "
           "\npeople, Tracking Active Speaker will only \ncapture the person who emits the "
           "largest \ndecibel.\n"));
}

void SettingTab::gainSliderChanged(int value) {
    emit gainSliderChange(value);
}

void SettingTab::expTimeSliderChanged(int value) {
    emit expSliderChange(value);
}

void SettingTab::wbSliderChanged(int value) {
    emit wbSliderChange(value * 100);
}

void SettingTab::brightnessSliderChanged(int value) {
    emit brightnessSliderChange(value);
}

void SettingTab::contrastSliderChanged(int value) {
    emit contrastSliderChange(value);
}

void SettingTab::hueSliderChanged(int value) {
    emit hueSliderChange(value);
}

void SettingTab::saturationSliderChanged(int value) {
    emit saturationSliderChange(value);
}

void SettingTab::sharpnessSliderChanged(int value) {
    emit sharpnessSliderChange(value);
}

void SettingTab::antiFlickerModeChanged(int mode) {
    emit antiFlickerModeChange(mode);
}

void SettingTab::exposureSwitch(bool on) {
    enableExposureControl(!on);
    emit expModeChange(on);
}

void SettingTab::wbSwitch(bool on) {
    enableWBControl(!on);
    emit wbModeChange(on);
}

void SettingTab::hdrSwitch(bool on) {
    debugLog("hdrSwitch %d \n", on);
    SettingTaskEngine::instance().addJob(HDR, on);
}

void SettingTab::lcdSwitch(bool on) {
    debugLog("lcdSwitch %d \n", on);
    SettingTaskEngine::instance().addJob(DISTORTION_CORRECTION, on);
}

void SettingTab::TASSwitch(bool on) {
    debugLog("TASSwitch %d \n", on);
    SettingTaskEngine::instance().addJob(TRACKING_ACTIVE, on);
}

void SettingTab::autoFrameHintBtnClicked() {
    debugLog("autoFrameHintBtnClicked \n");
}

void SettingTab::TASHintBtnClicked() {
    debugLog("TASHintBtnClicked \n");
}
