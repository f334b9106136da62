#include "widgets/custom_slider.h"

#include <QEvent>
#include <QFontMetrics>
#include <QPainter>
#include <cmath>

CustomSlider::CustomSlider(QWidget* parent) : QSlider(parent) {
    connectOwnSignals();
}

CustomSlider::CustomSlider(Qt::Orientation orientation, QWidget* parent) : QSlider(orientation, parent) {
    connectOwnSignals();
}

void CustomSlider::connectOwnSignals() {
    rememberedValue = sliderPosition();
    connect(this, &QAbstractSlider::sliderPressed, this, [this] {
        pressed = true;
        update();
        emit sliderClicked();
    });
    connect(this, &QAbstractSlider::sliderMoved, this, [this](int v) {
        rememberedValue = v;
        emit sliderValueChanged(v);
    });
    connect(this, &QAbstractSlider::sliderReleased, this, [this] {
        pressed = false;
        update();
        emit sliderReleased(rememberedValue);
    });
}

const char* CustomSlider::pageStyleSheet() {
    return "QSlider { background: transparent; padding: 4px; height: 40px; }"
           "QSlider::groove:horizontal { background: transparent; height: 14px; }"
           "QSlider::handle:horizontal { width: 14px; border-radius: 7px;"
           " background: rgba(255, 255, 255, 0.85); }"
           "QSlider::handle:horizontal:hover { background: rgb(255, 255, 255); }"
           "QSlider::sub-page:horizontal { background: rgb(52, 117, 204); margin: 5px; border-radius: 2px; }"
           "QSlider::add-page:horizontal { background: rgb(29, 34, 42); margin: 5px; border-radius: 2px; }";
}

void CustomSlider::setCurrentValue(int v) {
    rememberedValue = v;
    setSliderPosition(v);
}

bool CustomSlider::event(QEvent* event) {
    switch (event->type()) {
        case QEvent::Wheel:
        case QEvent::KeyPress:
        case QEvent::KeyRelease:
        case QEvent::Timer:
        case QEvent::MouseButtonDblClick:
            // Only a drag of the handle changes the value: no wheel, no keys, no double
            // click, and no repeated page steps from a held click on the groove.
            return true;
        case QEvent::StyleChange:
            rememberedValue = sliderPosition();
            break;
        case QEvent::MouseButtonPress:
            if (!pressed)
                rememberedValue = sliderPosition();
            break;
        case QEvent::Paint:
            // A click on the groove may have moved the handle; put it back.
            if (!pressed)
                setSliderPosition(rememberedValue);
            break;
        default:
            break;
    }
    return QSlider::event(event);
}

QString CustomSlider::dragText(int v) const {
    return QString::number(double(displayScale) * v, 'g', 6);
}

int CustomSlider::dragTextX(int v, int textWidth) const {
    const int span = maximum() - minimum();
    if (span == 0)
        return 0;
    return static_cast<int>(double(width() - textWidth) * (v - minimum()) / span);
}

void CustomSlider::paintEvent(QPaintEvent* event) {
    QSlider::paintEvent(event);
    if (!pressed)
        return;
    QPainter painter(this);
    painter.setPen(Qt::white);
    const int v = static_cast<int>(std::floor(double(value())));
    const QString text = dragText(v);
    const int textWidth = painter.fontMetrics().horizontalAdvance(text);
    painter.drawText(dragTextX(v, textWidth), fontMetrics().ascent(), text);
}
