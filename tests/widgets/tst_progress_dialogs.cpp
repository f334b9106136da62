// The transfer progress dialog, the busy spinner and its indicator, and the licence viewer.
#include <QApplication>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTextBrowser>
#include <QTimer>
#include <QtTest>

#include "support/log_capture.h"
#include "widgets/busy_progress.h"
#include "widgets/custom_progress_dialog.h"
#include "widgets/dialog_scale.h"
#include "widgets/popup_license_layout.h"
#include "widgets/q_progress_indicator.h"

namespace {
void flushDeletes() {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

int opaquePixels(const QImage& image) {
    int count = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x)
            count += qAlpha(image.pixel(x, y)) > 0;
    }
    return count;
}

QImage renderTransparent(QWidget* widget) {
    QImage image(widget->size(), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    widget->render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
    return image;
}
}  // namespace

class TestProgressDialogs : public QObject {
    Q_OBJECT

private:
    int topLevelsAtStart = 0;

private slots:
    void init() {
        setDialogScaleFactorSource(+[] { return 1.0; });
        topLevelsAtStart = QApplication::topLevelWidgets().size();
    }
    void cleanup() {
        flushDeletes();
        QCOMPARE(QApplication::topLevelWidgets().size(), topLevelsAtStart);
    }

    void progressDialogCancelReportsResetsAndCloses() {
        LogCapture log;
        QPointer<CustomProgressDialog> dialog = new CustomProgressDialog();
        QCOMPARE(dialog->findChild<QLabel*>(QStringLiteral("headerLabel"))->text(),
                 QStringLiteral("File Uploading..."));
        QCOMPARE(dialog->findChild<QLabel*>(QStringLiteral("hintLabel"))->text(),
                 QStringLiteral("This operation may take a while."));

        QSignalSpy cancel(dialog.data(), &CustomProgressDialog::cancelBtnClicked);
        QVERIFY(!dialog->closeProgress());
        dialog->show();
        dialog->setProgress(40);
        QCOMPARE(dialog->progress(), 40);
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
        LogCapture log;
        QWidget page;
        auto* busy = new BusyProgress(&page);
        QProgressIndicator* indicator = busy->findChild<QProgressIndicator*>(QStringLiteral("indicator"));
        QVERIFY(indicator && indicator->isAnimated());

        for (int round = 0; round < 2; ++round) {
            QTimer::singleShot(0, busy, [busy] { QVERIFY(busy->closeDialog()); });
            busy->exec();
            flushDeletes();
            QVERIFY(page.findChild<BusyProgress*>() == busy);
            QVERIFY(!busy->isShowing());
        }
        QCOMPARE(log.count("BaseDialog exec \n"), 2);
        QCOMPARE(log.count("BaseDialog close \n"), 2);
        QVERIFY(!busy->closeDialog());
    }

    // A stopped indicator only stores a new delay; started, it turns by 45 degrees a tick
    // from 0, and stopped it stays put.
    void indicatorTurnsByAnEighthPerTick() {
        QProgressIndicator indicator;
        indicator.setAnimationDelay(5);
        QVERIFY(!indicator.isAnimated());
        QCOMPARE(indicator.property("delay").toInt(), 5);
        indicator.startAnimation();
        QTRY_VERIFY(indicator.angle() != 0);
        QCOMPARE(indicator.angle() % 45, 0);
        indicator.stopAnimation();
        QVERIFY(!indicator.isAnimated());
        const int stoppedAt = indicator.angle();
        QTest::qWait(30);
        QCOMPARE(indicator.angle(), stoppedAt);
        indicator.startAnimation();
        QCOMPARE(indicator.angle(), 0);
    }

    void indicatorDrawsOnlyWhenRunningOrAsked() {
        QProgressIndicator indicator;
        indicator.resize(100, 100);
        QCOMPARE(opaquePixels(renderTransparent(&indicator)), 0);
        indicator.setDisplayedWhenStopped(true);
        QVERIFY(opaquePixels(renderTransparent(&indicator)) > 0);
        indicator.setDisplayedWhenStopped(false);
        indicator.startAnimation();
        indicator.setColor(QColor(255, 0, 0));
        const QImage image = renderTransparent(&indicator);
        QVERIFY(opaquePixels(image) > 0);
        // The first dot (angle 0) sits straight above the centre, 10 across.
        const QColor top(image.pixel(50 - int(0.5 * QProgressIndicator::innerRadius(100)) + 5, 50 - 18 - 5));
        QCOMPARE(top.red(), 255);
        QCOMPARE(top.green(), 0);
        indicator.stopAnimation();
    }

    void licenceViewerShowsHtmlAndClosesForGood() {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("notice.htm"));
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("<html><body><h1>Notice</h1><p>Some licence text.</p></body></html>");
        file.close();

        QPointer<PopupLicenseLayout> viewer = new PopupLicenseLayout();
        viewer->showLicense(QStringLiteral("Open Source Licenses (PC Tool)"), path);
        QVERIFY(viewer->isVisible());
        QVERIFY(!viewer->isModal());
        auto* browser = viewer->findChild<QTextBrowser*>(QStringLiteral("textBrowser"));
        QVERIFY(browser->isReadOnly());
        QVERIFY(browser->openExternalLinks());
        QVERIFY(browser->toPlainText().contains(QStringLiteral("Some licence text.")));
        QCOMPARE(viewer->findChild<QLabel*>(QStringLiteral("titleLabel"))->text(),
                 QStringLiteral("Open Source Licenses (PC Tool)"));
        QTest::mouseClick(viewer->findChild<QPushButton*>(QStringLiteral("closeButton")), Qt::LeftButton);
        QVERIFY(!viewer->isVisible());
        flushDeletes();
        QVERIFY(!viewer);
    }

    void licenceViewerWithoutFileOnlyLogs() {
        LogCapture log;
        QPointer<PopupLicenseLayout> viewer = new PopupLicenseLayout();
        viewer->showLicense(QStringLiteral("t"), QStringLiteral("/nonexistent/notice.htm"));
        QCOMPARE(log.count("open failed\n"), 1);
        QVERIFY(!viewer->isVisible());
        QVERIFY(!viewer->isShowing());
        delete viewer;
    }
};

QTEST_MAIN(TestProgressDialogs)
#include "tst_progress_dialogs.moc"
