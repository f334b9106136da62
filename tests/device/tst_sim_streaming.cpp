// The simulated camera's streams: pacing, samples of the requested size, RGB32 bottom-up,
// pictures that follow the controls, unplugging mid-stream, and the sample faults.
#include <turbojpeg.h>

#include <QtTest>
#include <chrono>
#include <numeric>
#include <tuple>

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
    return v.empty() ? 0 : std::accumulate(v.begin(), v.end(), 0.0) / double(v.size());
}
}  // namespace

class TstSimStreaming : public QObject {
    Q_OBJECT

    std::unique_ptr<SimRig> rig_;

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
    // Opens a stream of the camera's capability index into sink.
    HResult open(int index, RecordingSink& sink, std::unique_ptr<CaptureGraph>& graph) {
        return openStream(rig_->device, index, kSubtypeNull, &sink, graph);
    }

private slots:
    void init() { rig_ = std::make_unique<SimRig>(); }
    void cleanup() { rig_.reset(); }

    void samplesComeAsRequested() {
        // MJPG of each size decodes at that size; YUY2 comes packed.
        for (auto [index, width, height] :
             {std::tuple{kMjpg640, 640, 360}, {kMjpg1920, 1920, 1080}, {0, 3520, 1104}}) {
            const std::vector<uint8_t> sample = grab(index, kSubtypeNull);
            QVERIFY(sample.size() > 2 && sample[0] == 0xFF && sample[1] == 0xD8);
            Decoded d;
            QVERIFY(decodeJpeg(sample, d));
            QCOMPARE(d.width, width);
            QCOMPARE(d.height, height);
        }
        QCOMPARE(grab(kYuy2640, kSubtypeNull).size(), size_t(640 * 360 * 2));
    }

    void rgb32FramesArriveBottomUp() {
        // H264 portrait converted to RGB32: 1080 wide, 1920 high, rows bottom-up. Native
        // H264 is refused at connect.
        RecordingSink sink;
        std::unique_ptr<CaptureGraph> graph;
        QCOMPARE(open(kH264Portrait, sink, graph), kNotImplemented);
        graph.reset();
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

    void streamsAtTheRequestedRate() {
        // Sample times are stream times, whole intervals apart (a late camera skips slots),
        // and none runs ahead of the time since the stream opened.
        RecordingSink sink;
        std::unique_ptr<CaptureGraph> graph;
        const auto start = std::chrono::steady_clock::now();
        QCOMPARE(open(kMjpg640, sink, graph), kOk);
        QCOMPARE(rig_->camera->runningStreams(), 1);
        QVERIFY(sink.waitFor(4));
        QCOMPARE(graph->stop(), kOk);
        const double since = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        QCOMPARE(rig_->camera->runningStreams(), 0);
        const auto samples = sink.samples();
        QCOMPARE(samples[0].time, 0.0);
        for (size_t i = 1; i < samples.size(); ++i) {
            const double steps = (samples[i].time - samples[i - 1].time) / 0.0333333;
            QVERIFY(steps > 0.5 && qAbs(steps - qRound(steps)) < 1e-3);
        }
        QVERIFY(samples.back().time <= since);
        QCOMPARE(rig_->camera->framesDelivered(), long(samples.size()));
        // The interval chosen by setFormat: 15 fps, rounded as the capture layer computes it.
        MediaFormat f;
        QCOMPARE(rig_->device->capability(0, kMjpg640, f), kOk);
        f.avgTimePerFrame = 666667;
        QCOMPARE(rig_->device->setFormat(0, f), kOk);
        QCOMPARE(rig_->device->currentFormat(0, f), kOk);
        QCOMPARE(f.avgTimePerFrame, int64_t(666666));
    }

    void pictureFollowsBrightnessAndZoom() {
        Decoded dark, bright, plain, zoomed;
        auto grabWith = [&](ControlGroup group, long property, long value, Decoded& d) {
            rig_->camera->setControl(group, property, {value, kFlagsManual});
            return decodeJpeg(grab(kMjpg640, kSubtypeNull), d);
        };
        QVERIFY(grabWith(ControlGroup::VideoProcAmp, kProcBrightness, 0, dark));
        QVERIFY(grabWith(ControlGroup::VideoProcAmp, kProcBrightness, 200, bright));
        QVERIFY2(mean(bright.gray) > mean(dark.gray) + 40, "brightness must show in the picture");
        QVERIFY(grabWith(ControlGroup::VideoProcAmp, kProcBrightness, 100, plain));
        QVERIFY(grabWith(ControlGroup::CameraControl, kCamZoom, 400, zoomed));
        // At 100 % the top row crosses all eight bars; zoomed in it shows fewer of them, so
        // fewer sharp luma steps along the row.
        auto steps = [](const Decoded& d, int row) {
            int n = 0;
            for (int x = 1; x < d.width; ++x)
                n += std::abs(int(d.gray[size_t(row) * d.width + x]) -
                              int(d.gray[size_t(row) * d.width + x - 1])) > 20;
            return n;
        };
        QVERIFY(steps(zoomed, 150) < steps(plain, 150));
    }

    void unplugMidStreamPostsDeviceLostAndStops() {
        RecordingSink sink;
        std::unique_ptr<CaptureGraph> graph;
        QCOMPARE(open(kMjpg640, sink, graph), kOk);
        QVERIFY(waitFor([&] { return sink.count() >= 2; }, 3000));
        long ev = 0;
        int64_t p1 = 0, p2 = 0;
        QCOMPARE(graph->nextEvent(ev, p1, p2), kAbort);  // nothing pending while streaming
        rig_->camera->unplug();
        QVERIFY(waitFor([&] { return succeeded(graph->nextEvent(ev, p1, p2)); }, 1000));
        QCOMPARE(ev, long(kEventDeviceLost));
        const int frames = sink.count();
        std::this_thread::sleep_for(std::chrono::milliseconds(150));
        QCOMPARE(sink.count(), frames);
        QCOMPARE(graph->stop(), kOk);
        // The old device handle stays dead, also after the camera came back.
        rig_->camera->plug();
        MediaFormat f;
        QCOMPARE(rig_->device->currentFormat(0, f), kNotConnected);
        QCOMPARE(graph->run(), kNotConnected);
        QVERIFY(bindByName("Lumora X8") != nullptr);
    }

    void destroyingARunningGraphJoinsItsThread() {
        RecordingSink sink;
        {
            std::unique_ptr<CaptureGraph> graph;
            QCOMPARE(open(kMjpg640, sink, graph), kOk);
            QVERIFY(waitFor([&] { return sink.count() >= 1; }, 3000));
        }
        QCOMPARE(rig_->camera->runningStreams(), 0);  // the sink may go now: no thread uses it
    }

    void sampleFaults() {
        Decoded d;
        rig_->camera->setSampleFault(sim::SampleFault::Corrupt);
        const std::vector<uint8_t> corrupt = grab(kMjpg640, kSubtypeNull);
        QVERIFY(!corrupt.empty() && !decodeJpeg(corrupt, d));
        rig_->camera->setSampleFault(sim::SampleFault::Oversized);
        QVERIFY(grab(kMjpg640, kSubtypeNull).size() > size_t(640 * 360 * 4));
        rig_->camera->setSampleFault(sim::SampleFault::Empty);
        RecordingSink sink;
        QVERIFY(grab(kMjpg640, kSubtypeNull, &sink).empty());
        QVERIFY(sink.count() >= 2);
    }

    void twoStreamsRunSideBySide() {
        RecordingSink a, b;
        std::unique_ptr<CaptureGraph> ga, gb;
        QCOMPARE(open(kMjpg640, a, ga), kOk);
        QCOMPARE(openStream(bindByName("Integrated Webcam"), 1, kSubtypeRGB32, &b, gb), kOk);
        QCOMPARE(rig_->camera->runningStreams(), 2);
        QVERIFY(waitFor([&] { return a.count() >= 3 && b.count() >= 3; }, 3000));
        rig_->camera->unplug();  // the webcam streams on
        const int before = b.count();
        QVERIFY(waitFor([&] { return b.count() > before + 2; }, 3000));
        ga->stop();
        gb->stop();
        QCOMPARE(b.last().size(), size_t(640 * 480 * 4));
    }
};

QTEST_GUILESS_MAIN(TstSimStreaming)
#include "tst_sim_streaming.moc"
