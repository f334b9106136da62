#include "widgets/group_frame_style.h"

#include <QApplication>
#include <QGroupBox>
#include <QImage>
#include <QPainter>
#include <QPixmap>
#include <QStyleOption>

namespace {
// Fusion's frame of a group box without title: its picture, drawn with 6-pixel borders
// from 3 pixels below the box's top.
constexpr int kFusionTopMargin = 3;
constexpr int kFusionBorder = 6;

// The tint of the picture's middle, premultiplied; 0 when the middle is not one colour (or
// not exactly a colour a fill gives), so that the picture is drawn as it is.
QRgb fusionMiddleTint() {
    const QImage picture =
        QPixmap(QStringLiteral(":/qt-project.org/styles/commonstyle/images/fusion_groupbox.png"))
            .toImage()
            .convertToFormat(QImage::Format_ARGB32_Premultiplied);
    if (picture.width() <= 2 * kFusionBorder || picture.height() <= 2 * kFusionBorder)
        return 0;
    const QRgb tint = picture.pixel(kFusionBorder, kFusionBorder);
    for (int y = kFusionBorder; y < picture.height() - kFusionBorder; ++y) {
        for (int x = kFusionBorder; x < picture.width() - kFusionBorder; ++x) {
            if (picture.pixel(x, y) != tint)
                return 0;
        }
    }
    return qPremultiply(qUnpremultiply(tint)) == tint ? tint : 0;
}

bool isPlainPanel(const QWidget* widget) {
    const auto* box = qobject_cast<const QGroupBox*>(widget);
    return box != nullptr && !box->isCheckable() && box->title().isEmpty();
}
}  // namespace

GroupFrameStyle::GroupFrameStyle() = default;

void GroupFrameStyle::drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                                    const QWidget* widget) const {
    if (element != PE_FrameGroupBox || !isPlainPanel(widget) ||
        qstrcmp(QApplication::style()->metaObject()->className(), "QFusionStyle") != 0) {
        QProxyStyle::drawPrimitive(element, option, painter, widget);
        return;
    }
    static const QRgb tint = fusionMiddleTint();
    const QRect middle = option->rect.adjusted(kFusionBorder, kFusionTopMargin + kFusionBorder,
                                               -kFusionBorder, -kFusionBorder);
    if (tint == 0 || middle.isEmpty()) {
        QProxyStyle::drawPrimitive(element, option, painter, widget);
        return;
    }
    painter->save();
    painter->setClipRegion(QRegion(option->rect).subtracted(QRegion(middle)), Qt::IntersectClip);
    QProxyStyle::drawPrimitive(element, option, painter, widget);
    painter->restore();
    painter->fillRect(middle, QColor::fromRgba(qUnpremultiply(tint)));
}
