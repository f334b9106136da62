#include "capture/preview_scale.h"

int scaledSide(int side, int divisor) {
    return (side + divisor - 1) / divisor;
}

int jpegScaleDivisor(QSize frame, QSize shown) {
    if (shown.isEmpty())
        return 1;
    for (int divisor : {8, 4, 2}) {
        if (scaledSide(frame.width(), divisor) >= shown.width() &&
            scaledSide(frame.height(), divisor) >= shown.height()) {
            return divisor;
        }
    }
    return 1;
}

QImage scaleForPreview(const QImage& picture, QSize shown) {
    if (shown.isEmpty() || picture.size() == shown)
        return picture;
    return picture.scaled(shown, Qt::IgnoreAspectRatio, Qt::FastTransformation);
}
