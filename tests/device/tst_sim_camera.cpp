// What only the simulated camera does (the device port's common behaviour is
// tst_device_conformance): the camera model's rates and control values, the pictures it draws and their
// pacing, fault injection, the driver's control cache, the firmware transfer's checks where the update
// never takes it (its steps and the camera's refusals of images run end to end in tests/firmware), the
// image layout, the reset to factory defaults, the LUMORA_SIM_SCRIPT items and the choice of the
// backend by option and environment.
#include <turbojpeg.h>

#include <QtTest>
#include <chrono>
#include <cstdlib>
#include <tuple>

#include "device/backend_choice.h"
#include "device/sim/fw_image.h"
#include "device/sim/sim_core.h"
#include "device/sim/sim_port.h"
#include "device/sim/sim_script.h"
#include "sim_test_helpers.h"

using namespace device;
using namespace simtest;

namespace {
const auto kProc = ControlGroup::VideoProcAmp, kCam = ControlGroup::CameraControl;
constexpr int kMjpg640 = 3;  // MJPG 640x360, 30 and 15 fps
constexpr int kH264Portrait = 6;
constexpr int kYuy2640 = 9;

struct Decoded {
    int width = 0, height = 0;
    std::vector<uint8_t> gray;
};
// A transfer-information block (selector 16): its kind and byte count.
std::vector<uint8_t> info(uint8_t kind, int32_t count) {
    std::vector<uint8_t> b(256, 0);
    b[0] = kind;
    sim::putLe32(b.data() + 4, uint32_t(count));
    return b;
}
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
}  // namespace

class TstSimCamera : public QObject {
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

private slots:
    void init() { rig_ = std::make_unique<SimRig>(); }
    void cleanup() {
        rig_.reset();
        unsetenv("LUMORA_SIM_SCRIPT");
        unsetenv("LUMORA_CAMERA");
    }

    // Beyond the common behaviour (tst_device_conformance): each control starts at its
    // default and refuses a value past its maximum (that a value set lands in the camera
    // model: tst_setting_engine everyControlRoundTrips).
    void theCameraModelsControls() {
        ControlPort* c = rig_->controls;
        for (auto [group, property] : {std::pair{kProc, long(kProcBrightness)},
                                       {kProc, long(kProcHue)},
                                       {kProc, long(kProcGamma)},
                                       {kProc, long(kProcWhiteBalance)},
                                       {kProc, long(kProcGain)},
                                       {kCam, long(kCamPan)},
                                       {kCam, long(kCamTilt)},
                                       {kCam, long(kCamZoom)},
                                       {kCam, long(kCamExposure)}}) {
            ControlRange r;
            long v = 0, f = 0;
            QCOMPARE(c->getRange(group, property, r), kOk);
            QCOMPARE(c->get(group, property, v, f), kOk);
            QCOMPARE(v, r.def);
            QCOMPARE(c->set(group, property, r.max + 1, kFlagsManual), kInvalidArg);
        }
        // Automatic does not touch the value; no flags word but 1 or 2; off the step.
        long v = 0, f = 0;
        QCOMPARE(c->set(kCam, kCamExposure, -3, kFlagsManual), kOk);
        QCOMPARE(c->set(kCam, kCamExposure, -3, kFlagsAuto), kOk);
        QCOMPARE(c->get(kCam, kCamExposure, v, f), kOk);
        QCOMPARE(v, -3L);
        QCOMPARE(c->set(kProc, kProcBrightness, 100, 0), kInvalidArg);
        QCOMPARE(c->set(kProc, kProcWhiteBalance, 5005, kFlagsManual), kInvalidArg);  // step 10
        // The webcam has no camera-control group and no kernel-streaming set.
        auto webcam = bindByName("Integrated Webcam");
        QCOMPARE(webcam->controls()->hasGroup(kCam), kNoInterface);
        QCOMPARE(webcam->controls()->hasKsPropertySet(), kNoInterface);
    }

    void samplesComeAsRequested() {
        // MJPG of each size decodes at that size; YUY2 comes packed; H264 (portrait) only as RGB32.
        for (auto [index, width, height] :
             {std::tuple{kMjpg640, 640, 360}, {1, 1920, 1080}, {0, 3520, 1104}}) {
            Decoded d;
            QVERIFY(decodeJpeg(grab(index, kSubtypeNull), d));
            QCOMPARE(d.width, width);
            QCOMPARE(d.height, height);
        }
        QCOMPARE(grab(kYuy2640, kSubtypeNull).size(), size_t(640 * 360 * 2));
        // Rows bottom-up: tst_device_conformance.
        QCOMPARE(grab(kH264Portrait, kSubtypeRGB32).size(), size_t(1080 * 1920 * 4));
        std::unique_ptr<CaptureGraph> graph;
        QCOMPARE(openStream(rig_->device, kH264Portrait, kSubtypeNull, nullptr, graph), kNotImplemented);
    }

    void streamsAtTheRequestedRate() {
        // The rate nearest to the one asked for (15 fps as the capture layer computes it).
        // Sample times are stream times, whole intervals apart (a late camera skips slots),
        // and none runs ahead of the time since the stream opened.
        RecordingSink sink;
        std::unique_ptr<CaptureGraph> graph;
        MediaFormat f;
        QCOMPARE(rig_->device->capability(0, kMjpg640, f), kOk);
        f.avgTimePerFrame = 666667;
        const auto start = std::chrono::steady_clock::now();
        QCOMPARE(buildGraph(port(), rig_->device, f, kSubtypeNull, &sink, graph, true), kOk);
        QCOMPARE(rig_->device->currentFormat(0, f), kOk);
        QCOMPARE(f.avgTimePerFrame, int64_t(666666));
        QCOMPARE(rig_->camera->runningStreams(), 1);
        QVERIFY(sink.waitFor(4));
        QCOMPARE(graph->stop(), kOk);
        const double since = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        QCOMPARE(rig_->camera->runningStreams(), 0);
        const auto samples = sink.samples();
        QCOMPARE(samples[0].time, 0.0);
        for (size_t i = 1; i < samples.size(); ++i) {
            const double steps = (samples[i].time - samples[i - 1].time) / 0.0666666;
            QVERIFY(steps > 0.5 && qAbs(steps - qRound(steps)) < 1e-3);
        }
        QVERIFY(samples.back().time <= since);
        QCOMPARE(rig_->camera->framesDelivered(), long(samples.size()));
    }

    // The picture follows the zoom (the brightness: tst_mainwindow_preview).
    void pictureFollowsZoom() {
        Decoded plain, zoomed;
        QVERIFY(decodeJpeg(grab(kMjpg640, kSubtypeNull), plain));
        rig_->camera->setControl(kCam, kCamZoom, {400, kFlagsManual});
        QVERIFY(decodeJpeg(grab(kMjpg640, kSubtypeNull), zoomed));
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

    void twoStreamsRunSideBySide() {
        RecordingSink a, b;
        std::unique_ptr<CaptureGraph> ga, gb;
        QCOMPARE(openStream(rig_->device, kMjpg640, kSubtypeNull, &a, ga), kOk);
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

    // Oversized and empty samples (a corrupt one: tst_mainwindow_preview).
    void sampleFaults() {
        rig_->camera->setSampleFault(sim::SampleFault::Oversized);
        QVERIFY(grab(kMjpg640, kSubtypeNull).size() > size_t(640 * 360 * 4));
        rig_->camera->setSampleFault(sim::SampleFault::Empty);
        RecordingSink sink;
        QVERIFY(grab(kMjpg640, kSubtypeNull, &sink).empty());
        QVERIFY(sink.count() >= 2);
    }

    void failModes() {
        // The answers of four calls after the fault was set (F: kFail, o: kOk).
        const std::string call = "VideoSystem::enumerateVideoInputs";
        auto enumerate = [] {
            std::vector<std::unique_ptr<DeviceMoniker>> monikers;
            return port().video->enumerateVideoInputs(monikers);
        };
        const std::pair<std::function<void()>, QString> modes[] = {
            {[&] { rig_->camera->failNext(call, kFail, 2); }, "FFoo"},
            {[&] { rig_->camera->failFrom(call, kFail, 3); }, "ooFF"},
            {[&] { rig_->camera->failAlways(call, kFail); }, "FFFF"},
        };
        for (const auto& [setFault, pattern] : modes) {
            rig_->camera = sim::installSimulatedCamera();
            enumerate();  // calls before the fault do not count towards it
            setFault();
            for (QChar c : pattern)
                QCOMPARE(enumerate(), c == 'F' ? kFail : kOk);
            QCOMPARE(rig_->camera->callCount(call), 5);
            rig_->camera->clearFaults();
            QCOMPARE(enumerate(), kOk);
        }
        // Per call: controls answer null (a failed stream step and its retry: tst_slot_open).
        rig_->camera = sim::installSimulatedCamera();
        auto device = bindByName("Lumora X8");
        ControlRange r;
        rig_->camera->failAlways("CaptureDevice::controls", kNoInterface);
        QVERIFY(device->controls() == nullptr);
        rig_->camera->clearFaults();
        QCOMPARE(device->controls()->getRange(kProc, kProcBrightness, r), kOk);
        // A fault on one selector (the others pass, a failed request never reaches the camera):
        // tst_firmware_update, whose refused start and failing packets are faults of that kind.
    }

    // The driver's control cache decides which reads cost the camera a control transfer: a
    // camera just plugged is asked once per range and value, one whose controls were read
    // before is asked nothing until a value is set, and a camera back on the bus starts afresh.
    void driverCacheAsksOnlyWhatItDoesNotKeep_data() {
        QTest::addColumn<bool>("readBefore");
        QTest::addColumn<QString>("steps");  // r: range read, v: value read, s: value set, p: replug
        QTest::addColumn<QString>("asked");  // per read: 1 when the camera was asked
        QTest::newRow("just plugged") << false << "rvrv"
                                      << "1100";
        QTest::newRow("set: the value again") << false << "vvsvv"
                                              << "1010";
        QTest::newRow("read before") << true << "rvrv"
                                     << "0000";
        QTest::newRow("read before, then set") << true << "vsvv"
                                               << "010";
        QTest::newRow("replugged") << true << "rvprvrv"
                                   << "001100";
        QTest::newRow("replugged after reads") << false << "rvprv"
                                               << "1111";
    }
    void driverCacheAsksOnlyWhatItDoesNotKeep() {
        QFETCH(bool, readBefore);
        QFETCH(QString, steps);
        QFETCH(QString, asked);
        sim::SimOptions options;
        options.controlsReadBefore = readBefore;
        sim::SimCore core(options);
        const int camera = sim::SimCore::kCamera;
        QString seen;
        for (const QChar step : steps) {
            const uint64_t gen = core.generation(camera);
            const auto kind = step == 'r' ? sim::DriverCache::Kind::Range : sim::DriverCache::Kind::Value;
            if (step == 'p') {
                core.unplug();
                core.plug();
            } else if (step == 's') {
                core.driverForgetValue(camera, gen, 0, 2);
            } else {
                seen += core.driverMustAsk(camera, gen, kind, 0, 2) ? '1' : '0';
                core.driverNoteRead(camera, gen, kind, 0, 2);
            }
        }
        QCOMPARE(seen, asked);
        // Another control is its own entry.
        QCOMPARE(core.driverMustAsk(camera, core.generation(camera), sim::DriverCache::Kind::Value, 0, 3),
                 !readBefore || steps.contains('p'));
    }

    void imageFormatWireLayout() {
        const uint32_t v = sim::makeHeaderVersion(1, 0x51, 0x234);
        auto image = sim::buildFwImage(v, "1.81.564", std::vector<uint8_t>(1000, 0x5A));
        // Little-endian word: 34 12 05 01 is formal 1, major 0x051, minor 0x234.
        QCOMPARE(std::vector<uint8_t>(image.begin() + 8, image.begin() + 12),
                 (std::vector<uint8_t>{0x34, 0x12, 0x05, 0x01}));
        QCOMPARE(sim::crc32(reinterpret_cast<const uint8_t*>("123456789"), 9), 0xCBF43926u);
    }

    void packetsAndInfoBlocksAreChecked() {
        XuClient xu;
        QVERIFY(xu.open(port()));
        // Data before any block: the device stalls.
        std::vector<uint8_t> packet(264, 0);
        QCOMPARE(xu.set(17, packet), kGenFailure);
        // An info block outside update mode answers a non-zero status byte.
        QCOMPARE(xu.set(16, info(2, 128)), kOk);
        std::vector<uint8_t> b;
        QCOMPARE(xu.get(16, b, 256), kOk);
        QVERIFY(b[0] != 0);
        // In update mode: a packet of the wrong length, or beyond its block, fails.
        QCOMPARE(xu.set(4, {1, 0, 0, 1, 0}), kOk);
        QCOMPARE(xu.set(16, info(2, 100)), kOk);
        QCOMPARE(xu.get(16, b, 256), kOk);
        QCOMPARE(int(b[0]), 0);
        QCOMPARE(xu.set(17, std::vector<uint8_t>(263, 0)), kInvalidArg);
        packet[4] = 101;  // 101 bytes into a block of 100
        QCOMPARE(xu.set(17, packet), kInvalidArg);
        // Closing with another count than announced is refused through the status byte.
        QCOMPARE(xu.set(16, info(0, 99)), kOk);
        QCOMPARE(xu.get(16, b, 256), kOk);
        QVERIFY(b[0] != 0);
        // A partial-file read of an incomplete block fails by status.
        QCOMPARE(xu.set(16, info(0, 100)), kOk);
        QCOMPARE(xu.set(9, {100, 0, 0, 0}), kOk);  // a block of 100 bytes, little-endian
        QCOMPARE(xu.status(), 15);
    }

    // The reset (selector 5) brings every kind of control back: standard, automatic flag,
    // power line, vendor; the camera stays on the bus.
    void resetRestoresEveryDefault() {
        XuClient xu;
        QVERIFY(xu.open(port()));
        ControlPort* c = rig_->controls;
        QCOMPARE(c->set(kProc, kProcBrightness, 150, kFlagsManual), kOk);
        QCOMPARE(c->set(kCam, kCamExposure, -3, kFlagsManual), kOk);
        QCOMPARE(c->ksSet(kKsPowerlineFrequency, 1, kFlagsManual), kOk);
        QCOMPARE(xu.set(2, {1}), kOk);
        QCOMPARE(xu.set(5, {1}), kOk);
        QVERIFY(rig_->camera->isPlugged());
        QCOMPARE(rig_->camera->control(kProc, kProcBrightness).value, 100L);
        QCOMPARE(rig_->camera->control(kCam, kCamExposure).flags, long(kFlagsAuto));
        QCOMPARE(rig_->camera->powerLineFrequency(), 2L);
        QCOMPARE(rig_->camera->xuControls().autoFrame, uint8_t(0));
    }

    void scriptParsesEveryItem() {
        sim::SimScript s;
        std::string error;
        QVERIFY(sim::parseSimScript(
            " unplugged; plug@5s;unplug@30.5s ; plug@350ms; reboot=2000ms; reset-absence=1.5s;"
            "xu-from=20; fps=0; latency=1000us; status=15; flash-fails; no-webcam; duplicate; no-frames;"
            "in-use; in-use@5s; free@10s; denied",
            s, error));
        QVERIFY(!s.options.pluggedAtStart && s.inUseAtStart && s.accessDenied);
        using Event = sim::SimScript::Event;
        std::vector<std::pair<int, Event::Kind>> events;
        for (const Event& e : s.events)
            events.emplace_back(e.atMs, e.kind);
        QCOMPARE(events, (std::vector<std::pair<int, Event::Kind>>{{5000, Event::Plug},
                                                                   {30500, Event::Unplug},
                                                                   {350, Event::Plug},
                                                                   {5000, Event::InUse},
                                                                   {10000, Event::Free}}));
        QCOMPARE((std::vector<int>{s.options.rebootAbsenceMs, s.options.resetAbsenceMs,
                                   s.options.controlLatencyUs, s.xuFromActivation, s.forcedStatus}),
                 (std::vector<int>{2000, 1500, 1000, 20, 15}));
        QCOMPARE(s.options.frameRateMultiplier, 0.0);
        QVERIFY(s.flashFails && !s.options.listOtherDevice && s.options.duplicateCamera &&
                s.neverDeliverFrames);
        // What it does not know fails, after a good item; the error names the item.
        for (const char* item : {"explode", "plug@soon", "plug@5h", "jump@5s", "colour=red", "reboot=-5ms",
                                 "plug@1e12s", "xu-from=99999999999", "fps=2x", "xu-from=-3", "status=-1",
                                 "status=256", "free", "denied@5s"}) {
            QVERIFY2(!sim::parseSimScript(std::string("unplugged; ") + item, s, error), item);
            QCOMPARE(error, "cannot read \"" + std::string(item) + "\"");
        }
    }

    void environmentScriptPlugsTheCameraLater() {
        setenv("LUMORA_SIM_SCRIPT", "unplugged; plug@150ms; unplug@400ms", 1);
        installPort(sim::makeSimulatedPortFromEnvironment());
        QVERIFY(!bindByName("Lumora X8"));
        QVERIFY(bindByName("Integrated Webcam"));
        QTRY_VERIFY_WITH_TIMEOUT(bindByName("Lumora X8") != nullptr, 2000);
        QTRY_VERIFY_WITH_TIMEOUT(bindByName("Lumora X8") == nullptr, 2000);
    }

    void backendChoice() {
        std::string error;
        DevicePort p = chooseBackend({"lumora", "--camera=simulated"}, error);
        QCOMPARE(p.name, std::string("simulated"));
        QVERIFY(p.video && p.xu && error.empty());
        QCOMPARE(chooseBackend({"--camera=sim"}, error).name, std::string("simulated"));
        QCOMPARE(chooseBackend({"--camera=v4l2"}, error).name, std::string("v4l2"));
        setenv("LUMORA_CAMERA", "simulated", 1);
        QCOMPARE(chooseBackend({}, error).name, std::string("simulated"));
        QCOMPARE(chooseBackend({"--camera=v4l2"}, error).name, std::string("v4l2"));  // the option wins
        unsetenv("LUMORA_CAMERA");
        QCOMPARE(chooseBackend({}, error).name, std::string("v4l2"));
        QVERIFY(!chooseBackend({"--camera=dshow"}, error).video);
        QCOMPARE(error, std::string("unknown camera backend \"dshow\" (use simulated or v4l2)"));
    }
};

QTEST_GUILESS_MAIN(TstSimCamera)
#include "tst_sim_camera.moc"
