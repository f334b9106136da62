#pragma once
// Point to frame: the pan and tilt that bring a point of the shown picture to the centre
// of the camera's digital view.
//
// At zoom z (percent / 100) the camera shows 1/z of its whole picture; the view's centre
// moves within the room that leaves, 1 - 1/z of the picture each way, pan -kPanUnits at
// the left edge to +kPanUnits at the right, tilt -kTiltUnits at the bottom to +kTiltUnits
// at the top, in equal steps. A point at share u of the shown picture's width therefore
// lies 2 kPanUnits (u - 0.5) / (z - 1) units of pan from the view's centre (tilt alike,
// with y growing downwards). At 100 percent the view cannot move.
#include <QPointF>
#include <QRectF>
#include <optional>

namespace framing {

constexpr int kPanUnits = 20;
constexpr int kTiltUnits = 15;
constexpr int kNoZoom = 100;
constexpr int kMaxZoom = 500;
// Percent per step of the mouse wheel.
constexpr int kZoomStep = 10;
// An arrow key moves the view by this share of what it shows.
constexpr double kArrowShare = 0.1;

struct PanTilt {
    int pan = 0;
    int tilt = 0;
    bool operator==(const PanTilt& o) const { return pan == o.pan && tilt == o.tilt; }
};

// The pan and tilt, within their ranges, that centre the view on point (in the widget's
// coordinates) when the picture fills picture (the widget's rectangle it is drawn in;
// bars beside it are not the picture) and the view stands at zoom and now. None at a zoom
// of 100 or less, for an empty picture, and for a point outside it.
std::optional<PanTilt> centredOn(QPointF point, const QRectF& picture, int zoom, PanTilt now);

// The view moved by an arrow key: dx -1 left, +1 right; dy -1 up, +1 down (screen
// directions). None where centredOn gives none.
std::optional<PanTilt> arrowMoved(int dx, int dy, int zoom, PanTilt now);

// The zoom after steps of the wheel (positive: in), within 100..kMaxZoom.
int zoomStepped(int zoom, int steps);

}  // namespace framing
