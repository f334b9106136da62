#include "widgets/darken_effect.h"

#include <QPainter>
#include <QPixmap>

DarkenEffect::DarkenEffect(QObject* parent) : QGraphicsEffect(parent) {}

void DarkenEffect::draw(QPainter* painter) {
    // A pixmap source is scaled by the painter anyway: take it as it is laid out. A widget
    // source is taken in device pixels and drawn unscaled, at its place on the paint device.
    const bool inDevicePixels = !sourceIsPixmap();
    QPoint offset;
    const QPixmap pixmap = sourcePixmap(inDevicePixels ? Qt::DeviceCoordinates : Qt::LogicalCoordinates,
                                        &offset, QGraphicsEffect::PadToEffectiveBoundingRect);
    if (pixmap.isNull())
        return;

    // The painter goes back as it came, world transform included.
    painter->save();
    if (inDevicePixels)
        painter->setWorldTransform(QTransform());
    const QSizeF logicalSize = QSizeF(pixmap.size()) / pixmap.devicePixelRatio();
    painter->fillRect(QRectF(offset, logicalSize), QColor(0, 0, 0, 255));
    painter->setOpacity(0.5);
    painter->drawPixmap(offset, pixmap);
    painter->restore();
}
