// The standard controls over V4L2: which control, which units, which automatic mode.
#include <QtTest>

#include "device/v4l2/control_map.h"
#include "tst_v4l2_helpers.h"

using namespace device;
using namespace device::v4l2;
using namespace v4l2test;

namespace {

struct Bound {
    std::shared_ptr<FakeUvc> fake = std::make_shared<FakeUvc>();
    DevicePort port;
    std::shared_ptr<CaptureDevice> device;
    ControlPort* controls = nullptr;

    explicit Bound(FakeCamera camera = fakeLumoraCamera()) {
        fake->plug(0, std::move(camera));
        port = makeV4l2Port(fake);
        if (bindFirst(port, device) == kOk)
            controls = device->controls();
    }
    int indexOf(const std::string& name, uint32_t id) const { return firstCall(*fake, name, id); }
    // The range in program units as {min, max, step, def, caps}; empty when it fails.
    std::vector<long> range(ControlGroup group, long property) {
        ControlRange r;
        if (controls->getRange(group, property, r) != kOk)
            return {};
        return {r.min, r.max, r.step, r.def, r.caps};
    }
};

void setMenu(FakeCamera& camera, uint32_t id, std::vector<int32_t> offered, int32_t value) {
    for (FakeControl& c : camera.controls)
        if (c.id == id) {
            c.menu = std::move(offered);
            c.value = value;
        }
}

}  // namespace

Q_DECLARE_METATYPE(device::v4l2::ControlUnit)

class TestV4l2Controls : public QObject {
    Q_OBJECT

private slots:
    void unitConversion_data() {
        QTest::addColumn<ControlUnit>("unit");
        QTest::addColumn<int>("program");
        QTest::addColumn<int>("v4l2");
        QTest::addColumn<bool>("bothWays");  // else only v4l2 -> program
        const auto log2s = ControlUnit::Log2Seconds, degrees = ControlUnit::Degrees;
        QTest::newRow("1 s") << log2s << 0 << 10000 << true;
        QTest::newRow("1/32 s rounds up") << log2s << -5 << 313 << true;
        QTest::newRow("2^-11 s") << log2s << -11 << 5 << true;
        QTest::newRow("4 s") << log2s << 2 << 40000 << true;
        QTest::newRow("15.6 ms") << log2s << -6 << 156 << false;
        QTest::newRow("shortest") << log2s << -12 << 3 << false;
        QTest::newRow("longest") << log2s << -2 << 2047 << false;
        QTest::newRow("no log of 0: as 1") << log2s << -13 << 0 << false;
        QTest::newRow("-10 degrees") << degrees << -10 << -36000 << true;
        QTest::newRow("7 degrees") << degrees << 7 << 25200 << true;
        QTest::newRow("-1.5 degrees away from 0") << degrees << -2 << -5400 << false;
        QTest::newRow("plain") << ControlUnit::Plain << 123 << 123 << true;
    }
    void unitConversion() {
        QFETCH(ControlUnit, unit);
        QFETCH(int, program);
        QFETCH(int, v4l2);
        QFETCH(bool, bothWays);
        QCOMPARE(toProgramValue(unit, v4l2), long(program));
        if (bothWays)
            QCOMPARE(toV4l2Value(unit, program), v4l2);
    }

    void exposureRoundTripsAndStepsStayUsable() {
        for (long n = -13; n <= 3; ++n)
            QCOMPARE(toProgramValue(ControlUnit::Log2Seconds, toV4l2Value(ControlUnit::Log2Seconds, n)), n);
        QVERIFY(toV4l2Value(ControlUnit::Log2Seconds, 1000) > 0);  // clamped, not overflowed
        QCOMPARE(toProgramStep(ControlUnit::Degrees, 3600), 1L);
        QCOMPARE(toProgramStep(ControlUnit::Degrees, 1), 1L);  // never a step of 0
    }

    void eachPropertyHasItsControl() {
        const auto proc = ControlGroup::VideoProcAmp, cam = ControlGroup::CameraControl;
        const struct {
            ControlGroup group;
            long property;
            uint32_t cid, autoCid;
        } table[] = {
            {proc, kProcBrightness, 0x00980900, 0},
            {proc, kProcContrast, V4L2_CID_CONTRAST, 0},
            {proc, kProcHue, V4L2_CID_HUE, V4L2_CID_HUE_AUTO},
            {proc, kProcSaturation, V4L2_CID_SATURATION, 0},
            {proc, kProcSharpness, V4L2_CID_SHARPNESS, 0},
            {proc, kProcGamma, V4L2_CID_GAMMA, 0},
            {proc, kProcWhiteBalance, V4L2_CID_WHITE_BALANCE_TEMPERATURE, V4L2_CID_AUTO_WHITE_BALANCE},
            {proc, kProcBacklightCompensation, V4L2_CID_BACKLIGHT_COMPENSATION, 0},
            {proc, kProcGain, V4L2_CID_GAIN, 0},
            {proc, kProcColorEnable, 0, 0},
            {proc, 10, 0, 0},
            {cam, kCamPan, V4L2_CID_PAN_ABSOLUTE, 0},
            {cam, kCamTilt, V4L2_CID_TILT_ABSOLUTE, 0},
            {cam, kCamRoll, 0, 0},
            {cam, kCamZoom, V4L2_CID_ZOOM_ABSOLUTE, 0},
            {cam, kCamExposure, V4L2_CID_EXPOSURE_ABSOLUTE, V4L2_CID_EXPOSURE_AUTO},
            {cam, kCamIris, V4L2_CID_IRIS_ABSOLUTE, 0},
            {cam, kCamFocus, V4L2_CID_FOCUS_ABSOLUTE, V4L2_CID_FOCUS_AUTO},
            {cam, -1, 0, 0},
        };
        for (const auto& row : table) {
            ControlMapping m;
            QCOMPARE(mapStandardControl(row.group, row.property, m), row.cid != 0);
            QCOMPARE(m.cid, row.cid);
            QCOMPARE(m.autoCid, row.autoCid);
        }
        ControlMapping m;
        QVERIFY(mapKsProperty(kKsPowerlineFrequency, m));
        QCOMPARE(m.cid, uint32_t(V4L2_CID_POWER_LINE_FREQUENCY));
        QVERIFY(mapKsProperty(kProcGain, m));
        QCOMPARE(m.cid, uint32_t(V4L2_CID_GAIN));
        QVERIFY(!mapKsProperty(12, m));
    }

    void rangesComeInProgramUnits() {
        Bound b;
        QVERIFY(b.controls);
        const long M = kFlagsManual, A = kFlagsAuto | kFlagsManual;
        // {min, max, step, def, caps}
        QCOMPARE(b.range(ControlGroup::VideoProcAmp, kProcBrightness), (std::vector<long>{-64, 64, 1, 0, M}));
        QCOMPARE(b.range(ControlGroup::VideoProcAmp, kProcWhiteBalance),
                 (std::vector<long>{2800, 6500, 10, 4600, A}));
        QCOMPARE(b.range(ControlGroup::CameraControl, kCamPan), (std::vector<long>{-10, 10, 1, 0, M}));
        QCOMPARE(b.range(ControlGroup::CameraControl, kCamExposure), (std::vector<long>{-12, -2, 1, -6, A}));

        ControlRange r;
        // Without a V4L2 control: the range fails, and nothing is asked of the driver.
        b.fake->clearCalls();
        QCOMPARE(b.controls->getRange(ControlGroup::CameraControl, kCamRoll, r), kNotFound);
        QCOMPARE(b.controls->getRange(ControlGroup::VideoProcAmp, kProcColorEnable, r), kNotFound);
        QVERIFY(b.fake->calls().empty());
        // A control the camera lacks (EINVAL from the driver) fails the same way.
        QCOMPARE(b.controls->getRange(ControlGroup::CameraControl, kCamFocus, r), kNotFound);
        QCOMPARE(b.controls->getRange(ControlGroup::CameraControl, kCamIris, r), kNotFound);

        QCOMPARE(b.controls->hasGroup(ControlGroup::VideoProcAmp), kOk);
        QCOMPARE(b.controls->hasGroup(ControlGroup::CameraControl), kOk);
    }

    void manualExposureSetsTheModeBeforeTheValue() {
        Bound b;  // starts in APERTURE_PRIORITY
        long value = 0, flags = 0;
        QCOMPARE(b.controls->get(ControlGroup::CameraControl, kCamExposure, value, flags), kOk);
        QCOMPARE(flags, long(kFlagsAuto));
        QCOMPARE(value, -6L);

        b.fake->clearCalls();
        QCOMPARE(b.controls->set(ControlGroup::CameraControl, kCamExposure, -8, kFlagsManual), kOk);
        const int mode = b.indexOf("S_CTRL", V4L2_CID_EXPOSURE_AUTO);
        const int time = b.indexOf("S_CTRL", V4L2_CID_EXPOSURE_ABSOLUTE);
        QVERIFY(mode >= 0 && time > mode);
        QCOMPARE(b.fake->controlValue(0, V4L2_CID_EXPOSURE_AUTO), 1);       // MANUAL
        QCOMPARE(b.fake->controlValue(0, V4L2_CID_EXPOSURE_ABSOLUTE), 39);  // 2^-8 s
        QCOMPARE(b.controls->get(ControlGroup::CameraControl, kCamExposure, value, flags), kOk);
        QCOMPARE(value, -8L);
        QCOMPARE(flags, long(kFlagsManual));

        // Already manual: only the value is written.
        b.fake->clearCalls();
        QCOMPARE(b.controls->set(ControlGroup::CameraControl, kCamExposure, -9, kFlagsManual), kOk);
        QCOMPARE(b.indexOf("S_CTRL", V4L2_CID_EXPOSURE_AUTO), -1);
        QCOMPARE(b.fake->controlValue(0, V4L2_CID_EXPOSURE_ABSOLUTE), 20);
    }

    void automaticExposureTakesAperturePriorityWhereOffered() {
        Bound b;
        QCOMPARE(b.controls->set(ControlGroup::CameraControl, kCamExposure, -8, kFlagsManual), kOk);
        b.fake->clearCalls();
        QCOMPARE(b.controls->set(ControlGroup::CameraControl, kCamExposure, -3, kFlagsAuto), kOk);
        QCOMPARE(b.fake->controlValue(0, V4L2_CID_EXPOSURE_AUTO), 3);
        QCOMPARE(b.indexOf("S_CTRL", V4L2_CID_EXPOSURE_ABSOLUTE), -1);  // the value stays the camera's
        QCOMPARE(b.fake->controlValue(0, V4L2_CID_EXPOSURE_ABSOLUTE), 39);

        // A menu of AUTO and MANUAL: AUTO.
        FakeCamera autoOnly = fakeLumoraCamera();
        setMenu(autoOnly, V4L2_CID_EXPOSURE_AUTO, {0, 1}, 1);
        Bound a(autoOnly);
        QCOMPARE(a.controls->set(ControlGroup::CameraControl, kCamExposure, 0, kFlagsAuto), kOk);
        QCOMPARE(a.fake->controlValue(0, V4L2_CID_EXPOSURE_AUTO), 0);
        long value = 0, flags = 0;
        QCOMPARE(a.controls->get(ControlGroup::CameraControl, kCamExposure, value, flags), kOk);
        QCOMPARE(flags, long(kFlagsAuto));

        // A menu of MANUAL and SHUTTER_PRIORITY: no automatic exposure at all.
        FakeCamera manualOnly = fakeLumoraCamera();
        setMenu(manualOnly, V4L2_CID_EXPOSURE_AUTO, {1, 2}, 2);
        Bound m(manualOnly);
        ControlRange r;
        QCOMPARE(m.controls->getRange(ControlGroup::CameraControl, kCamExposure, r), kOk);
        QCOMPARE(r.caps, long(kFlagsManual));
        QCOMPARE(m.controls->get(ControlGroup::CameraControl, kCamExposure, value, flags), kOk);
        QCOMPARE(flags, long(kFlagsManual));  // shutter priority: the exposure time is manual
        QVERIFY(failed(m.controls->set(ControlGroup::CameraControl, kCamExposure, 0, kFlagsAuto)));
        QCOMPARE(m.fake->controlValue(0, V4L2_CID_EXPOSURE_AUTO), 2);
    }

    void whiteBalanceSwitchesItsAutomaticControl() {
        Bound b;
        long value = 0, flags = 0;
        QCOMPARE(b.controls->get(ControlGroup::VideoProcAmp, kProcWhiteBalance, value, flags), kOk);
        QCOMPARE(flags, long(kFlagsAuto));
        QCOMPARE(b.controls->set(ControlGroup::VideoProcAmp, kProcWhiteBalance, 5000, kFlagsManual), kOk);
        QCOMPARE(b.fake->controlValue(0, V4L2_CID_AUTO_WHITE_BALANCE), 0);
        QCOMPARE(b.fake->controlValue(0, V4L2_CID_WHITE_BALANCE_TEMPERATURE), 5000);
        QCOMPARE(b.controls->set(ControlGroup::VideoProcAmp, kProcWhiteBalance, 5000, kFlagsAuto), kOk);
        QCOMPARE(b.fake->controlValue(0, V4L2_CID_AUTO_WHITE_BALANCE), 1);
        // Automatic on a control without a switch is refused.
        QCOMPARE(b.controls->set(ControlGroup::VideoProcAmp, kProcBrightness, 3, kFlagsAuto), kInvalidArg);
    }

    void powerLineFrequencyThroughThePropertySet() {
        Bound b;
        QCOMPARE(b.controls->hasKsPropertySet(), kOk);
        uint32_t support = 0;
        QCOMPARE(b.controls->ksQuerySupported(kKsPowerlineFrequency, support), kOk);
        QCOMPARE(support, uint32_t(kKsSupportGet | kKsSupportSet));
        QCOMPARE(b.controls->ksSet(kKsPowerlineFrequency, 2, kFlagsManual), kOk);
        QCOMPARE(b.fake->controlValue(0, V4L2_CID_POWER_LINE_FREQUENCY), 2);
        long value = 0, flags = 0;
        QCOMPARE(b.controls->ksGet(kKsPowerlineFrequency, value, flags), kOk);
        QCOMPARE(value, 2L);
        QCOMPARE(b.controls->ksSet(kKsPowerlineFrequency, 3, kFlagsManual), kInvalidArg);  // not in this menu
        QCOMPARE(b.controls->ksQuerySupported(12, support), kNotFound);

        FakeCamera readOnly = fakeLumoraCamera();
        for (FakeControl& c : readOnly.controls)
            if (c.id == V4L2_CID_POWER_LINE_FREQUENCY)
                c.flags = V4L2_CTRL_FLAG_READ_ONLY;
        Bound r(readOnly);
        QCOMPARE(r.controls->ksQuerySupported(kKsPowerlineFrequency, support), kOk);
        QCOMPARE(support, uint32_t(kKsSupportGet));
    }

    void driverErrorsBecomeFailures() {
        FakeCamera camera = fakeLumoraCamera();
        for (FakeControl& c : camera.controls)
            if (c.id == V4L2_CID_GAIN)
                c.setErrno = EIO;
        Bound b(camera);
        QCOMPARE(b.controls->set(ControlGroup::VideoProcAmp, kProcGain, 5, kFlagsManual), kGenFailure);
        b.fake->unplug(0);
        long value = 0, flags = 0;
        ControlRange r;
        QCOMPARE(b.controls->get(ControlGroup::VideoProcAmp, kProcGain, value, flags), kNotConnected);
        QCOMPARE(b.controls->set(ControlGroup::CameraControl, kCamExposure, -5, kFlagsManual), kNotConnected);
        QCOMPARE(b.controls->getRange(ControlGroup::CameraControl, kCamExposure, r), kNotConnected);
        QCOMPARE(b.controls->hasGroup(ControlGroup::VideoProcAmp), kNotConnected);
    }
};

QTEST_GUILESS_MAIN(TestV4l2Controls)
#include "tst_v4l2_controls.moc"
