// The V4L2 converter on samples that end where readable memory ends (a mapped buffer
// whose end is a page boundary, followed by an unreadable page) and with row lengths and
// picture sizes a camera may report: it stays inside the sample and gives a whole,
// uniform picture, or refuses the sample.
#include <linux/videodev2.h>
#include <sys/mman.h>
#include <unistd.h>
#include <QtTest>
#include <cstdlib>
#include <cstring>

#include "device/v4l2/frame_converter.h"

using device::v4l2::FrameConverter;

namespace {
// length bytes of mid-grey YUYV that end right before an unreadable page.
class GuardedSample {
public:
    explicit GuardedSample(size_t length) : length_(length) {
        const size_t page = size_t(sysconf(_SC_PAGESIZE));
        pages_ = (length + page - 1) / page + 1;
        base_ = static_cast<uint8_t*>(
            mmap(nullptr, pages_ * page, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0));
        mprotect(base_ + (pages_ - 1) * page, page, PROT_NONE);
        data_ = base_ + (pages_ - 1) * page - length;
        std::memset(data_, 0x80, length);
    }
    ~GuardedSample() { munmap(base_, pages_ * size_t(sysconf(_SC_PAGESIZE))); }
    const uint8_t* data() const { return data_; }
    size_t length() const { return length_; }

private:
    size_t length_, pages_ = 0;
    uint8_t* base_ = nullptr;
    uint8_t* data_ = nullptr;
};
}  // namespace

class TestFrameConverterBounds : public QObject {
    Q_OBJECT

private slots:
    void yuyvSamplesAtTheEndOfReadableMemory_data() {
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("height");
        QTest::addColumn<int>("bytesPerLine");
        QTest::addColumn<int>("length");
        QTest::addColumn<int>("outWidth");
        QTest::addColumn<int>("outHeight");
        QTest::addColumn<bool>("pictured");
        // Widths that are no multiple of 16 pixels are read in groups past the row.
        QTest::newRow("10x10") << 10 << 10 << 0 << 200 << 5 << 5 << true;
        QTest::newRow("424x4") << 424 << 4 << 0 << 424 * 2 * 4 << 424 << 4 << true;
        QTest::newRow("34x7 to 40x9") << 34 << 7 << 0 << 34 * 2 * 7 << 40 << 9 << true;
        QTest::newRow("640x4 (no copy)") << 640 << 4 << 0 << 640 * 2 * 4 << 640 << 4 << true;
        QTest::newRow("padded rows") << 10 << 3 << 32 << 32 * 2 + 20 << 10 << 3 << true;
        // A picture of two pixels a row is written in groups past the row.
        QTest::newRow("2x3 to 2x31") << 2 << 3 << 0 << 12 << 2 << 31 << true;
        QTest::newRow("1x2 to 1x8") << 2 << 2 << 0 << 8 << 1 << 8 << true;
        // A row length shorter than the row's pixels is not believed: the sample is short.
        QTest::newRow("row length 2 for 10 pixels") << 10 << 10 << 2 << 42 << 5 << 5 << false;
    }
    void yuyvSamplesAtTheEndOfReadableMemory() {
        QFETCH(int, width);
        QFETCH(int, height);
        QFETCH(int, bytesPerLine);
        QFETCH(int, length);
        QFETCH(int, outWidth);
        QFETCH(int, outHeight);
        QFETCH(bool, pictured);
        FrameConverter converter;
        QVERIFY(converter.open(V4L2_PIX_FMT_YUYV, width, height, bytesPerLine, size_t(length), outWidth,
                               outHeight));
        const GuardedSample sample{size_t(length)};
        for (int frame = 0; frame < 2; ++frame) {
            const uint8_t* picture = converter.convert(sample.data(), sample.length());
            QCOMPARE(picture != nullptr, pictured);
            if (!picture)
                continue;
            QCOMPARE(converter.pictureSize(), size_t(outWidth) * size_t(outHeight) * 4);
            // Mid-grey everywhere (within the scaler's dither): nothing written past one row
            // shows in another.
            for (size_t i = 0; i < converter.pictureSize(); ++i)
                QVERIFY2(std::abs(int(picture[i]) - int(picture[i % 4])) <= 2,
                         qPrintable(QString("byte %1: %2").arg(i).arg(picture[i])));
        }
    }
};

QTEST_APPLESS_MAIN(TestFrameConverterBounds)
#include "tst_frame_converter_bounds.moc"
