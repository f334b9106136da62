#include "widgets/q_progress_indicator.h"

#include <QPainter>
#include <QTimerEvent>
#include <algorithm>

QProgressIndicator::QProgressIndicator(QWidget* parent) : QWidget(parent) {
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    setFocusPolicy(Qt::NoFocus);
}

QSize QProgressIndicator::sizeHint() const {
    return QSize(20, 20);
}

int QProgressIndicator::heightForWidth(int w) const {
    return w;
}

int QProgressIndicator::innerRadius(int side) {
    return static_cast<int>((side - 1) * 0.5 * 0.38);
}

int QProgressIndicator::dotDiameter(int i) {
    return dotBaseSize + dotSizeStep * i;
}

void QProgressIndicator::startAnimation() {
    angle_ = 0;
    if (timerId_ == -1)
        timerId_ = startTimer(delay_, Qt::CoarseTimer);
}

void QProgressIndicator::stopAnimation() {
    if (timerId_ != -1)
        killTimer(timerId_);
    timerId_ = -1;
    update();
}

void QProgressIndicator::setAnimationDelay(int delay) {
    const bool wasRunning = timerId_ != -1;
    if (wasRunning)
        killTimer(timerId_);
    delay_ = delay;
    timerId_ = wasRunning ? startTimer(delay_, Qt::CoarseTimer) : -1;
}

void QProgressIndicator::setDisplayedWhenStopped(bool state) {
    displayedWhenStopped_ = state;
    update();
}

void QProgressIndicator::setColor(QColor color) {
    color_ = color;
    update();
}

void QProgressIndicator::timerEvent(QTimerEvent* event) {
    if (event->timerId() != timerId_) {
        QWidget::timerEvent(event);
        return;
    }
    angle_ = static_cast<int>(angle_ + 360 / dotCount) % 360;
    update();
}

void QProgressIndicator::paintEvent(QPaintEvent*) {
    if (!displayedWhenStopped_ && !isAnimated())
        return;

    const int side = std::min(width(), height());
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBackgroundMode(Qt::TransparentMode);

    const int radius = innerRadius(side);
    const int x0 = static_cast<int>(-radius * 0.5);
    const QPointF centre = QRectF(rect()).center();
    QColor fill = color_;
    fill.setAlphaF(1.0);
    painter.setBrush(fill);
    for (int i = 0; i < static_cast<int>(dotCount); ++i) {
        const int d = dotDiameter(i);
        painter.save();
        painter.translate(centre);
        painter.rotate(angle_ - i * 360 / dotCount);
        const double corner = static_cast<int>(d * 0.5);
        painter.drawRoundedRect(QRectF(x0, -static_cast<int>(radius + d), d, d), corner, corner);
        painter.restore();
    }
}
