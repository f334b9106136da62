#include "widgets/darken_effect.h"

#include <QPainter>
#include <QPixmap>

DarkenEffect::DarkenEffect(QObject* parent) : QGraphicsEffect(parent) {}

void DarkenEffect::draw(QPainter* painter) {
    QPoint offset;
    QPixmap pixmap;
    if (sourceIsPixmap()) {
        // A pixmap source is scaled by the painter anyway: take it as it is laid out.
        pixmap = sourcePixmap(Qt::LogicalCoordinates, &offset, QGraphicsEffect::PadToEffectiveBoundingRect);
    } else {
        // A widget source: take it in device pixels and draw it unscaled, at its place on the
        // paint device.
        pixmap = sourcePixmap(Qt::DeviceCoordinates, &offset, QGraphicsEffect::PadToEffectiveBoundingRect);
        painter->setWorldTransform(QTransform());
    }
    if (pixmap.isNull())
        return;

    painter->save();
    const QSizeF logicalSize = QSizeF(pixmap.size()) / pixmap.devicePixelRatio();
    painter->fillRect(QRectF(offset, logicalSize), QColor(0, 0, 0, 255));
    painter->setOpacity(0.5);
    painter->drawPixmap(offset, pixmap);
    painter->restore();
}
