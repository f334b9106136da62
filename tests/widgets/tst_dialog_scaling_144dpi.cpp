// Dialogs and popups on a 144 dpi screen, measured through the program's own screen
// factor (no test override): the process starts with the screen's font DPI at 144.
#include <QApplication>
#include <QLabel>
#include <QPointer>
#include <QtTest>

#include "app/scale_size.h"
#include "widgets/general_dialog.h"
#include "widgets/popup_window.h"

class TestDialogScaling144Dpi : public QObject {
    Q_OBJECT

private slots:
    void screenFactorIsOneAndAHalf() { QCOMPARE(getScaleSize(), 1.5); }

    void questionDialogGrowsLessThanTheScreen() {
        QPointer<GeneralDialog> dialog = new GeneralDialog();
        QCOMPARE(dialog->findChild<QWidget*>(QStringLiteral("verticalWidget"))->width(), 495);
        QCOMPARE(dialog->minimumSize(), QSize(495, 234));
        QCOMPARE(dialog->findChild<QLabel*>(QStringLiteral("contentLabel"))->height(), 130);
        dialog->show();
        QVERIFY(QTest::qWaitForWindowExposed(dialog.data()));
        QVERIFY(dialog->width() >= 495);
        dialog->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(!dialog);
    }

    void hintPopupGrowsLessThanTheScreen() {
        PopupWindow popup;
        popup.setContents(QStringLiteral("Auto Zoom"), QStringLiteral("text"));
        QCOMPARE(popup.width(), 531);
    }
};

int main(int argc, char** argv) {
    qputenv("QT_FONT_DPI", "144");
    QApplication app(argc, argv);
    TestDialogScaling144Dpi test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_dialog_scaling_144dpi.moc"
