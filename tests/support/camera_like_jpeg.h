#pragma once
// A camera-like test frame for the preview's tests and benchmarks.
#include <turbojpeg.h>

#include <QByteArray>
#include <QImage>
#include <QPainter>
#include <QRandomGenerator>

// A scene with edges, gradients and sensor noise, as 4:2:2 JPEG like the camera's.
inline QByteArray cameraLikeJpeg(QSize size, int quality = 90) {
    QImage image(size, QImage::Format_RGB32);
    QPainter painter(&image);
    QLinearGradient wall(0, 0, 0, size.height());
    wall.setColorAt(0, QColor(190, 180, 170));
    wall.setColorAt(1, QColor(110, 100, 90));
    painter.fillRect(image.rect(), wall);
    QRandomGenerator shapes(3);
    for (int i = 0; i < 12; ++i) {
        painter.setBrush(QColor::fromHsv(int(shapes.bounded(360)), 150, 170));
        painter.drawEllipse(QPoint(int(shapes.bounded(size.width())), int(shapes.bounded(size.height()))),
                            size.height() / 8, size.height() / 6);
    }
    painter.end();
    QRandomGenerator noise(5);
    for (int y = 0; y < size.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < size.width(); ++x) {
            const int n = int(noise.bounded(13)) - 6;
            line[x] = qRgb(qBound(0, qRed(line[x]) + n, 255), qBound(0, qGreen(line[x]) + n, 255),
                           qBound(0, qBlue(line[x]) + n, 255));
        }
    }
    tjhandle handle = tjInitCompress();
    unsigned char* jpeg = nullptr;
    unsigned long length = 0;
    tjCompress2(handle, image.constBits(), image.width(), int(image.bytesPerLine()), image.height(),
                TJPF_BGRX, &jpeg, &length, TJSAMP_422, quality, 0);
    QByteArray bytes(reinterpret_cast<const char*>(jpeg), int(length));
    tjFree(jpeg);
    tjDestroy(handle);
    return bytes;
}
