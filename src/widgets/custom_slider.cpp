#include "widgets/custom_slider.h"

#include <QEvent>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QPainter>
#include <algorithm>
#include <cmath>

#include "widgets/slider_accessible.h"

CustomSlider::CustomSlider(QWidget* parent) : QSlider(parent) {
    connectOwnSignals();
}

CustomSlider::CustomSlider(Qt::Orientation orientation, QWidget* parent) : QSlider(orientation, parent) {
    connectOwnSignals();
}

void CustomSlider::connectOwnSignals() {
    installSliderAccessible();
    setFocusPolicy(Qt::StrongFocus);
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
        case QEvent::KeyPress:
            if (handleKeyPress(static_cast<QKeyEvent*>(event)))
                return true;
            break;
        case QEvent::KeyRelease:
            if (handleKeyRelease(static_cast<QKeyEvent*>(event)))
                return true;
            break;
        case QEvent::FocusOut:
        case QEvent::Hide:
        case QEvent::EnabledChange:
            // A key held while the slider loses the keyboard lets the handle go.
            endKeyDrag();
            break;
        case QEvent::Wheel:
        case QEvent::Timer:
        case QEvent::MouseButtonDblClick:
            // Only a drag of the handle or a key changes the value: no wheel, no double
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

void CustomSlider::keyPressEvent(QKeyEvent* event) {
    // Every key that moves the slider was taken in event(); the others go to the parent.
    event->ignore();
}

bool CustomSlider::keyTarget(const QKeyEvent& key, int v, int* target) const {
    if (key.modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier | Qt::ShiftModifier))
        return false;
    // On a right-to-left horizontal slider the left arrow increases, as its groove does.
    const bool mirrored = (orientation() == Qt::Horizontal && isRightToLeft()) != invertedControls();
    const int arrow = mirrored ? -singleStep() : singleStep();
    switch (key.key()) {
        case Qt::Key_Right:
            *target = v + arrow;
            break;
        case Qt::Key_Left:
            *target = v - arrow;
            break;
        case Qt::Key_Up:
            *target = v + singleStep();
            break;
        case Qt::Key_Down:
            *target = v - singleStep();
            break;
        case Qt::Key_PageUp:
            *target = v + pageStep();
            break;
        case Qt::Key_PageDown:
            *target = v - pageStep();
            break;
        case Qt::Key_Home:
            *target = minimum();
            break;
        case Qt::Key_End:
            *target = maximum();
            break;
        default:
            return false;
    }
    *target = std::clamp(*target, minimum(), maximum());
    return true;
}

bool CustomSlider::handleKeyPress(QKeyEvent* key) {
    int target = 0;
    if (!keyTarget(*key, rememberedValue, &target))
        return false;
    key->accept();
    if (pressed && !keyHeld)
        return true;  // the mouse holds the handle
    if (!keyHeld) {
        keyHeld = true;
        keyMoved = false;
        pressed = true;
        update();
        emit sliderClicked();
        // A confirmation that the press opened disables the slider until it is answered.
        if (!keyHeld || !isEnabled()) {
            endKeyDrag();
            return true;
        }
    }
    if (target != rememberedValue) {
        keyMoved = true;
        rememberedValue = target;
        setSliderPosition(target);
        emit sliderValueChanged(target);
    }
    return true;
}

bool CustomSlider::handleKeyRelease(QKeyEvent* key) {
    int target = 0;
    if (!keyTarget(*key, rememberedValue, &target))
        return false;
    key->accept();
    if (!key->isAutoRepeat())
        endKeyDrag();
    return true;
}

void CustomSlider::endKeyDrag() {
    if (!keyHeld)
        return;
    keyHeld = false;
    pressed = false;
    update();
    if (keyMoved)
        emit sliderReleased(rememberedValue);
}

void CustomSlider::moveByUser(int v) {
    v = std::clamp(v, minimum(), maximum());
    if (pressed || !isEnabled())
        return;
    keyHeld = true;
    keyMoved = false;
    pressed = true;
    emit sliderClicked();
    if (keyHeld && isEnabled() && v != rememberedValue) {
        keyMoved = true;
        rememberedValue = v;
        setSliderPosition(v);
        emit sliderValueChanged(v);
    }
    endKeyDrag();
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

int CustomSlider::shownValue() const {
    return displayScale * rememberedValue;
}
