#include "capture/custom_image_label.h"

#include <QPainter>
#include <QResizeEvent>
#include <utility>

#include "capture/preview_scale.h"

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
    framePicture_ = QPixmap();
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
    framePicture_ = QPixmap();
    QLabel::clear();
    updateOpaqueness();
}

QPixmap CustomImageLabel::shownPicture() const {
    return framePicture_.isNull() ? pixmap(Qt::ReturnByValue) : framePicture_;
}

bool CustomImageLabel::pictureShownUnscaled() const {
    const QPixmap shown = shownPicture();
    return hasScaledContents() && !shown.isNull() && showsUnscaled(shown.size(), shownSize()) &&
           qFuzzyCompare(shown.devicePixelRatioF(), devicePixelRatioF());
}

void CustomImageLabel::updateOpaqueness() {
    // A picture without transparency that is painted unscaled hides whatever lies under
    // the label (the label paints the margins around it): the widgets below need not paint
    // themselves first on every frame.
    const QPixmap shown = shownPicture();
    setAttribute(Qt::WA_OpaquePaintEvent, pictureShownUnscaled() && !shown.hasAlphaChannel());
}

void CustomImageLabel::showDecodedPicture() {
    std::optional<PreviewPicture> picture = decoder_.takePicture();
    if (!picture)
        return;
    // A picture set by setImage or showPixmap, or the label's text, gives way to the frames.
    if (!pixmap(Qt::ReturnByValue).isNull() || !text().isEmpty())
        QLabel::clear();
    framePicture_ = QPixmap::fromImage(std::move(picture->image));
    framePicture_.setDevicePixelRatio(devicePixelRatioF());
    // The frame's ratio, not the shown picture's: that one follows the label's size,
    // which follows this ratio. Only a new ratio asks the layout for a new size; the
    // frames of one stream only repaint the contents.
    const QSize frame = picture->frameSize;
    if (frame.height() > 0) {
        const float ratio = static_cast<float>(frame.width()) / static_cast<float>(frame.height());
        if (ratio != aspectRatio_) {
            aspectRatio_ = ratio;
            updateGeometry();
        }
    }
    updateOpaqueness();
    update(contentsRect());
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
    const QPixmap shown = shownPicture();
    if (!hasScaledContents() || shown.isNull()) {
        QLabel::paintEvent(event);
        return;
    }
    QPainter painter(this);
    const QRect contents = contentsRect();
    // A new frame repaints the contents only: the frame around them (drawn through the
    // style, at a cost near that of the picture itself) is drawn when it is to be painted.
    if (!contents.contains(event->rect()))
        drawFrame(&painter);
    if (pictureShownUnscaled()) {
        // Centred; the few device pixels around it, if any, are black.
        const QSize logical = shown.size() / shown.devicePixelRatioF();
        QRect picture(QPoint(), logical);
        picture.moveCenter(contents.center());
        if (logical != contents.size()) {
            const QRegion margins = QRegion(contents) - QRegion(picture);
            for (const QRect& margin : margins)
                painter.fillRect(margin, Qt::black);
        }
        painter.drawPixmap(picture.topLeft(), shown);
    } else {
        painter.drawPixmap(contents, shown);
    }
}
