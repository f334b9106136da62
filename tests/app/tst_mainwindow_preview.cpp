// The preview tick's frame display on the simulated camera: MJPG frames decoded and RGB32
// frames scaled to the size the label shows them at, the ticks that find nothing, and
// the decoder thread going with the window.
#include <QGroupBox>
#include <QLabel>
#include <QtTest>

#include "tst_mainwindow_fixture.h"

using namespace window_test;

namespace {
bool hasPicture(mainwindow& window) {
    return !shownPicture(window).isNull();
}

CustomImageLabel& label(mainwindow& window) {
    return *window.form().streamLabel;
}

// Waits until the frames handed to the label's decoder are shown or dropped.
bool settle(mainwindow& window) {
    QElapsedTimer clock;
    clock.start();
    while (!label(window).decoder().idle()) {
        if (clock.elapsed() > 5000)
            return false;
        QTest::qWait(5);
    }
    return true;
}

// The format entry of the open camera's list, or an empty record.
RESOLUTION_LIST findFormat(int width, int height, const std::string& format) {
    for (const RESOLUTION_LIST& entry : appConfig().resolutionList) {
        if (entry.width == width && entry.height == height && entry.format == format)
            return entry;
    }
    return RESOLUTION_LIST();
}

// Mean grey level of the shown picture, sampled on a grid.
double meanLevel(mainwindow& window) {
    const QImage image = shownPicture(window).toImage();
    if (image.isNull())
        return -1.0;
    double sum = 0.0;
    int samples = 0;
    for (int y = image.height() / 20; y < image.height(); y += image.height() / 10) {
        for (int x = image.width() / 40; x < image.width(); x += image.width() / 20) {
            sum += qGray(image.pixel(x, y));
            ++samples;
        }
    }
    return sum / samples;
}

// Re-opens the stream of a Ready window with another format, as a format change does.
bool reopenWith(Rig& rig, const RESOLUTION_LIST& format) {
    UVCXUManager::instance().setEnableCommand(false);
    SettingTaskEngine::instance().deleteCamera();
    rig.window->stream().release();
    if (rig.window->stream().openAsRgbStream(format) != 0)
        return false;
    rig.window->frameImage().setFormat(format.width, format.height, 4);
    currentValues().resolution = format;
    return rig.window->stream().isOpen();
}
}  // namespace

class MainWindowPreviewTest : public QObject {
    Q_OBJECT

private slots:
    void frameShownAtTheLabelsSize_data();
    void frameShownAtTheLabelsSize();
    void ticksWithoutNewFrameChangeNothing();
    void undecodableFrameKeepsThePreviousPicture();
    void disabledLabelLeavesTheFramePending();
    void compressedFrameIsNotReadAsRgb();
    void previewKeepsTheAspectRatioInTheBox();
    void controlSlotChangesThePicture();
    void frameOnItsWayIsDroppedWithTheStream();
    void windowGoesWhileFramesAreDecoded();
};

void MainWindowPreviewTest::frameShownAtTheLabelsSize_data() {
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("height");
    QTest::addColumn<QString>("format");
    QTest::newRow("MJPG 3520 x 1104") << 3520 << 1104 << "MJPG";
    QTest::newRow("MJPG 1280 x 720") << 1280 << 720 << "MJPG";
    QTest::newRow("YUY2 1280 x 720 as RGB32") << 1280 << 720 << "YUY2";
}

void MainWindowPreviewTest::frameShownAtTheLabelsSize() {
    QFETCH(int, width);
    QFETCH(int, height);
    QFETCH(QString, format);
    Rig rig;
    QVERIFY(rig.connect());
    const RESOLUTION_LIST entry = findFormat(width, height, format.toStdString());
    QCOMPARE(entry.width, width);
    QVERIFY(reopenWith(rig, entry));
    // The label takes the frame's aspect with its first picture; the frames after it
    // arrive at the label's size, in the frame's aspect, and are painted as they are.
    const auto atTheLabelsSize = [&] {
        const QSize shown = shownPicture(*rig.window).size();
        return !shown.isEmpty() && shown == label(*rig.window).shownSize() &&
               qAbs(double(shown.width()) / shown.height() - double(width) / height) < 0.02;
    };
    QVERIFY(tickUntil(*rig.window, atTheLabelsSize));
    QCOMPARE(label(*rig.window).aspectRatio(), float(width) / float(height));
    const QSize box = rig.window->form().verticalGroupBox->size();
    const QSize shown = shownPicture(*rig.window).size();
    QVERIFY2(shown.width() > box.width() * 9 / 10 || shown.height() > box.height() * 9 / 10,
             qPrintable(QStringLiteral("%1x%2").arg(shown.width()).arg(shown.height())));
    // The stream objects keep the last requested type for the default open: go back to
    // MJPG so that later opens deliver JPEG again.
    QVERIFY(reopenWith(rig, findFormat(3520, 1104, "MJPG")));
}

void MainWindowPreviewTest::ticksWithoutNewFrameChangeNothing() {
    Rig rig;
    QVERIFY(rig.connect());
    QVERIFY(tickUntil(*rig.window, [&] { return hasPicture(*rig.window); }));
    rig.camera->setNeverDeliverFrames(true);
    QVERIFY(settle(*rig.window));
    // Let a frame that was on its way land (making one takes a while on a busy machine),
    // then take it and show it.
    for (int round = 0; round < 20; ++round) {
        QTest::qWait(300);
        if (rig.window->stream().newFrameCount() == 0)
            break;
        rig.window->updateImage();
        QVERIFY(settle(*rig.window));
    }
    const qint64 before = shownPicture(*rig.window).cacheKey();

    QCOMPARE(rig.window->stream().newFrameCount(), 0);
    rig.window->updateImage();
    QCOMPARE(rig.window->stream().newFrameCount(), 0);
    rig.window->updateImage();
    QVERIFY(label(*rig.window).decoder().idle());
    QCOMPARE(shownPicture(*rig.window).cacheKey(), before);
}

void MainWindowPreviewTest::undecodableFrameKeepsThePreviousPicture() {
    Rig rig;
    QVERIFY(rig.connect());
    QVERIFY(tickUntil(*rig.window, [&] { return hasPicture(*rig.window); }));
    rig.camera->setSampleFault(device::sim::SampleFault::Corrupt);
    QTest::qWait(100);
    rig.window->updateImage();  // may still show a good frame from before the fault
    QVERIFY(settle(*rig.window));
    const qint64 before = shownPicture(*rig.window).cacheKey();
    int corruptTicks = 0;
    for (int tick = 0; tick < 200 && corruptTicks < 3; ++tick) {
        if (rig.window->stream().newFrameCount() > 0)
            ++corruptTicks;
        rig.window->updateImage();
        QVERIFY(settle(*rig.window));
        QTest::qWait(10);
    }
    QCOMPARE(corruptTicks, 3);
    QCOMPARE(shownPicture(*rig.window).cacheKey(), before);
}

void MainWindowPreviewTest::disabledLabelLeavesTheFramePending() {
    Rig rig;
    QVERIFY(rig.connect());
    rig.window->form().streamLabel->setEnabled(false);
    QTest::qWait(150);
    rig.window->updateImage();
    QVERIFY(!hasPicture(*rig.window));
    rig.window->form().streamLabel->setEnabled(true);
    QVERIFY(tickUntil(*rig.window, [&] { return hasPicture(*rig.window); }));
}

void MainWindowPreviewTest::compressedFrameIsNotReadAsRgb() {
    Rig rig;
    QVERIFY(rig.connect());
    // The format is not known yet: frames are taken for RGB32 of the prepared size. A
    // JPEG sample is far shorter than that and must not be read past its end.
    currentValues().resolution = RESOLUTION_LIST();
    QTest::qWait(150);
    for (int tick = 0; tick < 5; ++tick) {
        rig.window->updateImage();
        QTest::qWait(40);
    }
    QVERIFY(!hasPicture(*rig.window));
}

void MainWindowPreviewTest::previewKeepsTheAspectRatioInTheBox() {
    Rig rig;
    QVERIFY(rig.connect());
    QVERIFY(tickUntil(*rig.window, [&] { return hasPicture(*rig.window); }));
    for (int round = 0; round < 5; ++round) {
        QCoreApplication::processEvents();
        rig.window->updateImage();
    }
    const QWidget* box = rig.window->form().verticalGroupBox;
    const QLabel* label = rig.window->form().streamLabel;
    QVERIFY(label->width() <= box->width());
    QVERIFY(label->height() <= box->height());
    // One side fills the box (within 1 %), the other follows the picture's aspect.
    const bool fillsWidth = qAbs(label->width() - box->width()) <= box->width() / 100;
    const bool fillsHeight = qAbs(label->height() - box->height()) <= box->height() / 100;
    QVERIFY2(fillsWidth || fillsHeight, qPrintable(QStringLiteral("label %1x%2 in box %3x%4")
                                                       .arg(label->width())
                                                       .arg(label->height())
                                                       .arg(box->width())
                                                       .arg(box->height())));
    const double ratio = double(label->width()) / label->height();
    QVERIFY2(qAbs(ratio - 3520.0 / 1104.0) < 0.02, qPrintable(QString::number(ratio)));
}

void MainWindowPreviewTest::controlSlotChangesThePicture() {
    Rig rig;
    QVERIFY(rig.connect());
    QVERIFY(tickUntil(*rig.window, [&] { return hasPicture(*rig.window); }));
    const double before = meanLevel(*rig.window);
    rig.window->controlBrightness(200);
    QVERIFY(tickUntil(*rig.window, [&] { return meanLevel(*rig.window) > before + 30.0; }));
    rig.window->controlBrightness(0);
    QVERIFY(tickUntil(*rig.window, [&] { return meanLevel(*rig.window) < before - 30.0; }));
}

void MainWindowPreviewTest::frameOnItsWayIsDroppedWithTheStream() {
    Rig rig;
    QVERIFY(rig.connect());
    QVERIFY(tickUntil(*rig.window, [&] { return hasPicture(*rig.window); }));
    QTRY_VERIFY(rig.window->stream().newFrameCount() > 0);
    rig.window->updateImage();  // a frame on its way to the label
    rig.camera->unplug();
    rig.window->updateImage();  // device lost: stream released, preview cleared
    QVERIFY(settle(*rig.window));
    QVERIFY(!hasPicture(*rig.window));
}

void MainWindowPreviewTest::windowGoesWhileFramesAreDecoded() {
    Rig rig;
    QVERIFY(rig.connect());
    QVERIFY(tickUntil(*rig.window, [&] { return hasPicture(*rig.window); }));
    QTRY_VERIFY(rig.window->stream().newFrameCount() > 0);
    rig.window->updateImage();  // a frame on its way to the label
    rig.window.reset();
    QTest::qWait(50);  // nothing arrives for the label that is gone
    QVERIFY(!rig.window);
}

QTEST_MAIN(MainWindowPreviewTest)
#include "tst_mainwindow_preview.moc"
