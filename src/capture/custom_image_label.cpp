#include "capture/custom_image_label.h"

#include <QPainter>
#include <QResizeEvent>

QSize CustomImageLabel::parentSize;

CustomImageLabel::CustomImageLabel(QWidget* parent) : QLabel(parent) {
    setScaledContents(true);
    setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Ignored);
    setFrameStyle(QFrame::Box | QFrame::Raised);
    setAlignment(Qt::AlignHCenter | Qt::AlignVCenter);
    if (parent != nullptr) {
        parentSize = parent->size();
    }
}

void CustomImageLabel::setImage(const QImage& image) {
    showPixmap(QPixmap::fromImage(image, Qt::AutoColor));
}

void CustomImageLabel::showPixmap(const QPixmap& pixmap) {
    setPixmap(pixmap);
    if (pixmap.height() > 0) {
        aspectRatio_ = static_cast<float>(pixmap.width()) / static_cast<float>(pixmap.height());
    }
}

QSize CustomImageLabel::sizeHint() const {
    const QSize current = size();
    lastWidth_ = current.width();
    lastHeight_ = current.height();
    // Without a picture or a parent there is no ratio to keep.
    if (aspectRatio_ <= 0.0f || parentSize.height() <= 0 || parentSize.width() <= 0) {
        return current;
    }
    const float parentRatio =
        static_cast<float>(parentSize.width()) / static_cast<float>(parentSize.height());
    if (parentRatio > aspectRatio_) {
        return QSize(static_cast<int>(static_cast<float>(current.height()) * aspectRatio_),
                     parentSize.height());
    }
    return QSize(parentSize.width(), static_cast<int>(static_cast<float>(parentSize.width()) / aspectRatio_));
}

void CustomImageLabel::resizeEvent(QResizeEvent* event) {
    if (parentWidget() != nullptr) {
        parentSize = parentWidget()->size();
    }
    QWidget::resizeEvent(event);
    if (height() != lastHeight_ || width() != lastWidth_) {
        updateGeometry();
    }
}

bool CustomImageLabel::event(QEvent* event) {
    return QLabel::event(event);
}

void CustomImageLabel::paintEvent(QPaintEvent* event) {
    const QPixmap shown = pixmap(Qt::ReturnByValue);
    if (!hasScaledContents() || shown.isNull()) {
        QLabel::paintEvent(event);
        return;
    }
    QPainter painter(this);
    drawFrame(&painter);
    painter.drawPixmap(contentsRect(), shown);
}
