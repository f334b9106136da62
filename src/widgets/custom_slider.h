#pragma once
// A slider whose value changes only by dragging its handle or by the keyboard. The wheel,
// double clicks and clicks on the groove do not change the value it reports. While the
// handle is held the current value, times the display scale, is drawn over the slider.
//
// The keys take the mouse's paths: the arrow keys move by the single step, Page Up and
// Page Down by the page step, Home and End to the ends. The first press of a key is the
// handle's press (sliderClicked), every press that moves it a drag step
// (sliderValueChanged, once per press, however far it moves) and the key's release the
// handle's release (sliderReleased, only when the value moved). Tab and the other keys
// pass on, so the slider is never a trap for the keyboard.
#include <QSlider>

class QEvent;
class QKeyEvent;
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

    // The value as the user sees it (times the display scale), and the scale itself.
    int shownValue() const;
    int shownScale() const { return displayScale; }

    // Moves the handle to v as one press, one drag step and one release would (an
    // assistive tool setting the value). Nothing while the handle is held or disabled.
    void moveByUser(int v);

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
    void keyPressEvent(QKeyEvent* event) override;

private:
    void connectOwnSignals();
    // The value a navigation key leads to from v; false for any other key.
    bool keyTarget(const QKeyEvent& key, int v, int* target) const;
    bool handleKeyPress(QKeyEvent* key);
    bool handleKeyRelease(QKeyEvent* key);
    void endKeyDrag();

    bool pressed = false;
    int displayScale = 1;
    int rememberedValue = 0;
    // A navigation key holds the handle, and whether it has moved it since.
    bool keyHeld = false;
    bool keyMoved = false;
};
