#pragma once
// The style of a group box used as a plain panel (no title, not checkable). Fusion draws
// such a box's frame as a nine-part picture and stretches the picture's middle, a uniform
// translucent tint, pixel by pixel over the whole box: most of the window's painting at
// start. Here the rim is drawn by the style itself and the middle is one fill of that tint,
// the same pixels for a fraction of the work. Every other style, element and widget, and a
// middle that is not uniform, is drawn as the application's style draws it.
#include <QProxyStyle>

class GroupFrameStyle : public QProxyStyle {
public:
    GroupFrameStyle();

    void drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                       const QWidget* widget = nullptr) const override;
};
