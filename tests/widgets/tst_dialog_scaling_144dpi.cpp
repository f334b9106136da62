// Dialogs and popups on a 144 dpi screen, measured through the program's own screen
// factor (no test override): the process starts with the screen's font DPI at 144.
#include <QApplication>
#include <QtTest>

#include "base/scale_size.h"
#include "widgets/general_dialog.h"
#include "widgets/popup_window.h"

class TestDialogScaling144Dpi : public QObject {
    Q_OBJECT

private slots:
    // The screen factor is 1.5; dialogs and popups grow less than the screen.
    void dialogsGrowLessThanTheScreen() {
        QCOMPARE(getScaleSize(), 1.5);
        GeneralDialog dialog;
        QCOMPARE(dialog.findChild<QWidget*>(QStringLiteral("verticalWidget"))->width(), 495);
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
