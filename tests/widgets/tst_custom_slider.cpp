// The drag-only slider: what it reports for clicks, wheel, keys and silent moves (a drag's
// value and its one release reach the camera in tests/app/tst_page_wiring).
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

    // A key press is the handle's press and one drag step to where the key leads, however
    // far; its release the handle's release. Keys that lead nowhere new send no release,
    // and keys of others (Tab, with Ctrl) pass on untouched.
    void keysTakeTheMousePaths_data() {
        QTest::addColumn<int>("start");
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("modifiers");
        QTest::addColumn<int>("value");
        QTest::addColumn<int>("clicks");
        QTest::addColumn<bool>("reported");  // one change and one release, at value
        QTest::newRow("right") << 100 << int(Qt::Key_Right) << 0 << 101 << 1 << true;
        QTest::newRow("left") << 100 << int(Qt::Key_Left) << 0 << 99 << 1 << true;
        QTest::newRow("down") << 100 << int(Qt::Key_Down) << 0 << 99 << 1 << true;
        QTest::newRow("page up: one job for ten steps")
            << 100 << int(Qt::Key_PageUp) << 0 << 110 << 1 << true;
        QTest::newRow("page down held at the end") << 5 << int(Qt::Key_PageDown) << 0 << 0 << 1 << true;
        QTest::newRow("home") << 100 << int(Qt::Key_Home) << 0 << 0 << 1 << true;
        QTest::newRow("end") << 100 << int(Qt::Key_End) << 0 << 200 << 1 << true;
        QTest::newRow("end at the end: no job") << 200 << int(Qt::Key_End) << 0 << 200 << 1 << false;
        QTest::newRow("ctrl+right is not the slider's")
            << 100 << int(Qt::Key_Right) << int(Qt::ControlModifier) << 100 << 0 << false;
        QTest::newRow("tab passes on") << 100 << int(Qt::Key_Tab) << 0 << 100 << 0 << false;
    }

    void keysTakeTheMousePaths() {
        QFETCH(int, start);
        QFETCH(int, key);
        QFETCH(int, modifiers);
        QFETCH(int, value);
        QFETCH(int, clicks);
        QFETCH(bool, reported);
        slider->setCurrentValue(start);
        QTest::keyClick(slider.get(), Qt::Key(key), Qt::KeyboardModifiers(modifiers));
        slider->repaint();  // a repaint does not undo a key's move
        QCOMPARE(slider->value(), value);
        QCOMPARE(clicked->count(), clicks);
        QCOMPARE(moved->count(), reported ? 1 : 0);
        QCOMPARE(released->count(), reported ? 1 : 0);
        if (reported)
            QVERIFY(moved->at(0).at(0).toInt() == value && released->at(0).at(0).toInt() == value);
        QVERIFY(!slider->isHandlePressed());
    }

    // A held key repeats drag steps and releases once; losing the focus while held lets go;
    // a press that disables the slider (a confirmation opened) moves nothing.
    void heldKeysAndInterruptions() {
        QTest::keyPress(slider.get(), Qt::Key_Right);
        QTest::keyEvent(QTest::Press, slider.get(), Qt::Key_Right, Qt::NoModifier, -1);
        QKeyEvent repeat(QEvent::KeyPress, Qt::Key_Right, Qt::NoModifier, QString(), true);
        QApplication::sendEvent(slider.get(), &repeat);
        QCOMPARE(clicked->count(), 1);
        QCOMPARE(moved->count(), 3);
        QVERIFY(slider->isHandlePressed());
        QTest::keyRelease(slider.get(), Qt::Key_Right);
        QCOMPARE(released->count(), 1);
        QCOMPARE(released->at(0).at(0).toInt(), 103);

        QTest::keyPress(slider.get(), Qt::Key_Left);
        QFocusEvent out(QEvent::FocusOut);
        QApplication::sendEvent(slider.get(), &out);
        QVERIFY(!slider->isHandlePressed());
        QCOMPARE(released->count(), 2);
        QCOMPARE(released->at(1).at(0).toInt(), 102);

        connect(slider.get(), &CustomSlider::sliderClicked, slider.get(),
                [this] { slider->setEnabled(false); });
        QTest::keyClick(slider.get(), Qt::Key_Right);
        QCOMPARE(slider->value(), 102);
        QCOMPARE(moved->count(), 4);
        QCOMPARE(released->count(), 2);
    }

    // A click on the handle reports the old value; one on the groove reports nothing and
    // the next repaint puts the handle back; the wheel and a double click change nothing.
    void clicksWithoutADragKeepTheValue() {
        const QPoint pos = slider->handleCentre();
        QWheelEvent wheel(QPointF(pos), QPointF(slider->mapToGlobal(pos)), QPoint(), QPoint(0, 120),
                          Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
        // Checked before any repaint, which would put a moved handle back anyway.
        QApplication::sendEvent(slider.get(), &wheel);
        slider->send(QEvent::MouseButtonDblClick, QPoint(400, 20), Qt::LeftButton);
        QCOMPARE(slider->value(), 100);
        QCOMPARE(reports(), 0);
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

    // Held, a value set by the program is reported as a drag's (while not held it is
    // silent: the page's refill in tst_page_wiring sends nothing).
    void setCurrentValueIsSilentOnlyWhileNotHeld() {
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
