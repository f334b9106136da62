// The preview tick's frame display on a connected simulated camera (the picture of each
// format at the label's size: tst_mode_flows): the ticks that find nothing, undecodable and
// pending frames, and the frames on their way when the stream goes.
#include <QLabel>
#include <QtTest>

#include "tabs/control_binding.h"
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
        return QTest::qWaitFor([this] { return label().decoder().idle(); }, 5000);
    }

    // Mean grey level of the shown picture: the picture smoothly scaled to one pixel.
    double meanLevel() {
        const QImage image = shownPicture(window()).toImage();
        return image.isNull()
                   ? -1.0
                   : qGray(image.scaled(1, 1, Qt::IgnoreAspectRatio, Qt::SmoothTransformation).pixel(0, 0));
    }

private slots:
    void init() {
        rig = std::make_unique<Rig>();
        QVERIFY(rig->connect());
    }
    void cleanup() { rig.reset(); }

    void ticksWithoutNewFrameChangeNothing() {
        QVERIFY(firstPicture());
        rig->camera->setNeverDeliverFrames(true);
        QVERIFY(settle());
        // Let a frame that was on its way land (making one takes a while on a busy machine),
        // then take it and show it.
        for (int round = 0; round < 20; ++round) {
            QTest::qWait(300);
            if (window().session().stream().newFrameCount() == 0)
                break;
            window().updateImage();
            QVERIFY(settle());
        }
        const qint64 before = shownPicture(window()).cacheKey();
        for (int tick = 0; tick < 2; ++tick) {
            QCOMPARE(window().session().stream().newFrameCount(), 0);
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
            if (window().session().stream().newFrameCount() > 0)
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

    // While nobody can see the window its frames are neither taken nor decoded; the first
    // tick after it comes back shows the newest.
    void unseenWindowDecodesNoFrame_data() {
        QTest::addColumn<bool>("minimised");  // else hidden
        QTest::newRow("minimised") << true;
        QTest::newRow("hidden") << false;
    }

    void unseenWindowDecodesNoFrame() {
        QFETCH(bool, minimised);
        QVERIFY(firstPicture());
        if (minimised)
            window().showMinimized();
        else
            window().hide();
        QVERIFY(settle());
        const uint64_t before = label().decoder().picturesMade();
        for (int tick = 0; tick < 8; ++tick) {
            QTest::qWait(40);
            window().updateImage();
        }
        QVERIFY(window().session().stream().newFrameCount() > 0);  // frames came and wait in the store
        QVERIFY(settle());
        QCOMPARE(label().decoder().picturesMade(), before);

        window().showNormal();
        QTRY_VERIFY(window().windowHandle()->isExposed());
        window().updateImage();
        QVERIFY(settle());
        QVERIFY(label().decoder().picturesMade() > before);
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

    void aBrightnessChangeChangesThePicture() {
        QVERIFY(firstPicture());
        const double before = meanLevel();
        control_binding::sendChange(ADJ_BRIGHTNESS, 200);
        QVERIFY(tickUntil(window(), [&] { return meanLevel() > before + 30.0; }));
        control_binding::sendChange(ADJ_BRIGHTNESS, 0);
        QVERIFY(tickUntil(window(), [&] { return meanLevel() < before - 30.0; }));
    }

    // A frame on its way to the label when the device is lost (the stream is released and
    // the preview cleared): nothing arrives afterwards. (The label gone with frames on their
    // way: tst_preview_decoder.)
    void frameOnItsWayIsDroppedWithTheStream() {
        QVERIFY(firstPicture());
        QTRY_VERIFY(window().session().stream().newFrameCount() > 0);
        window().updateImage();
        rig->camera->unplug();
        window().updateImage();
        QVERIFY(settle());
        QVERIFY(!hasPicture());
    }
};

QTEST_MAIN(MainWindowPreviewTest)
#include "tst_mainwindow_preview.moc"
