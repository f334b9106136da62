#include "widgets/switch_button.h"

#include <QMouseEvent>
#include <QPainter>
#include <QPropertyAnimation>

SwitchButton::SwitchButton(QWidget* parent)
    : QAbstractButton(parent), animation(new QPropertyAnimation(this, "offset", this)) {
    setCheckable(true);
    setFocusPolicy(Qt::StrongFocus);
    // Space ends in a click, an assistive tool's toggle action in toggle(): both turn the
    // switch as a left click does. The mouse's own click is handled in its release.
    connect(this, &QAbstractButton::clicked, this, [this] {
        if (!mouseReleasing)
            toggleByOtherMeans();
    });
    connect(this, &QAbstractButton::toggled, this, [this](bool checked) {
        if (checked != switchOn)
            toggleByOtherMeans();
    });
}

void SwitchButton::toggleByOtherMeans() {
    switchOn = !switchOn;
    showStateAsChecked();
    startSwitchAnimation();
    emit switchChanged(switchOn);
}

void SwitchButton::showStateAsChecked() {
    if (isChecked() != switchOn)
        setChecked(switchOn);
}

void SwitchButton::setOffset(int value) {
    offset = value;
    update();
}

QSize SwitchButton::sizeHint() const {
    return QSize((knobSize + margin) * 2, knobSize + margin * 2);
}

void SwitchButton::setSwitchState(bool on) {
    switchOn = on;
    showStateAsChecked();
    startSwitchAnimation();
    update();
}

void SwitchButton::startSwitchAnimation() {
    animation->stop();
    if (switchOn) {
        animation->setStartValue(knobSize / 2);
        animation->setEndValue(width() - knobSize);
    } else {
        animation->setStartValue(offset);
        animation->setEndValue(knobSize / 2);
    }
    animation->setDuration(120);
    animation->start();
}

void SwitchButton::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton)
        emit switchClicked();
    QAbstractButton::mousePressEvent(event);
}

void SwitchButton::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        switchOn = !switchOn;
        showStateAsChecked();
        startSwitchAnimation();
    }
    mouseReleasing = true;
    QAbstractButton::mouseReleaseEvent(event);
    mouseReleasing = false;
    emit switchChanged(switchOn);
}

void SwitchButton::enterEvent(QEvent* event) {
    setCursor(Qt::PointingHandCursor);
    hovered = true;
    update();
    QAbstractButton::enterEvent(event);
}

void SwitchButton::leaveEvent(QEvent* event) {
    hovered = false;
    update();
    QAbstractButton::leaveEvent(event);
}

void SwitchButton::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setPen(Qt::NoPen);
    painter.setRenderHint(QPainter::Antialiasing, true);

    const QRectF track(margin, margin, width() - 2 * margin, height() - 2 * margin);
    if (isEnabled()) {
        painter.setBrush(switchOn ? brush : QBrush(QColor(0x1D, 0x22, 0x2B)));
        painter.setOpacity(switchOn ? 1.0 : 0.85);
    } else {
        painter.setBrush(QBrush(Qt::gray));
        painter.setOpacity(0.12);
    }
    painter.drawRoundedRect(track, 8.0, 8.0);

    painter.setBrush(thumbBrush);
    painter.setOpacity(hovered ? 1.0 : 0.85);
    painter.drawEllipse(QRectF(offset - knobSize / 2, knobY - knobSize / 2, height(), height()));
}
