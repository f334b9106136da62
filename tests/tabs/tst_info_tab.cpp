// The information page's licence notices. (A firmware update through the page:
// tests/firmware/tst_firmware_window; the reset through the page: tst_mode_flows.)
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QTextBrowser>
#include <QtTest>
#include <memory>

#include "firmware/firmware_update.h"
#include "support/log_capture.h"
#include "tabs/info_tab.h"
#include "widgets/popup_license_layout.h"

class InfoTabTest : public QObject {
    Q_OBJECT

private slots:
    // The program's own notice (with the libraries it uses) is shipped beside the program
    // and shown under its title; the camera's is not shipped, and the viewer says so (and
    // logs it) instead of showing nothing. Closed, the viewer is gone for good.
    void licenceButtonsShowTheNoticeOrSayItIsMissing_data() {
        QTest::addColumn<QString>("button");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QStringList>("shown");
        QTest::newRow("software") << "toolLicenseButton"
                                  << "Open Source Licenses (PC Tool)"
                                  << QStringList{"GNU General Public License", "Qt 5.15", "libjpeg-turbo",
                                                 "libavcodec, libavutil, libswscale"};
        QTest::newRow("camera") << "camLicenseButton"
                                << "Open Source Licenses (Camera)"
                                << QStringList{"(Camera)_LEGAL COMMENT.htm is not installed"};
    }
    void licenceButtonsShowTheNoticeOrSayItIsMissing() {
        QFETCH(QString, button);
        QFETCH(QString, title);
        QFETCH(QStringList, shown);
        LogCapture log;
        FirmwareUpdate update;
        QWidget parent;
        new InfoTab(update, &parent);
        QTest::mouseClick(parent.findChild<QPushButton*>(button), Qt::LeftButton);
        const QList<PopupLicenseLayout*> viewers = parent.findChildren<PopupLicenseLayout*>();
        QCOMPARE(viewers.size(), 1);
        QPointer<PopupLicenseLayout> viewer = viewers.first();
        QVERIFY(viewer->isVisible());
        QCOMPARE(viewer->findChild<QLabel*>(QStringLiteral("titleLabel"))->text(), title);
        const QString text = viewer->findChild<QTextBrowser*>()->toPlainText();
        for (const QString& part : shown)
            QVERIFY2(text.contains(part), qPrintable(part));
        QCOMPARE(log.count("open failed\n"), shown.size() == 1 ? 1 : 0);
        QTest::mouseClick(viewer->findChild<QPushButton*>(QStringLiteral("closeButton")), Qt::LeftButton);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(!viewer);
    }
};

QTEST_MAIN(InfoTabTest)
#include "tst_info_tab.moc"
