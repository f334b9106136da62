// The simulated camera's streams: pacing, real JPEG samples of the requested size, RGB32
// rows bottom-up, pictures that follow the controls, unplugging mid-stream, and the
// sample faults.
#include <turbojpeg.h>

#include <QtTest>
#include <chrono>

#include "sim_test_helpers.h"

using namespace device;
using namespace simtest;

namespace {
constexpr int kMjpg640 = 3;   // MJPG 640x360, 30 and 15 fps
constexpr int kMjpg1920 = 1;  // MJPG 1920x1080
constexpr int kH264Portrait = 6;
constexpr int kYuy2640 = 9;

struct Decoded {
    int width = 0, height = 0;
    std::vector<uint8_t> gray;
};
bool decodeJpeg(const std::vector<uint8_t>& jpeg, Decoded& out) {
    tjhandle h = tjInitDecompress();
    int w = 0, hgt = 0, sub = 0, cs = 0;
    bool ok = tjDecompressHeader3(h, jpeg.data(), jpeg.size(), &w, &hgt, &sub, &cs) == 0 && w > 0 && hgt > 0;
    if (ok) {
        out.width = w;
        out.height = hgt;
        out.gray.resize(size_t(w) * hgt);
        ok = tjDecompress2(h, jpeg.data(), jpeg.size(), out.gray.data(), w, w, hgt, TJPF_GRAY, 0) == 0;
    }
    tjDestroy(h);
    return ok;
}
double mean(const std::vector<uint8_t>& v) {
    double s = 0;
    for (uint8_t b : v)
        s += b;
    return v.empty() ? 0 : s / double(v.size());
}
}  // namespace

class TstSimStreaming : public QObject {
    Q_OBJECT

private:
    std::shared_ptr<sim::SimCamera> camera_;

    // Runs a stream until two samples arrived; answers the last one.
    std::vector<uint8_t> grab(int index, const Guid& output, RecordingSink* recorder = nullptr) {
        RecordingSink own;
        RecordingSink& sink = recorder ? *recorder : own;
        std::unique_ptr<CaptureGraph> graph;
        if (failed(openStream(bindByName("Lumora X8"), index, output, &sink, graph)))
            return {};
        waitFor([&] { return sink.count() >= 2; }, 5000);
        graph->stop();
        return sink.last();
    }

private slots:
    void init() { camera_ = sim::installSimulatedCamera(); }
    void cleanup() {
        installPort(DevicePort{});
        camera_.reset();
    }

    void mjpgSamplesDecodeAtTheRequestedSize_data() {
        QTest::addColumn<int>("index");
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("height");
        QTest::newRow("640x360") << kMjpg640 << 640 << 360;
        QTest::newRow("1920x1080") << kMjpg1920 << 1920 << 1080;
        QTest::newRow("3520x1104") << 0 << 3520 << 1104;
    }
    void mjpgSamplesDecodeAtTheRequestedSize() {
        QFETCH(int, index);
        QFETCH(int, width);
        QFETCH(int, height);
        const std::vector<uint8_t> sample = grab(index, kSubtypeNull);
        QVERIFY(!sample.empty());
        QCOMPARE(int(sample[0]), 0xFF);
        QCOMPARE(int(sample[1]), 0xD8);
        Decoded d;
        QVERIFY(decodeJpeg(sample, d));
        QCOMPARE(d.width, width);
        QCOMPARE(d.height, height);
    }

    void rgb32FramesArriveBottomUp() {
        // H264 portrait converted to RGB32: 1080 wide, 1920 high, rows bottom-up.
        const std::vector<uint8_t> frame = grab(kH264Portrait, kSubtypeRGB32);
        const int w = 1080, h = 1920;
        QCOMPARE(frame.size(), size_t(w) * h * 4);
        auto luma = [&](int memoryRow, int x) {
            const uint8_t* p = frame.data() + (size_t(memoryRow) * w + x) * 4;
            return (p[0] + p[1] + p[2]) / 3;  // B, G, R
        };
        // The picture's top holds the white bar at the left; its lower part the dark end of
        // the grey ramp. Bottom-up, the picture's row y is memory row h - 1 - y.
        const int topRow = int(h * 0.3), rampRow = int(h * 0.75), x = w / 40;
        QVERIFY2(luma(h - 1 - topRow, x) > 200, "white bar expected at the top");
        QVERIFY2(luma(h - 1 - rampRow, x) < 40, "dark ramp expected near the bottom");
        QVERIFY(luma(rampRow, x) > 200);  // read top-down, the picture is upside down
    }

    void yuy2SamplesArePacked() {
        const std::vector<uint8_t> sample = grab(kYuy2640, kSubtypeNull);
        QCOMPARE(sample.size(), size_t(640 * 360 * 2));
    }

    void nativeH264IsRefusedAtConnect() {
        auto device = bindByName("Lumora X8");
        RecordingSink sink;
        std::unique_ptr<CaptureGraph> graph;
        QCOMPARE(openStream(device, kH264Portrait, kSubtypeNull, &sink, graph), kNotImplemented);
    }

    void streamsAtTheRequestedRate() {
        auto device = bindByName("Lumora X8");
        RecordingSink sink;
        std::unique_ptr<CaptureGraph> graph;
        QCOMPARE(openStream(device, kMjpg640, kSubtypeNull, &sink, graph), kOk);
        QCOMPARE(camera_->runningStreams(), 1);
        const auto start = std::chrono::steady_clock::now();
        std::this_thread::sleep_for(std::chrono::milliseconds(1000));
        const int frames = sink.count();
        const double elapsed =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        QCOMPARE(graph->stop(), kOk);
        QCOMPARE(camera_->runningStreams(), 0);
        const double rate = frames / elapsed;
        qInfo("measured %.1f fps over %.2f s", rate, elapsed);
        QVERIFY2(rate > 15 && rate < 36, qPrintable(QString("rate %1").arg(rate)));
        // Sample times are stream times in seconds, one interval apart.
        const std::vector<double> t = sink.times();
        QVERIFY(t.size() >= 2);
        QCOMPARE(t.front(), 0.0);
        QVERIFY(qAbs((t[1] - t[0]) - 0.0333333) < 1e-4);
        // Nothing arrives after stop().
        const int after = sink.count();
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        QCOMPARE(sink.count(), after);
        QCOMPARE(camera_->framesDelivered(), long(after));
    }

    void frameIntervalChosenBySetFormatPaces() {
        auto device = bindByName("Lumora X8");
        MediaFormat f;
        QCOMPARE(device->capability(0, kMjpg640, f), kOk);
        f.avgTimePerFrame = 666667;  // 15 fps, rounded as the capture layer computes it
        QCOMPARE(device->setFormat(0, f), kOk);
        MediaFormat now;
        QCOMPARE(device->currentFormat(0, now), kOk);
        QCOMPARE(now.avgTimePerFrame, int64_t(666666));
    }

    void pictureFollowsBrightnessAndZoom() {
        Decoded dark, bright, zoomed;
        camera_->setControl(ControlGroup::VideoProcAmp, kProcBrightness, {0, kFlagsManual});
        QVERIFY(decodeJpeg(grab(kMjpg640, kSubtypeNull), dark));
        camera_->setControl(ControlGroup::VideoProcAmp, kProcBrightness, {200, kFlagsManual});
        QVERIFY(decodeJpeg(grab(kMjpg640, kSubtypeNull), bright));
        QVERIFY2(mean(bright.gray) > mean(dark.gray) + 40, "brightness must show in the picture");

        camera_->setControl(ControlGroup::VideoProcAmp, kProcBrightness, {100, kFlagsManual});
        Decoded plain;
        QVERIFY(decodeJpeg(grab(kMjpg640, kSubtypeNull), plain));
        camera_->setControl(ControlGroup::CameraControl, kCamZoom, {400, kFlagsManual});
        QVERIFY(decodeJpeg(grab(kMjpg640, kSubtypeNull), zoomed));
        // At 100 % the top row crosses all eight bars; zoomed in it shows fewer of them, so
        // fewer sharp luma steps along the row.
        auto steps = [](const Decoded& d, int row) {
            int n = 0;
            for (int x = 1; x < d.width; ++x)
                if (std::abs(int(d.gray[size_t(row) * d.width + x]) -
                             int(d.gray[size_t(row) * d.width + x - 1])) > 20)
                    ++n;
            return n;
        };
        QVERIFY(steps(zoomed, 150) < steps(plain, 150));
    }

    void unplugMidStreamPostsDeviceLostAndStops() {
        auto device = bindByName("Lumora X8");
        RecordingSink sink;
        std::unique_ptr<CaptureGraph> graph;
        QCOMPARE(openStream(device, kMjpg640, kSubtypeNull, &sink, graph), kOk);
        QVERIFY(waitFor([&] { return sink.count() >= 2; }, 3000));
        long ev = 0;
        int64_t p1 = 0, p2 = 0;
        QCOMPARE(graph->nextEvent(ev, p1, p2), kAbort);  // nothing pending while streaming

        camera_->unplug();
        QVERIFY(waitFor([&] { return succeeded(graph->nextEvent(ev, p1, p2)); }, 1000));
        QCOMPARE(ev, long(kEventDeviceLost));
        const int frames = sink.count();
        std::this_thread::sleep_for(std::chrono::milliseconds(150));
        QCOMPARE(sink.count(), frames);

        const auto t0 = std::chrono::steady_clock::now();
        QCOMPARE(graph->stop(), kOk);
        QVERIFY(std::chrono::steady_clock::now() - t0 < std::chrono::milliseconds(500));
        // The old device handle stays dead, also after the camera came back.
        camera_->plug();
        MediaFormat f;
        QCOMPARE(device->currentFormat(0, f), kNotConnected);
        QCOMPARE(graph->run(), kNotConnected);
        QVERIFY(bindByName("Lumora X8") != nullptr);
    }

    void destroyingARunningGraphJoinsItsThread() {
        auto device = bindByName("Lumora X8");
        RecordingSink sink;
        {
            std::unique_ptr<CaptureGraph> graph;
            QCOMPARE(openStream(device, kMjpg640, kSubtypeNull, &sink, graph), kOk);
            QVERIFY(waitFor([&] { return sink.count() >= 1; }, 3000));
        }
        QCOMPARE(camera_->runningStreams(), 0);  // the sink may go now: no thread uses it
    }

    void sampleFaults() {
        camera_->setSampleFault(sim::SampleFault::Corrupt);
        std::vector<uint8_t> corrupt = grab(kMjpg640, kSubtypeNull);
        QVERIFY(!corrupt.empty());
        Decoded d;
        QVERIFY(!decodeJpeg(corrupt, d));

        camera_->setSampleFault(sim::SampleFault::Oversized);
        QVERIFY(grab(kMjpg640, kSubtypeNull).size() > size_t(640 * 360 * 4));

        camera_->setSampleFault(sim::SampleFault::Empty);
        RecordingSink sink;
        QVERIFY(grab(kMjpg640, kSubtypeNull, &sink).empty());
        QVERIFY(sink.count() >= 2);
    }

    void twoStreamsRunSideBySide() {
        auto device = bindByName("Lumora X8");
        RecordingSink a, b;
        std::unique_ptr<CaptureGraph> ga, gb;
        QCOMPARE(openStream(device, kMjpg640, kSubtypeNull, &a, ga), kOk);
        auto webcam = bindByName("Integrated Webcam");
        QVERIFY(webcam);
        QCOMPARE(openStream(webcam, 1, kSubtypeRGB32, &b, gb), kOk);
        QCOMPARE(camera_->runningStreams(), 2);
        QVERIFY(waitFor([&] { return a.count() >= 3 && b.count() >= 3; }, 3000));
        // Unplugging the camera leaves the webcam streaming.
        camera_->unplug();
        const int before = b.count();
        QVERIFY(waitFor([&] { return b.count() > before + 2; }, 3000));
        ga->stop();
        gb->stop();
        QCOMPARE(b.last().size(), size_t(640 * 480 * 4));
    }
};

QTEST_GUILESS_MAIN(TstSimStreaming)
#include "tst_sim_streaming.moc"
