// What every backend of the device port must do, run against each one (the global rows):
// the simulated camera and the V4L2 backend on the fake uvcvideo. Listing with names and
// links, binding, formats and intervals, streams in the requested format, start and stop,
// the standard controls and the power-line frequency, the extension unit's node and
// requests, the camera pulled and plugged again, and the result codes the layers above
// act on. A new backend becomes one more row of initTestCase_data().
#include <poll.h>
#include <QtTest>
#include <algorithm>

#include "sim_test_helpers.h"
#include "tst_v4l2_helpers.h"

using namespace device;
using namespace devicetest;
using simtest::bindByName;

namespace {

const auto kProc = ControlGroup::VideoProcAmp, kCam = ControlGroup::CameraControl;

// One backend installed as the port, with the camera "Lumora X8" on it (or nothing listed).
class Backend {
public:
    virtual ~Backend() { installPort(DevicePort{}); }
    // Lets the camera deliver a sample where the backend needs a hand to do so.
    virtual void pump() {}
    virtual void unplug() = 0;
    virtual void plug() = 0;
};

class SimBackend : public Backend {
public:
    explicit SimBackend(bool listed) {
        sim::SimOptions options;
        options.noDevices = !listed;
        options.frameRateMultiplier = 4;
        camera_ = sim::installSimulatedCamera(options);
    }
    void unplug() override { camera_->unplug(); }
    void plug() override { camera_->plug(); }

private:
    std::shared_ptr<sim::SimCamera> camera_;
};

// The fake driver fills a queued buffer when asked: a JPEG's markers for MJPG, a picture of
// the node's size for raw formats, white above black as the simulated camera's left edge.
class V4l2Backend : public Backend {
public:
    explicit V4l2Backend(bool listed) {
        if (listed)
            plug();
        v4l2::V4l2Options options;
        options.pollTimeoutMs = 20;
        options.udev = fake_;  // the fake is udev too: its database and monitor
        installPort(v4l2::makeV4l2Port(fake_, options));
    }
    void pump() override {
        const v4l2_pix_format f = fake_->format(node_);
        std::vector<uint8_t> yuyv(size_t(f.width) * f.height * 2, 128);  // top half white, bottom black
        for (size_t i = 0; i < yuyv.size(); i += 2)
            yuyv[i] = i < yuyv.size() / 2 ? 235 : 16;
        fake_->pushFrame(node_, f.pixelformat == V4L2_PIX_FMT_MJPEG
                                    ? std::vector<uint8_t>{0xFF, 0xD8, 1, 2, 0xFF, 0xD9}
                                    : yuyv);
    }
    // Back on the bus under another number, as after a firmware reboot.
    void unplug() override { fake_->unplug(node_++); }
    void plug() override { fake_->plug(node_, v4l2::fakeLumoraCamera()); }

private:
    std::shared_ptr<v4l2::FakeUvc> fake_ = std::make_shared<v4l2::FakeUvc>();
    int node_ = 0;
};

struct Listed {
    std::string friendly, link, display;
};

std::vector<Listed> listVideo(HResult& hr) {
    std::vector<std::unique_ptr<DeviceMoniker>> monikers;
    std::vector<Listed> out;
    hr = port().video->enumerateVideoInputs(monikers);
    for (auto& m : monikers) {
        out.emplace_back();
        if (failed(m->friendlyName(out.back().friendly)) || failed(m->symbolicLink(out.back().link)) ||
            failed(m->displayName(out.back().display)))
            hr = kFail;
    }
    return out;
}

// The smallest capability of that subtype (index -1 when there is none).
int smallest(CaptureDevice& device, const Guid& subtype, MediaFormat& found) {
    int count = 0, recordSize = 0, best = -1;
    device.capabilityCount(0, count, recordSize);
    for (int i = 0; i < count; ++i) {
        MediaFormat f;
        if (device.capability(0, i, f) == kOk && f.subtype == subtype &&
            (best < 0 || f.width * f.height < found.width * found.height))
            best = i, found = f;
    }
    return best;
}

// A value on the control's grid other than its default.
long otherValue(const ControlRange& r) {
    return r.def != r.min + r.step ? r.min + r.step : r.min + 2 * r.step;
}

}  // namespace

class TstDeviceConformance : public QObject {
    Q_OBJECT

    std::unique_ptr<Backend> backend_;
    std::unique_ptr<RecordingSink> sink_;

    std::unique_ptr<Backend> make(bool listed) {
        QFETCH_GLOBAL(QString, backend);
        if (backend == "v4l2")
            return std::make_unique<V4l2Backend>(listed);
        return std::make_unique<SimBackend>(listed);
    }
    // Runs a stream of the device's smallest format of that subtype into sink_; f: the format.
    HResult stream(const std::shared_ptr<CaptureDevice>& device, const Guid& subtype, const Guid& output,
                   std::unique_ptr<CaptureGraph>& graph, MediaFormat& f) {
        return smallest(*device, subtype, f) < 0
                   ? kNotFound
                   : buildGraph(port(), device, f, output, sink_.get(), graph, true);
    }
    // Waits for count samples in all, pumping the camera meanwhile.
    bool samples(int count) {
        return waitFor(
            [&] {
                backend_->pump();
                return sink_->waitFor(size_t(count), 10);
            },
            3000);
    }

private slots:
    void initTestCase_data() {
        QTest::addColumn<QString>("backend");
        QTest::addColumn<QString>("vidPid");
        QTest::addColumn<uint>("transferSize");
        QTest::newRow("simulated") << "simulated"
                                   << "vid_2e7a&pid_0c08" << 264u;
        QTest::newRow("v4l2") << "v4l2"
                              << "vid_2e7e&pid_0801" << 512u;
    }
    void init() {
        backend_ = make(true);
        sink_ = std::make_unique<RecordingSink>();
    }
    void cleanup() {
        backend_.reset();
        sink_.reset();
    }

    // Capture devices with unique display names; the camera's link carries its USB ids,
    // and the extension-unit side lists the same devices under the same names.
    void listsDevicesWithNamesAndLinks() {
        QFETCH_GLOBAL(QString, vidPid);
        QCOMPARE(port().video->createDeviceEnumerator(), kOk);
        HResult hr = kFail;
        const auto video = listVideo(hr);
        QCOMPARE(hr, kOk);
        std::vector<std::unique_ptr<XuActivation>> sources;
        QCOMPARE(port().xu->createAttributes(), kOk);
        QCOMPARE(port().xu->selectVideoCaptureSources(), kOk);
        QCOMPARE(port().xu->enumerateSources(sources), kOk);
        QCOMPARE(sources.size(), video.size());
        int cameras = 0;
        for (size_t i = 0; i < video.size(); ++i) {
            QVERIFY(video[i].display.rfind("@device:pnp", 0) == 0);
            for (size_t j = 0; j < i; ++j)
                QVERIFY(video[i].display != video[j].display);
            std::string name, link;
            QCOMPARE(sources[i]->friendlyName(name), kOk);
            QCOMPARE(sources[i]->symbolicLink(link), kOk);
            QCOMPARE(name, video[i].friendly);
            if (name == "Lumora X8") {
                ++cameras;
                QVERIFY(video[i].link.find(vidPid.toStdString()) != std::string::npos);
                QVERIFY(link.find(vidPid.toStdString()) != std::string::npos);
            }
        }
        QCOMPARE(cameras, 1);
        // Nothing on the bus: kFalse and empty lists.
        backend_.reset();
        backend_ = make(false);
        QCOMPARE(listVideo(hr).size(), size_t(0));
        QCOMPARE(hr, kFalse);
        QCOMPARE(port().xu->enumerateSources(sources), kOk);
        QVERIFY(sources.empty());
    }

    // The device watch tells of each plug and unplug, once; its descriptor is readable while
    // a change waits.
    void plugAndUnplugReachTheWatch() {
        const std::shared_ptr<DeviceWatch> watch = port().watchDevices();
        QVERIFY(watch && watch->descriptor() >= 0);
        pollfd ready{watch->descriptor(), POLLIN, 0};
        const unsigned added = DeviceWatch::kAdded, removed = DeviceWatch::kRemoved;
        for (const auto& [steps, told] :
             {std::pair{"", 0u}, {"u", removed}, {"p", added}, {"up", added | removed}}) {
            for (const char* step = steps; *step; ++step)  // u: unplug, p: plug
                *step == 'u' ? backend_->unplug() : backend_->plug();
            QCOMPARE(::poll(&ready, 1, 0), told != 0 ? 1 : 0);
            QCOMPARE(watch->takeChanges(), told);
            QCOMPARE(::poll(&ready, 1, 0), 0);  // taken: quiet again
        }
    }

    // One output pin with 128-byte capability records, each with its intervals (the
    // default first); only offered formats are taken, with the rate asked for.
    void bindsWithFormatsAndIntervals() {
        auto device = bindByName("Lumora X8");
        QVERIFY(device);
        int pins = 0, count = 0, recordSize = 0;
        bool output = false;
        QCOMPARE(device->pinCount(pins), kOk);
        QVERIFY(pins >= 1);
        QCOMPARE(device->pinIsOutput(0, output), kOk);
        QVERIFY(output);
        QCOMPARE(device->hasStreamConfig(0), kOk);
        QCOMPARE(device->hasVideoControl(), kOk);
        QCOMPARE(device->capabilityCount(0, count, recordSize), kOk);
        QCOMPARE(recordSize, 128);
        QVERIFY(count >= 3);
        bool mjpg1080 = false;
        for (int i = 0; i < count; ++i) {
            MediaFormat f;
            std::vector<int64_t> intervals;
            QCOMPARE(device->capability(0, i, f), kOk);
            QVERIFY(f.width > 0 && f.height > 0);
            QCOMPARE(device->frameIntervals(0, i, f.width, f.height, intervals), kOk);
            QCOMPARE(intervals.front(), f.avgTimePerFrame);
            QVERIFY(std::is_sorted(intervals.begin(), intervals.end()));
            mjpg1080 = mjpg1080 || (f.subtype == kSubtypeMJPG && f.width == 1920 && f.height == 1080 &&
                                    intervals == std::vector<int64_t>{333333, 400000, 666666});
        }
        QVERIFY(mjpg1080);
        MediaFormat f;
        QVERIFY(failed(device->capability(0, count, f)));
        QCOMPARE(device->capability(0, 0, f), kOk);
        std::vector<int64_t> intervals;
        QVERIFY(failed(device->frameIntervals(0, count, f.width, f.height, intervals)));

        f = v4l2test::format(kSubtypeMJPG, 800, 600);
        QCOMPARE(device->setFormat(0, f), kInvalidArg);
        f = v4l2test::format(kSubtypeMJPG, 1920, 1080, 666666);
        QCOMPARE(device->setFormat(0, f), kOk);
        MediaFormat current;
        QCOMPARE(device->currentFormat(0, current), kOk);
        QVERIFY(current.subtype == kSubtypeMJPG);
        QCOMPARE((std::vector<int64_t>{current.width, current.height, current.avgTimePerFrame}),
                 (std::vector<int64_t>{1920, 1080, 666666}));
    }

    // Native samples as the camera sends them, or converted frames: RGB32 of the size, rows
    // bottom-up (at the left edge the picture is white at 30 % of its height, black at 75 %).
    void streamsInTheRequestedFormat_data() {
        QTest::addColumn<bool>("mjpg");
        QTest::newRow("native MJPG") << true;
        QTest::newRow("YUY2 as RGB32") << false;
    }
    void streamsInTheRequestedFormat() {
        QFETCH(bool, mjpg);
        MediaFormat f;
        std::unique_ptr<CaptureGraph> graph;
        QCOMPARE(stream(bindByName("Lumora X8"), mjpg ? kSubtypeMJPG : kSubtypeYUY2,
                        mjpg ? kSubtypeNull : kSubtypeRGB32, graph, f),
                 kOk);
        QVERIFY(samples(2));
        double before = 0;  // stream times, from its start
        for (const auto& s : sink_->samples()) {
            QVERIFY(s.time >= before && s.time < 5);
            before = s.time;
            if (mjpg)  // whole, from marker to marker
                QVERIFY(s.bytes.size() > 2 && s.bytes[0] == 0xFF && s.bytes[1] == 0xD8 &&
                        s.bytes.back() == 0xD9);
            else
                QCOMPARE(s.bytes.size(), size_t(f.width) * size_t(f.height) * 4);
        }
        const std::vector<uint8_t> last = sink_->last();
        const auto luma = [&](double y) {  // the picture's row y (0..1) is memory row h - 1 - y h
            const uint8_t* p = last.data() + (size_t(f.height * (1 - y)) * f.width + f.width / 40) * 4;
            return (p[0] + p[1] + p[2]) / 3;
        };
        QVERIFY(mjpg || (luma(0.3) > 200 && luma(0.75) < 40));
        long ev = -1;
        int64_t p1 = 0, p2 = 0;
        QCOMPARE(graph->nextEvent(ev, p1, p2), kAbort);      // nothing pending while it streams
        QCOMPARE(graph->waitForCompletion(15000, ev), kOk);  // a live stream: at once
        QCOMPARE(ev, 0L);
    }

    // Steps out of their order fail; stop is always fine. stop() returns after the last
    // sample, the graph runs again, and destroyed while running it stops itself; stopped from
    // the sample callback, no sample comes after it.
    void stopsAndRunsAgain() {
        std::unique_ptr<CaptureGraph> graph;
        QCOMPARE(port().video->createGraph(graph), kOk);
        QVERIFY(failed(graph->addGrabber("Grabber 0")) && failed(graph->connect(0)) && failed(graph->run()));
        QCOMPARE(graph->stop(), kOk);
        MediaFormat f;
        QCOMPARE(stream(bindByName("Lumora X8"), kSubtypeMJPG, kSubtypeNull, graph, f), kOk);
        QVERIFY(samples(1));
        QCOMPARE(graph->stop(), kOk);
        const int stopped = sink_->count();
        for (int i = 0; i < 10; ++i) {
            backend_->pump();
            QVERIFY(!sink_->waitFor(size_t(stopped) + 1, 10));
        }
        QCOMPARE(graph->stop(), kOk);  // twice is fine
        QCOMPARE(graph->run(), kOk);
        QVERIFY(samples(stopped + 1));
        graph.reset();
        const int destroyed = sink_->count();
        backend_->pump();
        QVERIFY(!sink_->waitFor(size_t(destroyed) + 1, 50));

        struct StoppingSink : RecordingSink {
            std::unique_ptr<CaptureGraph>* graph = nullptr;
            void bufferCB(double time, const uint8_t* data, long length) override {
                RecordingSink::bufferCB(time, data, length);
                (*graph)->stop();
            }
        };
        auto stopping = std::make_unique<StoppingSink>();
        stopping->graph = &graph;
        sink_ = std::move(stopping);
        QCOMPARE(stream(bindByName("Lumora X8"), kSubtypeMJPG, kSubtypeNull, graph, f), kOk);
        QVERIFY(samples(1));
        QCOMPARE(graph->stop(), kOk);
        backend_->pump();
        QVERIFY(!sink_->waitFor(2, 50));
    }

    // Each control: its range with the automatic mode where it has one, a manual value
    // read back, the automatic mode switched on (refused where there is none).
    void standardControls_data() {
        QTest::addColumn<int>("group");
        QTest::addColumn<int>("property");
        QTest::addColumn<bool>("automatic");
        QTest::newRow("brightness") << int(kProc) << int(kProcBrightness) << false;
        QTest::newRow("white balance") << int(kProc) << int(kProcWhiteBalance) << true;
        QTest::newRow("pan") << int(kCam) << int(kCamPan) << false;
        QTest::newRow("zoom") << int(kCam) << int(kCamZoom) << false;
        QTest::newRow("exposure") << int(kCam) << int(kCamExposure) << true;
    }
    void standardControls() {
        QFETCH(int, group);
        QFETCH(int, property);
        QFETCH(bool, automatic);
        const auto g = ControlGroup(group);
        const auto device = bindByName("Lumora X8");  // owns its controls
        ControlPort* c = device->controls();
        QVERIFY(c);
        QCOMPARE(c->hasGroup(g), kOk);
        ControlRange r;
        QCOMPARE(c->getRange(g, property, r), kOk);
        QVERIFY(r.min < r.max && r.step > 0 && r.def >= r.min && r.def <= r.max);
        QCOMPARE(r.caps, automatic ? long(kFlagsAuto | kFlagsManual) : long(kFlagsManual));
        long value = 0, flags = 0;
        QCOMPARE(c->get(g, property, value, flags), kOk);
        QVERIFY(value >= r.min && value <= r.max);
        const long manual = otherValue(r);
        QCOMPARE(c->set(g, property, manual, kFlagsManual), kOk);
        QCOMPARE(c->get(g, property, value, flags), kOk);
        QCOMPARE((std::vector<long>{value, flags}), (std::vector<long>{manual, kFlagsManual}));
        QCOMPARE(c->set(g, property, manual, kFlagsAuto), automatic ? kOk : kInvalidArg);
        QCOMPARE(c->get(g, property, value, flags), kOk);
        QCOMPARE(flags, automatic ? long(kFlagsAuto) : long(kFlagsManual));
        // The properties the camera lacks have no range.
        for (const auto& [lacking, property] : {std::pair{kProc, long(kProcColorEnable)},
                                                {kCam, long(kCamRoll)},
                                                {kCam, long(kCamIris)},
                                                {kCam, long(kCamFocus)}})
            QCOMPARE(c->getRange(lacking, property, r), kNotFound);
    }

    void powerLineFrequency() {
        const auto device = bindByName("Lumora X8");  // owns its controls
        ControlPort* c = device->controls();
        uint32_t support = 0;
        long value = 0, flags = 0;
        QCOMPARE(c->hasKsPropertySet(), kOk);
        QCOMPARE(c->ksQuerySupported(kKsPowerlineFrequency, support), kOk);
        QCOMPARE(support, uint32_t(kKsSupportGet | kKsSupportSet));
        QCOMPARE(c->ksGet(kKsPowerlineFrequency, value, flags), kOk);
        const long other = value == 1 ? 2 : 1;
        QCOMPARE(c->ksSet(kKsPowerlineFrequency, other, kFlagsManual), kOk);
        QCOMPARE(c->ksGet(kKsPowerlineFrequency, value, flags), kOk);
        QCOMPARE(value, other);
        QCOMPARE(c->ksSet(kKsPowerlineFrequency, 4, kFlagsManual), kInvalidArg);
        QCOMPARE(c->ksQuerySupported(12, support), kNotFound);
    }

    // The camera's unit is a device-specific node; a value set is read back, the size
    // query answers the length, and requests the unit cannot take have their codes.
    void extensionUnit() {
        QFETCH_GLOBAL(uint, transferSize);
        XuClient xu;
        QVERIFY(xu.open(port()));
        Guid type;
        QCOMPARE(xu.source->nodeType(xu.node, type), kOk);
        QVERIFY(type == kNodeTypeDevSpecific);
        std::vector<uint8_t> bytes;
        QCOMPARE(xu.set(1, {1}), kOk);
        QCOMPARE(xu.get(1, bytes, 1), kOk);
        QCOMPARE(bytes, std::vector<uint8_t>{1});
        for (auto [selector, length] : {std::pair{16u, 256u}, {17u, transferSize}}) {
            uint32_t returned = 0;
            QCOMPARE(xu.call(selector, kKsPropertyGet, nullptr, 0, returned), kMoreData);
            QCOMPARE(returned, length);
        }
        uint8_t data[4] = {};
        uint32_t returned = 0;
        QCOMPARE(xu.call(12, kKsPropertyGet, data, 1, returned), kNotFound);
        QCOMPARE(xu.call(1, kKsPropertyGet | kKsPropertySet, data, 1, returned), kInvalidArg);
        KsNodeProperty other = XuClient::request(1, kKsPropertyGet, xu.node);
        other.set.data1 ^= 1;
        QCOMPARE(xu.control->property(other, data, 1, returned), kSetNotFound);
        xu.source->shutdown();
        QCOMPARE(xu.call(1, kKsPropertyGet, data, 1, returned), kWrongState);
    }

    // Pulled: the stream posts the loss once, controls and the unit answer kNotConnected,
    // the camera leaves the list. Plugged again it binds anew and its unit is found again;
    // the old handle stays dead.
    void deviceLostOnUnplug() {
        auto device = bindByName("Lumora X8");
        MediaFormat f;
        std::unique_ptr<CaptureGraph> graph;
        QCOMPARE(stream(device, kSubtypeMJPG, kSubtypeNull, graph, f), kOk);
        QVERIFY(samples(1));
        XuClient xu;
        QVERIFY(xu.open(port()));
        backend_->unplug();
        long ev = 0;
        int64_t p1 = 0, p2 = 0;
        QVERIFY(waitFor([&] { return graph->nextEvent(ev, p1, p2) == kOk; }, 3000));
        QCOMPARE(ev, long(kEventDeviceLost));
        QVERIFY(!waitFor([&] { return graph->nextEvent(ev, p1, p2) == kOk; }, 100));  // once
        const int lost = sink_->count();
        backend_->pump();
        QVERIFY(!sink_->waitFor(size_t(lost) + 1, 50));  // and no sample after it
        long value = 0, flags = 0;
        ControlPort* gone = device->controls();
        ControlRange r;
        QCOMPARE(gone->get(kProc, kProcBrightness, value, flags), kNotConnected);
        QCOMPARE(gone->set(kCam, kCamExposure, -5, kFlagsManual), kNotConnected);
        QCOMPARE(gone->getRange(kCam, kCamExposure, r), kNotConnected);
        QCOMPARE(gone->hasGroup(kProc), kNotConnected);
        std::vector<uint8_t> bytes;
        QCOMPARE(xu.get(1, bytes, 1), kNotConnected);
        QVERIFY(!bindByName("Lumora X8"));  // no longer listed
        QCOMPARE(graph->stop(), kOk);

        backend_->plug();
        auto again = bindByName("Lumora X8");
        QVERIFY(again);
        QCOMPARE(again->controls()->get(kProc, kProcBrightness, value, flags), kOk);
        QCOMPARE(device->controls()->get(kProc, kProcBrightness, value, flags), kNotConnected);
        QVERIFY(xu.open(port()));  // the unit is found again
        QCOMPARE(xu.set(1, {1}), kOk);
    }
};

QTEST_GUILESS_MAIN(TstDeviceConformance)
#include "tst_device_conformance.moc"
