#include "capture/custom_image_label.h"

#include <QPainter>
#include <QResizeEvent>
#include <utility>

QSize CustomImageLabel::parentSize;

CustomImageLabel::CustomImageLabel(QWidget* parent) : QLabel(parent) {
    setScaledContents(true);
    setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Ignored);
    setFrameStyle(QFrame::Box | QFrame::Raised);
    setAlignment(Qt::AlignHCenter | Qt::AlignVCenter);
    if (parent != nullptr) {
        parentSize = parent->size();
    }
    connect(&decoder_, &PreviewDecoder::pictureReady, this, &CustomImageLabel::showDecodedPicture);
}

CustomImageLabel::~CustomImageLabel() = default;  // the decoder joins its thread

void CustomImageLabel::setImage(const QImage& image) {
    showPixmap(QPixmap::fromImage(image, Qt::AutoColor));
}

void CustomImageLabel::showPixmap(const QPixmap& pixmap) {
    setPixmap(pixmap);
    if (pixmap.height() > 0) {
        aspectRatio_ = static_cast<float>(pixmap.width()) / static_cast<float>(pixmap.height());
    }
    updateOpaqueness();
}

void CustomImageLabel::showJpegFrame(QByteArray jpeg) {
    decoder_.submit(PreviewFrame{std::move(jpeg), QImage(), sizeToDecode()});
}

void CustomImageLabel::showRgbFrame(const QImage& picture) {
    decoder_.submit(PreviewFrame{QByteArray(), picture, sizeToDecode()});
}

QSize CustomImageLabel::sizeToDecode() const {
    // Until a picture gave the label its shape, its size says nothing about the one it
    // will have: the first frame comes at its own size and is scaled when painted.
    return aspectRatio_ > 0.0f ? shownSize() : QSize();
}

QSize CustomImageLabel::shownSize() const {
    const QSize contents = contentsRect().size();
    const qreal scale = devicePixelRatioF();
    return QSize(qRound(contents.width() * scale), qRound(contents.height() * scale));
}

void CustomImageLabel::clear() {
    decoder_.discard();
    QLabel::clear();
    updateOpaqueness();
}

bool CustomImageLabel::pictureFillsContents() const {
    const QPixmap shown = pixmap(Qt::ReturnByValue);
    return hasScaledContents() && !shown.isNull() && shown.size() == shownSize() &&
           qFuzzyCompare(shown.devicePixelRatioF(), devicePixelRatioF());
}

void CustomImageLabel::updateOpaqueness() {
    // A picture without transparency that fills the contents hides whatever lies under
    // the label: the widgets below need not paint themselves first on every frame.
    const QPixmap shown = pixmap(Qt::ReturnByValue);
    setAttribute(Qt::WA_OpaquePaintEvent, pictureFillsContents() && !shown.hasAlphaChannel());
}

void CustomImageLabel::showDecodedPicture() {
    std::optional<PreviewPicture> picture = decoder_.takePicture();
    if (!picture)
        return;
    QPixmap pixmap = QPixmap::fromImage(std::move(picture->image));
    pixmap.setDevicePixelRatio(devicePixelRatioF());
    setPixmap(pixmap);
    // The frame's ratio, not the shown picture's: that one follows the label's size,
    // which follows this ratio.
    const QSize frame = picture->frameSize;
    if (frame.height() > 0) {
        aspectRatio_ = static_cast<float>(frame.width()) / static_cast<float>(frame.height());
    }
    updateOpaqueness();
    emit pictureShown();
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
    updateOpaqueness();
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
    const QRect contents = contentsRect();
    if (pictureFillsContents()) {
        painter.drawPixmap(contents.topLeft(), shown);
    } else {
        painter.drawPixmap(contents, shown);
    }
}
