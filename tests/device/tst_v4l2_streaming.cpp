// Streaming over V4L2: samples, conversion, device loss, a clean stop, the converter module's
// loading, and the converter on samples that end where readable memory ends or carry odd
// row lengths and sizes.
#include <QtTest>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavutil/opt.h>
}

#include <sys/mman.h>
#include <unistd.h>

#include "device/v4l2/frame_converter.h"
#include "tst_v4l2_helpers.h"

using namespace device;
using namespace device::v4l2;
using namespace v4l2test;

namespace {

// YUYV picture: the top half white, the bottom half black.
std::vector<uint8_t> yuyvHalves(int width, int height) {
    std::vector<uint8_t> bytes(size_t(width) * size_t(height) * 2, 128);
    for (size_t i = 0; i < bytes.size(); i += 2)
        bytes[i] = i < bytes.size() / 2 ? 235 : 16;
    return bytes;
}

// The coded samples of `frames` flat grey 1920x1080 pictures of luma y (4:2:0 in pixel
// format pix), or nothing without that encoder.
std::vector<std::vector<uint8_t>> encodeFlat(AVCodecID id, AVPixelFormat pix, uint8_t y, int frames) {
    std::vector<std::vector<uint8_t>> units;
    const AVCodec* codec = avcodec_find_encoder(id);
    AVCodecContext* ctx = codec ? avcodec_alloc_context3(codec) : nullptr;
    AVFrame* frame = av_frame_alloc();
    AVPacket* packet = av_packet_alloc();
    if (ctx) {
        frame->width = ctx->width = 1920;
        frame->height = ctx->height = 1080;
        ctx->time_base = AVRational{1, 30};
        frame->format = ctx->pix_fmt = pix;
        ctx->max_b_frames = 0;
        av_opt_set(ctx->priv_data, "preset", "ultrafast", 0);  // H264 only
        av_opt_set(ctx->priv_data, "tune", "zerolatency", 0);
    }
    if (ctx && avcodec_open2(ctx, codec, nullptr) == 0 && av_frame_get_buffer(frame, 0) == 0) {
        for (int plane = 0; plane < 3; ++plane)
            for (int r = 0; r < (plane ? 540 : 1080); ++r)
                std::memset(frame->data[plane] + r * frame->linesize[plane], plane ? 128 : y,
                            plane ? 960 : 1920);
        for (int i = 0; i <= frames; ++i) {
            frame->pts = i;
            avcodec_send_frame(ctx, i < frames ? frame : nullptr);  // then drain
            for (; avcodec_receive_packet(ctx, packet) == 0; av_packet_unref(packet))
                units.emplace_back(packet->data, packet->data + packet->size);
        }
    }
    av_packet_free(&packet);
    av_frame_free(&frame);
    avcodec_free_context(&ctx);
    return units;
}

// length bytes of mid-grey YUYV that end right before an unreadable page.
struct GuardedSample {
    explicit GuardedSample(size_t n) : length(n) {
        base = static_cast<uint8_t*>(
            mmap(nullptr, pages * page, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0));
        mprotect(base + (pages - 1) * page, page, PROT_NONE);
        data = base + (pages - 1) * page - length;
        std::memset(data, 0x80, length);
    }
    ~GuardedSample() { munmap(base, pages * page); }
    const size_t length, page = size_t(sysconf(_SC_PAGESIZE)), pages = (length + page - 1) / page + 1;
    uint8_t *base = nullptr, *data = nullptr;
};

}  // namespace

class TestV4l2Streaming : public QObject {
    Q_OBJECT

private slots:
    void nativeSamplesArriveAsTheyAre() {
        Stream s;
        QCOMPARE(s.start(kSubtypeMJPG, 1920, 1080, kSubtypeNull, 400000), kOk);
        QCOMPARE(s.fake->format(0).pixelformat, uint32_t(V4L2_PIX_FMT_MJPEG));
        QCOMPARE(s.fake->format(0).width, 1920u);
        QCOMPARE(s.fake->timePerFrame(0).denominator, 25u);  // 400000 * 100 ns = 1/25 s
        QCOMPARE(s.fake->timePerFrame(0).numerator, 1u);
        long code = -1;
        QCOMPARE(s.graph->waitForCompletion(15000, code), kOk);  // live: at once
        QCOMPARE(code, 0L);

        const std::vector<uint8_t> first = {0xFF, 0xD8, 1, 2, 3, 0xFF, 0xD9},
                                   second = {0xFF, 0xD8, 9, 0xFF, 0xD9};
        QVERIFY(s.fake->pushFrame(0, first));
        QVERIFY(s.sink.waitFor(1));
        // A buffer flagged as an error is dropped (and goes back to the driver).
        QVERIFY(s.fake->pushFrame(0, {1, 2, 3}, V4L2_BUF_FLAG_ERROR));
        QVERIFY(s.fake->pushFrame(0, second));
        QVERIFY(s.sink.waitFor(2));
        QVERIFY(s.fake->waitForQueuedBuffers(0, 2000));
        auto samples = s.sink.samples();
        QCOMPARE(samples.size(), size_t(2));
        QCOMPARE(samples[0].bytes, first);
        QCOMPARE(samples[1].bytes, second);
        QVERIFY(samples[0].time >= 0 && samples[1].time >= samples[0].time && samples[1].time < 5);
        long ev = 0;
        int64_t p1 = 0, p2 = 0;
        QCOMPARE(s.graph->nextEvent(ev, p1, p2), kAbort);  // nothing pending while streaming
        QCOMPARE(s.graph->stop(), kOk);
        QCOMPARE(s.graph->waitForCompletion(3000, code), kWrongState);  // stopped: not an abandoned wait
    }

    void yuyvBecomesRgb32BottomUp() {
        Stream s;
        QCOMPARE(s.start(kSubtypeYUY2, 320, 240, kSubtypeRGB32), kOk);
        // A short sample gives no picture rather than reading past it.
        QVERIFY(s.fake->pushFrame(0, std::vector<uint8_t>(1000, 16)));
        QVERIFY(s.fake->pushFrame(0, yuyvHalves(320, 240)));
        QVERIFY(s.sink.waitFor(1));
        QCOMPARE(int(s.sink.samples().size()), 1);
        const auto bytes = s.sink.samples()[0].bytes;
        QCOMPARE(bytes.size(), size_t(320 * 240 * 4));
        auto pixel = [&](int row, int x) { return &bytes[size_t(row * 320 + x) * 4]; };
        for (int x : {0, 100, 319}) {  // first stored row = bottom of the picture (black), last = top
            QVERIFY(pixel(0, x)[0] < 10 && pixel(0, x)[1] < 10 && pixel(0, x)[2] < 10);
            QVERIFY(pixel(239, x)[0] > 245 && pixel(239, x)[1] > 245 && pixel(239, x)[2] > 245);
            QCOMPARE(int(pixel(0, x)[3]), 255);
        }
    }

    void codedSamplesAreDecodedToRgb32() {
        // H264 in limited range; cameras send full-range JPEG: luma 200 is grey 200 (read
        // as limited range, 214).
        for (const bool h264 : {true, false}) {
            const int luma = h264 ? 128 : 200, grey = h264 ? 130 : 200, tolerance = h264 ? 20 : 4;
            const auto units = h264 ? encodeFlat(AV_CODEC_ID_H264, AV_PIX_FMT_YUV420P, uint8_t(luma), 3)
                                    : encodeFlat(AV_CODEC_ID_MJPEG, AV_PIX_FMT_YUVJ420P, uint8_t(luma), 1);
            if (units.empty() && h264)
                continue;  // no H264 encoder here to make a stream with
            Stream s;
            QCOMPARE(s.start(h264 ? kSubtypeH264 : kSubtypeMJPG, 1920, 1080, kSubtypeRGB32), kOk);
            if (!h264)  // a broken sample gives no frame and the stream goes on
                QVERIFY(s.fake->pushFrame(0, {0xFF, 0xD8, 0x00, 0x01}));
            for (const auto& unit : units) {
                QVERIFY(s.fake->waitForQueuedBuffers(0, 2000));
                QVERIFY(s.fake->pushFrame(0, unit));
            }
            QVERIFY(s.sink.waitFor(1));
            QVERIFY(h264 || s.sink.samples().size() == 1);
            const auto bytes = s.sink.samples()[0].bytes;
            QCOMPARE(bytes.size(), size_t(1920 * 1080 * 4));
            for (int channel = 0; channel < 3; ++channel) {
                const int centre = bytes[(540 * 1920 + 960) * 4 + channel];
                QVERIFY2(std::abs(centre - grey) <= tolerance, qPrintable(QString::number(centre)));
            }
        }
    }

    void streamingErrorsEndTheStream() {
        const struct {
            unsigned long request;
            int error;
            long event;
        } rows[] = {{VIDIOC_DQBUF, EIO, kEventDeviceLost},
                    {VIDIOC_QBUF, ENODEV, kEventDeviceLost},
                    {VIDIOC_QBUF, EINVAL, kEventErrorAbort}};
        for (const auto& row : rows) {
            Stream s;
            QCOMPARE(s.start(kSubtypeMJPG, 1920, 1080, kSubtypeNull), kOk);
            s.fake->failNextIoctl(row.request, row.error);
            QVERIFY(s.fake->pushFrame(0, {1}));
            QCOMPARE(s.waitForEvent(), row.event);
        }
        // The camera pulled mid-stream: lost once, still running until stopped, then nothing left.
        Stream s;
        QCOMPARE(s.start(kSubtypeMJPG, 1920, 1080, kSubtypeNull), kOk);
        QVERIFY(s.fake->pushFrame(0, {1}));
        QVERIFY(s.sink.waitFor(1));
        s.fake->unplug(0);
        QCOMPARE(s.waitForEvent(), long(kEventDeviceLost));
        QCOMPARE(s.waitForEvent(100), 0L);  // once
        long code = -1;
        QCOMPARE(s.graph->waitForCompletion(100, code), kOk);
        QCOMPARE(s.graph->stop(), kOk);
        s.graph.reset();
        s.device.reset();
        QCOMPARE(s.fake->openDescriptors() + s.fake->liveMappings(), 0);
        QCOMPARE(s.fake->badUnmaps() + s.fake->callsOnClosedDescriptors(), 0);
    }

    void stopIsCleanAndTheStreamRunsAgain() {
        Stream s;
        QCOMPARE(s.start(kSubtypeYUY2, 640, 480, kSubtypeNull, 666666), kOk);
        QCOMPARE(s.fake->timePerFrame(0).denominator, 15u);
        s.fake->clearCalls();
        QCOMPARE(s.graph->stop(), kOk);
        const int off = firstCall(*s.fake, "STREAMOFF"), unmap = firstCall(*s.fake, "munmap");
        const int release = firstCall(*s.fake, "REQBUFS", -1, 0);
        QVERIFY(off >= 0 && unmap > off && release > unmap);
        QCOMPARE(s.fake->calls()[size_t(release)].result, 0);
        QCOMPARE(s.fake->liveMappings() + s.fake->allocatedBuffers(0), 0);
        QVERIFY(!s.fake->streaming(0));
        QCOMPARE(s.graph->stop(), kOk);  // twice is fine

        QCOMPARE(s.graph->run(), kOk);
        QVERIFY(s.fake->waitForQueuedBuffers(0, 2000));
        QVERIFY(s.fake->pushFrame(0, std::vector<uint8_t>(640 * 480 * 2, 0x80)));
        QVERIFY(s.sink.waitFor(1));
        QCOMPARE(s.sink.samples()[0].bytes.size(), size_t(640 * 480 * 2));
        s.graph.reset();  // the graph goes away while streaming: it stops itself
        QVERIFY(!s.fake->streaming(0));
        QCOMPARE(s.fake->liveMappings(), 0);
    }

    void stepsOutOfOrderOrUnsupportedFail() {
        Stream s;
        QCOMPARE(s.build(format(kSubtypeMJPG, 1920, 1080), kSubtypeI420), kFail);  // no converter to I420
        Stream t;
        QCOMPARE(t.port.video->createGraph(t.graph), kOk);
        QCOMPARE(t.graph->connect(0), kUnexpected);
        QCOMPARE(t.graph->run(), kWrongState);
        QCOMPARE(t.graph->addGrabber("Grabber 0"), kUnexpected);  // not created
        long code = 0;
        QCOMPARE(t.graph->waitForCompletion(10, code), kWrongState);
        QCOMPARE(t.graph->stop(), kOk);
        // A retried open adds the grabber again: the earlier buffers are released first.
        Stream u;
        QCOMPARE(u.build(format(kSubtypeMJPG, 1920, 1080), kSubtypeNull), kOk);
        QCOMPARE(u.graph->addGrabber("Grabber 0"), kOk);
        QCOMPARE(u.fake->liveMappings(), 0);
        QCOMPARE(u.graph->connect(0), kOk);
        QCOMPARE(u.graph->run(), kOk);
        QVERIFY(u.fake->streaming(0));
    }

    void stopFromTheCallbackDoesNotHang() {
        struct StoppingSink : FrameSink {
            CaptureGraph* graph = nullptr;
            std::atomic<int> calls{0};
            void bufferCB(double, const uint8_t*, long) override {
                ++calls;
                graph->stop();
            }
        } sink;
        Stream s;
        QCOMPARE(s.build(format(kSubtypeMJPG, 1920, 1080), kSubtypeNull), kOk);
        sink.graph = s.graph.get();
        s.graph->setCallback(&sink);
        QCOMPARE(s.graph->run(), kOk);
        QVERIFY(s.fake->waitForQueuedBuffers(0, 2000));
        QVERIFY(s.fake->pushFrame(0, {1}));
        QTRY_COMPARE(sink.calls.load(), 1);
        QCOMPARE(s.graph->stop(), kOk);
        QVERIFY(!s.fake->streaming(0));
    }

    // The converter module is loaded on the first conversion; one that is missing or is no
    // converter module is named in the error, and no conversion is made of it.
    void converterModuleLoadsOrSaysWhyNot() {
        const QString beside = QCoreApplication::applicationDirPath();
        const struct {
            QString path;
            const char* error;  // nullptr: loads
        } rows[] = {
            {beside + "/" + kFrameConverterModule, nullptr},
            {beside + "/missing/" + kFrameConverterModule, "does not load"},
            {beside + "/libProjectCustomize.so", "is no converter module"},
        };
        for (const auto& row : rows) {
            const FrameConverterModule module = loadFrameConverterModule(row.path.toStdString());
            QCOMPARE(module.create != nullptr, row.error == nullptr);
            if (row.error == nullptr) {
                QVERIFY(module.error.empty());
                continue;
            }
            QVERIFY2(module.error.find(row.path.toStdString()) != std::string::npos, module.error.c_str());
            QVERIFY2(module.error.find(row.error) != std::string::npos, module.error.c_str());
        }
    }

    void yuyvSamplesAtTheEndOfReadableMemory() {
        const struct {
            int width, height, bytesPerLine, length, outWidth, outHeight;
            bool pictured;
        } rows[] = {
            // Widths that are no multiple of 16 pixels are read in groups past the row.
            {10, 10, 0, 200, 5, 5, true},
            {424, 4, 0, 424 * 2 * 4, 424, 4, true},
            {34, 7, 0, 34 * 2 * 7, 40, 9, true},
            {640, 4, 0, 640 * 2 * 4, 640, 4, true},  // no copy
            {10, 3, 32, 32 * 2 + 20, 10, 3, true},   // padded rows
            // A picture of two pixels a row is written in groups past the row.
            {2, 3, 0, 12, 2, 31, true},
            {2, 2, 0, 8, 1, 8, true},
            // A row length shorter than the row's pixels is not believed: the sample is short.
            {10, 10, 2, 42, 5, 5, false},
        };
        for (const auto& row : rows) {
            FrameConverter converter;
            QVERIFY(converter.open(V4L2_PIX_FMT_YUYV, row.width, row.height, row.bytesPerLine,
                                   size_t(row.length), row.outWidth, row.outHeight));
            const GuardedSample sample{size_t(row.length)};
            for (int frame = 0; frame < 2; ++frame) {
                const uint8_t* picture = converter.convert(sample.data, sample.length);
                QCOMPARE(picture != nullptr, row.pictured);
                if (!picture)
                    continue;
                QCOMPARE(converter.pictureSize(), size_t(row.outWidth) * size_t(row.outHeight) * 4);
                // Mid-grey everywhere (within the scaler's dither): nothing written past one
                // row shows in another.
                for (size_t i = 0; i < converter.pictureSize(); ++i)
                    QVERIFY2(std::abs(int(picture[i]) - int(picture[i % 4])) <= 2,
                             qPrintable(QString("%1x%2 byte %3").arg(row.width).arg(row.height).arg(i)));
            }
        }
    }
};

QTEST_GUILESS_MAIN(TestV4l2Streaming)
#include "tst_v4l2_streaming.moc"
