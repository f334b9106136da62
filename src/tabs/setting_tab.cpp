// The settings page: its parts put together, and the controls bound to the camera that
// need no interlock.
#include "tabs/setting_tab.h"

#include <QPushButton>

#include "base/debug_log.h"
#include "engine/control_table.h"
#include "engine/current_values.h"
#include "tabs/control_binding.h"
#include "tabs/range_eptz_controller.h"
#include "tabs/setting_column.h"
#include "tabs/setting_interlocks.h"
#include "tabs/setting_refresh.h"
#include "widgets/custom_mode_switcher.h"
#include "widgets/custom_slider.h"
#include "widgets/hover_hint_btn.h"
#include "widgets/popup_window.h"
#include "widgets/switch_button.h"

using namespace control_binding;

SettingTab::SettingTab(QWidget* parent) : BaseTab(parent) {
    ui.setupUi(this);
    column_ = std::make_unique<SettingColumn>(this, ui);
    scaleForDpi();
    interlocks_ = std::make_unique<SettingInterlocks>(this, ui, *column_);
    bindControls();
    setHints();
}

SettingTab::~SettingTab() = default;

QSize SettingTab::maxScrollAreaSize() {
    return SettingColumn::builtSize();
}

void SettingTab::updateFromState() {
    refreshSettingForm(ui, *column_, currentValues());
}

int SettingTab::digitalZoom() const {
    return ui.eptzSlider->value();
}

framing::PanTilt SettingTab::viewPanTilt() const {
    return {static_cast<int>(ui.eptzController->getPan()), static_cast<int>(ui.eptzController->getTilt())};
}

void SettingTab::zoomTo(int percent) {
    interlocks_->zoomTo(percent);
}

void SettingTab::moveViewTo(framing::PanTilt view) {
    interlocks_->moveViewTo(view.pan, view.tilt);
}

void SettingTab::showDigitalView() {
    refreshDigitalView(ui, currentValues());
}

void SettingTab::scaleForDpi() {
    column_->scaleForDpi();
}

void SettingTab::bindControls() {
    // The automatic modes show or hide their manual rows before the camera is told.
    connect(ui.exposureSwitch, &SwitchButton::switchChanged, this, [this](bool on) {
        column_->showExposureRows(!on);
        sendChange(EXP_SWITCH, on);
    });
    connect(ui.wbSwitch, &SwitchButton::switchChanged, this, [this](bool on) {
        column_->showWhiteBalanceRows(!on);
        sendChange(WB_SWITCH, on);
    });
    bindChange(ui.HDRSwitch, &SwitchButton::switchChanged, HDR);
    bindChange(ui.LCDSwitch, &SwitchButton::switchChanged, DISTORTION_CORRECTION);
    bindChange(ui.TASSwitch, &SwitchButton::switchChanged, TRACKING_ACTIVE);
    bindChange(ui.antiFlickerSwitcher, &CustomModeSwitcher::modeChanged, ADJ_ANTIFLICKER);

    bindSlider(ui.gainSlider, EXP_GAIN);
    bindSlider(ui.expSlider, EXP_TIME);
    bindSlider(ui.wbSlider, WB_VALUE);
    bindSlider(ui.brightnessSlider, ADJ_BRIGHTNESS);
    bindSlider(ui.contrastSlider, ADJ_CONTRAST);
    bindSlider(ui.hueSlider, ADJ_HUE);
    bindSlider(ui.saturationSlider, ADJ_SATURATION);
    bindSlider(ui.sharpnessSlider, ADJ_SHAPNESS);
    bindRelease(ui.gammaSlider, ADJ_GAMMA);  // its changes meet Backlight Compensation first
    bindSlider(ui.sensitivitySlider, AUTO_FRAME_SENSITIVE);
    bindSlider(ui.zoomLevelSlider, AUTO_FRAME_ZOOM_LEVEL);

    connect(ui.autoFrameHintBtn, &QPushButton::released, this,
            [] { debugLog("autoFrameHintBtnClicked \n"); });
    connect(ui.TASHintBtn, &QPushButton::released, this, [] { debugLog("TASHintBtnClicked \n"); });
    // The Horizontal Reversal switch has no camera control: it stays unconnected.
}

void SettingTab::setHints() {
    // The sliders show the camera's units.
    ui.wbSlider->setDisplayScale(controlRow(WB_VALUE)->pageScale);
    ui.gammaSlider->setDisplayScale(controlRow(ADJ_GAMMA)->pageScale);
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
