// The standard controls of an open slot on the simulated camera: the result codes 1 to 5,
// manual values, the automatic flag, the default value and the kernel-streaming path.
#include <QtTest>
#include <memory>
#include <vector>

#include "capture/capture_slots.h"
#include "capture/slot_open.h"
#include "capture/standard_controls.h"
#include "capture/uvc_camera.h"
#include "device/device_port.h"
#include "device/sim/sim_camera.h"
#include "format_search.h"
#include "support/log_capture.h"

using device::ControlGroup;
using device::kFlagsAuto;
using device::kFlagsManual;
using device::sim::ControlState;
using device::sim::SimCamera;

class StandardControlsTest : public QObject {
    Q_OBJECT

    std::shared_ptr<SimCamera> sim;
    UvcCamera camera;

    void openCamera() {
        std::vector<RESOLUTION_LIST> formats;
        camera.initial("Lumora X8", formats);
        QVERIFY(camera.open(0, findFormat(formats, "MJPG", 640, 360).index, 1) >= 0);
    }

private slots:
    void init() {
        sim = device::sim::installSimulatedCamera();
        ewc_timeouts() = CaptureTimeouts{15000, 2000, 3000};
    }
    void cleanup() {
        camera.release();
        sim.reset();
        device::installPort(device::DevicePort{});
    }

    void resultCodes() {
        // 1: closed camera or slot number above 9 (getFlags cannot tell it from "automatic").
        QCOMPARE(camera.getValue(BRIGHTNESS), -1);
        QCOMPARE(camera.setValue(BRIGHTNESS, 10), 1);
        QCOMPARE(camera.getFlags(EXPOSURE), 1);
        QCOMPARE(camera.setKsValue(13, 1.0), 1);
        QCOMPARE(ewc_propfunc(kPropGetValue, 10, BRIGHTNESS, nullptr, nullptr), 1);

        sim->failNext("ControlPort::getRange", device::kFail);  // the first probe: brightness
        openCamera();
        const int slot = camera.openNum();
        double value = 0;
        // 2: property out of range, negative numbers too.
        QCOMPARE(ewc_propfunc(kPropGetValue, slot, 17, &value, nullptr), 2);
        QCOMPARE(ewc_propfunc(kPropGetValue, slot, -1, &value, nullptr), 2);
        QCOMPARE(ewc_propKSfunc(2, slot, 17, &value), 2);
        // 3: its range failed at open (brightness here, roll on this camera): no call now.
        const int calls = sim->callCount("ControlPort::get") + sim->callCount("ControlPort::getRange");
        QCOMPARE(ewc_propfunc(kPropGetValue, slot, BRIGHTNESS, &value, nullptr), 3);
        QCOMPARE(camera.getValue(ROLL), -1);
        QCOMPARE(sim->callCount("ControlPort::get") + sim->callCount("ControlPort::getRange"), calls);
        QCOMPARE(camera.getValue(CONTRAST),
                 int(sim->control(device::ControlGroup::VideoProcAmp, device::kProcContrast).value));
        // 4: range or interface unavailable now; 5: the Get or Set failed.
        sim->failNext("ControlPort::getRange", device::kFail);
        QCOMPARE(camera.setValue(CONTRAST, 50), 4);
        sim->failNext("ControlPort::hasGroup", device::kNoInterface);
        QCOMPARE(camera.getValue(CONTRAST), -1);
        sim->failNext("ControlPort::set", device::kFail);
        QCOMPARE(camera.setValue(CONTRAST, 50), 5);
        QCOMPARE(ewc_hr.load(), device::kFail);
        sim->failNext("ControlPort::get", device::kFail);
        QCOMPARE(camera.getValue(CONTRAST), -1);

        LogCapture log;
        sim->failNext("ControlPort::set", device::kFail);
        QCOMPARE(camera.setValue(PAN, 5), 5);
        QCOMPARE(log.count("info: Function: ewc_propfunc, RRRRRRRRRRR failed, Error code: 0x80004005 \n"), 1);
    }

    void manualValueIsTruncatedAndLogged() {
        openCamera();
        LogCapture log;
        QCOMPARE(camera.setValue(BRIGHTNESS, 120.9), 0);
        ControlState state = sim->control(ControlGroup::VideoProcAmp, device::kProcBrightness);
        QCOMPARE(state.value, 120L);
        QCOMPARE(state.flags, long(kFlagsManual));
        QCOMPARE(log.count("IAMVideoProcAmp func:1, prop:0\n"), 1);
        QCOMPARE(log.count("GetRange Min:0, Max: 200\n"), 1);
        QCOMPARE(log.count("GetRange Step:1.000000, Default: 100.000000, CapsFlags: 2.000000\n"), 1);
        QCOMPARE(log.count("Get val prop:0, Val: 100\n"), 1);  // read before the write
        QCOMPARE(log.count("set new val prop:0, Val: 120\n"), 1);
        QCOMPARE(camera.getValue(BRIGHTNESS), 120);
        QCOMPARE(log.count("Get val prop:0, Val: 120\n"), 1);

        log.clear();
        QCOMPARE(camera.setValue(ZOOM, 250.5), 0);
        QCOMPARE(sim->control(ControlGroup::CameraControl, device::kCamZoom).value, 250L);
        QCOMPARE(log.count("IAMCameraControl func:1, prop:13\n"), 1);
        QCOMPARE(log.count("set new val prop:3, Val: 250\n"), 1);
    }

    void automaticFlagOfExposure() {
        openCamera();
        sim->setControl(ControlGroup::CameraControl, device::kCamExposure, ControlState{-6, kFlagsAuto});
        LogCapture log;
        QCOMPARE(camera.getFlags(EXPOSURE), 1);
        QCOMPARE(log.count("get Flags:1, CameraControl_Flags_Auto: 1\n"), 1);
        int automatic = -1;
        double value = 0;
        QCOMPARE(ewc_propfunc(kPropGetValue, camera.openNum(), EXPOSURE, &value, &automatic), 0);
        QCOMPARE(automatic, 1);
        QCOMPARE(value, -6.0);

        QCOMPARE(camera.setManual(EXPOSURE), 0);
        QCOMPARE(camera.getFlags(EXPOSURE), 2);
        QCOMPARE(camera.getValue(EXPOSURE), -6);
        QCOMPARE(camera.setAuto(EXPOSURE), 0);
        QCOMPARE(camera.getValue(EXPOSURE), -6);
        QCOMPARE(sim->control(ControlGroup::CameraControl, device::kCamExposure).flags, long(kFlagsAuto));

        sim->setControl(ControlGroup::VideoProcAmp, device::kProcWhiteBalance,
                        ControlState{5000, kFlagsManual});
        QCOMPARE(camera.getFlags(WHITEBALANCE), 2);
        QCOMPARE(log.count("get Flags:2, VideoProcAmp_Flags_Auto: 1\n"), 1);
    }

    void defaultValueKeepsTheFlag() {
        openCamera();
        sim->setControl(ControlGroup::VideoProcAmp, device::kProcWhiteBalance,
                        ControlState{3000, kFlagsAuto});
        QCOMPARE(ewc_propfunc(kPropSetDefault, camera.openNum(), WHITEBALANCE, nullptr, nullptr), 0);
        ControlState state = sim->control(ControlGroup::VideoProcAmp, device::kProcWhiteBalance);
        QCOMPARE(state.value, 4600L);
        QCOMPARE(state.flags, long(kFlagsAuto));
    }

    void powerLineFrequencyThroughThePropertySet() {
        openCamera();
        LogCapture log;
        QCOMPARE(camera.setKsValue(13, 1.0), 0);
        QCOMPARE(sim->powerLineFrequency(), 1L);
        QCOMPARE(log.count("ks_control func:1, prop:13\n"), 1);
        QCOMPARE(log.count("ks_propset supported\n"), 1);
        QCOMPARE(camera.getKsValue(13), 1);
        QCOMPARE(camera.setKsValue(13, 2.7), 0);
        QCOMPARE(camera.getKsValue(13), 2);

        sim->failNext("ControlPort::ksQuerySupported", device::kFail);
        QCOMPARE(camera.setKsValue(13, 1.0), 4);
        sim->failNext("ControlPort::ksSet", device::kFail);
        QCOMPARE(camera.setKsValue(13, 1.0), 5);
        QCOMPARE(
            log.count("info: Function: ewc_propKSfunc, KS RRRRRRRRRRR failed, Error code: 0x80004005 \n"), 1);
        sim->failNext("ControlPort::ksGet", device::kFail);
        QCOMPARE(camera.getKsValue(13), -1);
    }
};

QTEST_GUILESS_MAIN(StandardControlsTest)
#include "tst_standard_controls.moc"
