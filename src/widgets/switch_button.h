#pragma once
// An on/off switch: a rounded track with a round knob that slides to the right when on.
// A left click toggles it, so does Space while it has the keyboard focus and the toggle
// action of an assistive tool; setSwitchState() changes it silently. It is a checkable
// button whose checked state follows the switch, so assistive tools see a check box.
#include <QAbstractButton>
#include <QBrush>

class QPropertyAnimation;

class SwitchButton : public QAbstractButton {
    Q_OBJECT
    Q_PROPERTY(int offset READ getOffset WRITE setOffset)
    Q_PROPERTY(QBrush brush READ getBrush WRITE setBrush)

public:
    explicit SwitchButton(QWidget* parent = nullptr);

    void setSwitchState(bool on);
    bool isSwitchOn() const { return switchOn; }

    int getOffset() const { return offset; }
    void setOffset(int value);
    QBrush getBrush() const { return brush; }
    void setBrush(const QBrush& value) { brush = value; }

    QPropertyAnimation* knobAnimation() const { return animation; }
    bool isHovered() const { return hovered; }

    QSize sizeHint() const override;

signals:
    void switchClicked();
    void switchChanged(bool on);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void enterEvent(QEvent* event) override;
    void leaveEvent(QEvent* event) override;
    // The switch keeps its own state: a click does not check or uncheck the button.
    void nextCheckState() override {}

private:
    void startSwitchAnimation();
    // A toggle that did not come from the mouse (Space, an assistive tool).
    void toggleByOtherMeans();
    void showStateAsChecked();

    static constexpr int knobSize = 14;
    static constexpr int margin = 3;

    bool switchOn = false;
    int offset = knobSize / 2;
    int knobY = knobSize / 2;
    QBrush thumbBrush{QColor(QStringLiteral("#ffffff"))};
    QBrush brush{QColor(QStringLiteral("#3E91FF"))};
    QPropertyAnimation* animation = nullptr;
    // The pointer is over this switch (each switch has its own).
    bool hovered = false;
    bool mouseReleasing = false;
};
