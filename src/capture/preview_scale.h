#pragma once
// How a frame is brought to the size the preview shows it at. libjpeg-turbo decodes a
// JPEG at 1/2, 1/4 or 1/8 of its size straight from the compressed data, at a fraction of
// a full decode's cost and with the detail that the smaller picture can hold; the
// preview decodes at the smallest of those that, stretched by at most
// kMaxStretchPercent, would fill the shown size. A scaled IDCT keeps each block's low
// frequencies, much as an area average does, so such a picture is shown as it is, centred
// in the box; a larger one is sampled down to the shown size by the nearest decoded pixel.
#include <QImage>
#include <QSize>
#include <cstdint>

// How far a decoded picture may be stretched to fill the shown size.
constexpr int kMaxStretchPercent = 3;

// The JPEG decode divisor (1, 2, 4 or 8) for a frame shown at `shown` device pixels: the
// largest whose picture, stretched by at most kMaxStretchPercent, is at least as wide and
// as high as `shown`. 1 when `shown` is empty or larger than that for the whole frame.
int jpegScaleDivisor(QSize frame, QSize shown);

// A side of the frame decoded at 1/divisor, rounded up as libjpeg-turbo does.
int scaledSide(int side, int divisor);

// A decoded picture this much smaller than the shown size, by at most kMaxStretchPercent
// each way, is shown as it is, centred: stretching it by a pixel or a few would shift
// every edge by part of a pixel for no detail gained.
bool showsUnscaled(QSize picture, QSize shown);

// The decoded row (or column) under the centre of shown row `index` when `decodedCount`
// rows are shown as `shownCount`.
inline int nearestSource(int index, int shownCount, int decodedCount) {
    return int((int64_t(2 * index + 1) * decodedCount) / (int64_t(2) * shownCount));
}

// The picture stretched to `shown` with the fast transformation; unchanged when it has
// that size already or `shown` is empty.
QImage scaleForPreview(const QImage& picture, QSize shown);
