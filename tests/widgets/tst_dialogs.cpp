// The dialogs: the base and the question dialog (dimming of the main window, the outcome
// signals, Escape, scaling for the screen and deletion after use), the transfer progress
// dialog, and the busy spinner and its indicator. (The licence viewer: tst_info_tab.)
#include <QApplication>
#include <QLabel>
#include <QMainWindow>
#include <QPointer>
#include <QPushButton>
#include <QSignalSpy>
#include <QTimer>
#include <QtTest>

#include "support/log_capture.h"
#include "widgets/busy_progress.h"
#include "widgets/custom_progress_dialog.h"
#include "widgets/darken_effect.h"
#include "widgets/dialog_scale.h"
#include "widgets/general_dialog.h"
#include "widgets/popup_window.h"
#include "widgets/q_progress_indicator.h"
#include "widgets/window_cover.h"

namespace {

// Stands in for the program's main window: the cover the dialogs find among the windows.
class FakeMainWindow : public QMainWindow, public WindowCover {
public:
    void setDialogDarkening(QGraphicsEffect* effect) override { setGraphicsEffect(effect); }
    void disableWindowWithoutText() override { ++disabled; }
    void enableWindow() override { ++enabled; }
    int disabled = 0;
    int enabled = 0;
};

void flushDeletes() {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

QPushButton* button(QDialog* dialog, const char* name) {
    return dialog->findChild<QPushButton*>(QLatin1String(name));
}

QLabel* label(QDialog* dialog, const char* name) {
    return dialog->findChild<QLabel*>(QLatin1String(name));
}

// A new per-use question with the given button texts.
QPointer<GeneralDialog> question(const QString& left = QStringLiteral("Cancel"),
                                 const QString& right = QStringLiteral("OK")) {
    QPointer<GeneralDialog> dialog = new GeneralDialog();
    dialog->init(QStringLiteral("t"), QStringLiteral("c"), left, right);
    return dialog;
}

}  // namespace

class TestDialogs : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<FakeMainWindow> mainWindow;
    int topLevelsAtStart = 0;

private slots:
    void init() {
        setDialogScaleFactorSource(+[] { return 1.0; });
        mainWindow = std::make_unique<FakeMainWindow>();
        mainWindow->show();
        topLevelsAtStart = QApplication::topLevelWidgets().size();
    }
    void cleanup() {
        flushDeletes();
        QCOMPARE(QApplication::topLevelWidgets().size(), topLevelsAtStart);
        mainWindow.reset();
    }

    void buttonClosesTheShownDialogAndReportsAfterClosing() {
        QPointer<GeneralDialog> dialog = question();
        // A second init does not connect the buttons twice.
        dialog->init(QStringLiteral("t"), QStringLiteral("c"), QStringLiteral("Cancel"),
                     QStringLiteral("OK"));
        bool visibleAtSignal = true;
        int enabledAtSignal = -1;
        connect(dialog.data(), &GeneralDialog::rightBtnClicked, this, [&] {
            visibleAtSignal = dialog->isVisible();
            enabledAtSignal = mainWindow->enabled;
        });
        QSignalSpy left(dialog.data(), &GeneralDialog::leftBtnClicked);
        QSignalSpy right(dialog.data(), &GeneralDialog::rightBtnClicked);
        QSignalSpy canceled(dialog.data(), &GeneralDialog::canceled);

        dialog->show();
        QVERIFY(dialog->isShowing());
        QCOMPARE(mainWindow->disabled, 1);
        // A second dialog open meanwhile keeps its own button state: the window's close
        // command cancels it, once.
        QPointer<GeneralDialog> second = question();
        second->show();
        QSignalSpy secondCanceled(second.data(), &GeneralDialog::canceled);
        QSignalSpy secondAnswered(second.data(), &GeneralDialog::leftBtnClicked);

        QTest::mouseClick(button(dialog, "rightBtn"), Qt::LeftButton);
        QCOMPARE(right.count(), 1);
        QCOMPARE(left.count(), 0);
        QCOMPARE(canceled.count(), 0);
        QVERIFY(!visibleAtSignal);
        QCOMPARE(enabledAtSignal, 1);
        QCOMPARE(mainWindow->enabled, 1);
        mainWindow->setGraphicsEffect(new DarkenEffect());
        QVERIFY(second->close());
        QVERIFY(!mainWindow->graphicsEffect() && !second->isShowing());
        // Closed again (the main window closes every dialog it finds), or a late
        // closeDialog: nothing more is reported.
        second->close();
        QVERIFY(!second->closeDialog());
        QCOMPARE(secondCanceled.count(), 1);
        QCOMPARE(secondAnswered.count(), 0);
        QCOMPARE(mainWindow->enabled, 2);
        flushDeletes();
        QVERIFY(!dialog);
    }

    // A button without text is hidden. Answers by keyboard: Enter gives the focused button,
    // else the default (right) one; Escape the cancelling (left) one, or the only button
    // there is; Tab moves between them.
    void keyboardAnswers_data() {
        QTest::addColumn<QString>("leftText");
        QTest::addColumn<QString>("rightText");
        QTest::addColumn<QList<int>>("keys");
        QTest::addColumn<QString>("answer");
        const auto row = [](const char* name, const char* left, const char* right, QList<int> keys,
                            const char* answer) {
            QTest::newRow(name) << QString(left) << QString(right) << keys << QString(answer);
        };
        row("enter: default", "Cancel", "Enable", {Qt::Key_Return}, "right");
        row("escape: cancel", "Cancel", "Enable", {Qt::Key_Escape}, "left");
        row("tab to cancel, enter", "Cancel", "Enable", {Qt::Key_Tab, Qt::Key_Return}, "left");
        row("tab twice, enter", "Cancel", "Enable", {Qt::Key_Tab, Qt::Key_Tab, Qt::Key_Return}, "right");
        row("message: escape acknowledges", "", "OK", {Qt::Key_Escape}, "right");
        row("left only: enter", "Cancel", "", {Qt::Key_Return}, "left");
    }

    void keyboardAnswers() {
        QFETCH(QString, leftText);
        QFETCH(QString, rightText);
        QFETCH(QList<int>, keys);
        QFETCH(QString, answer);
        QPointer<GeneralDialog> dialog = question(leftText, rightText);
        QSignalSpy left(dialog.data(), &GeneralDialog::leftBtnClicked);
        QSignalSpy right(dialog.data(), &GeneralDialog::rightBtnClicked);
        QSignalSpy canceled(dialog.data(), &GeneralDialog::canceled);
        for (const auto& [name, text] : {std::pair{"leftBtn", leftText}, {"rightBtn", rightText}})
            QVERIFY(button(dialog, name)->isHidden() == text.isEmpty() &&
                    (text.isEmpty() || button(dialog, name)->text() == text));
        dialog->show();
        QApplication::setActiveWindow(dialog.data());
        QVERIFY(QTest::qWaitForWindowActive(dialog.data()));
        for (int key : keys)
            QTest::keyClick(QApplication::focusWidget(), Qt::Key(key));
        QTRY_VERIFY(dialog.isNull() || !dialog->isVisible());
        QCOMPARE(left.count(), answer == QLatin1String("left") ? 1 : 0);
        QCOMPARE(right.count(), answer == QLatin1String("right") ? 1 : 0);
        QCOMPARE(canceled.count(), 0);
    }

    // exec() darkens the main window, found among other windows (a plain window shown before
    // it is not dimmed; without one: tst_setting_tab's questions), and keeps the dialog until
    // it returns.
    void execDarkensTheMainWindowAndKeepsTheDialogUntilReturn() {
        mainWindow.reset();
        QMainWindow other;
        other.show();
        mainWindow = std::make_unique<FakeMainWindow>();
        mainWindow->show();
        QPointer<GeneralDialog> dialog = question();
        QSignalSpy left(dialog.data(), &GeneralDialog::leftBtnClicked);
        bool darkened = false;
        QTimer::singleShot(0, this, [&] {
            darkened = qobject_cast<DarkenEffect*>(mainWindow->graphicsEffect()) && !other.graphicsEffect();
            QTest::mouseClick(button(dialog, "leftBtn"), Qt::LeftButton);
        });
        dialog->exec();
        QVERIFY(darkened);
        QCOMPARE(left.count(), 1);
        QVERIFY(!mainWindow->graphicsEffect());
        QCOMPARE(mainWindow->enabled, 1);
        // Still readable right after exec(), gone at the next return to the event loop.
        QVERIFY(dialog);
        QVERIFY(!dialog->isShowing());
        flushDeletes();
        QVERIFY(!dialog);
        other.close();
    }

    // Wider screens: the width grows by factor / 1.03 (a popup's too), the heights by
    // factor / 1.15; the header keeps its height. At or below 1 both follow the factor
    // unchanged. The 144 dpi row takes the program's own screen factor (the process runs at
    // a font DPI of 144: main), the others a stand-in.
    void scalesForTheScreen_data() {
        QTest::addColumn<double>("factor");  // 0: the program's own
        QTest::addColumn<QSize>("frame");
        QTest::addColumn<int>("contentHeight");
        QTest::addColumn<int>("popupWidth");
        QTest::newRow("144 dpi") << 0.0 << QSize(495, int(180 * 1.5 / 1.15)) << int(100 * 1.5 / 1.15) << 531;
        QTest::newRow("96 dpi") << 1.0 << QSize(340, 180) << 100 << 365;
        QTest::newRow("48 dpi") << 0.5 << QSize(170, 90) << 50 << 182;
    }
    void scalesForTheScreen() {
        QFETCH(double, factor);
        QFETCH(QSize, frame);
        QFETCH(int, contentHeight);
        QFETCH(int, popupWidth);
        static double current;
        current = factor;
        setDialogScaleFactorSource(factor > 0 ? +[] { return current; } : nullptr);
        QCOMPARE(dialogScaleFactor(), factor > 0 ? factor : 1.5);
        QPointer<GeneralDialog> dialog = new GeneralDialog();
        QSignalSpy canceled(dialog.data(), &GeneralDialog::canceled);
        QCOMPARE(dialog->findChild<QWidget*>(QStringLiteral("verticalWidget"))->size(), frame);
        QCOMPARE(dialog->minimumSize(), frame);
        QCOMPARE(label(dialog, "headerLabel")->size(), QSize(frame.width(), 30));
        QCOMPARE(label(dialog, "contentLabel")->size(), QSize(frame.width(), contentHeight));
        dialog->close();  // never shown: deleted all the same (cleanup), nothing cancelled
        QCOMPARE(canceled.count(), 0);
        PopupWindow popup;
        popup.setContents(QStringLiteral("Auto Zoom"), QStringLiteral("text"));
        QCOMPARE(popup.width(), popupWidth);
    }

    // Cancelled by its button or by Escape, alike.
    void progressDialogCancelReportsResetsAndCloses_data() {
        QTest::addColumn<bool>("byEscape");
        QTest::newRow("button") << false;
        QTest::newRow("escape") << true;
    }

    void progressDialogCancelReportsResetsAndCloses() {
        QFETCH(bool, byEscape);
        LogCapture log;
        QPointer<CustomProgressDialog> dialog = new CustomProgressDialog();
        QSignalSpy cancel(dialog.data(), &CustomProgressDialog::cancelBtnClicked);
        QVERIFY(!dialog->closeProgress());
        dialog->show();
        dialog->setProgress(40);
        QCOMPARE(dialog->progress(), 40);
        if (byEscape)
            QTest::keyClick(dialog.data(), Qt::Key_Escape);
        else
            QTest::mouseClick(dialog->findChild<QPushButton*>(QStringLiteral("cancelBtn")), Qt::LeftButton);
        QCOMPARE(cancel.count(), 1);
        QCOMPARE(log.count("close \n"), 1);  // not for the close before show()
        QCOMPARE(dialog->progress(), 0);
        QVERIFY(!dialog->isVisible());
        QVERIFY(!dialog->isShowing());
        QVERIFY(!dialog->closeProgress());
        QCOMPARE(log.count("close \n"), 1);
        flushDeletes();
        QVERIFY(!dialog);
    }

    void busyProgressSpinsAndCanBeOpenedAgain() {
        QWidget page;
        auto* busy = new BusyProgress(&page);
        QProgressIndicator* indicator = busy->findChild<QProgressIndicator*>(QStringLiteral("indicator"));
        QVERIFY(indicator && indicator->isAnimated());
        indicator->setAnimationDelay(5);  // running, it turns by 45 degrees a tick from 0
        QTRY_VERIFY(indicator->angle() != 0);
        QCOMPARE(indicator->angle() % 45, 0);

        for (int round = 0; round < 2; ++round) {
            // Escape does not end a wait: only the waiting code closes it.
            QTimer::singleShot(0, busy, [busy] {
                QTest::keyClick(busy, Qt::Key_Escape);
                QVERIFY(busy->isVisible());
                QVERIFY(busy->closeDialog());
            });
            busy->exec();
            flushDeletes();
            QVERIFY(page.findChild<BusyProgress*>() == busy);
            QVERIFY(!busy->isShowing());
        }
        QVERIFY(!busy->closeDialog());
        // Stopped it stays put and a new delay does not start it; started again it turns from 0.
        indicator->stopAnimation();
        indicator->setAnimationDelay(5);
        const int stoppedAt = indicator->angle();
        QTest::qWait(30);
        QVERIFY(!indicator->isAnimated() && indicator->angle() == stoppedAt);
        indicator->startAnimation();
        QCOMPARE(indicator->angle(), 0);
    }
};

int main(int argc, char** argv) {
    qputenv("QT_FONT_DPI", "144");  // the screen of the 144 dpi row
    QApplication app(argc, argv);
    TestDialogs test;
    return QTest::qExec(&test, argc, argv);
}
#include "tst_dialogs.moc"
