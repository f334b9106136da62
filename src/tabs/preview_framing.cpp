#include "tabs/preview_framing.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QWheelEvent>

#include "base/debug_log.h"
#include "capture/custom_image_label.h"
#include "capture/preview_scale.h"
#include "tabs/point_to_frame.h"
#include "tabs/setting_tab.h"

namespace {
// Eighths of a degree per step of a common mouse wheel.
constexpr int kWheelStep = 120;
}  // namespace

PreviewFraming::PreviewFraming(CustomImageLabel* preview, SettingTab* page)
    : QObject(preview), preview_(preview), page_(page) {
    preview->setFocusPolicy(Qt::StrongFocus);
    preview->setAccessibleDescription(
        tr("The live picture of the camera. While zoomed in, a double-click centres the view on a point, "
           "the arrow keys move it and the wheel zooms"));
    preview->installEventFilter(this);
    // In reading order the preview follows the page's last control.
    QWidget* last = page;
    for (QWidget* w = page->nextInFocusChain(); w != page && page->isAncestorOf(w); w = w->nextInFocusChain())
        last = w;
    QWidget::setTabOrder(last, preview);
}

QRectF PreviewFraming::pictureRect(const CustomImageLabel& preview) {
    const QPixmap shown = preview.shownPicture();
    const QRect contents = preview.contentsRect();
    if (shown.isNull())
        return QRectF();
    if (preview.hasScaledContents() && showsUnscaled(shown.size(), preview.shownSize())) {
        QRectF picture(QPointF(), QSizeF(shown.size()) / shown.devicePixelRatioF());
        picture.moveCenter(QRectF(contents).center());
        return picture;
    }
    return QRectF(contents);
}

bool PreviewFraming::eventFilter(QObject* watched, QEvent* event) {
    if (watched != preview_)
        return false;
    switch (event->type()) {
        case QEvent::MouseButtonDblClick: {
            const auto* mouse = static_cast<QMouseEvent*>(event);
            if (mouse->button() != Qt::LeftButton)
                return false;
            const auto view = framing::centredOn(mouse->localPos(), pictureRect(*preview_),
                                                 page_->digitalZoom(), page_->viewPanTilt());
            if (view)
                page_->moveViewTo(*view);
            return true;
        }
        case QEvent::Wheel: {
            wheelRest_ += static_cast<QWheelEvent*>(event)->angleDelta().y();
            const int steps = wheelRest_ / kWheelStep;
            wheelRest_ -= steps * kWheelStep;
            if (steps != 0)
                page_->zoomTo(framing::zoomStepped(page_->digitalZoom(), steps));
            return true;
        }
        case QEvent::KeyPress: {
            const auto* key = static_cast<QKeyEvent*>(event);
            const int dx = key->key() == Qt::Key_Left ? -1 : key->key() == Qt::Key_Right ? 1 : 0;
            const int dy = key->key() == Qt::Key_Up ? -1 : key->key() == Qt::Key_Down ? 1 : 0;
            if ((dx == 0 && dy == 0) || (key->modifiers() & ~Qt::KeypadModifier) != Qt::NoModifier)
                return false;
            const auto view = framing::arrowMoved(dx, dy, page_->digitalZoom(), page_->viewPanTilt());
            if (view)
                page_->moveViewTo(*view);
            return true;
        }
        default:
            return false;
    }
}
