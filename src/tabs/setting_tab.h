#pragma once
// The settings page: every picture and framing control of the camera in one scrolling
// column beside the preview.
//
// Slider drags leave the page as "...Change" signals and each release once more as a
// "force..." signal; the main window turns them into settings jobs. The Auto Zoom switch
// and its two sliders, and the HDR, tracking and distortion-correction switches, queue
// their jobs on the settings job queue themselves. The page never reads the camera:
// updateFromState copies CurrentValues into the controls through silent setters, so a
// refresh sends nothing back.
//
// Interlocks, each guarded by a confirmation dialog ("Cancel" / "Enable") that runs no
// modal loop while the main window stays covered:
// - Auto Zoom against Digital Zoom (a zoom above 100, that is while Reset is enabled);
// - Backlight Compensation against a gamma off its default.
// Automatic exposure and automatic white balance hide their manual sliders.
#include "tabs/base_tab.h"
#include "tabs/setting_tab_ui.h"

class CustomSlider;
class GeneralDialog;

class SettingTab : public BaseTab {
    Q_OBJECT

public:
    explicit SettingTab(QWidget* parent = nullptr);

    void updateFromState() override;
    void scaleForDpi() override;

    // Show (enable) or hide the manual rows of exposure and white balance, and the Auto Zoom
    // sliders; each then fits the scroll area to the rows that show.
    void enableExposureControl(bool enable);
    void enableWBControl(bool enable);
    void showAutoFrameControls(bool show);
    void checkScrollAreaSize();

    // The widget tree, for tests.
    const SettingTabForm& form() const { return ui; }
    // The contents widget's size right after the widget tree was built.
    static QSize maxScrollAreaSize();

signals:
    void eptzSliderChange(int value);
    void forceZoom(int value);
    void panClicked(int pan);
    void tiltClicked(int tilt);
    void forcePanTilt(int pan, int tilt);
    void expModeChange(bool automatic);
    void gainSliderChange(int value);
    void forceGain(int value);
    void expSliderChange(int value);
    void forceExp(int value);
    void wbModeChange(bool automatic);
    void wbSliderChange(int kelvin);
    void forceWb(int kelvin);
    void changeDefaultResolution();
    void brightnessSliderChange(int value);
    void forceBrightnessm(int value);
    void contrastSliderChange(int value);
    void forceContrast(int value);
    void hueSliderChange(int value);
    void forceHue(int value);
    void saturationSliderChange(int value);
    void forceSaturation(int value);
    void sharpnessSliderChange(int value);
    void forceSharpness(int value);
    void gammaSliderChange(int value);
    void forceGamma(int value);
    void BCModeChange(bool on);
    void antiFlickerModeChange(int mode);

public slots:
    void eptzSliderChanged(int value);
    void eptzSliderClicked();
    void eptzPositionChanged(int pan, int tilt);
    void eptzResetBtnClicked();
    void exposureSwitch(bool on);
    void gainSliderChanged(int value);
    void expTimeSliderChanged(int value);
    void wbSwitch(bool on);
    void wbSliderChanged(int value);
    void autoFrameHintBtnClicked();
    void autoFrameSwitch(bool on);
    void brightnessSliderChanged(int value);
    void contrastSliderChanged(int value);
    void hueSliderChanged(int value);
    void saturationSliderChanged(int value);
    void sharpnessSliderChanged(int value);
    void gammaSliderChanged(int value);
    void gammaSliderClicked();
    void BCSwitch(bool on);
    void hdrSwitch(bool on);
    void lcdSwitch(bool on);
    void antiFlickerModeChanged(int mode);
    void TASHintBtnClicked();
    void TASSwitch(bool on);

private:
    void connectControls();
    // Connects a slider's release to a log line "\n********<name>, %d ********\n" and the
    // given force signal (scaled by `unit`).
    void connectRelease(CustomSlider* slider, const char* name, void (SettingTab::*force)(int), int unit = 1);
    void setHints();

    // Auto Zoom on: queued, its sliders shown, the digital zoom back to 100 and centred.
    void turnAutoFrameOn();
    // Digital zoom back to 100 with the rectangle centred, silently; Reset disabled.
    void resetDigitalZoomSilently();
    bool digitalZoomActive() const;
    // A confirmation dialog of this page, opened without a modal loop.
    GeneralDialog* openConfirmation(const QString& title, const QString& text);

    SettingTabForm ui;
};
