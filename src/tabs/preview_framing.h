#pragma once
// Point to frame on the preview: while the picture is zoomed in, a double-click centres the
// view on the point (pan and tilt within their ranges, tabs/point_to_frame.h), the wheel
// zooms in steps of 10 percent, and the arrow keys move the view by a tenth of what it
// shows. Each change goes to the settings page as the user's own move of the zoom slider
// or the pan/tilt rectangle, so it reaches the camera as a settings job and the page
// follows. An event filter on the preview label; the label takes the keyboard focus (Tab
// after the page's last control, or a click) while the filter is installed.
#include <QCoreApplication>
#include <QObject>
#include <QRectF>

class CustomImageLabel;
class SettingTab;

class PreviewFraming : public QObject {
    Q_OBJECT

public:
    PreviewFraming(CustomImageLabel* preview, SettingTab* page);

    // The rectangle of the label the picture is drawn in: the shown picture centred at its
    // own size when the label paints it unscaled (bars around it), else the label's
    // contents. Empty while no picture shows.
    static QRectF pictureRect(const CustomImageLabel& preview);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    CustomImageLabel* preview_;
    SettingTab* page_;
    int wheelRest_ = 0;  // eighths of a degree not yet taken as a step
};
