#include "tabs/point_to_frame.h"

#include <algorithm>
#include <cmath>

namespace framing {

std::optional<PanTilt> centredOn(QPointF point, const QRectF& picture, int zoom, PanTilt now) {
    if (zoom <= kNoZoom || picture.isEmpty() || point.x() < picture.left() || point.x() > picture.right() ||
        point.y() < picture.top() || point.y() > picture.bottom())
        return std::nullopt;
    const double room = zoom / double(kNoZoom) - 1.0;
    const double u = (point.x() - picture.left()) / picture.width() - 0.5;
    const double v = (point.y() - picture.top()) / picture.height() - 0.5;
    const long pan = std::lround(now.pan + 2.0 * kPanUnits * u / room);
    const long tilt = std::lround(now.tilt - 2.0 * kTiltUnits * v / room);
    return PanTilt{int(std::clamp<long>(pan, -kPanUnits, kPanUnits)),
                   int(std::clamp<long>(tilt, -kTiltUnits, kTiltUnits))};
}

std::optional<PanTilt> arrowMoved(int dx, int dy, int zoom, PanTilt now) {
    const QRectF unit(0.0, 0.0, 1.0, 1.0);
    return centredOn(QPointF(0.5 + dx * kArrowShare, 0.5 + dy * kArrowShare), unit, zoom, now);
}

int zoomStepped(int zoom, int steps) {
    return std::clamp(zoom + steps * kZoomStep, kNoZoom, kMaxZoom);
}

}  // namespace framing
