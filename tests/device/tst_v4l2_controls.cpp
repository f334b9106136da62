// The standard controls over V4L2: which control, which units, which automatic mode.
#include <QtTest>

#include "device/v4l2/control_map.h"
#include "tst_v4l2_helpers.h"

using namespace device;
using namespace device::v4l2;
using namespace v4l2test;

namespace {

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

class TestV4l2Controls : public QObject {
    Q_OBJECT

private slots:
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

QTEST_GUILESS_MAIN(TestV4l2Controls)
#include "tst_v4l2_controls.moc"
