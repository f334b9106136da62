#pragma once
// The settings page's controls that depend on each other: the digital zoom with its
// rectangle and Reset, Auto Zoom against Digital Zoom (a zoom above 100, that is while
// Reset is enabled), and Backlight Compensation against a gamma off its default. Each
// conflict is put to the user in a confirmation dialog ("Cancel" / "Enable") opened
// without a modal loop; its answer arrives as a signal.
#include <QCoreApplication>

class GeneralDialog;
class QWidget;
class SettingColumn;
class SettingTabForm;

class SettingInterlocks {
    // The dialogs' texts are the settings page's.
    Q_DECLARE_TR_FUNCTIONS(SettingTab)

public:
    // Connects the form's interlocked controls; page is the connections' context.
    SettingInterlocks(QWidget* page, const SettingTabForm& form, SettingColumn& column);

    // The preview's wheel and point to frame, taken as the user's own changes of the zoom
    // slider and of the rectangle; nothing while Auto Zoom frames the picture, and the view
    // moves only while zoomed in.
    void zoomTo(int value);
    void moveViewTo(int pan, int tilt);

private:
    void zoomChanged(int value);
    void zoomReleased(int value);
    void zoomHandlePressed();
    void zoomReset();
    void rectangleMoved(int pan, int tilt);
    void autoFrameSwitched(bool on);
    void backlightSwitched(bool on);
    void gammaChanged(int value);
    void gammaHandlePressed();

    // Auto Zoom on: queued, its sliders shown, the digital zoom back to 100 and centred.
    void turnAutoFrameOn();
    // Digital zoom back to 100 with the rectangle centred, silently; Reset disabled.
    void resetDigitalZoomSilently();
    bool digitalZoomActive() const;
    GeneralDialog* openConfirmation(const QString& title, const QString& text);

    QWidget* page_;
    const SettingTabForm& ui;
    SettingColumn& column_;
};
