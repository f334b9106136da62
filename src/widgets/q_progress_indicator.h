#pragma once
// A spinning busy indicator: a ring of eight dots growing in size, turned by 45 degrees
// at every tick of its timer.
#include <QColor>
#include <QWidget>

class QPaintEvent;
class QTimerEvent;

class QProgressIndicator : public QWidget {
    Q_OBJECT
    Q_PROPERTY(int delay READ animationDelay WRITE setAnimationDelay)
    Q_PROPERTY(bool displayedWhenStopped READ isDisplayedWhenStopped WRITE setDisplayedWhenStopped)
    Q_PROPERTY(QColor color READ color WRITE setColor)

public:
    explicit QProgressIndicator(QWidget* parent = nullptr);

    int animationDelay() const { return delay_; }
    bool isAnimated() const { return timerId_ != -1; }
    bool isDisplayedWhenStopped() const { return displayedWhenStopped_; }
    const QColor& color() const { return color_; }
    int angle() const { return angle_; }

    QSize sizeHint() const override;
    int heightForWidth(int w) const override;

    // The ring's geometry for a widget of the given side (the smaller of width and
    // height): its inner radius, and the diameter of dot i (0 to 7).
    static int innerRadius(int side);
    static int dotDiameter(int i);

public slots:
    void startAnimation();
    void stopAnimation();
    void setAnimationDelay(int delay);
    void setDisplayedWhenStopped(bool state);
    void setColor(QColor color);

protected:
    void timerEvent(QTimerEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    static constexpr float dotCount = 8.0f;
    static constexpr int dotBaseSize = 10;
    static constexpr int dotSizeStep = 2;

    int angle_ = 0;
    int timerId_ = -1;
    int delay_ = 120;
    bool displayedWhenStopped_ = false;
    QColor color_ = Qt::white;
};
