// The simulated bus as the program sees it: the listed devices with their names and links,
// the camera's pin and capabilities, its standard controls, and plugging.
#include <QtTest>

#include "sim_test_helpers.h"

using namespace device;
using namespace simtest;

namespace {
struct Listed {
    std::string display, friendly, link;
};
std::vector<Listed> listVideo() {
    std::vector<std::unique_ptr<DeviceMoniker>> monikers;
    port().video->enumerateVideoInputs(monikers);
    std::vector<Listed> out;
    for (auto& m : monikers) {
        Listed l;
        m->displayName(l.display);
        m->friendlyName(l.friendly);
        m->symbolicLink(l.link);
        out.push_back(l);
    }
    return out;
}
std::vector<std::pair<std::string, std::string>> listXu() {
    std::vector<std::unique_ptr<XuActivation>> sources;
    port().xu->enumerateSources(sources);
    std::vector<std::pair<std::string, std::string>> out;
    for (auto& s : sources) {
        std::string name, link;
        s->friendlyName(name);
        s->symbolicLink(link);
        out.emplace_back(name, link);
    }
    return out;
}
}  // namespace

class TstSimDevices : public QObject {
    Q_OBJECT

private:
    std::shared_ptr<sim::SimCamera> camera_;

private slots:
    void init() { camera_ = sim::installSimulatedCamera(); }
    void cleanup() {
        installPort(DevicePort{});
        camera_.reset();
    }

    void listsTheWebcamThenTheCamera() {
        const auto video = listVideo();
        QCOMPARE(video.size(), size_t(2));
        QCOMPARE(video[0].friendly, std::string("Integrated Webcam"));
        QCOMPARE(video[1].friendly, std::string("Lumora X8"));
        QVERIFY(video[1].display.rfind("@device:pnp:\\\\?\\usb#vid_2e7a&pid_0c08&mi_00#", 0) == 0);
        QVERIFY(video[0].display.rfind("@device:pnp:", 0) == 0);
        // "#vid" and "&pid" each followed by one separator and four hex digits.
        const std::string& link = video[1].link;
        QCOMPARE(link.substr(link.find("#vid") + 5, 4), std::string("2e7a"));
        QCOMPARE(link.substr(link.find("&pid") + 5, 4), std::string("0c08"));
        // The extension-unit side lists the same devices under the same names.
        const auto xu = listXu();
        QCOMPARE(xu.size(), size_t(2));
        QCOMPARE(xu[1].first, std::string("Lumora X8"));
        QCOMPARE(xu[1].second.substr(xu[1].second.find("#vid") + 5, 4), std::string("2e7a"));
    }

    void optionsChangeTheList() {
        sim::SimOptions o;
        o.friendlyName = "Lumora X8 Pro";
        o.listOtherDevice = false;
        o.duplicateCamera = true;
        camera_ = sim::installSimulatedCamera(o);
        auto video = listVideo();
        QCOMPARE(video.size(), size_t(2));
        QCOMPARE(video[0].friendly, std::string("Lumora X8 Pro"));
        QCOMPARE(video[1].friendly, std::string("Lumora X8 Pro"));
        QVERIFY(video[0].display != video[1].display);

        // (The capture layer's slot test stands on the non-capture device option.)
        o = sim::SimOptions{};
        o.noDevices = true;
        camera_ = sim::installSimulatedCamera(o);
        std::vector<std::unique_ptr<DeviceMoniker>> monikers;
        QCOMPARE(port().video->enumerateVideoInputs(monikers), kFalse);
        QVERIFY(monikers.empty());
        QVERIFY(listXu().empty());
    }

    void unpluggedCameraIsNotListedAndItsHandlesDie() {
        auto device = bindByName("Lumora X8");
        QVERIFY(device);
        ControlPort* controls = device->controls();
        camera_->unplug();
        QCOMPARE(listVideo().size(), size_t(1));
        QCOMPARE(listXu().size(), size_t(1));
        long v = 0, f = 0;
        QCOMPARE(controls->get(ControlGroup::VideoProcAmp, kProcBrightness, v, f), kNotConnected);
        int count = 0;
        QCOMPARE(device->pinCount(count), kNotConnected);
        camera_->plug();
        QCOMPARE(device->pinCount(count), kNotConnected);  // a new plug needs a new bind
        QVERIFY(bindByName("Lumora X8"));
    }

    void onePinWithTheCameraCapabilities() {
        auto device = bindByName("Lumora X8");
        int count = 0, recordSize = 0;
        QCOMPARE(device->capabilityCount(0, count, recordSize), kOk);
        QCOMPARE(count, 12);
        int mjpg3520at30 = 0, portrait = 0;
        for (int i = 0; i < count; ++i) {
            MediaFormat f;
            QCOMPARE(device->capability(0, i, f), kOk);
            std::vector<int64_t> intervals;
            QCOMPARE(device->frameIntervals(0, i, f.width, f.height, intervals), kOk);
            QCOMPARE(intervals.front(), f.avgTimePerFrame);  // the default interval comes first
            mjpg3520at30 += f.subtype == kSubtypeMJPG && f.width == 3520 && f.height == 1104 &&
                            intervals == std::vector<int64_t>{333333};
            portrait += f.subtype == kSubtypeH264 && f.width == 1080 && f.height == 1920;
        }
        QCOMPARE(mjpg3520at30, 1);
        QCOMPARE(portrait, 1);
        MediaFormat f;
        QCOMPARE(device->capability(0, 1, f), kOk);
        std::vector<int64_t> intervals;
        QCOMPARE(device->frameIntervals(0, 1, f.width, f.height, intervals), kOk);
        QCOMPARE(intervals, (std::vector<int64_t>{333333, 400000, 666666}));
        QCOMPARE(device->frameIntervals(0, 1, 640, 360, intervals), kInvalidArg);
        // A format the pin does not offer is refused.
        f.width = 800;
        QCOMPARE(device->setFormat(0, f), kInvalidArg);
    }

    void controlRangesAndDefaults() {
        const auto P = ControlGroup::VideoProcAmp, C = ControlGroup::CameraControl;
        const long M = kFlagsManual, A = kFlagsAuto | kFlagsManual;
        const struct {
            ControlGroup group;
            long property, min, max, def, caps;
        } rows[] = {
            {P, kProcBrightness, 0, 200, 100, M}, {P, kProcHue, 0, 180, 90, M},
            {P, kProcGamma, 100, 220, 100, M},    {P, kProcWhiteBalance, 2000, 7500, 4600, A},
            {P, kProcGain, 0, 6, 0, M},           {C, kCamPan, -20, 20, 0, M},
            {C, kCamTilt, -15, 15, 0, M},         {C, kCamZoom, 100, 500, 100, M},
            {C, kCamExposure, -8, -1, -5, A},
        };
        auto device = bindByName("Lumora X8");
        ControlPort* c = device->controls();
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
            QCOMPARE(camera_->control(row.group, row.property).value, row.min);
        }
    }

    void unsupportedControlsFailTheirRange() {
        auto device = bindByName("Lumora X8");
        ControlPort* c = device->controls();
        ControlRange r;
        QCOMPARE(c->getRange(ControlGroup::VideoProcAmp, kProcColorEnable, r), kNotFound);
        for (long property : {kCamRoll, kCamIris, kCamFocus})
            QCOMPARE(c->getRange(ControlGroup::CameraControl, property, r), kNotFound);
        // The webcam has no camera-control group and no kernel-streaming set.
        auto webcamDevice = bindByName("Integrated Webcam");
        ControlPort* webcam = webcamDevice->controls();
        QCOMPARE(webcam->hasGroup(ControlGroup::CameraControl), kNoInterface);
        QCOMPARE(webcam->hasKsPropertySet(), kNoInterface);
    }

    void automaticFlagsFlipWithoutTouchingTheValue() {
        auto device = bindByName("Lumora X8");
        ControlPort* c = device->controls();
        long v = 0, f = 0;
        QCOMPARE(c->set(ControlGroup::CameraControl, kCamExposure, -3, kFlagsManual), kOk);
        QCOMPARE(c->set(ControlGroup::CameraControl, kCamExposure, -3, kFlagsAuto), kOk);
        QCOMPARE(c->get(ControlGroup::CameraControl, kCamExposure, v, f), kOk);
        QCOMPARE(v, -3L);
        QCOMPARE(f, long(kFlagsAuto));
        // No automatic mode where the control has none; no flags word but 1 or 2.
        QCOMPARE(c->set(ControlGroup::VideoProcAmp, kProcBrightness, 100, kFlagsAuto), kInvalidArg);
        QCOMPARE(c->set(ControlGroup::VideoProcAmp, kProcBrightness, 100, 0), kInvalidArg);
        QCOMPARE(c->set(ControlGroup::VideoProcAmp, kProcWhiteBalance, 5005, kFlagsManual),
                 kInvalidArg);  // step 10
        QCOMPARE(c->set(ControlGroup::VideoProcAmp, kProcWhiteBalance, 5000, kFlagsManual), kOk);
        QCOMPARE(camera_->control(ControlGroup::VideoProcAmp, kProcWhiteBalance).flags, long(kFlagsManual));
    }

    void powerLineFrequencyThroughTheKernelStreamingSet() {
        auto device = bindByName("Lumora X8");
        ControlPort* c = device->controls();
        uint32_t support = 0;
        QCOMPARE(c->hasKsPropertySet(), kOk);
        QCOMPARE(c->ksQuerySupported(kKsPowerlineFrequency, support), kOk);
        QCOMPARE(support, uint32_t(kKsSupportGet | kKsSupportSet));
        long v = 0, f = 0;
        QCOMPARE(c->ksGet(kKsPowerlineFrequency, v, f), kOk);
        QCOMPARE(v, 2L);
        QCOMPARE(c->ksSet(kKsPowerlineFrequency, 1, kFlagsManual), kOk);
        QCOMPARE(camera_->powerLineFrequency(), 1L);
        QCOMPARE(c->ksSet(kKsPowerlineFrequency, 4, kFlagsManual), kInvalidArg);
        QCOMPARE(c->ksQuerySupported(11, support), kNotFound);
    }
};

QTEST_GUILESS_MAIN(TstSimDevices)
#include "tst_sim_devices.moc"
