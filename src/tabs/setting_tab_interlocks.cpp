// The settings page's digital zoom and its interlocks: Auto Zoom against Digital Zoom,
// Backlight Compensation against gamma. Each conflict is put to the user in a
// confirmation dialog opened without a modal loop; its answer arrives as a signal.
#include <QPushButton>

#include "base/debug_log.h"
#include "engine/control_id.h"
#include "engine/current_values.h"
#include "engine/setting_task_engine.h"
#include "tabs/range_eptz_controller.h"
#include "tabs/setting_tab.h"
#include "widgets/custom_slider.h"
#include "widgets/general_dialog.h"
#include "widgets/switch_button.h"

namespace {
constexpr int kNoZoom = 100;
constexpr int kDefaultGamma = 100;  // camera units; the slider shows a tenth
}  // namespace

GeneralDialog* SettingTab::openConfirmation(const QString& title, const QString& text) {
    auto* dialog = new GeneralDialog();
    dialog->init(title, text, tr("Cancel"), tr("Enable"));
    return dialog;
}

bool SettingTab::digitalZoomActive() const {
    return ui.ezptResetBtn->isEnabled();
}

void SettingTab::resetDigitalZoomSilently() {
    ui.eptzSlider->setCurrentValue(kNoZoom);
    ui.eptzController->setZoomPercentage(kNoZoom);
    ui.eptzController->calRectCenter(0, 0);
    ui.ezptResetBtn->setEnabled(false);
}

void SettingTab::eptzSliderChanged(int value) {
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
        emit panClicked(0);
        emit tiltClicked(0);
    }
    ui.eptzController->setZoomPercentage(value);
    emit eptzSliderChange(value);
}

void SettingTab::eptzResetBtnClicked() {
    debugLog("eptzResetBtnClicked\n");
    resetDigitalZoomSilently();
    emit panClicked(0);
    emit tiltClicked(0);
    emit eptzSliderChange(kNoZoom);
}

void SettingTab::eptzPositionChanged(int pan, int tilt) {
    debugLog("\n********eptzPositionChanged, %d, %d ********\n", pan, tilt);
    emit panClicked(pan);
    emit tiltClicked(tilt);
}

void SettingTab::autoFrameSwitch(bool on) {
    CurrentValues& values = currentValues();
    debugLog("autoFrameSwitch %d, %d \n", on, values.autoFrame.load());
    debugLog("ezptResetBtn isEnabled %d \n", digitalZoomActive());
    if (on && digitalZoomActive()) {
        GeneralDialog* dialog = openConfirmation(
            tr("Auto Zoom will be Activated"),
            tr("Activating Auto Zoom will turn off Digital \nZoom and restore it to the default value. "
               "\t\t\t\t\t\t\nAre you sure to enable Auto Zoom?"));
        const auto keepOff = [this] { ui.autoFrameSwitch->setSwitchState(false); };
        connect(dialog, &GeneralDialog::canceled, this, keepOff);
        connect(dialog, &GeneralDialog::leftBtnClicked, this, keepOff);
        connect(dialog, &GeneralDialog::rightBtnClicked, this, &SettingTab::turnAutoFrameOn);
        dialog->show();
        return;
    }
    if (on) {
        turnAutoFrameOn();
        return;
    }
    if (values.autoFrame.load() != 0) {
        values.autoFrame.store(0);
        SettingTaskEngine::instance().addJob(AUTO_FRAME, 0);
        showAutoFrameControls(false);
    }
}

void SettingTab::turnAutoFrameOn() {
    currentValues().autoFrame.store(1);
    SettingTaskEngine::instance().addJob(AUTO_FRAME, 1);
    showAutoFrameControls(true);
    // The camera frames by itself now: no zoom, pan or tilt is sent.
    resetDigitalZoomSilently();
}

void SettingTab::eptzSliderClicked() {
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
    connect(dialog, &GeneralDialog::canceled, this, release);
    connect(dialog, &GeneralDialog::leftBtnClicked, this, release);
    connect(dialog, &GeneralDialog::rightBtnClicked, this, [this] {
        currentValues().autoFrame.store(0);
        ui.autoFrameSwitch->setSwitchState(false);
        for (QWidget* row :
             {ui.sensitivityWidget, ui.sensitivityWidget_2, ui.zoomLevelWidget, ui.zoomLevelWidget_2})
            row->hide();
        checkScrollAreaSize();
        SettingTaskEngine::instance().addJob(AUTO_FRAME, 0);
        // The slider keeps its value: the user drags again to zoom.
        ui.eptzSlider->setEnabled(true);
    });
    dialog->show();
}

void SettingTab::BCSwitch(bool on) {
    CurrentValues& values = currentValues();
    debugLog("BCSwitch, gamma %d \n", values.gamma.load());
    if (!on || values.gamma.load() <= kDefaultGamma) {
        emit BCModeChange(on);
        return;
    }
    GeneralDialog* dialog =
        openConfirmation(tr("Backlight Compensation will be Activated"),
                         tr("Activating Backlight Compensation will \nrestore Gamma to the default value. "
                            "\t\t\t\t\t\t\nAre you sure to enable?"));
    const auto keepOff = [this] { ui.BCSwitch->setSwitchState(false); };
    connect(dialog, &GeneralDialog::canceled, this, keepOff);
    connect(dialog, &GeneralDialog::leftBtnClicked, this, keepOff);
    connect(dialog, &GeneralDialog::rightBtnClicked, this, [this, &values] {
        values.gamma.store(kDefaultGamma);
        ui.gammaSlider->setCurrentValue(kDefaultGamma / 10);
        // The camera is told the gamma the page now shows before compensation starts.
        emit gammaSliderChange(kDefaultGamma / 10);
        emit BCModeChange(true);
    });
    dialog->show();
}

void SettingTab::gammaSliderChanged(int value) {
    if (currentValues().backlight.load() == 0) {
        emit gammaSliderChange(value);
        return;
    }
    ui.gammaSlider->setCurrentValue(kDefaultGamma / 10);
}

void SettingTab::gammaSliderClicked() {
    CurrentValues& values = currentValues();
    debugLog("gammaSliderClicked %d \n", values.backlight.load());
    if (values.backlight.load() == 0)
        return;
    ui.gammaSlider->setEnabled(false);
    GeneralDialog* dialog = openConfirmation(
        tr("Gamma will be Activated"),
        tr("Activating Gamma will turn off \nBacklight Compensation. \t\t\t\t\t\t\nAre you sure to enable?"));
    connect(dialog, &GeneralDialog::canceled, this, [this] { ui.gammaSlider->setEnabled(true); });
    connect(dialog, &GeneralDialog::leftBtnClicked, this, [this] {
        ui.gammaSlider->setCurrentValue(kDefaultGamma / 10);
        ui.gammaSlider->setEnabled(true);
    });
    connect(dialog, &GeneralDialog::rightBtnClicked, this, [this, &values] {
        ui.BCSwitch->setSwitchState(false);
        values.backlight.store(0);
        // The camera's compensation goes off with the switch.
        emit BCModeChange(false);
        ui.gammaSlider->setEnabled(true);
    });
    dialog->show();
}
