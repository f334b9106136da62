#pragma once
// The small picture of the camera's whole view on which the user drags the digital zoom's
// rectangle. The rectangle's size is the zoomed-in share of the picture; its position is
// turned into pan (-20 left .. +20 right) and tilt (-15 bottom .. +15 top), reported on
// every drag step (positionChanged) and on every release (forcePanTilt). The settings
// page drives the other way with setZoomPercentage() and calRectCenter(). It never talks
// to the camera. By keyboard, while zoomed in, each press of an arrow key moves the view
// by one unit of pan or tilt (positionChanged) and the key's release reports it as a
// mouse release does (forcePanTilt).
#include <QPixmap>
#include <QPoint>
#include <QRectF>
#include <QSize>
#include <QWidget>
#include <optional>

class RangeEptzController : public QWidget {
    Q_OBJECT

public:
    explicit RangeEptzController(QWidget* parent = nullptr);

    // Zoom in percent (100 shows the whole view); repaints.
    void setZoomPercentage(double percent);
    // Places the rectangle from a pan and tilt; the next repaint keeps it inside the
    // picture. Pan and tilt keep the given values until the rectangle moves (a drag, a
    // zoom change or the repaint's keeping it inside); then they are read back from it.
    void calRectCenter(int pan, int tilt);

    double getPan() const { return pan; }
    double getTilt() const { return tilt; }
    QPoint getRectCenter() const { return rectCenter; }
    QRectF getRect() const { return zoomRect; }
    bool isDragging() const { return dragging; }

signals:
    void positionChanged(int pan, int tilt);
    void forcePanTilt(int pan, int tilt);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void updateBackgroundGeometry();
    void correctRectRange(double w, double h);
    void calPanAndTilt(double w, double h);

    double scaleSize = 1.0;
    QPoint lastPos;
    QPoint rectCenter;
    double pan = 0.0;
    double tilt = 0.0;
    QRectF zoomRect;

    // The picture's size and centre, taken from the widget's size.
    QSize backgroundSize;
    QPoint bgCenter;
    // A drag that began inside the rectangle is under way.
    bool dragging = false;
    // An arrow key has moved the view since it was pressed.
    bool keyMoved = false;
    // Where calRectCenter put the rectangle, at which zoom; reset once it moved.
    std::optional<QPoint> placedCenter;
    double placedScale = 1.0;

    QPixmap background;
};
