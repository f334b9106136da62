#include "tabs/range_eptz_controller.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QResizeEvent>
#include <algorithm>
#include <cmath>
#include <limits>

#include "tabs/point_to_frame.h"

namespace {
// Cuts toward zero like a cast, but stays defined for any input: values beyond the int
// range are held at its ends and a non-number gives 0.
int truncToInt(double v) {
    if (std::isnan(v))
        return 0;
    if (v >= static_cast<double>(std::numeric_limits<int>::max()))
        return std::numeric_limits<int>::max();
    if (v <= static_cast<double>(std::numeric_limits<int>::min()))
        return std::numeric_limits<int>::min();
    return static_cast<int>(v);
}

// Pan and tilt at the rectangle's farthest position to the right and to the top.
constexpr double kPanUnits = framing::kPanUnits;
constexpr double kTiltUnits = framing::kTiltUnits;
}  // namespace

RangeEptzController::RangeEptzController(QWidget* parent)
    : QWidget(parent), background(QStringLiteral(":/icons/eptz_bg.png")) {
    setMouseTracking(true);
    setFocusPolicy(Qt::StrongFocus);
    updateBackgroundGeometry();
}

void RangeEptzController::updateBackgroundGeometry() {
    backgroundSize = size();
    bgCenter = {backgroundSize.width() / 2, backgroundSize.height() / 2};
}

void RangeEptzController::setZoomPercentage(double percent) {
    // A zoom below or at nothing is no zoom at all.
    scaleSize = percent > 0.0 ? percent / 100.0 : 1.0;
    update();
}

void RangeEptzController::calRectCenter(int panValue, int tiltValue) {
    pan = panValue;
    tilt = tiltValue;
    const double w = backgroundSize.width() / scaleSize;
    const double h = backgroundSize.height() / scaleSize;
    // The same units as the read-back (calPanAndTilt), so that the rectangle stands where
    // the camera looks.
    const double unitX = (bgCenter.x() - w * 0.5) / kPanUnits;
    const double unitY = (bgCenter.y() - h * 0.5) / kTiltUnits;
    rectCenter = {truncToInt(bgCenter.x() + pan * unitX), truncToInt(bgCenter.y() - tilt * unitY)};
    // A whole pixel is coarser than a unit of pan or tilt: until the rectangle moves, the
    // placed values stand, and a click without a drag sends them back unchanged.
    placedCenter = rectCenter;
    placedScale = scaleSize;
}

void RangeEptzController::correctRectRange(double w, double h) {
    if (scaleSize > 1.0) {
        const double hw = w * 0.5;
        const double hh = h * 0.5;
        if (rectCenter.x() - hw < 0)
            rectCenter.setX(truncToInt(hw));
        if (rectCenter.y() - hh < 0)
            rectCenter.setY(truncToInt(hh));
        if (rectCenter.x() + hw > backgroundSize.width())
            rectCenter.setX(truncToInt(backgroundSize.width() - hw));
        if (rectCenter.y() + hh > backgroundSize.height())
            rectCenter.setY(truncToInt(backgroundSize.height() - hh));
    } else {
        rectCenter = {width() / 2, height() / 2};
    }
}

void RangeEptzController::calPanAndTilt(double w, double h) {
    if (placedCenter && *placedCenter == rectCenter && placedScale == scaleSize)
        return;
    placedCenter.reset();
    const double unitX = (bgCenter.x() - w * 0.5) / kPanUnits;
    const double unitY = (bgCenter.y() - h * 0.5) / kTiltUnits;
    pan = (rectCenter.x() - bgCenter.x()) / unitX;
    tilt = (bgCenter.y() - rectCenter.y()) / unitY;
}

void RangeEptzController::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.drawPixmap(0, 0, background.width(), background.height(), background);

    const double w = backgroundSize.width() / scaleSize;
    const double h = backgroundSize.height() / scaleSize;
    correctRectRange(w, h);
    zoomRect = QRectF(rectCenter.x() - w * 0.5, rectCenter.y() - h * 0.5, w, h);

    painter.setRenderHint(QPainter::Qt4CompatiblePainting, true);
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(QBrush(QColor(62, 145, 255, 255)), 2.0, Qt::SolidLine, Qt::SquareCap, Qt::BevelJoin));
    painter.drawRoundedRect(zoomRect, 1.0, 1.0, Qt::AbsoluteSize);

    if (scaleSize > 1.0)
        calPanAndTilt(w, h);
}

void RangeEptzController::mousePressEvent(QMouseEvent* event) {
    if (zoomRect.contains(event->pos()) && (event->buttons() & Qt::LeftButton)) {
        dragging = true;
        lastPos = event->pos();
    }
}

void RangeEptzController::mouseMoveEvent(QMouseEvent* event) {
    if (scaleSize <= 1.0)
        return;
    if ((event->buttons() & Qt::LeftButton) && dragging) {
        setCursor(Qt::ClosedHandCursor);
        rectCenter += event->pos() - lastPos;
        update();
        lastPos = event->pos();
        // The repaint comes later: these are the values of the previous one.
        emit positionChanged(truncToInt(pan), truncToInt(tilt));
        return;
    }
    if (dragging)
        return;
    setCursor(zoomRect.contains(event->pos()) ? Qt::OpenHandCursor : Qt::ArrowCursor);
}

void RangeEptzController::mouseReleaseEvent(QMouseEvent* event) {
    emit forcePanTilt(truncToInt(pan), truncToInt(tilt));
    dragging = false;
    setCursor(zoomRect.contains(event->pos()) ? Qt::OpenHandCursor : Qt::ArrowCursor);
}

namespace {
// The pan and tilt step of an arrow key; none for other keys.
bool arrowStep(int key, int* dPan, int* dTilt) {
    *dPan = key == Qt::Key_Right ? 1 : key == Qt::Key_Left ? -1 : 0;
    *dTilt = key == Qt::Key_Up ? 1 : key == Qt::Key_Down ? -1 : 0;
    return *dPan != 0 || *dTilt != 0;
}
}  // namespace

void RangeEptzController::keyPressEvent(QKeyEvent* event) {
    int dPan = 0;
    int dTilt = 0;
    if (event->modifiers() != Qt::NoModifier || !arrowStep(event->key(), &dPan, &dTilt)) {
        QWidget::keyPressEvent(event);
        return;
    }
    event->accept();
    if (scaleSize <= 1.0 || dragging)
        return;
    const int newPan = std::clamp(truncToInt(pan) + dPan, -int(kPanUnits), int(kPanUnits));
    const int newTilt = std::clamp(truncToInt(tilt) + dTilt, -int(kTiltUnits), int(kTiltUnits));
    if (newPan == truncToInt(pan) && newTilt == truncToInt(tilt))
        return;
    calRectCenter(newPan, newTilt);
    keyMoved = true;
    update();
    emit positionChanged(newPan, newTilt);
}

void RangeEptzController::keyReleaseEvent(QKeyEvent* event) {
    int dPan = 0;
    int dTilt = 0;
    if (!arrowStep(event->key(), &dPan, &dTilt)) {
        QWidget::keyReleaseEvent(event);
        return;
    }
    event->accept();
    if (event->isAutoRepeat() || !keyMoved)
        return;
    keyMoved = false;
    emit forcePanTilt(truncToInt(pan), truncToInt(tilt));
}

void RangeEptzController::resizeEvent(QResizeEvent* event) {
    if (event->size() == backgroundSize)
        return;
    updateBackgroundGeometry();
    rectCenter = {width() / 2, height() / 2};
    updateGeometry();
}
