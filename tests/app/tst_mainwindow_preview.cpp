// The preview tick's frame display on a connected simulated camera: MJPG frames decoded and
// RGB32 frames scaled to the size the label shows them at in the preview box, the ticks that
// find nothing, and the frames on their way when the stream or the window goes.
#include <QGroupBox>
#include <QLabel>
#include <QtTest>

#include "tst_mainwindow_fixture.h"

using namespace window_test;

class MainWindowPreviewTest : public QObject {
    Q_OBJECT

    std::unique_ptr<Rig> rig;
    mainwindow& window() { return *rig->window; }
    CustomImageLabel& label() { return *window().form().streamLabel; }
    bool hasPicture() { return !shownPicture(window()).isNull(); }
    bool firstPicture() {
        return tickUntil(window(), [this] { return hasPicture(); });
    }

    // Waits until the frames handed to the label's decoder are shown or dropped.
    bool settle() {
        QElapsedTimer clock;
        clock.start();
        while (!label().decoder().idle() && clock.elapsed() < 5000)
            QTest::qWait(5);
        return label().decoder().idle();
    }

    // Mean grey level of the shown picture, sampled on a grid.
    double meanLevel() {
        const QImage image = shownPicture(window()).toImage();
        if (image.height() < 10 || image.width() < 20)
            return -1.0;
        double sum = 0.0;
        int samples = 0;
        for (int y = image.height() / 20; y < image.height(); y += image.height() / 10)
            for (int x = image.width() / 40; x < image.width(); x += image.width() / 20, ++samples)
                sum += qGray(image.pixel(x, y));
        return sum / samples;
    }

    // Re-opens the stream with the camera's entry of that size and format, as a format
    // change does.
    bool reopenWith(int width, int height, const std::string& format) {
        RESOLUTION_LIST entry;
        for (const RESOLUTION_LIST& r : appConfig().resolutionList)
            if (r.width == width && r.height == height && r.format == format)
                entry = r;
        UVCXUManager::instance().setEnableCommand(false);
        SettingTaskEngine::instance().deleteCamera();
        window().stream().release();
        if (entry.width != width || window().stream().openAsRgbStream(entry) != 0)
            return false;
        window().frameImage().setFormat(width, height, 4);
        currentValues().resolution = entry;
        return window().stream().isOpen();
    }

private slots:
    void init() {
        rig = std::make_unique<Rig>();
        QVERIFY(rig->connect());
    }
    void cleanup() { rig.reset(); }

    void frameShownAtTheLabelsSize_data() {
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("height");
        QTest::addColumn<QString>("format");
        QTest::newRow("MJPG 3520 x 1104") << 3520 << 1104 << "MJPG";
        QTest::newRow("MJPG 1280 x 720") << 1280 << 720 << "MJPG";
        QTest::newRow("YUY2 1280 x 720 as RGB32") << 1280 << 720 << "YUY2";
    }
    void frameShownAtTheLabelsSize() {
        QFETCH(int, width);
        QFETCH(int, height);
        QFETCH(QString, format);
        QVERIFY(reopenWith(width, height, format.toStdString()));
        // The label takes the frame's aspect with its first picture; the frames after it
        // arrive at the label's size, in the frame's aspect, and are painted as they are.
        QVERIFY(tickUntil(window(), [&] {
            const QSize shown = shownPicture(window()).size();
            return !shown.isEmpty() && shown == label().shownSize() &&
                   qAbs(double(shown.width()) / shown.height() - double(width) / height) < 0.02;
        }));
        QCOMPARE(label().aspectRatio(), float(width) / float(height));
        // The label stays inside the preview box and fills one of its sides.
        const QSize box = window().form().verticalGroupBox->size();
        const QSize shown = shownPicture(window()).size();
        QVERIFY(label().width() <= box.width() && label().height() <= box.height());
        QVERIFY2(shown.width() > box.width() * 9 / 10 || shown.height() > box.height() * 9 / 10,
                 qPrintable(QStringLiteral("%1x%2").arg(shown.width()).arg(shown.height())));
        // The stream objects keep the last requested type for the default open: go back to
        // MJPG so that later opens deliver JPEG again.
        QVERIFY(reopenWith(3520, 1104, "MJPG"));
    }

    void ticksWithoutNewFrameChangeNothing() {
        QVERIFY(firstPicture());
        rig->camera->setNeverDeliverFrames(true);
        QVERIFY(settle());
        // Let a frame that was on its way land (making one takes a while on a busy machine),
        // then take it and show it.
        for (int round = 0; round < 20; ++round) {
            QTest::qWait(300);
            if (window().stream().newFrameCount() == 0)
                break;
            window().updateImage();
            QVERIFY(settle());
        }
        const qint64 before = shownPicture(window()).cacheKey();
        for (int tick = 0; tick < 2; ++tick) {
            QCOMPARE(window().stream().newFrameCount(), 0);
            window().updateImage();
        }
        QVERIFY(label().decoder().idle());
        QCOMPARE(shownPicture(window()).cacheKey(), before);
    }

    void undecodableFrameKeepsThePreviousPicture() {
        QVERIFY(firstPicture());
        rig->camera->setSampleFault(device::sim::SampleFault::Corrupt);
        QTest::qWait(100);
        window().updateImage();  // may still show a good frame from before the fault
        QVERIFY(settle());
        const qint64 before = shownPicture(window()).cacheKey();
        int corruptTicks = 0;
        for (int tick = 0; tick < 200 && corruptTicks < 3; ++tick) {
            if (window().stream().newFrameCount() > 0)
                ++corruptTicks;
            window().updateImage();
            QVERIFY(settle());
            QTest::qWait(10);
        }
        QCOMPARE(corruptTicks, 3);
        QCOMPARE(shownPicture(window()).cacheKey(), before);
    }

    void disabledLabelLeavesTheFramePending() {
        label().setEnabled(false);
        QTest::qWait(150);
        window().updateImage();
        QVERIFY(!hasPicture());
        label().setEnabled(true);
        QVERIFY(firstPicture());
    }

    void compressedFrameIsNotReadAsRgb() {
        // The format is not known yet: frames are taken for RGB32 of the prepared size. A
        // JPEG sample is far shorter than that and must not be read past its end.
        currentValues().resolution = RESOLUTION_LIST();
        QTest::qWait(150);
        for (int tick = 0; tick < 5; ++tick) {
            window().updateImage();
            QTest::qWait(40);
        }
        QVERIFY(!hasPicture());
    }

    void controlSlotChangesThePicture() {
        QVERIFY(firstPicture());
        const double before = meanLevel();
        window().controlBrightness(200);
        QVERIFY(tickUntil(window(), [&] { return meanLevel() > before + 30.0; }));
        window().controlBrightness(0);
        QVERIFY(tickUntil(window(), [&] { return meanLevel() < before - 30.0; }));
    }

    // A frame on its way to the label when the device is lost (the stream is released and
    // the preview cleared) or the window goes: nothing arrives afterwards.
    void frameOnItsWayIsDroppedWithTheStream() {
        QVERIFY(firstPicture());
        QTRY_VERIFY(window().stream().newFrameCount() > 0);
        window().updateImage();
        rig->camera->unplug();
        window().updateImage();
        QVERIFY(settle());
        QVERIFY(!hasPicture());
    }

    void windowGoesWhileFramesAreDecoded() {
        QVERIFY(firstPicture());
        QTRY_VERIFY(window().stream().newFrameCount() > 0);
        window().updateImage();
        rig->window.reset();
        QTest::qWait(50);  // a crash here under the sanitizers is the fault
    }
};

QTEST_MAIN(MainWindowPreviewTest)
#include "tst_mainwindow_preview.moc"
