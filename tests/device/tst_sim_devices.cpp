// The simulated bus as the program sees it: the listed devices with their names and links,
// the camera's pin, capabilities and standard controls, plugging, fault injection, the
// LUMORA_SIM_SCRIPT items and the choice of the backend by option and environment.
#include <QtTest>
#include <cstdlib>

#include "device/backend_choice.h"
#include "device/sim/sim_port.h"
#include "device/sim/sim_script.h"
#include "sim_test_helpers.h"

using namespace device;
using namespace simtest;

namespace {
const auto kProc = ControlGroup::VideoProcAmp, kCam = ControlGroup::CameraControl;

// Of each device (or, with xu, each extension-unit source): the friendly name, the four
// characters after "#vid" and after "&pid" and one separator, and the display name.
std::vector<std::vector<std::string>> listed(bool xu = false) {
    std::vector<std::unique_ptr<DeviceMoniker>> monikers;
    std::vector<std::unique_ptr<XuActivation>> sources;
    std::vector<std::vector<std::string>> out;
    auto add = [&](auto& item) {
        std::string name, link;
        item->friendlyName(name);
        item->symbolicLink(link);
        out.push_back(
            {name, link.substr(link.find("#vid") + 5, 4), link.substr(link.find("&pid") + 5, 4), ""});
    };
    if (xu && succeeded(port().xu->enumerateSources(sources)))
        for (auto& s : sources)
            add(s);
    if (!xu && succeeded(port().video->enumerateVideoInputs(monikers)))
        for (auto& m : monikers) {
            add(m);
            m->displayName(out.back()[3]);
        }
    return out;
}
}  // namespace

class TstSimDevices : public QObject {
    Q_OBJECT

private slots:
    void cleanup() {
        unsetenv("LUMORA_SIM_SCRIPT");
        unsetenv("LUMORA_CAMERA");
        installPort(DevicePort{});
    }

    void listsTheWebcamThenTheCamera() {
        SimRig rig;
        const auto video = listed(), xu = listed(true);
        QCOMPARE(video.size(), size_t(2));
        QCOMPARE(video[0][0], std::string("Integrated Webcam"));
        QVERIFY(video[0][3].rfind("@device:pnp:", 0) == 0);
        QCOMPARE(video[1][0] + video[1][1] + video[1][2], std::string("Lumora X82e7a0c08"));
        QVERIFY(video[1][3].rfind("@device:pnp:\\\\?\\usb#vid_2e7a&pid_0c08&mi_00#", 0) == 0);
        // The extension-unit side lists the same devices under the same names.
        QCOMPARE(xu.size(), size_t(2));
        QCOMPARE(xu[1][0] + xu[1][1], std::string("Lumora X82e7a"));
    }

    void optionsChangeTheList() {
        sim::SimOptions o;
        o.friendlyName = "Lumora X8 Pro";
        o.listOtherDevice = false;
        o.duplicateCamera = true;
        SimRig rig(o);
        auto video = listed();
        QCOMPARE(video.size(), size_t(2));
        QCOMPARE(video[0][0], std::string("Lumora X8 Pro"));
        QCOMPARE(video[1][0], std::string("Lumora X8 Pro"));
        QVERIFY(video[0][3] != video[1][3]);
        // (The capture layer's slot test stands on the non-capture device option.)
        o = sim::SimOptions{};
        o.noDevices = true;
        rig.camera = sim::installSimulatedCamera(o);
        std::vector<std::unique_ptr<DeviceMoniker>> monikers;
        QCOMPARE(port().video->enumerateVideoInputs(monikers), kFalse);
        QVERIFY(monikers.empty());
        QVERIFY(listed(true).empty());
    }

    void unpluggedCameraIsNotListedAndItsHandlesDie() {
        SimRig rig;
        rig.camera->unplug();
        QCOMPARE(listed().size(), size_t(1));
        QCOMPARE(listed(true).size(), size_t(1));
        long v = 0, f = 0;
        QCOMPARE(rig.controls->get(kProc, kProcBrightness, v, f), kNotConnected);
        int count = 0;
        QCOMPARE(rig.device->pinCount(count), kNotConnected);
    }

    void onePinWithTheCameraCapabilities() {
        SimRig rig;
        int count = 0, recordSize = 0;
        QCOMPARE(rig.device->capabilityCount(0, count, recordSize), kOk);
        QCOMPARE(count, 12);
        int mjpg3520at30 = 0, portrait = 0;
        for (int i = 0; i < count; ++i) {
            MediaFormat f;
            std::vector<int64_t> intervals;
            QCOMPARE(rig.device->capability(0, i, f), kOk);
            QCOMPARE(rig.device->frameIntervals(0, i, f.width, f.height, intervals), kOk);
            QCOMPARE(intervals.front(), f.avgTimePerFrame);  // the default interval comes first
            mjpg3520at30 += f.subtype == kSubtypeMJPG && f.width == 3520 && f.height == 1104 &&
                            intervals == std::vector<int64_t>{333333};
            portrait += f.subtype == kSubtypeH264 && f.width == 1080 && f.height == 1920;
            if (i == 1)
                QCOMPARE(intervals, (std::vector<int64_t>{333333, 400000, 666666}));
        }
        QCOMPARE(mjpg3520at30, 1);
        QCOMPARE(portrait, 1);
        MediaFormat f;
        std::vector<int64_t> intervals;
        QCOMPARE(rig.device->capability(0, 1, f), kOk);
        QCOMPARE(rig.device->frameIntervals(0, 1, 640, 360, intervals), kInvalidArg);
        f.width = 800;  // a format the pin does not offer is refused
        QCOMPARE(rig.device->setFormat(0, f), kInvalidArg);
    }

    void controlRangesAndDefaults() {
        const long M = kFlagsManual, A = kFlagsAuto | kFlagsManual;
        const struct {
            ControlGroup group;
            long property, min, max, def, caps;
        } rows[] = {
            {kProc, kProcBrightness, 0, 200, 100, M}, {kProc, kProcHue, 0, 180, 90, M},
            {kProc, kProcGamma, 100, 220, 100, M},    {kProc, kProcWhiteBalance, 2000, 7500, 4600, A},
            {kProc, kProcGain, 0, 6, 0, M},           {kCam, kCamPan, -20, 20, 0, M},
            {kCam, kCamTilt, -15, 15, 0, M},          {kCam, kCamZoom, 100, 500, 100, M},
            {kCam, kCamExposure, -8, -1, -5, A},
        };
        SimRig rig;
        ControlPort* c = rig.controls;
        for (const auto& row : rows) {
            ControlRange r;
            long v = 0, f = 0;
            QCOMPARE(c->getRange(row.group, row.property, r), kOk);
            QCOMPARE((std::vector<long>{r.min, r.max, r.def, r.caps}),
                     (std::vector<long>{row.min, row.max, row.def, row.caps}));
            QCOMPARE(c->get(row.group, row.property, v, f), kOk);
            QCOMPARE(v, row.def);
            QCOMPARE(f, (row.caps & kFlagsAuto) ? long(kFlagsAuto) : long(kFlagsManual));
            QCOMPARE(c->set(row.group, row.property, row.max + 1, kFlagsManual), kInvalidArg);
            QCOMPARE(c->set(row.group, row.property, row.min, kFlagsManual), kOk);
            QCOMPARE(rig.camera->control(row.group, row.property).value, row.min);
        }
        // Unsupported: the range fails. The webcam has no camera-control group, no kernel-streaming set.
        ControlRange r;
        QCOMPARE(c->getRange(kProc, kProcColorEnable, r), kNotFound);
        for (long property : {kCamRoll, kCamIris, kCamFocus})
            QCOMPARE(c->getRange(kCam, property, r), kNotFound);
        auto webcam = bindByName("Integrated Webcam");
        QCOMPARE(webcam->controls()->hasGroup(kCam), kNoInterface);
        QCOMPARE(webcam->controls()->hasKsPropertySet(), kNoInterface);
    }

    void automaticFlagsFlipWithoutTouchingTheValue() {
        SimRig rig;
        ControlPort* c = rig.controls;
        long v = 0, f = 0;
        QCOMPARE(c->set(kCam, kCamExposure, -3, kFlagsManual), kOk);
        QCOMPARE(c->set(kCam, kCamExposure, -3, kFlagsAuto), kOk);
        QCOMPARE(c->get(kCam, kCamExposure, v, f), kOk);
        QCOMPARE(v, -3L);
        QCOMPARE(f, long(kFlagsAuto));
        // No automatic mode where the control has none; no flags word but 1 or 2; the step.
        QCOMPARE(c->set(kProc, kProcBrightness, 100, kFlagsAuto), kInvalidArg);
        QCOMPARE(c->set(kProc, kProcBrightness, 100, 0), kInvalidArg);
        QCOMPARE(c->set(kProc, kProcWhiteBalance, 5005, kFlagsManual), kInvalidArg);  // step 10
        QCOMPARE(c->set(kProc, kProcWhiteBalance, 5000, kFlagsManual), kOk);
        QCOMPARE(rig.camera->control(kProc, kProcWhiteBalance).flags, long(kFlagsManual));
        // The power line frequency through the kernel-streaming set.
        uint32_t support = 0;
        QCOMPARE(c->hasKsPropertySet(), kOk);
        QCOMPARE(c->ksQuerySupported(kKsPowerlineFrequency, support), kOk);
        QCOMPARE(support, uint32_t(kKsSupportGet | kKsSupportSet));
        QCOMPARE(c->ksGet(kKsPowerlineFrequency, v, f), kOk);
        QCOMPARE(v, 2L);
        QCOMPARE(c->ksSet(kKsPowerlineFrequency, 1, kFlagsManual), kOk);
        QCOMPARE(rig.camera->powerLineFrequency(), 1L);
        QCOMPARE(c->ksSet(kKsPowerlineFrequency, 4, kFlagsManual), kInvalidArg);
        QCOMPARE(c->ksQuerySupported(11, support), kNotFound);
    }

    void failModes() {
        // The answers of four calls after the fault was set (F: kFail, o: kOk).
        SimRig rig;
        const std::string call = "VideoSystem::enumerateVideoInputs";
        auto enumerate = [] {
            std::vector<std::unique_ptr<DeviceMoniker>> monikers;
            return port().video->enumerateVideoInputs(monikers);
        };
        const std::pair<std::function<void()>, QString> modes[] = {
            {[&] { rig.camera->failNext(call, kFail, 2); }, "FFoo"},
            {[&] { rig.camera->failFrom(call, kFail, 3); }, "ooFF"},
            {[&] { rig.camera->failAlways(call, kFail); }, "FFFF"},
        };
        for (const auto& [setFault, pattern] : modes) {
            rig.camera = sim::installSimulatedCamera();
            enumerate();  // calls before the fault do not count towards it
            setFault();
            for (QChar c : pattern)
                QCOMPARE(enumerate(), c == 'F' ? kFail : kOk);
            QCOMPARE(rig.camera->callCount(call), 5);
            rig.camera->clearFaults();
            QCOMPARE(enumerate(), kOk);
        }
        // Per call: controls answer null; a failed stream step, then a second attempt.
        rig.camera = sim::installSimulatedCamera();
        auto device = bindByName("Lumora X8");
        ControlRange r;
        rig.camera->failAlways("CaptureDevice::controls", kNoInterface);
        QVERIFY(device->controls() == nullptr);
        rig.camera->clearFaults();
        QCOMPARE(device->controls()->getRange(kProc, kProcBrightness, r), kOk);
        RecordingSink sink;
        std::unique_ptr<CaptureGraph> graph;
        rig.camera->failNext("CaptureGraph::run", kFail);
        QCOMPARE(openStream(device, 3, kSubtypeNull, &sink, graph), kFail);
        QCOMPARE(rig.camera->runningStreams(), 0);
        QCOMPARE(graph->run(), kOk);
        QCOMPARE(rig.camera->runningStreams(), 1);
        rig.camera->failNext("CaptureGraph::waitForCompletion", kAbort);
        long ev = 0;
        QCOMPARE(graph->waitForCompletion(15000, ev), kAbort);
        QCOMPARE(graph->stop(), kOk);
    }

    void extensionUnitFaultsBySelector() {
        SimRig rig;
        XuClient xu;
        QVERIFY(xu.open(port()));
        rig.camera->failNext("XuNodeControl::property:11", kGenFailure);
        std::vector<uint8_t> b;
        QCOMPARE(xu.get(1, b, 1), kOk);  // other selectors pass
        QCOMPARE(xu.status(), 65535);
        QCOMPARE(xu.status(), 0);
        QCOMPARE(rig.camera->callCount("XuNodeControl::property:11"), 2);
        QCOMPARE(rig.camera->callCount("XuNodeControl::property"), 3);
        int statusReads = 0;  // a failed request never reaches the camera
        for (const auto& request : rig.camera->xuRequests())
            statusReads += request.selector == 11;
        QCOMPARE(statusReads, 1);
    }

    void scriptParsesEveryItem() {
        sim::SimScript s;
        std::string error;
        QVERIFY(sim::parseSimScript(
            " unplugged; plug@5s;unplug@30.5s ; plug@350ms; reboot=2000ms; reset-absence=1.5s;"
            "xu-from=20; fps=0; latency=1000us; status=15; flash-fails; no-webcam; duplicate; no-frames",
            s, error));
        QVERIFY(!s.options.pluggedAtStart);
        QCOMPARE(s.events.size(), size_t(3));
        QCOMPARE((std::vector<int>{s.events[0].atMs, s.events[1].atMs, s.events[2].atMs}),
                 (std::vector<int>{5000, 30500, 350}));
        QVERIFY(s.events[0].plug && !s.events[1].plug && s.events[2].plug);
        QCOMPARE((std::vector<int>{s.options.rebootAbsenceMs, s.options.resetAbsenceMs,
                                   s.options.controlLatencyUs, s.xuFromActivation, s.forcedStatus}),
                 (std::vector<int>{2000, 1500, 1000, 20, 15}));
        QCOMPARE(s.options.frameRateMultiplier, 0.0);
        QVERIFY(s.flashFails && !s.options.listOtherDevice && s.options.duplicateCamera &&
                s.neverDeliverFrames);
        // What it does not know fails, after a good item; the error names the item.
        for (const char* item :
             {"explode", "plug@soon", "plug@5h", "jump@5s", "colour=red", "reboot=-5ms", "plug@1e12s",
              "xu-from=99999999999", "fps=2x", "xu-from=-3", "status=-1", "status=256"}) {
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

QTEST_GUILESS_MAIN(TstSimDevices)
#include "tst_sim_devices.moc"
