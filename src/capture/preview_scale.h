#pragma once
// How a frame is brought to the size the preview shows it at. libjpeg-turbo decodes a
// JPEG at 1/2, 1/4 or 1/8 of its size straight from the compressed data, at a fraction of
// a full decode's cost and with the detail that the smaller picture can hold; the
// preview decodes at the smallest of those that still covers the shown size and scales
// the rest of the way with the fast (nearest-neighbour) transformation.
#include <QImage>
#include <QSize>

// The JPEG decode divisor (1, 2, 4 or 8) for a frame shown at `shown` device pixels: the
// largest whose picture is at least as wide and as high as `shown`. 1 when `shown` is
// empty or larger than the frame.
int jpegScaleDivisor(QSize frame, QSize shown);

// A side of the frame decoded at 1/divisor, rounded up as libjpeg-turbo does.
int scaledSide(int side, int divisor);

// The picture stretched to `shown` with the fast transformation; unchanged when it has
// that size already or `shown` is empty.
QImage scaleForPreview(const QImage& picture, QSize shown);
