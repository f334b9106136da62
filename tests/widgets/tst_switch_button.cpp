// The on/off switch: clicks, silent changes, the knob animation and its look.
#include <QPropertyAnimation>
#include <QSignalSpy>
#include <QtTest>

#include "widgets/switch_button.h"

class TestSwitchButton : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<SwitchButton> button;

    static bool isLight(const QImage& image, int x, int y) { return qGray(image.pixel(x, y)) > 180; }

private slots:
    void init() {
        button = std::make_unique<SwitchButton>();
        button->setFixedSize(34, 20);
        button->show();
        QVERIFY(QTest::qWaitForWindowExposed(button.get()));
    }
    void cleanup() { button.reset(); }

    // Every way of turning the switch turns it once, reports the new state once and keeps
    // the checked state (what assistive tools read) in step; a left click also reports it.
    // The right button keeps the state but reports it as changed all the same.
    void otherMeansTurnItOnce_data() {
        QTest::addColumn<QString>("means");
        QTest::addColumn<bool>("startOn");
        QTest::newRow("right click: not turned") << QStringLiteral("right") << false;
        QTest::newRow("space, off") << QStringLiteral("space") << false;
        QTest::newRow("click() (an assistive press)") << QStringLiteral("click") << false;
        QTest::newRow("toggle() (an assistive toggle)") << QStringLiteral("toggle") << true;
        QTest::newRow("left click") << QStringLiteral("mouse") << false;
        QTest::newRow("left click, on") << QStringLiteral("mouse") << true;
    }

    void otherMeansTurnItOnce() {
        QFETCH(QString, means);
        QFETCH(bool, startOn);
        button->setSwitchState(startOn);
        QCOMPARE(button->isChecked(), startOn);
        QSignalSpy changed(button.get(), &SwitchButton::switchChanged);
        QSignalSpy clicked(button.get(), &SwitchButton::switchClicked);
        if (means == QLatin1String("space"))
            QTest::keyClick(button.get(), Qt::Key_Space);
        else if (means == QLatin1String("click"))
            button->click();
        else if (means == QLatin1String("toggle"))
            button->toggle();
        else
            QTest::mouseClick(button.get(),
                              means == QLatin1String("right") ? Qt::RightButton : Qt::LeftButton);
        const bool now = means == QLatin1String("right") ? startOn : !startOn;
        QCOMPARE(button->isSwitchOn(), now);
        QCOMPARE(button->isChecked(), now);
        QCOMPARE(changed.count(), 1);
        QCOMPARE(changed.at(0).at(0).toBool(), now);
        QCOMPARE(clicked.count(), means == QLatin1String("mouse") ? 1 : 0);
        QTRY_COMPARE(button->getOffset(), now ? 20 : 7);
    }

    // A silent change still moves the knob, and a quick second change turns the running
    // animation round.
    void setSwitchStateIsSilentAndDrawsTheKnobWhereTheOffsetSays() {
        QSignalSpy clicked(button.get(), &SwitchButton::switchClicked);
        QSignalSpy changed(button.get(), &SwitchButton::switchChanged);
        button->setSwitchState(true);
        QVERIFY(button->isSwitchOn());
        QTRY_COMPARE(button->getOffset(), 20);
        const QImage on = button->grab().toImage();
        // The knob's diameter is the widget's height: centred at (offset, 7) it covers
        // x 13..33, so the right part is light and the left end of the track is blue.
        QVERIFY(isLight(on, 24, 10));
        QVERIFY(QColor(on.pixel(5, 10)).blue() > 200);

        button->setSwitchState(false);
        QTRY_COMPARE(button->getOffset(), 7);
        const QImage off = button->grab().toImage();
        QVERIFY(isLight(off, 8, 10));
        QVERIFY(!isLight(off, 28, 10));

        button->setSwitchState(true);
        button->setSwitchState(false);
        QCOMPARE(button->knobAnimation()->endValue().toInt(), 7);
        QTest::qWait(150);
        QCOMPARE(button->getOffset(), 7);
        QCOMPARE(clicked.count() + changed.count(), 0);
    }

    void hoverBrightensOnlyTheHoveredSwitch() {
        SwitchButton other;
        QEvent enter(QEvent::Enter), leave(QEvent::Leave);
        QApplication::sendEvent(button.get(), &enter);
        QVERIFY(button->isHovered() && !other.isHovered());
        QCOMPARE(button->cursor().shape(), Qt::PointingHandCursor);
        QApplication::sendEvent(button.get(), &leave);
        QVERIFY(!button->isHovered());
    }
};

QTEST_MAIN(TestSwitchButton)
#include "tst_switch_button.moc"
