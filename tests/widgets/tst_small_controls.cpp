// The mode switcher, the tab button, the hint button, the centred combo box and the title
// bar's full-screen toggle.
#include <QApplication>
#include <QLabel>
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

private slots:
    void initTestCase() {
        setDialogScaleFactorSource(+[] { return 1.0; });
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

    // It reports its list opening and closing, and centres its items.
    void comboBoxReportsItsListAndCentresItems() {
        CenterComboBox combo;
        combo.addItems({QStringLiteral("1920x1080(30p)"), QStringLiteral("1280x720(30p)")});
        combo.resize(200, 40);
        combo.show();
        QVERIFY(QTest::qWaitForWindowExposed(&combo));
        QSignalSpy showing(&combo, &CenterComboBox::popupShowing);
        combo.showPopup();
        QCOMPARE(showing.count(), 1);
        QCOMPARE(showing.at(0).at(0).toBool(), true);
        QCOMPARE(combo.itemData(1, Qt::SizeHintRole).toSize(), QSize(0, 40));
        QCOMPARE(combo.itemData(0, Qt::TextAlignmentRole).toInt(), int(Qt::AlignCenter));
        combo.hidePopup();
        QCOMPARE(showing.count(), 2);
        QCOMPARE(showing.at(1).at(0).toBool(), false);
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
