#pragma once
// The settings page: every picture and framing control of the camera in one scrolling
// column beside the preview.
//
// Each control is bound to its row of the control table (tabs/control_binding.h): a
// change leaves the page as a settings job in the camera's units, and a slider let go
// sends its value once more, forced. The page never reads the camera: updateFromState
// copies CurrentValues into the controls through silent setters, so a refresh sends
// nothing back.
//
// The page is put together from: the form (setting_tab_ui.h) that builds the widgets, the
// column (setting_column.h) that shows and hides rows and fits itself to them, the
// interlocks (setting_interlocks.h) of the digital zoom, Auto Zoom, Backlight Compensation
// and gamma, and the refresh (setting_refresh.h). Automatic exposure and automatic white
// balance hide their manual sliders.
#include <memory>

#include "tabs/base_tab.h"
#include "tabs/point_to_frame.h"
#include "tabs/setting_tab_ui.h"

class SettingColumn;
class SettingInterlocks;

class SettingTab : public BaseTab {
    Q_OBJECT

public:
    explicit SettingTab(QWidget* parent = nullptr);
    ~SettingTab() override;

    void updateFromState() override;
    void scaleForDpi() override;

    // The digital view as the page shows it, and the preview's ways to change it (as the
    // zoom slider and the rectangle would: preview_framing.h).
    int digitalZoom() const;
    framing::PanTilt viewPanTilt() const;
    void zoomTo(int percent);
    void moveViewTo(framing::PanTilt view);
    // Shows the zoom, pan and tilt CurrentValues holds, sending nothing.
    void showDigitalView();

    // The widget tree, for tests.
    const SettingTabForm& form() const { return ui; }
    // The contents widget's size right after the widget tree was built.
    static QSize maxScrollAreaSize();

signals:
    // Nothing on the page sends it today; whoever does gets the default stream format.
    void changeDefaultResolution();

private:
    void bindControls();
    void setHints();

    SettingTabForm ui;
    std::unique_ptr<SettingColumn> column_;
    std::unique_ptr<SettingInterlocks> interlocks_;
};
