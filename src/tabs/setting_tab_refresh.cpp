// The settings page's refresh from CurrentValues, the rows it shows and hides, and the
// fitting of the scroll area to them and to the screen's scale.
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <algorithm>

#include "base/app_config.h"
#include "base/debug_log.h"
#include "base/scale_size.h"
#include "engine/current_values.h"
#include "tabs/range_eptz_controller.h"
#include "tabs/setting_tab.h"
#include "widgets/custom_mode_switcher.h"
#include "widgets/custom_slider.h"
#include "widgets/switch_button.h"

namespace {
void setRowsShown(std::initializer_list<QWidget*> rows, bool shown) {
    for (QWidget* row : rows)
        row->setVisible(shown);
}
}  // namespace

void SettingTab::updateFromState() {
    const CurrentValues& values = currentValues();
    ui.scrollArea->verticalScrollBar()->setValue(0);

    const int zoom = values.zoom.load();
    ui.eptzSlider->setCurrentValue(zoom);
    ui.eptzController->setZoomPercentage(zoom);
    ui.eptzController->calRectCenter(values.pan.load(), values.tilt.load());
    ui.ezptResetBtn->setEnabled(zoom != 100);

    const bool expAuto = values.expAuto.load() == 1;
    ui.exposureSwitch->setSwitchState(expAuto);
    debugLog("enableExposureControl %d \n", !expAuto);
    setRowsShown({ui.gainWidget, ui.gainWidget_2, ui.expWidget, ui.expWidget_2}, !expAuto);
    checkScrollAreaSize();
    ui.gainSlider->setCurrentValue(values.gain.load());
    ui.expSlider->setCurrentValue(values.expTime.load());

    const bool wbAuto = values.wbAuto.load() == 1;
    ui.wbSwitch->setSwitchState(wbAuto);
    debugLog("enableWBControl %d \n", !wbAuto);
    setRowsShown({ui.wbWidget, ui.wbWidget_2}, !wbAuto);
    checkScrollAreaSize();
    ui.wbSlider->setCurrentValue(values.wbValue.load() / 100);

    const bool autoFrame = values.autoFrame.load() != 0;
    ui.autoFrameSwitch->setSwitchState(autoFrame);
    showAutoFrameControls(autoFrame);
    ui.sensitivitySlider->setCurrentValue(values.autoFrameSensitive.load());
    ui.zoomLevelSlider->setCurrentValue(values.autoFrameZoomLevel.load());

    ui.brightnessSlider->setCurrentValue(values.brightness.load());
    ui.contrastSlider->setCurrentValue(values.contrast.load());
    ui.hueSlider->setCurrentValue(values.hue.load());
    ui.saturationSlider->setCurrentValue(values.saturation.load());
    ui.sharpnessSlider->setCurrentValue(values.sharpness.load());
    ui.gammaSlider->setCurrentValue(values.gamma.load() / 10);
    ui.BCSwitch->setSwitchState(values.backlight.load() != 0);
    ui.HDRSwitch->setSwitchState(values.hdr.load() != 0);
    ui.LCDSwitch->setSwitchState(values.distortionCorrection.load() != 0);

    // Gamma, Backlight Compensation, Distortion Correction and Horizontal Reversal are not
    // offered on this camera: their rows stay hidden from the first refresh on.
    setRowsShown({ui.gammaWidget, ui.gammaWidget_2}, false);
    checkScrollAreaSize();
    ui.BCWidget->hide();
    checkScrollAreaSize();
    ui.LCDWidget->hide();
    checkScrollAreaSize();

    ui.antiFlickerSwitcher->setMode(values.antiFlicker.load());
    ui.TASSwitch->setSwitchState(values.trackingActive.load() != 0);
    ui.HRWidget->hide();
    checkScrollAreaSize();
}

void SettingTab::enableExposureControl(bool enable) {
    debugLog("enableExposureControl %d \n", enable);
    setRowsShown({ui.gainWidget, ui.gainWidget_2, ui.expWidget, ui.expWidget_2}, enable);
    checkScrollAreaSize();
}

void SettingTab::enableWBControl(bool enable) {
    debugLog("enableWBControl %d \n", enable);
    setRowsShown({ui.wbWidget, ui.wbWidget_2}, enable);
    checkScrollAreaSize();
}

void SettingTab::showAutoFrameControls(bool show) {
    setRowsShown({ui.sensitivityWidget, ui.sensitivityWidget_2, ui.zoomLevelWidget, ui.zoomLevelWidget_2},
                 show);
    checkScrollAreaSize();
}

void SettingTab::checkScrollAreaSize() {
    const int maxHeight = maxScrollAreaSize().height();
    debugLog("maxScrollAreaSize.height %d \n", maxHeight);
    int h = maxHeight;
    // A row counts by its own shown state, so the fit is the same whether or not the page
    // itself is on screen (a refresh while another page or no panel shows).
    for (const QWidget* row :
         {ui.gainWidget, ui.gainWidget_2, ui.expWidget, ui.expWidget_2, ui.wbWidget, ui.wbWidget_2,
          ui.sensitivityWidget, ui.sensitivityWidget_2, ui.zoomLevelWidget, ui.zoomLevelWidget_2,
          ui.gammaWidget, ui.gammaWidget_2, ui.BCWidget, ui.LCDWidget, ui.HRWidget}) {
        if (row->isHidden())
            h -= row->height();
    }
    debugLog("checkScrollAreaSize %d \n", h);
    h = std::min(h, maxHeight);
    ui.scrollAreaWidgetContents->setFixedSize(ui.scrollAreaWidgetContents->width(), h);
    repaint();
}

void SettingTab::scaleForDpi() {
    const double scale = getScaleSize();
    const double laidOutFor = appConfig().scale;
    setFixedWidth(static_cast<int>(width() / laidOutFor * scale));
    QWidget* contents = ui.scrollAreaWidgetContents;
    contents->setFixedSize(static_cast<int>(contents->width() / laidOutFor * scale),
                           std::min(contents->height(), maxScrollAreaSize().height()));
    repaint();
}
