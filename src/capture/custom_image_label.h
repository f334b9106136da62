#pragma once
// The preview label: shows the picture scaled into itself and keeps the picture's
// aspect ratio in its size hint.
#include <QImage>
#include <QLabel>
#include <QPixmap>
#include <QPoint>
#include <QSize>

class CustomImageLabel : public QLabel {
    Q_OBJECT
public:
    explicit CustomImageLabel(QWidget* parent = nullptr);

    void setImage(const QImage& image);
    void showPixmap(const QPixmap& pixmap);
    QSize sizeHint() const override;
    float aspectRatio() const { return aspectRatio_; }

    // The parent's size, shared by every label.
    static QSize parentSize;

signals:
    void pointUpdate(QPoint point);

protected:
    void resizeEvent(QResizeEvent* event) override;
    bool event(QEvent* event) override;
    // Scales the picture into the label with the fast (nearest-neighbour) transformation;
    // the smooth scaling of a plain label costs more than decoding the frame.
    void paintEvent(QPaintEvent* event) override;

private:
    float aspectRatio_ = 0.0f;
    mutable int lastWidth_ = 0;
    mutable int lastHeight_ = 0;
};
