// The pan/tilt rectangle: the numbers it reports at different zooms, the inverse
// placement, clamping, and what presses, drags and releases do.
#include <QApplication>
#include <QMouseEvent>
#include <QSignalSpy>
#include <QtTest>

#include "tabs/range_eptz_controller.h"

using PanTilt = QPair<int, int>;

class TestRangeEptzController : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<RangeEptzController> controller;
    std::unique_ptr<QSignalSpy> moved;
    std::unique_ptr<QSignalSpy> forced;

    void send(QEvent::Type type, QPoint pos, Qt::MouseButton button, Qt::MouseButtons buttons) {
        QMouseEvent event(type, pos, controller->mapToGlobal(pos), button, buttons, Qt::NoModifier);
        QApplication::sendEvent(controller.get(), &event);
    }
    void press(QPoint pos, Qt::MouseButton button = Qt::LeftButton) {
        send(QEvent::MouseButtonPress, pos, button, button);
    }
    void dragTo(QPoint pos) { send(QEvent::MouseMove, pos, Qt::NoButton, Qt::LeftButton); }
    void hover(QPoint pos) { send(QEvent::MouseMove, pos, Qt::NoButton, Qt::NoButton); }
    void release(QPoint pos, Qt::MouseButton button = Qt::LeftButton) {
        send(QEvent::MouseButtonRelease, pos, button, Qt::NoButton);
    }
    void repaintNow() { controller->grab(); }
    static PanTilt args(const QSignalSpy& spy, int i) {
        return {spy.at(i).at(0).toInt(), spy.at(i).at(1).toInt()};
    }
    Qt::CursorShape cursor() const { return controller->cursor().shape(); }

    // Places the rectangle, repaints, releases, and returns what the release reported.
    PanTilt placeAndRelease(int pan, int tilt) {
        controller->calRectCenter(pan, tilt);
        repaintNow();
        const int before = forced->count();
        release(QPoint(1, 1));
        return forced->count() == before + 1 ? args(*forced, before) : PanTilt(-999, -999);
    }

private slots:
    void init() {
        controller = std::make_unique<RangeEptzController>();
        controller->setFixedSize(265, 151);
        controller->show();
        QVERIFY(QTest::qWaitForWindowExposed(controller.get()));
        QCOMPARE(controller->getRectCenter(), QPoint(132, 75));
        moved = std::make_unique<QSignalSpy>(controller.get(), &RangeEptzController::positionChanged);
        forced = std::make_unique<QSignalSpy>(controller.get(), &RangeEptzController::forcePanTilt);
    }
    void cleanup() {
        moved.reset();
        forced.reset();
        controller.reset();
    }

    // A placed pan and tilt come back unchanged from a click without a drag, at any zoom,
    // although a pixel is coarser than a unit; placed far beyond an edge, the repaint clamps
    // the rectangle to the edge, which reads back as pan +/-20 or tilt +/-15.
    void placementReadsBackOrClampsToTheEdge_data() {
        QTest::addColumn<int>("zoom");
        QTest::addColumn<QPoint>("placed");
        QTest::addColumn<QPoint>("centre");
        QTest::addColumn<QPoint>("reported");
        QTest::addColumn<QSizeF>("rectSize");
        const QSizeF half(132.5, 75.5), fifth(53, 151 / 5.0), twoThirds(265 / 1.5, 151 / 1.5);
        const int big = std::numeric_limits<int>::max();
        const int small = std::numeric_limits<int>::min();
        const auto row = [](const char* name, int zoom, QPoint placed, QPoint centre, QPoint reported,
                            QSizeF size) {
            QTest::newRow(name) << zoom << placed << centre << reported << size;
        };
        row("200", 200, {10, 5}, {164, 62}, {10, 5}, half);
        row("200 down left", 200, {-7, -12}, {108, 104}, {-7, -12}, half);
        row("200 at the corner", 200, {20, 15}, {197, 37}, {20, 15}, half);
        row("500 at the corner", 500, {-20, 15}, {26, 15}, {-20, 15}, fifth);
        row("500", 500, {3, -1}, {147, 78}, {3, -1}, fifth);
        row("150", 150, {1, 1}, {134, 73}, {1, 1}, twoThirds);
        row("200 beyond the right", 200, {100, 0}, {198, 75}, {20, 0}, half);
        row("200 beyond the bottom", 200, {0, -100}, {132, 113}, {0, -15}, half);
        row("500 beyond top left", 500, {-100, 100}, {26, 15}, {-20, 15}, fifth);
        row("500 beyond bottom right", 500, {100, -100}, {238, 135}, {20, -15}, fifth);
        row("int range", 200, {big, small}, {198, 113}, {20, -15}, half);
    }
    void placementReadsBackOrClampsToTheEdge() {
        QFETCH(int, zoom);
        QFETCH(QPoint, placed);
        QFETCH(QPoint, centre);
        QFETCH(QPoint, reported);
        QFETCH(QSizeF, rectSize);
        controller->setZoomPercentage(zoom);
        QCOMPARE(placeAndRelease(placed.x(), placed.y()), PanTilt(reported.x(), reported.y()));
        QCOMPARE(controller->getRectCenter(), centre);
        QCOMPARE(controller->getRect().size(), rectSize);
    }

    // Zoom 0 or 100: the rectangle is the whole picture and stays there; a drag moves
    // nothing, the release reports the last numbers again.
    void noZoomKeepsTheCentreAndTheNumbers() {
        controller->setZoomPercentage(0);
        controller->calRectCenter(5, 5);
        repaintNow();
        QCOMPARE(controller->getRectCenter(), QPoint(132, 75));
        controller->setZoomPercentage(200);
        QCOMPARE(placeAndRelease(10, 5), PanTilt(10, 5));
        controller->setZoomPercentage(100);
        repaintNow();
        QCOMPARE(controller->getRectCenter(), QPoint(132, 75));
        QCOMPARE(controller->getRect(), QRectF(-0.5, -0.5, 265, 151));

        press(QPoint(132, 75));
        dragTo(QPoint(160, 90));
        repaintNow();
        QCOMPARE(moved->count(), 0);
        QCOMPARE(controller->getRectCenter(), QPoint(132, 75));
        release(QPoint(160, 90));
        QCOMPARE(forced->count(), 2);
        QCOMPARE(args(*forced, 1), PanTilt(10, 5));
    }

    void dragMovesTheRectangleAndReportsOneStepBehind() {
        controller->setZoomPercentage(200);
        controller->calRectCenter(0, 0);
        repaintNow();

        press(QPoint(132, 75));
        QVERIFY(controller->isDragging());
        dragTo(QPoint(152, 65));
        QCOMPARE(controller->getRectCenter(), QPoint(152, 65));
        QCOMPARE(cursor(), Qt::ClosedHandCursor);
        QCOMPARE(moved->count(), 1);
        QCOMPARE(args(*moved, 0), PanTilt(0, 0));
        repaintNow();
        dragTo(QPoint(153, 65));
        QCOMPARE(moved->count(), 2);
        QCOMPARE(args(*moved, 1), PanTilt(int(20 / 3.2875), int(10 / ((75 - 37.75) / 15.0))));
        repaintNow();
        release(QPoint(153, 65));
        QVERIFY(!controller->isDragging());
        QCOMPARE(forced->count(), 1);
        QCOMPARE(args(*forced, 0).first, int(21 / 3.2875));
        QCOMPARE(cursor(), Qt::OpenHandCursor);
    }

    // Presses outside the rectangle or with the right button start no drag; a release
    // without a drag reports the place once; the hand shows over the rectangle only.
    void mouseWithoutADrag() {
        controller->setZoomPercentage(200);
        controller->calRectCenter(-5, 3);
        repaintNow();
        release(QPoint(260, 148), Qt::RightButton);
        QCOMPARE(forced->count(), 1);
        QCOMPARE(args(*forced, 0), PanTilt(int(controller->getPan()), int(controller->getTilt())));
        QCOMPARE(cursor(), Qt::ArrowCursor);

        controller->calRectCenter(0, 0);
        repaintNow();
        hover(QPoint(132, 75));
        QCOMPARE(cursor(), Qt::OpenHandCursor);
        hover(QPoint(2, 2));
        QCOMPARE(cursor(), Qt::ArrowCursor);
        press(QPoint(10, 10));
        QVERIFY(!controller->isDragging());
        dragTo(QPoint(40, 30));
        dragTo(QPoint(80, 60));
        repaintNow();
        QCOMPARE(moved->count(), 0);
        QCOMPARE(controller->getRectCenter(), QPoint(132, 75));
        press(QPoint(132, 75), Qt::RightButton);
        QVERIFY(!controller->isDragging());
    }

    void resizeRecentresTheRectangle() {
        controller->setMinimumSize(0, 0);
        controller->setMaximumSize(1000, 1000);
        controller->setZoomPercentage(200);
        controller->calRectCenter(10, 10);
        controller->resize(400, 300);
        QTRY_COMPARE(controller->getRectCenter(), QPoint(200, 150));
        repaintNow();
        QCOMPARE(controller->getRect().size(), QSizeF(200, 150));
    }
};

QTEST_MAIN(TestRangeEptzController)
#include "tst_range_eptz_controller.moc"
