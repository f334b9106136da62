#pragma once
// The preview label: shows the picture scaled into itself and keeps the picture's
// aspect ratio in its size hint. Camera frames reach it through its decoder thread
// (preview_decoder.h), which brings each to the size the label shows it at, so that the
// GUI thread only paints a picture that needs no further transform.
#include <QByteArray>
#include <QImage>
#include <QLabel>
#include <QPixmap>
#include <QPoint>
#include <QSize>

#include "capture/preview_decoder.h"

class CustomImageLabel : public QLabel {
    Q_OBJECT
public:
    explicit CustomImageLabel(QWidget* parent = nullptr);
    ~CustomImageLabel() override;

    void setImage(const QImage& image);
    void showPixmap(const QPixmap& pixmap);
    // The newest camera frame, a JPEG or an RGB32 picture: decoded (or scaled) on the
    // decoder thread to shownSize() and shown when ready (pictureShown). A frame that
    // does not decode is never shown; the previous picture stays.
    void showJpegFrame(QByteArray jpeg);
    void showRgbFrame(const QImage& picture);
    // The picture the label shows: the newest frame's, else the one set by setImage or
    // showPixmap (the label's pixmap); null when it shows none.
    QPixmap shownPicture() const;
    // Device pixels the picture fills: the contents at the screen's scale.
    QSize shownSize() const;
    PreviewDecoder& decoder() { return decoder_; }

    QSize sizeHint() const override;
    float aspectRatio() const { return aspectRatio_; }

    // The parent's size, shared by every label.
    static QSize parentSize;

public slots:
    // Clears the picture and drops the frames still on their way to the label.
    void clear();

signals:
    void pointUpdate(QPoint point);
    // A frame from the decoder thread became the label's picture.
    void pictureShown();

protected:
    void resizeEvent(QResizeEvent* event) override;
    bool event(QEvent* event) override;
    // A picture of the shown size, or a few percent smaller, is painted as it is; any other
    // is scaled into the
    // label with the fast (nearest-neighbour) transformation, as the smooth scaling of a
    // plain label costs more than decoding the frame.
    void paintEvent(QPaintEvent* event) override;

private slots:
    void showDecodedPicture();

private:
    QSize sizeToDecode() const;
    // The picture has the shown size, or is at most a few percent smaller: it is painted
    // as it is, centred.
    bool pictureShownUnscaled() const;
    void updateOpaqueness();

    // The newest frame's picture. It is not the label's pixmap: setting that on every
    // frame would ask the window's layout for a new size 30 times a second.
    QPixmap framePicture_;
    float aspectRatio_ = 0.0f;
    mutable int lastWidth_ = 0;
    mutable int lastHeight_ = 0;
    PreviewDecoder decoder_;
};
