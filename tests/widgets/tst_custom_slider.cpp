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
};

void sendMouse(QWidget* widget, QEvent::Type type, QPoint pos, Qt::MouseButton button,
               Qt::MouseButtons buttons) {
    QMouseEvent event(type, pos, widget->mapToGlobal(pos), button, buttons, Qt::NoModifier);
    QApplication::sendEvent(widget, &event);
}

void repaintNow(QWidget* widget) {
    widget->grab();
}

}  // namespace

class TestCustomSlider : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<ProbeSlider> slider;

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
    }
    void cleanup() { slider.reset(); }

    void wheelKeysAndDoubleClickLeaveTheValue() {
        QSignalSpy moved(slider.get(), &CustomSlider::sliderValueChanged);
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
        sendMouse(slider.get(), QEvent::MouseButtonDblClick, QPoint(400, 20), Qt::LeftButton, Qt::LeftButton);
        QCOMPARE(slider->value(), 100);
        QCOMPARE(moved.count(), 0);
    }

    void dragReportsClickMovesAndOneRelease() {
        QSignalSpy clicked(slider.get(), &CustomSlider::sliderClicked);
        QSignalSpy moved(slider.get(), &CustomSlider::sliderValueChanged);
        QSignalSpy released(slider.get(), &CustomSlider::sliderReleased);

        QPoint pos = slider->handleCentre();
        sendMouse(slider.get(), QEvent::MouseButtonPress, pos, Qt::LeftButton, Qt::LeftButton);
        QCOMPARE(clicked.count(), 1);
        QVERIFY(slider->isHandlePressed());
        for (int step = 0; step < 200 && slider->sliderPosition() < 120; ++step) {
            pos.rx() += 1;
            sendMouse(slider.get(), QEvent::MouseMove, pos, Qt::NoButton, Qt::LeftButton);
        }
        QCOMPARE(slider->sliderPosition(), 120);
        sendMouse(slider.get(), QEvent::MouseButtonRelease, pos, Qt::LeftButton, Qt::NoButton);

        QCOMPARE(clicked.count(), 1);
        QVERIFY(moved.count() >= 1);
        int previous = 100;
        for (const QList<QVariant>& args : moved) {
            QVERIFY(args.at(0).toInt() > previous);
            previous = args.at(0).toInt();
        }
        QCOMPARE(previous, 120);
        QCOMPARE(released.count(), 1);
        QCOMPARE(released.at(0).at(0).toInt(), 120);
        QVERIFY(!slider->isHandlePressed());
        repaintNow(slider.get());
        QCOMPARE(slider->value(), 120);
    }

    void plainClickOnHandleReportsTheOldValue() {
        QSignalSpy clicked(slider.get(), &CustomSlider::sliderClicked);
        QSignalSpy moved(slider.get(), &CustomSlider::sliderValueChanged);
        QSignalSpy released(slider.get(), &CustomSlider::sliderReleased);
        const QPoint pos = slider->handleCentre();
        sendMouse(slider.get(), QEvent::MouseButtonPress, pos, Qt::LeftButton, Qt::LeftButton);
        sendMouse(slider.get(), QEvent::MouseButtonRelease, pos, Qt::LeftButton, Qt::NoButton);
        QCOMPARE(clicked.count(), 1);
        QCOMPARE(moved.count(), 0);
        QCOMPARE(released.count(), 1);
        QCOMPARE(released.at(0).at(0).toInt(), 100);
    }

    void clickOnGrooveIsUndoneByTheNextRepaint() {
        QSignalSpy released(slider.get(), &CustomSlider::sliderReleased);
        QSignalSpy moved(slider.get(), &CustomSlider::sliderValueChanged);
        const QPoint far(slider->width() - 5, slider->height() / 2);
        sendMouse(slider.get(), QEvent::MouseButtonPress, far, Qt::LeftButton, Qt::LeftButton);
        sendMouse(slider.get(), QEvent::MouseButtonRelease, far, Qt::LeftButton, Qt::NoButton);
        repaintNow(slider.get());
        QCOMPARE(slider->value(), 100);
        QCOMPARE(moved.count(), 0);
        QCOMPARE(released.count(), 0);
    }

    void setCurrentValueIsSilentWhileNotHeld() {
        QSignalSpy clicked(slider.get(), &CustomSlider::sliderClicked);
        QSignalSpy moved(slider.get(), &CustomSlider::sliderValueChanged);
        QSignalSpy released(slider.get(), &CustomSlider::sliderReleased);
        slider->setCurrentValue(37);
        repaintNow(slider.get());
        QCOMPARE(slider->value(), 37);
        QCOMPARE(clicked.count() + moved.count() + released.count(), 0);
    }

    void setCurrentValueWhileHeldReportsTheMove() {
        QSignalSpy moved(slider.get(), &CustomSlider::sliderValueChanged);
        QSignalSpy released(slider.get(), &CustomSlider::sliderReleased);
        const QPoint pos = slider->handleCentre();
        sendMouse(slider.get(), QEvent::MouseButtonPress, pos, Qt::LeftButton, Qt::LeftButton);
        slider->setCurrentValue(150);
        QCOMPARE(moved.count(), 1);
        QCOMPARE(moved.at(0).at(0).toInt(), 150);
        sendMouse(slider.get(), QEvent::MouseButtonRelease, pos, Qt::LeftButton, Qt::NoButton);
        QCOMPARE(released.at(0).at(0).toInt(), 150);
    }

    void dragTextIsScaledAndPlacedAlongTheGroove() {
        slider->setDisplayScale(100);
        QCOMPARE(slider->dragText(46), QStringLiteral("4600"));
        slider->setDisplayScale(1);
        QCOMPARE(slider->dragText(-7), QStringLiteral("-7"));
        slider->setDisplayScale(1000);
        QCOMPARE(slider->dragText(2000), QStringLiteral("2e+06"));
        // 420 wide, text 20 wide: the text's left edge runs from 0 to 400.
        QCOMPARE(slider->dragTextX(0, 20), 0);
        QCOMPARE(slider->dragTextX(100, 20), 200);
        QCOMPARE(slider->dragTextX(200, 20), 400);
        slider->setRange(5, 5);
        QCOMPARE(slider->dragTextX(5, 20), 0);
    }

    void numberIsDrawnOnlyWhileHeld() {
        slider->setStyleSheet(QStringLiteral("background: black;"));
        slider->setDisplayScale(100);
        const QImage idle = slider->grab().toImage();
        const QPoint pos = slider->handleCentre();
        sendMouse(slider.get(), QEvent::MouseButtonPress, pos, Qt::LeftButton, Qt::LeftButton);
        const QImage held = slider->grab().toImage();
        sendMouse(slider.get(), QEvent::MouseButtonRelease, pos, Qt::LeftButton, Qt::NoButton);
        const QImage after = slider->grab().toImage();
        QVERIFY(idle != held);
        QCOMPARE(after, idle);
    }
};

QTEST_MAIN(TestCustomSlider)
#include "tst_custom_slider.moc"
