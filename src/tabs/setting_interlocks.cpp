#include "tabs/setting_interlocks.h"

#include <QPushButton>

#include "base/debug_log.h"
#include "engine/control_table.h"
#include "engine/current_values.h"
#include "tabs/control_binding.h"
#include "tabs/range_eptz_controller.h"
#include "tabs/setting_column.h"
#include "tabs/setting_tab_ui.h"
#include "widgets/custom_slider.h"
#include "widgets/general_dialog.h"
#include "widgets/switch_button.h"

using control_binding::sendChange;

namespace {
constexpr int kNoZoom = 100;
constexpr int kDefaultGamma = 100;  // camera units

int defaultGammaShown() {
    return kDefaultGamma / controlRow(ADJ_GAMMA)->pageScale;
}
}  // namespace

SettingInterlocks::SettingInterlocks(QWidget* page, const SettingTabForm& form, SettingColumn& column)
    : page_(page), ui(form), column_(column) {
    QObject::connect(ui.eptzSlider, &CustomSlider::sliderValueChanged, page,
                     [this](int v) { zoomChanged(v); });
    QObject::connect(ui.eptzSlider, &CustomSlider::sliderClicked, page, [this] { zoomHandlePressed(); });
    QObject::connect(ui.eptzSlider, &CustomSlider::sliderReleased, page, [this](int v) { zoomReleased(v); });
    QObject::connect(ui.eptzController, &RangeEptzController::positionChanged, page,
                     [this](int pan, int tilt) { rectangleMoved(pan, tilt); });
    QObject::connect(ui.eptzController, &RangeEptzController::forcePanTilt, page,
                     &control_binding::sendPanTiltRelease);
    QObject::connect(ui.ezptResetBtn, &QPushButton::released, page, [this] { zoomReset(); });
    QObject::connect(ui.autoFrameSwitch, &SwitchButton::switchChanged, page,
                     [this](bool on) { autoFrameSwitched(on); });
    QObject::connect(ui.BCSwitch, &SwitchButton::switchChanged, page,
                     [this](bool on) { backlightSwitched(on); });
    QObject::connect(ui.gammaSlider, &CustomSlider::sliderValueChanged, page,
                     [this](int v) { gammaChanged(v); });
    QObject::connect(ui.gammaSlider, &CustomSlider::sliderClicked, page, [this] { gammaHandlePressed(); });
}

GeneralDialog* SettingInterlocks::openConfirmation(const QString& title, const QString& text) {
    auto* dialog = new GeneralDialog();
    dialog->init(title, text, tr("Cancel"), tr("Enable"));
    return dialog;
}

bool SettingInterlocks::digitalZoomActive() const {
    return ui.ezptResetBtn->isEnabled();
}

void SettingInterlocks::resetDigitalZoomSilently() {
    ui.eptzSlider->setCurrentValue(kNoZoom);
    ui.eptzController->setZoomPercentage(kNoZoom);
    ui.eptzController->calRectCenter(0, 0);
    ui.ezptResetBtn->setEnabled(false);
}

void SettingInterlocks::zoomChanged(int value) {
    if (currentValues().autoFrame.load() == 1) {
        // Auto Zoom owns the framing: the digital zoom stays at 100 and nothing is sent.
        resetDigitalZoomSilently();
        return;
    }
    if (value > kNoZoom) {
        ui.ezptResetBtn->setEnabled(true);
    } else {
        ui.ezptResetBtn->setEnabled(false);
        ui.eptzController->calRectCenter(0, 0);
        sendChange(EWC_PAN, 0);
        sendChange(EWC_TILT, 0);
    }
    ui.eptzController->setZoomPercentage(value);
    sendChange(EPTZ_ZOOM, value);
}

void SettingInterlocks::zoomReleased(int value) {
    if (currentValues().autoFrame.load() == 1)
        return;
    control_binding::sendRelease(EPTZ_ZOOM, value);
}

void SettingInterlocks::zoomReset() {
    debugLog("eptzResetBtnClicked\n");
    resetDigitalZoomSilently();
    sendChange(EWC_PAN, 0);
    sendChange(EWC_TILT, 0);
    sendChange(EPTZ_ZOOM, kNoZoom);
}

void SettingInterlocks::zoomTo(int value) {
    if (currentValues().autoFrame.load() == 1 || value == ui.eptzSlider->value())
        return;
    ui.eptzSlider->setCurrentValue(value);
    zoomChanged(value);
}

void SettingInterlocks::moveViewTo(int pan, int tilt) {
    if (currentValues().autoFrame.load() == 1 || ui.eptzSlider->value() <= kNoZoom)
        return;
    ui.eptzController->calRectCenter(pan, tilt);
    ui.eptzController->update();
    debugLog("previewPanTilt %d, %d \n", pan, tilt);
    sendChange(EWC_PAN, pan);
    sendChange(EWC_TILT, tilt);
}

void SettingInterlocks::rectangleMoved(int pan, int tilt) {
    debugLog("\n********eptzPositionChanged, %d, %d ********\n", pan, tilt);
    sendChange(EWC_PAN, pan);
    sendChange(EWC_TILT, tilt);
}

void SettingInterlocks::autoFrameSwitched(bool on) {
    CurrentValues& values = currentValues();
    debugLog("autoFrameSwitch %d, %d \n", on, values.autoFrame.load());
    debugLog("ezptResetBtn isEnabled %d \n", digitalZoomActive());
    if (on && digitalZoomActive()) {
        GeneralDialog* dialog = openConfirmation(
            tr("Auto Zoom will be Activated"),
            tr("Activating Auto Zoom will turn off Digital \nZoom and restore it to the default value. "
               "\t\t\t\t\t\t\nAre you sure to enable Auto Zoom?"));
        const auto keepOff = [this] { ui.autoFrameSwitch->setSwitchState(false); };
        QObject::connect(dialog, &GeneralDialog::canceled, page_, keepOff);
        QObject::connect(dialog, &GeneralDialog::leftBtnClicked, page_, keepOff);
        QObject::connect(dialog, &GeneralDialog::rightBtnClicked, page_, [this] { turnAutoFrameOn(); });
        dialog->show();
        return;
    }
    if (on) {
        turnAutoFrameOn();
        return;
    }
    if (values.autoFrame.load() != 0) {
        values.autoFrame.store(0);
        sendChange(AUTO_FRAME, 0);
        column_.showAutoFrameRows(false);
    }
}

void SettingInterlocks::turnAutoFrameOn() {
    currentValues().autoFrame.store(1);
    sendChange(AUTO_FRAME, 1);
    column_.showAutoFrameRows(true);
    // The camera frames by itself now: no zoom, pan or tilt is sent.
    resetDigitalZoomSilently();
}

void SettingInterlocks::zoomHandlePressed() {
    debugLog("eptzSliderClicked\n");
    if (currentValues().autoFrame.load() != 1)
        return;
    // Disabled, the slider takes no drag until the user has answered.
    ui.eptzSlider->setEnabled(false);
    GeneralDialog* dialog =
        openConfirmation(tr("Digital Zoom will be Activated"),
                         tr("Activating Digital Zoom will turn off Auto Zoom. \t\t\t\t\t\t\nAre you sure to "
                            "enable Digital Zoom?"));
    const auto release = [this] { ui.eptzSlider->setEnabled(true); };
    QObject::connect(dialog, &GeneralDialog::canceled, page_, release);
    QObject::connect(dialog, &GeneralDialog::leftBtnClicked, page_, release);
    QObject::connect(dialog, &GeneralDialog::rightBtnClicked, page_, [this] {
        currentValues().autoFrame.store(0);
        ui.autoFrameSwitch->setSwitchState(false);
        column_.showAutoFrameRows(false);
        sendChange(AUTO_FRAME, 0);
        // The slider keeps its value: the user drags again to zoom.
        ui.eptzSlider->setEnabled(true);
    });
    dialog->show();
}

void SettingInterlocks::backlightSwitched(bool on) {
    CurrentValues& values = currentValues();
    debugLog("BCSwitch, gamma %d \n", values.gamma.load());
    if (!on || values.gamma.load() <= kDefaultGamma) {
        sendChange(ADJ_BACKLIGHT, on);
        return;
    }
    GeneralDialog* dialog =
        openConfirmation(tr("Backlight Compensation will be Activated"),
                         tr("Activating Backlight Compensation will \nrestore Gamma to the default value. "
                            "\t\t\t\t\t\t\nAre you sure to enable?"));
    const auto keepOff = [this] { ui.BCSwitch->setSwitchState(false); };
    QObject::connect(dialog, &GeneralDialog::canceled, page_, keepOff);
    QObject::connect(dialog, &GeneralDialog::leftBtnClicked, page_, keepOff);
    QObject::connect(dialog, &GeneralDialog::rightBtnClicked, page_, [this, &values] {
        values.gamma.store(kDefaultGamma);
        ui.gammaSlider->setCurrentValue(defaultGammaShown());
        // The camera is told the gamma the page now shows before compensation starts.
        sendChange(ADJ_GAMMA, defaultGammaShown());
        sendChange(ADJ_BACKLIGHT, 1);
    });
    dialog->show();
}

void SettingInterlocks::gammaChanged(int value) {
    if (currentValues().backlight.load() == 0) {
        sendChange(ADJ_GAMMA, value);
        return;
    }
    ui.gammaSlider->setCurrentValue(defaultGammaShown());
}

void SettingInterlocks::gammaHandlePressed() {
    CurrentValues& values = currentValues();
    debugLog("gammaSliderClicked %d \n", values.backlight.load());
    if (values.backlight.load() == 0)
        return;
    ui.gammaSlider->setEnabled(false);
    GeneralDialog* dialog = openConfirmation(
        tr("Gamma will be Activated"),
        tr("Activating Gamma will turn off \nBacklight Compensation. \t\t\t\t\t\t\nAre you sure to enable?"));
    QObject::connect(dialog, &GeneralDialog::canceled, page_, [this] { ui.gammaSlider->setEnabled(true); });
    QObject::connect(dialog, &GeneralDialog::leftBtnClicked, page_, [this] {
        ui.gammaSlider->setCurrentValue(defaultGammaShown());
        ui.gammaSlider->setEnabled(true);
    });
    QObject::connect(dialog, &GeneralDialog::rightBtnClicked, page_, [this, &values] {
        ui.BCSwitch->setSwitchState(false);
        values.backlight.store(0);
        // The camera's compensation goes off with the switch.
        sendChange(ADJ_BACKLIGHT, 0);
        ui.gammaSlider->setEnabled(true);
    });
    dialog->show();
}
