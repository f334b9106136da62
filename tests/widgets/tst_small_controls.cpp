// The on/off switch (clicks, silent changes, the knob animation and its look), the mode
// switcher, the tab button, the hint button, the centred combo box and the title bar's
// full-screen toggle.
#include <QApplication>
#include <QLabel>
#include <QPropertyAnimation>
#include <QPushButton>
#include <QSignalSpy>
#include <QtTest>

#include "support/log_capture.h"
#include "widgets/center_combo_box.h"
#include "widgets/custom_mode_switcher.h"
#include "widgets/custom_title_bar.h"
#include "widgets/dialog_scale.h"
#include "widgets/hover_hint_btn.h"
#include "widgets/popup_window.h"
#include "widgets/switch_button.h"
#include "widgets/tab_button.h"

namespace {
QIcon solidIcon(Qt::GlobalColor colour) {
    QPixmap pixmap(16, 16);
    pixmap.fill(colour);
    return QIcon(pixmap);
}

void flushDeletes() {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}
}  // namespace

class TestSmallControls : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<SwitchButton> switch_;  // a switch of the size the settings page uses, shown

    SwitchButton* button() { return switch_.get(); }
    static bool isLight(const QImage& image, int x, int y) { return qGray(image.pixel(x, y)) > 180; }

private slots:
    void initTestCase() {
        setDialogScaleFactorSource(+[] { return 1.0; });
    }
    void init() {
        switch_ = std::make_unique<SwitchButton>();
        switch_->setFixedSize(34, 20);
        switch_->show();
        QVERIFY(QTest::qWaitForWindowExposed(switch_.get()));
    }
    void cleanup() { switch_.reset(); }

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
        button()->setSwitchState(startOn);
        QCOMPARE(button()->isChecked(), startOn);
        QSignalSpy changed(button(), &SwitchButton::switchChanged);
        QSignalSpy clicked(button(), &SwitchButton::switchClicked);
        if (means == QLatin1String("space"))
            QTest::keyClick(button(), Qt::Key_Space);
        else if (means == QLatin1String("click"))
            button()->click();
        else if (means == QLatin1String("toggle"))
            button()->toggle();
        else
            QTest::mouseClick(button(), means == QLatin1String("right") ? Qt::RightButton : Qt::LeftButton);
        const bool now = means == QLatin1String("right") ? startOn : !startOn;
        QCOMPARE(button()->isSwitchOn(), now);
        QCOMPARE(button()->isChecked(), now);
        QCOMPARE(changed.count(), 1);
        QCOMPARE(changed.at(0).at(0).toBool(), now);
        QCOMPARE(clicked.count(), means == QLatin1String("mouse") ? 1 : 0);
        QTRY_COMPARE(button()->getOffset(), now ? 20 : 7);
    }

    // A silent change still moves the knob, and a quick second change turns the running
    // animation round.
    void setSwitchStateIsSilentAndDrawsTheKnobWhereTheOffsetSays() {
        QSignalSpy clicked(button(), &SwitchButton::switchClicked);
        QSignalSpy changed(button(), &SwitchButton::switchChanged);
        button()->setSwitchState(true);
        QVERIFY(button()->isSwitchOn());
        QTRY_COMPARE(button()->getOffset(), 20);
        const QImage on = button()->grab().toImage();
        // The knob's diameter is the widget's height: centred at (offset, 7) it covers
        // x 13..33, so the right part is light and the left end of the track is blue.
        QVERIFY(isLight(on, 24, 10));
        QVERIFY(QColor(on.pixel(5, 10)).blue() > 200);

        button()->setSwitchState(false);
        QTRY_COMPARE(button()->getOffset(), 7);
        const QImage off = button()->grab().toImage();
        QVERIFY(isLight(off, 8, 10));
        QVERIFY(!isLight(off, 28, 10));

        button()->setSwitchState(true);
        button()->setSwitchState(false);
        QCOMPARE(button()->knobAnimation()->endValue().toInt(), 7);
        QTest::qWait(150);
        QCOMPARE(button()->getOffset(), 7);
        QCOMPARE(clicked.count() + changed.count(), 0);
    }

    void hoverBrightensOnlyTheHoveredSwitch() {
        SwitchButton other;
        QEvent enter(QEvent::Enter), leave(QEvent::Leave);
        QApplication::sendEvent(button(), &enter);
        QVERIFY(button()->isHovered() && !other.isHovered());
        QCOMPARE(button()->cursor().shape(), Qt::PointingHandCursor);
        QApplication::sendEvent(button(), &leave);
        QVERIFY(!button()->isHovered());
    }

    // Runs first: no switcher has been clicked yet in this process. setMode checks a
    // button silently and ignores other values than 1 to 3; a click reports the mode, which
    // is one value for the whole program.
    void modeSwitcher() {
        CustomModeSwitcher first;
        CustomModeSwitcher second;
        QSignalSpy changed(&first, &CustomModeSwitcher::modeChanged);
        QCOMPARE(first.checkedMode(), 1);
        first.setMode(0);
        first.setMode(4);
        QCOMPARE(first.checkedMode(), 1);
        first.setMode(3);
        QCOMPARE(first.checkedMode(), 3);
        auto* mode1 = first.findChild<QPushButton*>(QStringLiteral("Mode1"));
        auto* mode3 = first.findChild<QPushButton*>(QStringLiteral("Mode3"));
        QVERIFY(!mode1->isChecked());
        QCOMPARE(changed.count(), 0);
        QCOMPARE(CustomModeSwitcher::currentMode(), -1);

        // Two texts hide the third button, three show it again.
        first.setButtonTexts(QStringLiteral("50Hz"), QStringLiteral("60Hz"));
        QVERIFY(mode3->isHidden());
        first.setButtonTexts(QStringLiteral("H264"), QStringLiteral("MJPG"), QStringLiteral("YUY2"));
        QVERIFY(!mode3->isHidden() && mode3->text() == QLatin1String("YUY2"));

        LogCapture log;
        first.show();
        QTest::mouseClick(first.findChild<QPushButton*>(QStringLiteral("Mode2")), Qt::LeftButton);
        QCOMPARE(changed.count(), 1);
        QCOMPARE(changed.at(0).at(0).toInt(), 2);
        QCOMPARE(log.count("buttonJudge 2 \n"), 1);
        QCOMPARE(first.checkedMode(), 2);
        QCOMPARE(second.currentMode(), 2);
    }

    // Hovered, checked, shown plain again, or selected by the program: the icon of its state.
    void tabButtonShowsTheIconOfItsState() {
        const QIcon normal = solidIcon(Qt::red);
        const QIcon checked = solidIcon(Qt::green);
        const QIcon hover = solidIcon(Qt::blue);
        TabButton button;
        TabButton other;
        for (TabButton* b : {&button, &other}) {
            b->setCheckable(true);
            b->setIcons(normal, checked, hover);
        }
        const auto shows = [](TabButton& b, const QIcon& icon) {
            return b.icon().cacheKey() == icon.cacheKey();
        };
        QEvent enter(QEvent::Enter);
        QEvent leave(QEvent::Leave);
        QVERIFY(shows(button, normal));
        QApplication::sendEvent(&button, &enter);
        QVERIFY(shows(button, hover));
        QApplication::sendEvent(&button, &leave);
        QVERIFY(shows(button, normal));
        button.show();
        QTest::mouseClick(&button, Qt::LeftButton);
        QApplication::sendEvent(&button, &leave);
        QVERIFY(button.isChecked() && shows(button, checked));
        button.showNormalIcon();
        QVERIFY(button.isChecked() && shows(button, normal));
        other.select();
        QVERIFY(other.isChecked() && shows(other, checked));
    }

    void hintButtonShowsAPopupWhileHovered() {
        QWidget host;
        host.resize(300, 300);
        auto* button = new HoverHintBtn(&host);
        button->setGeometry(150, 200, 20, 20);
        button->setHint(QStringLiteral("Auto Zoom"), QStringLiteral("Keeps everyone in view."));
        host.show();
        QVERIFY(QTest::qWaitForWindowExposed(&host));
        const int topLevels = QApplication::topLevelWidgets().size();

        QEvent enter(QEvent::Enter);
        QApplication::sendEvent(button, &enter);
        QPointer<PopupWindow> popup = button->shownPopup();
        QVERIFY(popup);
        QVERIFY(popup->isVisible());
        QCOMPARE(popup->findChild<QLabel*>(QStringLiteral("title"))->text(), QStringLiteral("Auto Zoom"));
        QCOMPARE(popup->findChild<QLabel*>(QStringLiteral("content"))->text(),
                 QStringLiteral("Keeps everyone in view."));
        // Above the button, centred on its left edge.
        const QPoint origin = button->mapToGlobal(QPoint(0, 0));
        QCOMPARE(popup->geometry().topLeft(),
                 QPoint(origin.x() - popup->width() / 2, origin.y() - popup->height()));

        // A second enter without a leave replaces the popup instead of leaking one.
        QApplication::sendEvent(button, &enter);
        QVERIFY(button->shownPopup() != popup.data());
        flushDeletes();
        QVERIFY(!popup);

        QEvent leave(QEvent::Leave);
        QApplication::sendEvent(button, &leave);
        QVERIFY(!button->shownPopup());
        flushDeletes();
        QCOMPARE(QApplication::topLevelWidgets().size(), topLevels);
    }

    // It centres its items (its list's opening and closing: tst_mode_tab's Modify).
    void comboBoxCentresItsItems() {
        CenterComboBox combo;
        combo.addItems({QStringLiteral("1920x1080(30p)"), QStringLiteral("1280x720(30p)")});
        combo.show();
        QVERIFY(QTest::qWaitForWindowExposed(&combo));
        combo.showPopup();
        QCOMPARE(combo.itemData(1, Qt::SizeHintRole).toSize(), QSize(0, 40));
        QCOMPARE(combo.itemData(0, Qt::TextAlignmentRole).toInt(), int(Qt::AlignCenter));
        combo.hidePopup();
    }

    void titleBarTogglesFullScreen() {
        QWidget target;
        target.show();
        CustomTitleBar bar(&target);
        bar.toggleButton()->click();
        QVERIFY(target.windowState().testFlag(Qt::WindowFullScreen));
        bar.toggleButton()->click();
        QVERIFY(!target.windowState().testFlag(Qt::WindowFullScreen));
    }
};

QTEST_MAIN(TestSmallControls)
#include "tst_small_controls.moc"
