// The preview: the JPEG scale for the shown size, the scaled decode's fidelity, the newest
// frame winning, the decoder thread's life, the RGB frame image and the label's size hint.
#include <QDir>
#include <QPainter>
#include <QRandomGenerator>
#include <QtTest>
#include <algorithm>
#include <memory>
#include <vector>

#include "capture/custom_image_label.h"
#include "capture/frame_image.h"
#include "capture/preview_decoder.h"
#include "capture/preview_jpeg.h"
#include "capture/preview_scale.h"
#include "support/camera_like_jpeg.h"
#include "support/psnr.h"

namespace {
QImage grey(int level) {
    QImage image(64, 32, QImage::Format_RGB32);
    image.fill(QColor(level, level, level));
    return image;
}

int threadCount() {
    return int(QDir(QStringLiteral("/proc/self/task")).entryList(QDir::Dirs | QDir::NoDotAndDotDot).size());
}
}  // namespace

class PreviewDecoderTest : public QObject {
    Q_OBJECT

private slots:
    void wrapsRgbFramesAndNeverReadsPastTheFrame() {
        std::vector<uint8_t> pixels(4 * 2 * 4, 0);
        pixels[0] = 0x11;  // blue of the first pixel
        pixels[2] = 0x33;  // red
        FrameImage frame;
        frame.setFormat(4, 2, 4);
        QCOMPARE(frame.size(), 4 * 2 * 4);
        frame.setData(pixels.data());
        const QImage image = frame.getImage();
        QCOMPARE(image.size(), QSize(4, 2));
        QCOMPARE(image.format(), QImage::Format_RGB32);
        QCOMPARE(qRed(image.pixel(0, 0)), 0x33);
        QCOMPARE(qBlue(image.pixel(0, 0)), 0x11);
        // Unchanged until new data arrives, even if the bytes under it change.
        pixels[2] = 0x77;
        QCOMPARE(qRed(frame.getImage().pixel(0, 0)), 0x33);
        frame.setData(pixels.data());
        QCOMPARE(qRed(frame.getImage().pixel(0, 0)), 0x77);
        // A short frame fills only what it has, and its length is the frame's size.
        std::vector<uint8_t> half(16, 0xFF);
        frame.setData(half.data(), int(half.size()));
        QCOMPARE(frame.size(), 16);
        QCOMPARE(qRed(frame.getImage().pixel(3, 0)), 0xFF);
    }

    void sizeHintKeepsThePictureRatio() {
        QWidget parent;
        parent.resize(1000, 1000);
        CustomImageLabel label(&parent);
        QCOMPARE(CustomImageLabel::parentSize, QSize(1000, 1000));
        QImage picture(1600, 900, QImage::Format_RGB32);
        picture.fill(Qt::black);
        label.setImage(picture);
        QCOMPARE(label.aspectRatio(), 16.0f / 9.0f);
        QCOMPARE(label.sizeHint(), QSize(1000, 562));
        // A parent wider than the picture: the label's height times the ratio.
        CustomImageLabel::parentSize = QSize(2000, 500);
        label.resize(300, 450);
        QCOMPARE(label.sizeHint(), QSize(int(450 * (16.0f / 9.0f)), 500));
        label.showPixmap(QPixmap(400, 400));
        QCOMPARE(label.aspectRatio(), 1.0f);
    }

    void scaleCoversTheShownSize_data() {
        QTest::addColumn<QSize>("frame");
        QTest::addColumn<QSize>("shown");
        QTest::addColumn<int>("divisor");
        // The window's preview box at scale 1 and 2 for the camera's default stream.
        // A quarter stretched by at most 3 % would fill the box: 880 x 1.03 = 906.4.
        QTest::newRow("3520x1104 in 880x276: a quarter fills it")
            << QSize(3520, 1104) << QSize(880, 276) << 4;
        QTest::newRow("3520x1104 in 906x284: 3 % more than a quarter")
            << QSize(3520, 1104) << QSize(906, 284) << 4;
        QTest::newRow("3520x1104 in 907x277: a quarter is too narrow")
            << QSize(3520, 1104) << QSize(907, 277) << 2;
        QTest::newRow("3520x1104 in 880x285: a quarter is too low")
            << QSize(3520, 1104) << QSize(880, 285) << 2;
        QTest::newRow("3520x1104 at scale 2, 3 % more than a half")
            << QSize(3520, 1104) << QSize(1813, 554) << 1;
        QTest::newRow("1280x720 scaled up") << QSize(1280, 720) << QSize(889, 499) << 1;
        QTest::newRow("odd sides round up") << QSize(641, 361) << QSize(81, 46) << 8;
        QTest::newRow("odd sides, 3 % more than an eighth") << QSize(641, 361) << QSize(84, 46) << 4;
        QTest::newRow("no size to show") << QSize(3520, 1104) << QSize() << 1;
    }

    void scaleCoversTheShownSize() {
        QFETCH(QSize, frame);
        QFETCH(QSize, shown);
        QFETCH(int, divisor);
        QCOMPARE(jpegScaleDivisor(frame, shown), divisor);
    }

    void scaledDecodeLooksLikeAFullDecode_data() {
        QTest::addColumn<QSize>("frame");
        QTest::addColumn<QSize>("shown");
        QTest::addColumn<QSize>("picture");
        // The camera's frames and boxes at a quarter of each side, so that the test stays quick.
        QTest::newRow("3520x1104 in 888x277: the quarter, unscaled")
            << QSize(880, 276) << QSize(222, 69) << QSize(220, 69);
        QTest::newRow("3520x1104 in 1000x300: the half, sampled down")
            << QSize(880, 276) << QSize(250, 75) << QSize(250, 75);
        QTest::newRow("1920x1080 in 900x507: the half, sampled down")
            << QSize(480, 270) << QSize(225, 127) << QSize(225, 127);
        // Runs of five or six columns, then single columns rather than runs of them.
        QTest::newRow("the half, a sixth left out") << QSize(880, 276) << QSize(370, 116) << QSize(370, 116);
        QTest::newRow("an eighth still twice the box") << QSize(880, 276) << QSize(50, 16) << QSize(50, 16);
    }

    void scaledDecodeLooksLikeAFullDecode() {
        QFETCH(QSize, frame);
        QFETCH(QSize, shown);
        QFETCH(QSize, picture);
        const QByteArray jpeg = cameraLikeJpeg(frame);
        PreviewJpegDecoder decoder;
        QSize frameSize;
        const QImage decoded = decoder.decode(reinterpret_cast<const uint8_t*>(jpeg.constData()),
                                              size_t(jpeg.size()), shown, &frameSize);
        QCOMPARE(frameSize, frame);
        QCOMPARE(decoded.size(), picture);
        QVERIFY(showsUnscaled(decoded.size(), shown) || decoded.size() == shown);

        // Sampled down, each pixel is the one under its centre in the picture decoded at the
        // same scale and shown as it is.
        const int divisor = jpegScaleDivisor(frame, shown);
        const QSize scaled(scaledSide(frame.width(), divisor), scaledSide(frame.height(), divisor));
        const QImage unscaled =
            decoder.decode(reinterpret_cast<const uint8_t*>(jpeg.constData()), size_t(jpeg.size()), scaled);
        QCOMPARE(unscaled.size(), scaled);
        for (int y = 0; y < picture.height(); ++y) {
            const int fromY = nearestSource(y, picture.height(), scaled.height());
            for (int x = 0; x < picture.width(); ++x) {
                const int fromX = nearestSource(x, picture.width(), scaled.width());
                if (decoded.pixel(x, y) != unscaled.pixel(fromX, fromY))
                    QFAIL(qPrintable(
                        QStringLiteral("pixel %1,%2 is not %3,%4").arg(x).arg(y).arg(fromX).arg(fromY)));
            }
        }

        // Against the ideal (area-averaged) picture it is at least as close as a full decode
        // sampled by nearest pixels.
        const QImage full = QImage::fromData(jpeg, "JPG");
        const QImage fullNearest = full.scaled(picture, Qt::IgnoreAspectRatio, Qt::FastTransformation);
        const QImage ideal = full.scaled(picture, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        QVERIFY2(
            psnr(decoded, ideal) >= psnr(fullNearest, ideal),
            qPrintable(QStringLiteral("%1 < %2").arg(psnr(decoded, ideal)).arg(psnr(fullNearest, ideal))));
    }

    void damagedFrames_data() {
        QTest::addColumn<int>("keptBytes");
        QTest::addColumn<int>("garbageAt");  // -2: the header's size is overwritten
        QTest::addColumn<bool>("decodes");
        QTest::newRow("cut off after half: shown, as a camera's stream often is") << 50 << -1 << true;
        QTest::newRow("cut off in the header") << 1 << -1 << false;
        QTest::newRow("start marker, then garbage") << 100 << 2 << false;
        QTest::newRow("header claims 65535 x 65535") << 100 << -2 << false;
    }

    void damagedFrames() {
        QFETCH(int, keptBytes);
        QFETCH(int, garbageAt);
        QFETCH(bool, decodes);
        QByteArray jpeg = cameraLikeJpeg(QSize(160, 90));
        jpeg.truncate(jpeg.size() * keptBytes / 100);
        if (garbageAt >= 0)
            std::fill(jpeg.begin() + garbageAt, jpeg.end(), char(0x5A));
        if (garbageAt == -2) {
            // The frame header (SOF0): length, precision, height, width.
            const int frameHeader = jpeg.indexOf(QByteArray("\xFF\xC0", 2));
            QVERIFY(frameHeader > 0);
            jpeg.replace(frameHeader + 5, 4, QByteArray("\xFF\xFF\xFF\xFF", 4));
        }
        PreviewJpegDecoder decoder;
        QSize frameSize;
        const QImage picture = decoder.decode(reinterpret_cast<const uint8_t*>(jpeg.constData()),
                                              size_t(jpeg.size()), QSize(80, 45), &frameSize);
        QCOMPARE(!picture.isNull(), decodes);
        QCOMPARE(frameSize.isValid(), decodes);
    }

    void newestFrameWinsOverASlowConsumer() {
        PreviewDecoder decoder;
        int notifications = 0;
        connect(&decoder, &PreviewDecoder::pictureReady, this, [&notifications] { ++notifications; });
        for (int frame = 1; frame <= 30; ++frame)
            decoder.submit(PreviewFrame{QByteArray(), grey(frame), QSize(32, 16)});

        // A consumer that takes a picture only now and then sees the frames in order, ends
        // with the newest and is not sent one notification per frame.
        std::vector<int> taken;
        bool sizesRight = true;
        QTRY_VERIFY_WITH_TIMEOUT(
            [&] {
                QTest::qWait(20);
                if (std::optional<PreviewPicture> picture = decoder.takePicture()) {
                    sizesRight = sizesRight && picture->image.size() == QSize(32, 16) &&
                                 picture->frameSize == QSize(64, 32);
                    taken.push_back(qRed(picture->image.pixel(0, 0)));
                }
                return !taken.empty() && taken.back() == 30;
            }(),
            10000);
        QVERIFY(sizesRight);
        QVERIFY(std::is_sorted(taken.begin(), taken.end()));
        QVERIFY(std::adjacent_find(taken.begin(), taken.end()) == taken.end());
        QVERIFY2(taken.size() < 30, "every frame reached the consumer: frames queue");
        QVERIFY(notifications <= int(taken.size()) + 1);
        QTRY_VERIFY(decoder.idle());
        QVERIFY(!decoder.takePicture());
    }

    void discardedFramesNeverComeOut() {
        PreviewDecoder decoder;
        for (int frame = 1; frame <= 20; ++frame)
            decoder.submit(PreviewFrame{QByteArray(), grey(frame), QSize(32, 16)});
        decoder.discard();
        decoder.submit(PreviewFrame{QByteArray(), grey(99), QSize()});
        std::vector<int> taken;
        QTRY_VERIFY([&] {
            if (std::optional<PreviewPicture> picture = decoder.takePicture())
                taken.push_back(qRed(picture->image.pixel(0, 0)));
            return decoder.idle() && !taken.empty();
        }());
        QCOMPARE(taken, std::vector<int>{99});
    }

    void threadGoesWithItsLabel() {
        const QByteArray jpeg = cameraLikeJpeg(QSize(640, 360));
        const int before = threadCount();
        {
            QWidget parent;
            parent.resize(400, 200);
            auto* label = new CustomImageLabel(&parent);
            label->resize(320, 180);
            QCOMPARE(threadCount(), before + 1);
            QSignalSpy shown(label, &CustomImageLabel::pictureShown);
            // The first frame comes at its own size: the label has no shape yet.
            label->showJpegFrame(jpeg);
            QVERIFY(shown.wait(5000));
            QCOMPARE(label->shownPicture().size(), QSize(640, 360));
            QCOMPARE(label->aspectRatio(), 640.0f / 360.0f);
            label->showJpegFrame(jpeg);
            QVERIFY(shown.wait(5000));
            QCOMPARE(label->shownPicture().size(), label->shownSize());
            // Gone while frames are still on their way.
            for (int frame = 0; frame < 5; ++frame)
                label->showJpegFrame(jpeg);
        }
        QCOMPARE(threadCount(), before);
        QCoreApplication::processEvents();  // nothing left for the label that is gone
    }
};

QTEST_MAIN(PreviewDecoderTest)
#include "tst_preview_decoder.moc"
