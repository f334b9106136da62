#include "tabs/setting_refresh.h"

#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>

#include "engine/control_table.h"
#include "tabs/range_eptz_controller.h"
#include "tabs/setting_column.h"
#include "tabs/setting_tab_ui.h"
#include "widgets/custom_mode_switcher.h"
#include "widgets/custom_slider.h"
#include "widgets/switch_button.h"

namespace {
constexpr int kNoZoom = 100;

int shown(ControlId id, const CurrentValues& values) {
    return pageValueOf(*controlRow(id), values);
}
}  // namespace

void refreshDigitalView(const SettingTabForm& ui, const CurrentValues& values) {
    const int zoom = values.zoom.load();
    ui.eptzSlider->setCurrentValue(zoom);
    ui.eptzController->setZoomPercentage(zoom);
    ui.eptzController->calRectCenter(values.pan.load(), values.tilt.load());
    ui.ezptResetBtn->setEnabled(zoom != kNoZoom);
}

void refreshSettingForm(const SettingTabForm& ui, SettingColumn& column, const CurrentValues& values) {
    ui.scrollArea->verticalScrollBar()->setValue(0);
    refreshDigitalView(ui, values);

    const bool expAuto = values.expAuto.load() == 1;
    ui.exposureSwitch->setSwitchState(expAuto);
    column.showExposureRows(!expAuto);
    ui.gainSlider->setCurrentValue(shown(EXP_GAIN, values));
    ui.expSlider->setCurrentValue(shown(EXP_TIME, values));

    const bool wbAuto = values.wbAuto.load() == 1;
    ui.wbSwitch->setSwitchState(wbAuto);
    column.showWhiteBalanceRows(!wbAuto);
    ui.wbSlider->setCurrentValue(shown(WB_VALUE, values));

    const bool autoFrame = values.autoFrame.load() != 0;
    ui.autoFrameSwitch->setSwitchState(autoFrame);
    column.showAutoFrameRows(autoFrame);
    ui.sensitivitySlider->setCurrentValue(shown(AUTO_FRAME_SENSITIVE, values));
    ui.zoomLevelSlider->setCurrentValue(shown(AUTO_FRAME_ZOOM_LEVEL, values));

    ui.brightnessSlider->setCurrentValue(shown(ADJ_BRIGHTNESS, values));
    ui.contrastSlider->setCurrentValue(shown(ADJ_CONTRAST, values));
    ui.hueSlider->setCurrentValue(shown(ADJ_HUE, values));
    ui.saturationSlider->setCurrentValue(shown(ADJ_SATURATION, values));
    ui.sharpnessSlider->setCurrentValue(shown(ADJ_SHAPNESS, values));
    ui.gammaSlider->setCurrentValue(shown(ADJ_GAMMA, values));
    ui.BCSwitch->setSwitchState(values.backlight.load() != 0);
    ui.HDRSwitch->setSwitchState(values.hdr.load() != 0);
    ui.LCDSwitch->setSwitchState(values.distortionCorrection.load() != 0);

    // Gamma, Backlight Compensation, Distortion Correction and Horizontal Reversal are not
    // offered on this camera: their rows stay hidden from the first refresh on.
    column.hideRows({ui.gammaWidget, ui.gammaWidget_2});
    column.hideRows({ui.BCWidget});
    column.hideRows({ui.LCDWidget});

    ui.antiFlickerSwitcher->setMode(values.antiFlicker.load());
    ui.TASSwitch->setSwitchState(values.trackingActive.load() != 0);
    column.hideRows({ui.HRWidget});
}
