#include "widgets/focus_mark.h"

#include <QApplication>
#include <QEvent>
#include <QPainter>

namespace {
constexpr int kWidth = 2;
FocusMark* running = nullptr;

class FocusFrame : public QWidget {
public:
    explicit FocusFrame(QWidget* window) : QWidget(window) {
        setObjectName(QStringLiteral("focusMark"));
        setAttribute(Qt::WA_TransparentForMouseEvents);
        setAttribute(Qt::WA_NoSystemBackground);
        setFocusPolicy(Qt::NoFocus);
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing, true);
        painter.setPen(QPen(QColor(62, 145, 255), kWidth));
        painter.setBrush(Qt::NoBrush);
        const qreal half = kWidth / 2.0;
        painter.drawRoundedRect(QRectF(rect()).adjusted(half, half, -half, -half), 3, 3);
    }
};
}  // namespace

void FocusMark::install() {
    if (running != nullptr)
        return;
    running = new FocusMark();
    connect(qApp, &QApplication::focusChanged, running, [](QWidget*, QWidget* now) { running->follow(now); });
    running->follow(QApplication::focusWidget());
}

FocusMark* FocusMark::instance() {
    return running;
}

FocusMark::FocusMark() : QObject(qApp) {}

void FocusMark::watchChain(bool on) {
    for (QWidget* w = target_; w != nullptr; w = w->parentWidget()) {
        if (on)
            w->installEventFilter(this);
        else
            w->removeEventFilter(this);
        if (w->isWindow())
            break;
    }
}

void FocusMark::follow(QWidget* now) {
    if (target_ != nullptr)
        watchChain(false);
    target_ = now;
    if (target_ == nullptr) {
        if (frame_ != nullptr)
            frame_->hide();
        return;
    }
    watchChain(true);
    QWidget* window = target_->window();
    if (frame_ == nullptr)
        frame_ = new FocusFrame(window);
    else if (frame_->parentWidget() != window)
        frame_->setParent(window);
    place();
}

void FocusMark::place() {
    if (frame_ == nullptr)
        return;
    // The part of the widget that shows, in its window, grown by the frame's width.
    const QRect shown =
        target_ != nullptr && target_->isVisible() ? target_->visibleRegion().boundingRect() : QRect();
    if (shown.isEmpty()) {
        frame_->hide();
        return;
    }
    const QPoint origin = target_->mapTo(target_->window(), QPoint(0, 0));
    frame_->setGeometry(shown.translated(origin).adjusted(-kWidth, -kWidth, kWidth, kWidth));
    frame_->show();
    frame_->raise();
    frame_->update();
}

bool FocusMark::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
        case QEvent::Move:
        case QEvent::Resize:
        case QEvent::Show:
        case QEvent::Hide:
            place();
            break;
        default:
            break;
    }
    return QObject::eventFilter(watched, event);
}
