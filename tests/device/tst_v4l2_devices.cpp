// Listing the capture nodes, their formats and their standard controls (which control,
// which units, which automatic mode) through the fake uvcvideo.
#include <QtTest>

#include "device/v4l2/control_map.h"
#include "device/v4l2/format_catalog.h"
#include "tst_v4l2_helpers.h"

using namespace device;
using namespace device::v4l2;
using namespace v4l2test;

namespace {

std::vector<std::unique_ptr<DeviceMoniker>> list(DevicePort& port, HResult& hr) {
    std::vector<std::unique_ptr<DeviceMoniker>> devices;
    hr = port.video->enumerateVideoInputs(devices);
    return devices;
}

// The names of a listed device: friendly, the link's 4 characters 5 after "#vid", the link,
// the display name.
std::vector<std::string> names(DeviceMoniker& m) {
    std::string friendly, link, display;
    m.friendlyName(friendly);
    m.symbolicLink(link);
    m.displayName(display);
    const size_t vid = link.find("#vid");
    return {friendly, vid == std::string::npos ? "" : link.substr(vid + 5, 4), link, display};
}

bool contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

const auto kProc = ControlGroup::VideoProcAmp, kCam = ControlGroup::CameraControl;

// The Lumora camera with one control changed before it is plugged.
FakeCamera cameraWith(uint32_t id, void (*change)(FakeControl&)) {
    FakeCamera camera = fakeLumoraCamera();
    for (FakeControl& c : camera.controls)
        if (c.id == id)
            change(c);
    return camera;
}

// The range in program units as {min, max, step, def, caps}; empty when it fails.
std::vector<long> range(Rig& rig, ControlGroup group, long property) {
    ControlRange r;
    if (rig.controls->getRange(group, property, r) != kOk)
        return {};
    return {r.min, r.max, r.step, r.def, r.caps};
}

// {value, flags} as read back, {} when the read fails.
std::vector<long> get(Rig& rig, ControlGroup group, long property) {
    long value = 0, flags = 0;
    if (rig.controls->get(group, property, value, flags) != kOk)
        return {};
    return {value, flags};
}

}  // namespace

class TestV4l2Devices : public QObject {
    Q_OBJECT

private slots:
    void listsCaptureNodesOnlyWithTheirNames() {
        Rig rig;
        FakeCamera lumora = fakeLumoraCamera(), meta = lumora, other, loopback, output;
        rig.fake->unplug(0);
        // uvcvideo names the node after the product and the function's string.
        lumora.card = "Lumora X8: Lumora X8";
        lumora.product = "Lumora X8";
        rig.fake->plug(10, lumora);
        meta.deviceCaps = V4L2_CAP_META_CAPTURE | V4L2_CAP_STREAMING;
        rig.fake->plug(11, meta);
        other.card = "Integrated Camera";
        other.product = "Integrated";  // not followed by ": " in the card: the card stays the name
        other.busInfo = "usb-0000:00:14.0-7";
        other.idVendor = "04F2";
        rig.fake->plug(2, other);
        loopback.busInfo = "platform:v4l2loopback-000";
        loopback.idVendor.clear();  // not a USB device
        rig.fake->plug(3, loopback);
        output.deviceCaps = V4L2_CAP_VIDEO_OUTPUT | V4L2_CAP_STREAMING;
        rig.fake->plug(4, output);

        HResult hr = kFail;
        auto devices = list(rig.port, hr);
        QCOMPARE(hr, kOk);
        QCOMPARE(int(devices.size()), 3);  // by number: 2, 3, 10; metadata and output nodes left out
        const auto integrated = names(*devices[0]), plain = names(*devices[1]), x8 = names(*devices[2]);
        QCOMPARE(integrated[0], std::string("Integrated Camera"));
        QCOMPARE(integrated[1], std::string("04f2"));
        QCOMPARE(plain[1], std::string());  // no marker: the log shows empty fields
        QCOMPARE(x8[0], std::string("Lumora X8"));
        QCOMPARE(x8[1], std::string("2e7e"));
        QVERIFY(contains(x8[2], "&pid_0801") && contains(x8[2], "/dev/video10") &&
                contains(x8[3], "/dev/video10"));
        for (auto& d : devices)
            QVERIFY(contains(names(*d)[3], "@device:pnp"));
        QCOMPARE(rig.fake->openDescriptors(), 0);  // listing leaves nothing open

        const std::string notes = describe();
        QVERIFY(
            contains(notes, "/dev/video10 \"Lumora X8: Lumora X8\" (listed as \"Lumora X8\", usb 2e7e:0801"));
        QVERIFY(contains(notes, "/dev/video11: metadata node"));
    }

    void noDevicesListsNothing() {
        Rig rig;
        rig.fake->unplug(0);
        QCOMPARE(rig.port.name, std::string("v4l2"));
        QCOMPARE(rig.port.video->createDeviceEnumerator(), kOk);
        HResult hr = kOk;
        QVERIFY(list(rig.port, hr).empty());
        QCOMPARE(hr, kFalse);
        // A node that cannot be opened (no permission) is skipped, not fatal.
        FakeCamera locked = fakeLumoraCamera();
        locked.openErrno = EACCES;
        rig.fake->plug(0, locked);
        QVERIFY(list(rig.port, hr).empty());
        QCOMPARE(hr, kFalse);
        QVERIFY(contains(describe(), "/dev/video0: cannot open"));
    }

    void formatsBecomeCapabilitiesWithIntervals() {
        Rig rig(fakeLumoraCamera(), true);
        int count = 0, recordSize = 0;
        QCOMPARE(rig.device->capabilityCount(0, count, recordSize), kOk);
        QCOMPARE(recordSize, 128);
        QCOMPARE(count, 5);
        const struct {
            Guid subtype;
            int width, height, bits;
            std::vector<int64_t> intervals;
        } expected[] = {
            {kSubtypeMJPG, 3520, 1104, 24, {333333, 666666}},
            {kSubtypeMJPG, 1920, 1080, 24, {333333, 400000, 666666}},
            {kSubtypeH264, 1920, 1080, 24, {333333}},
            {kSubtypeYUY2, 640, 480, 16, {333333, 666666}},
            {kSubtypeYUY2, 320, 240, 16, {333333}},
        };
        for (int i = 0; i < count; ++i) {
            MediaFormat f;
            std::vector<int64_t> intervals;
            QCOMPARE(rig.device->capability(0, i, f), kOk);
            QCOMPARE(rig.device->frameIntervals(0, i, f.width, f.height, intervals), kOk);
            QVERIFY(f.subtype == expected[i].subtype && f.videoInfo);
            QCOMPARE((std::vector<int>{f.width, f.height, f.bitCount}),
                     (std::vector<int>{expected[i].width, expected[i].height, expected[i].bits}));
            QCOMPARE(f.avgTimePerFrame, expected[i].intervals.front());
            QCOMPARE(intervals, expected[i].intervals);
        }
        MediaFormat none;
        QVERIFY(failed(rig.device->capability(0, count, none)));
        QVERIFY(failed(rig.device->capability(1, 0, none)));
        QVERIFY(failed(rig.device->capabilityCount(1, count, recordSize)));
    }

    void intervalsAndRangesConvert() {
        QCOMPARE(intervalFromFraction(1001, 30000), int64_t(333666));
        QCOMPARE(intervalFromFraction(1, 5), int64_t(2000000));
        QCOMPARE(intervalFromFraction(1, 0), int64_t(0));

        const v4l2_frmsize_stepwise range{320, 1920, 16, 240, 1080, 8};
        const auto sizes = sizesOfRange(range);
        for (const auto& size :
             {std::make_pair(320u, 240u), std::make_pair(1280u, 720u), std::make_pair(1920u, 1080u)})
            QVERIFY(std::count(sizes.begin(), sizes.end(), size));  // the ends and a common size
        for (const auto& s : sizes) {                               // nothing off the grid
            QVERIFY(s.first >= 320 && s.first <= 1920 && (s.first - 320) % 16 == 0);
            QVERIFY(s.second >= 240 && s.second <= 1080 && (s.second - 240) % 8 == 0);
        }
        v4l2_frmsize_stepwise nonsense = range;
        nonsense.min_width = 0;
        QVERIFY(sizesOfRange(nonsense).empty());
    }

    void stepwiseSizesAndContinuousRatesAreSampled() {
        FakeCamera camera = fakeLumoraCamera();
        FakeFormat grey{V4L2_PIX_FMT_GREY, {{160, 120, {}}}, true, {160, 1280, 32, 120, 720, 8}};
        camera.formats = {grey};
        Rig rig(camera, true);
        int count = 0, recordSize = 0;
        rig.device->capabilityCount(0, count, recordSize);
        QVERIFY(count >= 3);
        MediaFormat f;
        QCOMPARE(rig.device->capability(0, 0, f), kOk);
        QVERIFY(f.subtype == fourccSubtype(V4L2_PIX_FMT_GREY));  // logged under its code, never listed
        std::vector<int64_t> intervals;
        QCOMPARE(rig.device->frameIntervals(0, 1, 320, 240, intervals), kOk);
        // The continuous range 1/30 .. 1 s gives the common rates of 30 fps and below.
        QCOMPARE(intervals.front(), int64_t(333333));
        QCOMPARE(intervals.back(), int64_t(2000000));
    }

    void formatIsCheckedAndKept() {
        Rig rig(fakeLumoraCamera(), true);
        QVERIFY(contains(describe(), "video device: /dev/video0 \"Lumora X8\""));
        MediaFormat current;
        QCOMPARE(rig.device->currentFormat(0, current), kOk);  // the node's own: MJPG 3520x1104 at 30
        QVERIFY(current.subtype == kSubtypeMJPG);
        QCOMPARE(current.width, 3520);
        QCOMPARE(current.avgTimePerFrame, int64_t(333333));
        QCOMPARE(rig.device->setFormat(0, format(kSubtypeYUY2, 1920, 1080)),
                 kInvalidArg);  // YUYV has no 1080p
        QCOMPARE(rig.device->setFormat(0, format(kSubtypeYUY2, 640, 480, 666666)), kOk);
        QCOMPARE(rig.device->currentFormat(0, current), kOk);
        QVERIFY(current.subtype == kSubtypeYUY2);
        QCOMPARE(current.width, 640);
        QCOMPARE(current.avgTimePerFrame, int64_t(666666));
    }

    void bindFailsWhenTheNodeWasTakenByAnotherDevice() {
        Rig rig;
        HResult hr;
        auto devices = list(rig.port, hr);
        FakeCamera other = fakeLumoraCamera();
        other.card = "Other Camera";
        rig.fake->plug(0, other);
        std::shared_ptr<CaptureDevice> device;
        QCOMPARE(devices[0]->bind(device), kNotConnected);
        QVERIFY(!device);
        rig.fake->unplug(0);
        QCOMPARE(devices[0]->bind(device), kNotFound);  // ENOENT: the node is gone
        QCOMPARE(rig.fake->openDescriptors(), 0);
    }

    void unitsConvert() {
        const auto log2s = ControlUnit::Log2Seconds, degrees = ControlUnit::Degrees;
        const struct {
            ControlUnit unit;
            long program;
            int32_t v4l2;
            bool bothWays;  // else only v4l2 -> program
        } rows[] = {
            {log2s, 0, 10000, true},
            {log2s, -5, 313, true},  // 1/32 s rounds up
            {log2s, -11, 5, true},
            {log2s, 2, 40000, true},
            {log2s, -6, 156, false},
            {log2s, -12, 3, false},
            {log2s, -2, 2047, false},
            {log2s, -13, 0, false},  // no log of 0: as 1
            {degrees, -10, -36000, true},
            {degrees, 7, 25200, true},
            {degrees, -2, -5400, false},  // away from 0
            {ControlUnit::Plain, 123, 123, true},
        };
        for (const auto& row : rows) {
            QCOMPARE(toProgramValue(row.unit, row.v4l2), row.program);
            if (row.bothWays)
                QCOMPARE(toV4l2Value(row.unit, row.program), row.v4l2);
        }
        for (long n = -13; n <= 3; ++n)
            QCOMPARE(toProgramValue(log2s, toV4l2Value(log2s, n)), n);
        QVERIFY(toV4l2Value(log2s, 1000) > 0);  // clamped, not overflowed
        QCOMPARE(toProgramStep(degrees, 3600), 1L);
        QCOMPARE(toProgramStep(degrees, 1), 1L);  // never a step of 0
    }

    void eachPropertyHasItsControl() {
        const struct {
            ControlGroup group;
            long property;
            uint32_t cid, autoCid;
        } table[] = {
            {kProc, kProcBrightness, V4L2_CID_BRIGHTNESS, 0},
            {kProc, kProcContrast, V4L2_CID_CONTRAST, 0},
            {kProc, kProcHue, V4L2_CID_HUE, V4L2_CID_HUE_AUTO},
            {kProc, kProcSaturation, V4L2_CID_SATURATION, 0},
            {kProc, kProcSharpness, V4L2_CID_SHARPNESS, 0},
            {kProc, kProcGamma, V4L2_CID_GAMMA, 0},
            {kProc, kProcWhiteBalance, V4L2_CID_WHITE_BALANCE_TEMPERATURE, V4L2_CID_AUTO_WHITE_BALANCE},
            {kProc, kProcBacklightCompensation, V4L2_CID_BACKLIGHT_COMPENSATION, 0},
            {kProc, kProcGain, V4L2_CID_GAIN, 0},
            {kProc, kProcColorEnable, 0, 0},
            {kProc, 10, 0, 0},
            {kCam, kCamPan, V4L2_CID_PAN_ABSOLUTE, 0},
            {kCam, kCamTilt, V4L2_CID_TILT_ABSOLUTE, 0},
            {kCam, kCamRoll, 0, 0},
            {kCam, kCamZoom, V4L2_CID_ZOOM_ABSOLUTE, 0},
            {kCam, kCamExposure, V4L2_CID_EXPOSURE_ABSOLUTE, V4L2_CID_EXPOSURE_AUTO},
            {kCam, kCamIris, V4L2_CID_IRIS_ABSOLUTE, 0},
            {kCam, kCamFocus, V4L2_CID_FOCUS_ABSOLUTE, V4L2_CID_FOCUS_AUTO},
            {kCam, -1, 0, 0},
        };
        for (const auto& row : table) {
            ControlMapping m;
            QCOMPARE(mapStandardControl(row.group, row.property, m), row.cid != 0);
            QCOMPARE(m.cid, row.cid);
            QCOMPARE(m.autoCid, row.autoCid);
        }
        ControlMapping m;
        QVERIFY(mapKsProperty(kKsPowerlineFrequency, m) && m.cid == V4L2_CID_POWER_LINE_FREQUENCY);
        QVERIFY(mapKsProperty(kProcGain, m) && m.cid == V4L2_CID_GAIN);
        QVERIFY(!mapKsProperty(12, m));
    }

    void rangesComeInProgramUnits() {
        Rig rig(fakeLumoraCamera(), true);
        QVERIFY(rig.controls);
        const long M = kFlagsManual, A = kFlagsAuto | kFlagsManual;
        QCOMPARE(range(rig, kProc, kProcBrightness), (std::vector<long>{-64, 64, 1, 0, M}));
        QCOMPARE(range(rig, kProc, kProcWhiteBalance), (std::vector<long>{2800, 6500, 10, 4600, A}));
        QCOMPARE(range(rig, kCam, kCamPan), (std::vector<long>{-10, 10, 1, 0, M}));
        QCOMPARE(range(rig, kCam, kCamExposure), (std::vector<long>{-12, -2, 1, -6, A}));
        // Without a V4L2 control: the range fails, and nothing is asked of the driver.
        ControlRange r;
        rig.fake->clearCalls();
        QCOMPARE(rig.controls->getRange(kCam, kCamRoll, r), kNotFound);
        QCOMPARE(rig.controls->getRange(kProc, kProcColorEnable, r), kNotFound);
        QVERIFY(rig.fake->calls().empty());
        // A control the camera lacks (EINVAL from the driver) fails the same way.
        QCOMPARE(rig.controls->getRange(kCam, kCamFocus, r), kNotFound);
        QCOMPARE(rig.controls->getRange(kCam, kCamIris, r), kNotFound);
        QCOMPARE(rig.controls->hasGroup(kProc), kOk);
        QCOMPARE(rig.controls->hasGroup(kCam), kOk);
    }

    void manualExposureSetsTheModeBeforeTheValue() {
        Rig rig(fakeLumoraCamera(), true);  // starts in APERTURE_PRIORITY
        QCOMPARE(get(rig, kCam, kCamExposure), (std::vector<long>{-6, kFlagsAuto}));
        rig.fake->clearCalls();
        QCOMPARE(rig.controls->set(kCam, kCamExposure, -8, kFlagsManual), kOk);
        const int mode = firstCall(*rig.fake, "S_CTRL", V4L2_CID_EXPOSURE_AUTO);
        QVERIFY(mode >= 0 && firstCall(*rig.fake, "S_CTRL", V4L2_CID_EXPOSURE_ABSOLUTE) > mode);
        QCOMPARE(rig.fake->controlValue(0, V4L2_CID_EXPOSURE_AUTO), 1);       // MANUAL
        QCOMPARE(rig.fake->controlValue(0, V4L2_CID_EXPOSURE_ABSOLUTE), 39);  // 2^-8 s
        QCOMPARE(get(rig, kCam, kCamExposure), (std::vector<long>{-8, kFlagsManual}));
        // Already manual: only the value is written.
        rig.fake->clearCalls();
        QCOMPARE(rig.controls->set(kCam, kCamExposure, -9, kFlagsManual), kOk);
        QCOMPARE(firstCall(*rig.fake, "S_CTRL", V4L2_CID_EXPOSURE_AUTO), -1);
        QCOMPARE(rig.fake->controlValue(0, V4L2_CID_EXPOSURE_ABSOLUTE), 20);
        // Back to automatic: APERTURE_PRIORITY where offered, the value stays the camera's.
        rig.fake->clearCalls();
        QCOMPARE(rig.controls->set(kCam, kCamExposure, -3, kFlagsAuto), kOk);
        QCOMPARE(rig.fake->controlValue(0, V4L2_CID_EXPOSURE_AUTO), 3);
        QCOMPARE(firstCall(*rig.fake, "S_CTRL", V4L2_CID_EXPOSURE_ABSOLUTE), -1);
        QCOMPARE(rig.fake->controlValue(0, V4L2_CID_EXPOSURE_ABSOLUTE), 20);
    }

    void automaticExposureFollowsTheModesOffered() {
        // A menu of AUTO and MANUAL: AUTO.
        Rig a(cameraWith(V4L2_CID_EXPOSURE_AUTO, [](FakeControl& c) { c.menu = {0, 1}, c.value = 1; }), true);
        QCOMPARE(a.controls->set(kCam, kCamExposure, 0, kFlagsAuto), kOk);
        QCOMPARE(a.fake->controlValue(0, V4L2_CID_EXPOSURE_AUTO), 0);
        QCOMPARE(get(a, kCam, kCamExposure).at(1), long(kFlagsAuto));
        // A menu of MANUAL and SHUTTER_PRIORITY: no automatic exposure at all, the time is manual.
        Rig m(cameraWith(V4L2_CID_EXPOSURE_AUTO, [](FakeControl& c) { c.menu = {1, 2}, c.value = 2; }), true);
        QCOMPARE(range(m, kCam, kCamExposure).at(4), long(kFlagsManual));
        QCOMPARE(get(m, kCam, kCamExposure).at(1), long(kFlagsManual));
        QVERIFY(failed(m.controls->set(kCam, kCamExposure, 0, kFlagsAuto)));
        QCOMPARE(m.fake->controlValue(0, V4L2_CID_EXPOSURE_AUTO), 2);
    }

    void whiteBalanceSwitchesItsAutomaticControl() {
        Rig rig(fakeLumoraCamera(), true);
        QCOMPARE(get(rig, kProc, kProcWhiteBalance).at(1), long(kFlagsAuto));
        QCOMPARE(rig.controls->set(kProc, kProcWhiteBalance, 5000, kFlagsManual), kOk);
        QCOMPARE(rig.fake->controlValue(0, V4L2_CID_AUTO_WHITE_BALANCE), 0);
        QCOMPARE(rig.fake->controlValue(0, V4L2_CID_WHITE_BALANCE_TEMPERATURE), 5000);
        QCOMPARE(rig.controls->set(kProc, kProcWhiteBalance, 5000, kFlagsAuto), kOk);
        QCOMPARE(rig.fake->controlValue(0, V4L2_CID_AUTO_WHITE_BALANCE), 1);
        // Automatic on a control without a switch is refused.
        QCOMPARE(rig.controls->set(kProc, kProcBrightness, 3, kFlagsAuto), kInvalidArg);
    }

    void powerLineFrequencyThroughThePropertySet() {
        Rig rig(fakeLumoraCamera(), true);
        QCOMPARE(rig.controls->hasKsPropertySet(), kOk);
        uint32_t support = 0;
        QCOMPARE(rig.controls->ksQuerySupported(kKsPowerlineFrequency, support), kOk);
        QCOMPARE(support, uint32_t(kKsSupportGet | kKsSupportSet));
        QCOMPARE(rig.controls->ksSet(kKsPowerlineFrequency, 2, kFlagsManual), kOk);
        QCOMPARE(rig.fake->controlValue(0, V4L2_CID_POWER_LINE_FREQUENCY), 2);
        long value = 0, flags = 0;
        QCOMPARE(rig.controls->ksGet(kKsPowerlineFrequency, value, flags), kOk);
        QCOMPARE(value, 2L);
        QCOMPARE(rig.controls->ksSet(kKsPowerlineFrequency, 3, kFlagsManual),
                 kInvalidArg);  // not in this menu
        QCOMPARE(rig.controls->ksQuerySupported(12, support), kNotFound);

        Rig r(cameraWith(V4L2_CID_POWER_LINE_FREQUENCY,
                         [](FakeControl& c) { c.flags = V4L2_CTRL_FLAG_READ_ONLY; }),
              true);
        QCOMPARE(r.controls->ksQuerySupported(kKsPowerlineFrequency, support), kOk);
        QCOMPARE(support, uint32_t(kKsSupportGet));
    }

    void driverErrorsBecomeFailures() {
        Rig rig(cameraWith(V4L2_CID_GAIN, [](FakeControl& c) { c.setErrno = EIO; }), true);
        QCOMPARE(rig.controls->set(kProc, kProcGain, 5, kFlagsManual), kGenFailure);
        rig.fake->unplug(0);
        long value = 0, flags = 0;
        ControlRange r;
        QCOMPARE(rig.controls->get(kProc, kProcGain, value, flags), kNotConnected);
        QCOMPARE(rig.controls->set(kCam, kCamExposure, -5, kFlagsManual), kNotConnected);
        QCOMPARE(rig.controls->getRange(kCam, kCamExposure, r), kNotConnected);
        QCOMPARE(rig.controls->hasGroup(kProc), kNotConnected);
    }
};

QTEST_GUILESS_MAIN(TestV4l2Devices)
#include "tst_v4l2_devices.moc"
