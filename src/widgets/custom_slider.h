#pragma once
// A slider whose value changes only by dragging its handle. The wheel, the keys, double
// clicks and clicks on the groove do not change the value it reports. While the handle
// is held the current value, times the display scale, is drawn over the slider.
#include <QSlider>

class QEvent;
class QPaintEvent;

class CustomSlider : public QSlider {
    Q_OBJECT

public:
    explicit CustomSlider(QWidget* parent = nullptr);
    explicit CustomSlider(Qt::Orientation orientation, QWidget* parent = nullptr);

    void setDisplayScale(int scale) { displayScale = scale; }

    // Moves the handle without reporting anything while it is not held.
    void setCurrentValue(int v);

    bool isHandlePressed() const { return pressed; }

    // The look of the settings page's sliders: a thin groove, blue left of the round
    // handle, dark right of it.
    static const char* pageStyleSheet();

    // The number drawn while dragging at value v, and its left edge for a text of the given
    // width.
    QString dragText(int v) const;
    int dragTextX(int v, int textWidth) const;

signals:
    void sliderClicked();
    void sliderValueChanged(int value);
    void sliderReleased(int value);

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void connectOwnSignals();

    bool pressed = false;
    int displayScale = 1;
    int rememberedValue = 0;
};
