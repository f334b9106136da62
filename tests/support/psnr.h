#pragma once
// Peak signal-to-noise ratio of two pictures of the same size over their red, green and
// blue channels, in dB: how far a picture shown differs from a reference. Identical
// pictures give infinity; different sizes give 0.
#include <QImage>
#include <cmath>
#include <limits>

inline double psnr(const QImage& shown, const QImage& reference) {
    if (shown.size() != reference.size() || shown.isNull())
        return 0.0;
    const QImage a = shown.convertToFormat(QImage::Format_RGB32);
    const QImage b = reference.convertToFormat(QImage::Format_RGB32);
    double squares = 0.0;
    for (int y = 0; y < a.height(); ++y) {
        const auto* lineA = reinterpret_cast<const QRgb*>(a.constScanLine(y));
        const auto* lineB = reinterpret_cast<const QRgb*>(b.constScanLine(y));
        for (int x = 0; x < a.width(); ++x) {
            const int red = qRed(lineA[x]) - qRed(lineB[x]);
            const int green = qGreen(lineA[x]) - qGreen(lineB[x]);
            const int blue = qBlue(lineA[x]) - qBlue(lineB[x]);
            squares += double(red * red + green * green + blue * blue);
        }
    }
    const double meanSquare = squares / (3.0 * double(a.width()) * double(a.height()));
    if (meanSquare == 0.0)
        return std::numeric_limits<double>::infinity();
    return 10.0 * std::log10(255.0 * 255.0 / meanSquare);
}
