// The setting page: created as the next tab, its change signals connected to the control
// slots and its release signals to the force handlers.
#include <QTabWidget>

#include "app/mainwindow.h"
#include "app/page_state.h"
#include "tabs/setting_tab.h"

void mainwindow::buildSettingPage() {
    settingTab = new SettingTab(ui.tabWidget);
    ui.tabWidget->addTab(settingTab, QString());

    SettingTab* page = settingTab;
    connect(page, &SettingTab::eptzSliderChange, this, &mainwindow::controlEptzSlider);
    connect(page, &SettingTab::panClicked, this, &mainwindow::controlPan);
    connect(page, &SettingTab::tiltClicked, this, &mainwindow::controlTilt);
    connect(page, &SettingTab::expModeChange, this, &mainwindow::controlExpMode);
    connect(page, &SettingTab::gainSliderChange, this, &mainwindow::controlGain);
    connect(page, &SettingTab::expSliderChange, this, &mainwindow::controlExpValue);
    connect(page, &SettingTab::wbModeChange, this, &mainwindow::controlWBMode);
    connect(page, &SettingTab::wbSliderChange, this, &mainwindow::controlWBValue);
    connect(page, &SettingTab::brightnessSliderChange, this, &mainwindow::controlBrightness);
    connect(page, &SettingTab::contrastSliderChange, this, &mainwindow::controlContrast);
    connect(page, &SettingTab::hueSliderChange, this, &mainwindow::controlHue);
    connect(page, &SettingTab::saturationSliderChange, this, &mainwindow::controlSaturation);
    connect(page, &SettingTab::sharpnessSliderChange, this, &mainwindow::controlSharpness);
    connect(page, &SettingTab::gammaSliderChange, this, &mainwindow::controlGamma);
    connect(page, &SettingTab::BCModeChange, this, &mainwindow::controlBCMode);
    connect(page, &SettingTab::antiFlickerModeChange, this, &mainwindow::controlAntiFlickerMode);

    connect(page, &SettingTab::forceZoom, this, &mainwindow::forceZoom);
    connect(page, &SettingTab::forcePanTilt, this, &mainwindow::forcePanTilt);
    connect(page, &SettingTab::forceGain, this, &mainwindow::forceGain);
    connect(page, &SettingTab::forceExp, this, &mainwindow::forceExp);
    connect(page, &SettingTab::forceWb, this, &mainwindow::forceWb);
    connect(page, &SettingTab::forceBrightnessm, this, &mainwindow::forceBrightnessm);
    connect(page, &SettingTab::forceContrast, this, &mainwindow::forceContrast);
    connect(page, &SettingTab::forceHue, this, &mainwindow::forceHue);
    connect(page, &SettingTab::forceSaturation, this, &mainwindow::forceSaturation);
    connect(page, &SettingTab::forceSharpness, this, &mainwindow::forceSharpness);
    connect(page, &SettingTab::forceGamma, this, &mainwindow::forceGamma);
    // The page never sends it today; whoever does gets the default stream format.
    connect(page, &SettingTab::changeDefaultResolution, this, &mainwindow::changeDefaultResolution);
}
