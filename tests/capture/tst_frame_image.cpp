// The preview's frame image and label: JPEG decoding and RGB wrapping, and the size hint
// that keeps the picture's aspect ratio.
#include <QBuffer>
#include <QImage>
#include <QWidget>
#include <QtTest>
#include <vector>

#include "capture/custom_image_label.h"
#include "capture/frame_image.h"

namespace {
QByteArray jpegOf(const QImage& image) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "JPG");
    return bytes;
}
}  // namespace

class FrameImageTest : public QObject {
    Q_OBJECT

private slots:
    void decodesJpegFramesOnlyWhenNew() {
        QImage source(64, 32, QImage::Format_RGB32);
        source.fill(QColor(200, 30, 30));
        const QByteArray jpeg = jpegOf(source);
        FrameImage frame;
        frame.setFormat(64, 32, 4);
        QCOMPARE(frame.size(), 64 * 32 * 4);
        frame.setData(reinterpret_cast<const uint8_t*>(jpeg.constData()), jpeg.size());
        QCOMPARE(frame.size(), jpeg.size());
        const QPixmap pixmap = frame.getPixmap();
        QCOMPARE(pixmap.size(), QSize(64, 32));
        QVERIFY(qAbs(pixmap.toImage().pixelColor(10, 10).red() - 200) < 8);

        // A frame that does not decode gives a null picture.
        const QByteArray garbage("\xFF\xD8garbage", 9);
        frame.setData(reinterpret_cast<const uint8_t*>(garbage.constData()), garbage.size());
        QVERIFY(frame.getPixmap().isNull());
    }

    void wrapsRgbFramesAndNeverReadsPastTheFrame() {
        std::vector<uint8_t> pixels(4 * 2 * 4, 0);
        pixels[0] = 0x11;  // blue of the first pixel
        pixels[2] = 0x33;  // red
        FrameImage frame;
        frame.setFormat(4, 2, 4);
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
        // A short frame fills only what it has.
        std::vector<uint8_t> half(16, 0xFF);
        frame.setData(half.data(), int(half.size()));
        const QImage partial = frame.getImage();
        QCOMPARE(qRed(partial.pixel(3, 0)), 0xFF);
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

        // A resize of the label records its parent's size of the moment.
        parent.resize(640, 360);
        parent.show();
        label.resize(100, 100);
        QCoreApplication::processEvents();
        QCOMPARE(CustomImageLabel::parentSize, QSize(640, 360));
    }
};

QTEST_MAIN(FrameImageTest)
#include "tst_frame_image.moc"
