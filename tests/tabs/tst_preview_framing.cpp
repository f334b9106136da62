// Point to frame: the pan and tilt that centre the view on a point of the shown picture at
// several zooms, at its edges and beside a letterboxed picture; and the preview's
// double-click, wheel and arrow keys as settings jobs through the settings page.
#include <QtTest>
#include <memory>

#include "capture/custom_image_label.h"
#include "engine/current_values.h"
#include "engine/setting_task_engine.h"
#include "tabs/point_to_frame.h"
#include "tabs/preview_framing.h"
#include "tabs/setting_tab.h"
#include "tabs/tst_setting_tab_drive.h"

using framing::PanTilt;
using setting_drive::jobsSince;

class PreviewFramingTest : public QObject {
    Q_OBJECT

    std::unique_ptr<QWidget> holder;
    SettingTab* page = nullptr;
    CustomImageLabel* preview = nullptr;

private slots:
    // At zoom z the view's centre moves 2 * 20 / (z - 1) units of pan per width of the
    // shown picture (30 / (z - 1) of tilt per height, up positive), as the camera moves it;
    // the result stays within -20..20 and -15..15.
    void pointMapsToPanTilt_data() {
        QTest::addColumn<int>("zoom");
        QTest::addColumn<QPoint>("now");  // pan, tilt
        QTest::addColumn<QRectF>("picture");
        QTest::addColumn<QPointF>("point");
        QTest::addColumn<QString>("centred");  // "pan,tilt" or "none"
        const QRectF full(0, 0, 640, 360);
        const QRectF pillar(100, 0, 640, 360);  // bars left and right
        const QRectF letter(0, 60, 640, 360);   // bars above and below
        QTest::newRow("no zoom") << 100 << QPoint(0, 0) << full << QPointF(600, 20) << "none";
        QTest::newRow("200 centre stays") << 200 << QPoint(3, -2) << full << QPointF(320, 180) << "3,-2";
        QTest::newRow("200 quarter right and up")
            << 200 << QPoint(0, 0) << full << QPointF(480, 90) << "10,8";
        QTest::newRow("200 bottom left corner")
            << 200 << QPoint(0, 0) << full << QPointF(0, 360) << "-20,-15";
        QTest::newRow("200 beyond the range")
            << 200 << QPoint(15, -10) << full << QPointF(640, 360) << "20,-15";
        QTest::newRow("300 from the right") << 300 << QPoint(20, 0) << full << QPointF(0, 180) << "10,0";
        QTest::newRow("500 top left corner") << 500 << QPoint(0, 0) << full << QPointF(0, 0) << "-5,4";
        QTest::newRow("150 tilt clamped") << 150 << QPoint(0, 0) << full << QPointF(320, 360) << "0,-15";
        QTest::newRow("110 a small step") << 110 << QPoint(-20, 0) << full << QPointF(336, 180) << "-10,0";
        QTest::newRow("pillarbox bar") << 200 << QPoint(0, 0) << pillar << QPointF(50, 180) << "none";
        QTest::newRow("pillarbox right edge") << 200 << QPoint(0, 0) << pillar << QPointF(740, 180) << "20,0";
        QTest::newRow("pillarbox centre") << 200 << QPoint(0, 0) << pillar << QPointF(420, 180) << "0,0";
        QTest::newRow("letterbox bar") << 200 << QPoint(0, 0) << letter << QPointF(320, 30) << "none";
        QTest::newRow("letterbox top edge") << 200 << QPoint(0, 0) << letter << QPointF(320, 60) << "0,15";
        QTest::newRow("no picture") << 200 << QPoint(0, 0) << QRectF() << QPointF(0, 0) << "none";
    }
    void pointMapsToPanTilt() {
        QFETCH(int, zoom);
        QFETCH(QPoint, now);
        QFETCH(QRectF, picture);
        QFETCH(QPointF, point);
        QFETCH(QString, centred);
        const auto view = framing::centredOn(point, picture, zoom, PanTilt{now.x(), now.y()});
        QCOMPARE(view ? QStringLiteral("%1,%2").arg(view->pan).arg(view->tilt) : QStringLiteral("none"),
                 centred);
    }

    void init() {
        SettingTaskEngine::instance().deleteCamera();  // without a worker jobs stay queued
        currentValues().autoFrame = 0;
        holder = std::make_unique<QWidget>();
        holder->resize(1000, 700);
        page = new SettingTab(holder.get());
        preview = new CustomImageLabel(holder.get());
        preview->setGeometry(320, 10, 402, 302);
        new PreviewFraming(preview, page);
        holder->show();
        QVERIFY(QTest::qWaitForWindowExposed(holder.get()));
        // A picture a little smaller than the label: shown unscaled, with thin bars.
        QImage picture(preview->shownSize() * 0.98, QImage::Format_RGB32);
        picture.fill(Qt::gray);
        preview->setImage(picture);
    }
    void cleanup() {
        holder.reset();
        SettingTaskEngine::instance().deleteCamera();
    }

    // Each gesture leaves as the page's own zoom or pan/tilt jobs, and the page follows.
    void gesturesBecomeSettingsJobs_data() {
        QTest::addColumn<int>("zoom");
        QTest::addColumn<bool>("autoZoom");
        QTest::addColumn<QString>(
            "gesture");  // "click <x share> <y share>", "bar", "wheel <delta>", "key <k>"
        QTest::addColumn<QStringList>("jobs");
        QTest::newRow("double-click, no zoom") << 100 << false << "click 0.75 0.25" << QStringList();
        QTest::newRow("double-click at 200")
            << 200 << false << "click 0.75 0.2" << QStringList{"1001 10", "1002 9"};
        QTest::newRow("double-click in the bar") << 200 << false << "bar" << QStringList();
        QTest::newRow("double-click, Auto Zoom on") << 200 << true << "click 0.75 0.25" << QStringList();
        QTest::newRow("wheel two steps in") << 200 << false << "wheel 240" << QStringList{"1000 220"};
        QTest::newRow("wheel half a step") << 200 << false << "wheel 60" << QStringList();
        QTest::newRow("wheel out to no zoom")
            << 110 << false << "wheel -360" << QStringList{"1001 0", "1002 0", "1000 100"};
        QTest::newRow("wheel at the top") << 500 << false << "wheel 120" << QStringList();
        QTest::newRow("wheel, Auto Zoom on") << 200 << true << "wheel 120" << QStringList();
        QTest::newRow("right arrow at 300") << 300 << false << "key right" << QStringList{"1001 2", "1002 0"};
        QTest::newRow("up arrow at 500") << 500 << false << "key up" << QStringList{"1001 0", "1002 1"};
        QTest::newRow("arrow, no zoom") << 100 << false << "key left" << QStringList();
    }
    void gesturesBecomeSettingsJobs() {
        QFETCH(int, zoom);
        QFETCH(bool, autoZoom);
        QFETCH(QString, gesture);
        QFETCH(QStringList, jobs);
        page->zoomTo(zoom);
        currentValues().autoFrame = autoZoom ? 1 : 0;
        const std::size_t before = SettingTaskEngine::instance().pendingJobCount();
        const QStringList words = gesture.split(' ');
        const QRectF picture = PreviewFraming::pictureRect(*preview);
        QVERIFY(picture.left() > preview->contentsRect().left());  // the bars are there
        if (words[0] == "click" || words[0] == "bar") {
            const QPoint at = words[0] == "bar"
                                  ? QPoint(preview->contentsRect().left(), int(picture.center().y()))
                                  : (picture.topLeft() + QPointF(words[1].toDouble() * picture.width(),
                                                                 words[2].toDouble() * picture.height()))
                                        .toPoint();
            QTest::mouseDClick(preview, Qt::LeftButton, {}, at);
        } else if (words[0] == "wheel") {
            const QPointF at = picture.center();
            QWheelEvent wheel(at, preview->mapToGlobal(at.toPoint()), QPoint(), QPoint(0, words[1].toInt()),
                              Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
            QApplication::sendEvent(preview, &wheel);
        } else {
            preview->setFocus();
            QTest::keyClick(preview, words[1] == "right" ? Qt::Key_Right
                                     : words[1] == "up"  ? Qt::Key_Up
                                                         : Qt::Key_Left);
        }
        QCOMPARE(jobsSince(before), jobs);
        // The page shows what was sent: the slider, and the rectangle's pan and tilt.
        for (const QString& job : jobs) {
            const int value = job.section(' ', 1).toInt();
            if (job.startsWith("1000"))
                QCOMPARE(page->digitalZoom(), value);
            else
                QCOMPARE(job.startsWith("1001") ? page->viewPanTilt().pan : page->viewPanTilt().tilt, value);
        }
    }
};

QTEST_MAIN(PreviewFramingTest)
#include "tst_preview_framing.moc"
