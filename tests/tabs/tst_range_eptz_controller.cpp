// The pan/tilt rectangle: the numbers it reports at different zooms, the inverse
// placement, clamping, and what presses, drags and releases do.
#include <QApplication>
#include <QMouseEvent>
#include <QSignalSpy>
#include <QtTest>

#include "tabs/range_eptz_controller.h"

namespace {
void sendMouse(QWidget* widget, QEvent::Type type, QPoint pos, Qt::MouseButton button,
               Qt::MouseButtons buttons) {
    QMouseEvent event(type, pos, widget->mapToGlobal(pos), button, buttons, Qt::NoModifier);
    QApplication::sendEvent(widget, &event);
}

void repaintNow(QWidget* widget) {
    widget->grab();
}
}  // namespace

class TestRangeEptzController : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<RangeEptzController> controller;

    // Places the rectangle, repaints, releases, and returns what the release reported.
    QPair<int, int> placeAndRelease(int pan, int tilt) {
        controller->calRectCenter(pan, tilt);
        repaintNow(controller.get());
        QSignalSpy force(controller.get(), &RangeEptzController::forcePanTilt);
        sendMouse(controller.get(), QEvent::MouseButtonRelease, QPoint(1, 1), Qt::LeftButton, Qt::NoButton);
        if (force.count() != 1)
            return {-999, -999};
        return {force.at(0).at(0).toInt(), force.at(0).at(1).toInt()};
    }

private slots:
    void init() {
        controller = std::make_unique<RangeEptzController>();
        controller->setFixedSize(265, 151);
        controller->show();
        QVERIFY(QTest::qWaitForWindowExposed(controller.get()));
        QCOMPARE(controller->getRectCenter(), QPoint(132, 75));
    }
    void cleanup() { controller.reset(); }

    void signalsInMetaObjectOrder() {
        const QMetaObject& meta = RangeEptzController::staticMetaObject;
        QCOMPARE(meta.methodCount() - meta.methodOffset(), 2);
        QCOMPARE(meta.method(meta.methodOffset()).methodSignature(), QByteArray("positionChanged(int,int)"));
        QCOMPARE(meta.method(meta.methodOffset() + 1).methodSignature(), QByteArray("forcePanTilt(int,int)"));
    }

    void zoom200EdgesAndRange() {
        controller->setZoomPercentage(200);
        QCOMPARE(placeAndRelease(-100, 0), qMakePair(-20, 0));
        QCOMPARE(controller->getRectCenter().x(), 66);
        QVERIFY(qAbs(controller->getPan() - (-20.0760)) < 0.001);
        QCOMPARE(placeAndRelease(100, 0), qMakePair(20, 0));
        QCOMPARE(controller->getRectCenter().x(), 198);
        QCOMPARE(placeAndRelease(0, 100), qMakePair(0, 15));
        QCOMPARE(controller->getRectCenter().y(), 37);
        QVERIFY(qAbs(controller->getTilt() - 15.302) < 0.001);
        QCOMPARE(placeAndRelease(0, -100), qMakePair(0, -15));
        QCOMPARE(controller->getRectCenter().y(), 113);
        QCOMPARE(controller->getRect().size(), QSizeF(132.5, 75.5));
    }

    void zoom500EdgesAndRange() {
        controller->setZoomPercentage(500);
        QCOMPARE(placeAndRelease(-100, 100), qMakePair(-20, 15));
        QCOMPARE(controller->getRectCenter(), QPoint(26, 15));
        QCOMPARE(placeAndRelease(100, -100), qMakePair(20, -15));
        QCOMPARE(controller->getRectCenter(), QPoint(238, 135));
        QCOMPARE(controller->getRect().width(), 53.0);
        QVERIFY(qAbs(controller->getRect().height() - 30.2) < 1e-9);
    }

    void placementIsReadBackWithTheDrawingDivisors() {
        controller->setZoomPercentage(200);
        controller->calRectCenter(10, 5);
        QCOMPARE(controller->getRectCenter(), QPoint(197, 56));
        QCOMPARE(placeAndRelease(10, 5), qMakePair(19, 7));
        QVERIFY(qAbs(controller->getPan() - 19.771) < 0.001);
        QVERIFY(qAbs(controller->getTilt() - 7.651) < 0.001);
    }

    void placementOutsideIsClampedByTheNextRepaint() {
        controller->setZoomPercentage(200);
        controller->calRectCenter(20, 15);
        QCOMPARE(controller->getRectCenter(), QPoint(263, 19));
        repaintNow(controller.get());
        QCOMPARE(controller->getRectCenter(), QPoint(198, 37));
    }

    void zoom100KeepsTheCentreAndTheNumbers() {
        controller->setZoomPercentage(200);
        QCOMPARE(placeAndRelease(10, 5), qMakePair(19, 7));
        controller->setZoomPercentage(100);
        repaintNow(controller.get());
        QCOMPARE(controller->getRectCenter(), QPoint(132, 75));
        QCOMPARE(controller->getRect(), QRectF(-0.5, -0.5, 265, 151));

        QSignalSpy moved(controller.get(), &RangeEptzController::positionChanged);
        sendMouse(controller.get(), QEvent::MouseButtonPress, QPoint(132, 75), Qt::LeftButton,
                  Qt::LeftButton);
        sendMouse(controller.get(), QEvent::MouseMove, QPoint(160, 90), Qt::NoButton, Qt::LeftButton);
        repaintNow(controller.get());
        QCOMPARE(moved.count(), 0);
        QCOMPARE(controller->getRectCenter(), QPoint(132, 75));
        QSignalSpy force(controller.get(), &RangeEptzController::forcePanTilt);
        sendMouse(controller.get(), QEvent::MouseButtonRelease, QPoint(160, 90), Qt::LeftButton,
                  Qt::NoButton);
        QCOMPARE(force.count(), 1);
        QCOMPARE(force.at(0).at(0).toInt(), 19);
        QCOMPARE(force.at(0).at(1).toInt(), 7);
    }

    void dragMovesTheRectangleAndReportsOneStepBehind() {
        controller->setZoomPercentage(200);
        controller->calRectCenter(0, 0);
        repaintNow(controller.get());
        QSignalSpy moved(controller.get(), &RangeEptzController::positionChanged);
        QSignalSpy force(controller.get(), &RangeEptzController::forcePanTilt);

        sendMouse(controller.get(), QEvent::MouseButtonPress, QPoint(132, 75), Qt::LeftButton,
                  Qt::LeftButton);
        QVERIFY(controller->isDragging());
        sendMouse(controller.get(), QEvent::MouseMove, QPoint(152, 65), Qt::NoButton, Qt::LeftButton);
        QCOMPARE(controller->getRectCenter(), QPoint(152, 65));
        QCOMPARE(controller->cursor().shape(), Qt::ClosedHandCursor);
        QCOMPARE(moved.count(), 1);
        QCOMPARE(moved.at(0).at(0).toInt(), 0);
        QCOMPARE(moved.at(0).at(1).toInt(), 0);
        repaintNow(controller.get());
        sendMouse(controller.get(), QEvent::MouseMove, QPoint(153, 65), Qt::NoButton, Qt::LeftButton);
        QCOMPARE(moved.count(), 2);
        QCOMPARE(moved.at(1).at(0).toInt(), int(20 / 3.2875));
        QCOMPARE(moved.at(1).at(1).toInt(), int(10 / ((75 - 37.75) / 15.0)));
        repaintNow(controller.get());
        sendMouse(controller.get(), QEvent::MouseButtonRelease, QPoint(153, 65), Qt::LeftButton,
                  Qt::NoButton);
        QVERIFY(!controller->isDragging());
        QCOMPARE(force.count(), 1);
        QCOMPARE(force.at(0).at(0).toInt(), int(21 / 3.2875));
        QCOMPARE(controller->cursor().shape(), Qt::OpenHandCursor);
    }

    void dragPastTheEdgeStopsAtIt() {
        controller->setZoomPercentage(200);
        controller->calRectCenter(0, 0);
        repaintNow(controller.get());
        sendMouse(controller.get(), QEvent::MouseButtonPress, QPoint(132, 75), Qt::LeftButton,
                  Qt::LeftButton);
        sendMouse(controller.get(), QEvent::MouseMove, QPoint(-300, 75), Qt::NoButton, Qt::LeftButton);
        repaintNow(controller.get());
        QCOMPARE(controller->getRectCenter().x(), 66);
        QSignalSpy force(controller.get(), &RangeEptzController::forcePanTilt);
        sendMouse(controller.get(), QEvent::MouseButtonRelease, QPoint(-300, 75), Qt::LeftButton,
                  Qt::NoButton);
        QCOMPARE(force.at(0).at(0).toInt(), -20);
    }

    void releaseWithoutDragReportsOnce() {
        controller->setZoomPercentage(200);
        controller->calRectCenter(-5, 3);
        repaintNow(controller.get());
        const int expectedPan = int(controller->getPan());
        const int expectedTilt = int(controller->getTilt());
        QSignalSpy force(controller.get(), &RangeEptzController::forcePanTilt);
        QSignalSpy moved(controller.get(), &RangeEptzController::positionChanged);
        sendMouse(controller.get(), QEvent::MouseButtonRelease, QPoint(260, 148), Qt::RightButton,
                  Qt::NoButton);
        QCOMPARE(force.count(), 1);
        QCOMPARE(force.at(0).at(0).toInt(), expectedPan);
        QCOMPARE(force.at(0).at(1).toInt(), expectedTilt);
        QCOMPARE(moved.count(), 0);
        QCOMPARE(controller->cursor().shape(), Qt::ArrowCursor);
    }

    void pressOutsideTheRectangleMovesNothing() {
        controller->setZoomPercentage(200);
        controller->calRectCenter(0, 0);
        repaintNow(controller.get());
        QSignalSpy moved(controller.get(), &RangeEptzController::positionChanged);
        sendMouse(controller.get(), QEvent::MouseButtonPress, QPoint(10, 10), Qt::LeftButton, Qt::LeftButton);
        QVERIFY(!controller->isDragging());
        sendMouse(controller.get(), QEvent::MouseMove, QPoint(40, 30), Qt::NoButton, Qt::LeftButton);
        sendMouse(controller.get(), QEvent::MouseMove, QPoint(80, 60), Qt::NoButton, Qt::LeftButton);
        repaintNow(controller.get());
        QCOMPARE(moved.count(), 0);
        QCOMPARE(controller->getRectCenter(), QPoint(132, 75));

        // A right press inside does not start a drag either.
        sendMouse(controller.get(), QEvent::MouseButtonPress, QPoint(132, 75), Qt::RightButton,
                  Qt::RightButton);
        QVERIFY(!controller->isDragging());
    }

    void hoverShowsAnOpenHandOverTheRectangle() {
        controller->setZoomPercentage(300);
        repaintNow(controller.get());
        sendMouse(controller.get(), QEvent::MouseMove, QPoint(132, 75), Qt::NoButton, Qt::NoButton);
        QCOMPARE(controller->cursor().shape(), Qt::OpenHandCursor);
        sendMouse(controller.get(), QEvent::MouseMove, QPoint(2, 2), Qt::NoButton, Qt::NoButton);
        QCOMPARE(controller->cursor().shape(), Qt::ArrowCursor);
    }

    void rectangleIsDrawnInTheAccentColour() {
        controller->setZoomPercentage(200);
        controller->calRectCenter(0, 0);
        const QImage image = controller->grab().toImage();
        // The outline's left edge runs at x = 132 - 66.25.
        const QColor edge(image.pixel(66, 75));
        QCOMPARE(edge, QColor(62, 145, 255));
    }

    void outlandishInputStaysDefined() {
        controller->setZoomPercentage(0);
        controller->calRectCenter(5, 5);
        repaintNow(controller.get());
        QCOMPARE(controller->getRectCenter(), QPoint(132, 75));
        controller->setZoomPercentage(200);
        QCOMPARE(placeAndRelease(std::numeric_limits<int>::max(), std::numeric_limits<int>::min()),
                 qMakePair(20, -15));
    }

    void resizeRecentresTheRectangle() {
        controller->setMinimumSize(0, 0);
        controller->setMaximumSize(1000, 1000);
        controller->setZoomPercentage(200);
        controller->calRectCenter(10, 10);
        controller->resize(400, 300);
        QTRY_COMPARE(controller->getRectCenter(), QPoint(200, 150));
        repaintNow(controller.get());
        QCOMPARE(controller->getRect().size(), QSizeF(200, 150));
    }
};

QTEST_MAIN(TestRangeEptzController)
#include "tst_range_eptz_controller.moc"
