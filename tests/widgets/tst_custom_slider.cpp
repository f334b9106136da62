// The drag-only slider: what it reports for drags, clicks, wheel, keys and silent moves.
#include <QApplication>
#include <QImage>
#include <QMouseEvent>
#include <QSignalSpy>
#include <QStyle>
#include <QStyleOptionSlider>
#include <QWheelEvent>
#include <QtTest>

#include "widgets/custom_slider.h"

namespace {

class ProbeSlider : public CustomSlider {
public:
    using CustomSlider::CustomSlider;
    QPoint handleCentre() {
        QStyleOptionSlider option;
        initStyleOption(&option);
        return style()->subControlRect(QStyle::CC_Slider, &option, QStyle::SC_SliderHandle, this).center();
    }
    void send(QEvent::Type type, QPoint pos, Qt::MouseButtons buttons) {
        QMouseEvent event(type, pos, mapToGlobal(pos), Qt::LeftButton, buttons, Qt::NoModifier);
        QApplication::sendEvent(this, &event);
    }
    void press(QPoint pos) { send(QEvent::MouseButtonPress, pos, Qt::LeftButton); }
    void moveTo(QPoint pos) { send(QEvent::MouseMove, pos, Qt::LeftButton); }
    void release(QPoint pos) { send(QEvent::MouseButtonRelease, pos, Qt::NoButton); }
};

}  // namespace

class TestCustomSlider : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<ProbeSlider> slider;
    std::unique_ptr<QSignalSpy> clicked;
    std::unique_ptr<QSignalSpy> moved;
    std::unique_ptr<QSignalSpy> released;

    int reports() const { return clicked->count() + moved->count() + released->count(); }

private slots:
    void init() {
        slider = std::make_unique<ProbeSlider>(Qt::Horizontal);
        slider->setRange(0, 200);
        slider->setSingleStep(1);
        slider->setPageStep(10);
        slider->setFixedSize(420, 40);
        slider->setCurrentValue(100);
        slider->show();
        QVERIFY(QTest::qWaitForWindowExposed(slider.get()));
        clicked = std::make_unique<QSignalSpy>(slider.get(), &CustomSlider::sliderClicked);
        moved = std::make_unique<QSignalSpy>(slider.get(), &CustomSlider::sliderValueChanged);
        released = std::make_unique<QSignalSpy>(slider.get(), &CustomSlider::sliderReleased);
    }
    void cleanup() {
        clicked.reset();
        moved.reset();
        released.reset();
        slider.reset();
    }

    void wheelKeysAndDoubleClickLeaveTheValue() {
        const QPoint centre = slider->handleCentre();
        QWheelEvent wheel(QPointF(centre), QPointF(slider->mapToGlobal(centre)), QPoint(), QPoint(0, 120),
                          Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
        // Checked before any repaint, which would put a moved handle back anyway.
        QApplication::sendEvent(slider.get(), &wheel);
        QCOMPARE(slider->value(), 100);
        QTest::keyClick(slider.get(), Qt::Key_Right);
        QTest::keyClick(slider.get(), Qt::Key_PageUp);
        QTest::keyClick(slider.get(), Qt::Key_End);
        QCOMPARE(slider->value(), 100);
        slider->send(QEvent::MouseButtonDblClick, QPoint(400, 20), Qt::LeftButton);
        QCOMPARE(slider->value(), 100);
        QCOMPARE(reports(), 0);
    }

    void dragReportsClickMovesAndOneRelease() {
        QPoint pos = slider->handleCentre();
        slider->press(pos);
        QCOMPARE(clicked->count(), 1);
        QVERIFY(slider->isHandlePressed());
        for (int step = 0; step < 200 && slider->sliderPosition() < 120; ++step) {
            pos.rx() += 1;
            slider->moveTo(pos);
        }
        QCOMPARE(slider->sliderPosition(), 120);
        slider->release(pos);

        QCOMPARE(clicked->count(), 1);
        QVERIFY(moved->count() >= 1);
        int previous = 100;
        for (const QList<QVariant>& args : *moved) {
            QVERIFY(args.at(0).toInt() > previous);
            previous = args.at(0).toInt();
        }
        QCOMPARE(previous, 120);
        QCOMPARE(released->count(), 1);
        QCOMPARE(released->at(0).at(0).toInt(), 120);
        QVERIFY(!slider->isHandlePressed());
        slider->grab();
        QCOMPARE(slider->value(), 120);
    }

    // A click on the handle reports the old value; one on the groove reports nothing and
    // the next repaint puts the handle back.
    void clicksWithoutADragKeepTheValue() {
        const QPoint pos = slider->handleCentre();
        slider->press(pos);
        slider->release(pos);
        QCOMPARE(clicked->count(), 1);
        QCOMPARE(moved->count(), 0);
        QCOMPARE(released->count(), 1);
        QCOMPARE(released->at(0).at(0).toInt(), 100);
        const QPoint far(slider->width() - 5, slider->height() / 2);
        slider->press(far);
        slider->release(far);
        slider->grab();
        QCOMPARE(slider->value(), 100);
        QCOMPARE(moved->count() + released->count(), 1);
    }

    void setCurrentValueIsSilentOnlyWhileNotHeld() {
        slider->setCurrentValue(37);
        slider->grab();
        QCOMPARE(slider->value(), 37);
        QCOMPARE(reports(), 0);

        const QPoint pos = slider->handleCentre();
        slider->press(pos);
        slider->setCurrentValue(150);
        QCOMPARE(moved->count(), 1);
        QCOMPARE(moved->at(0).at(0).toInt(), 150);
        slider->release(pos);
        QCOMPARE(released->at(0).at(0).toInt(), 150);
    }

    void dragTextIsScaledAndPlacedAlongTheGroove() {
        slider->setDisplayScale(100);
        QCOMPARE(slider->dragText(46), QStringLiteral("4600"));
        slider->setDisplayScale(1);
        QCOMPARE(slider->dragText(-7), QStringLiteral("-7"));
        slider->setDisplayScale(1000);
        QCOMPARE(slider->dragText(2000), QStringLiteral("2e+06"));
        // 420 wide, text 20 wide: the text's left edge runs from 0 to 400.
        for (int value : {0, 100, 200})
            QCOMPARE(slider->dragTextX(value, 20), value * 2);
        slider->setRange(5, 5);
        QCOMPARE(slider->dragTextX(5, 20), 0);
    }

    void numberIsDrawnOnlyWhileHeld() {
        slider->setStyleSheet(QStringLiteral("background: black;"));
        slider->setDisplayScale(100);
        const QImage idle = slider->grab().toImage();
        const QPoint pos = slider->handleCentre();
        slider->press(pos);
        const QImage held = slider->grab().toImage();
        slider->release(pos);
        QVERIFY(idle != held);
        QCOMPARE(slider->grab().toImage(), idle);
    }
};

QTEST_MAIN(TestCustomSlider)
#include "tst_custom_slider.moc"
