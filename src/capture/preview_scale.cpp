#include "capture/preview_scale.h"

int scaledSide(int side, int divisor) {
    return (side + divisor - 1) / divisor;
}

namespace {
bool fillsWhenStretched(int decoded, int shown) {
    return int64_t(decoded) * (100 + kMaxStretchPercent) >= int64_t(shown) * 100;
}
}  // namespace

bool showsUnscaled(QSize picture, QSize shown) {
    return picture.width() <= shown.width() && picture.height() <= shown.height() &&
           fillsWhenStretched(picture.width(), shown.width()) &&
           fillsWhenStretched(picture.height(), shown.height());
}

int jpegScaleDivisor(QSize frame, QSize shown) {
    if (shown.isEmpty())
        return 1;
    for (int divisor : {8, 4, 2}) {
        if (fillsWhenStretched(scaledSide(frame.width(), divisor), shown.width()) &&
            fillsWhenStretched(scaledSide(frame.height(), divisor), shown.height())) {
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
