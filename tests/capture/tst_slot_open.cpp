// Capture slots on the simulated camera: the failure codes of the open's two halves and
// their retries, the remembered size, the device count, and an open slot's standard controls.
#include <QtTest>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "base/app_config.h"
#include "capture/capture_formats.h"
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
using device::sim::SimOptions;

namespace {
void closeEverySlot() {
    for (int n = 0; n < kCaptureSlotCount; ++n) {
        if (ewc_slot(n).inUse != 0)
            EWC_Close(n);
    }
    ewc_resetSlotTable();
    deviceCount = -1;
}

// Fills a slot's request as the camera object does and runs both halves.
int openSlot(int slot, int deviceIndex, int width, int height, double fps, const device::Guid& native) {
    ewc_EnsureCom();
    CaptureSlot& s = ewc_slot(slot);
    s.width = width;
    s.height = height;
    s.fps = fps;
    s.deviceIndex = deviceIndex;
    s.nameFilter.reset();
    s.outputSubtype = device::kSubtypeNull;
    s.nativeSubtype = native;
    s.status = -1;
    if (ewc_OpenControl(slot) != 0)
        return s.status;
    ewc_OpenStream(slot);
    return s.status;
}
}  // namespace

class SlotOpenTest : public QObject {
    Q_OBJECT

    std::shared_ptr<SimCamera> sim;
    UvcCamera camera;
    std::vector<RESOLUTION_LIST> formats;
    int index = -1;

    // Builds the format list; answers the index of its MJPG 640 x 360 at 30 fps.
    int smallMjpg() {
        formats.clear();
        camera.initial("Lumora X8", formats);
        return index = findFormat(formats, "MJPG", 640, 360).index;
    }

private slots:
    void init() {
        sim = device::sim::installSimulatedCamera();
        ewc_timeouts() = CaptureTimeouts{15000, 400, 3000};
        lastWidth = 640;
        lastHeight = 480;
        lastFps = 30.0;
        selectedPin = 0;
    }
    void cleanup() {
        camera.release();
        sim->clearFaults();
        closeEverySlot();
        sim.reset();
        device::installPort(device::DevicePort{});
    }

    void failureCodes_data() {
        QTest::addColumn<QString>("call");
        QTest::addColumn<int>("code");
        QTest::newRow("graph") << "VideoSystem::createGraph" << 3;
        QTest::newRow("enumerator") << "VideoSystem::createDeviceEnumerator" << 4;
        QTest::newRow("class enumerator") << "VideoSystem::enumerateVideoInputs" << 5;
        QTest::newRow("display name") << "DeviceMoniker::displayName" << 6;
        QTest::newRow("bind") << "DeviceMoniker::bind" << 7;
        QTest::newRow("add filter") << "CaptureGraph::addCaptureDevice" << 7;
        QTest::newRow("graph builder") << "CaptureGraph::attachGraphBuilder" << 10;
        QTest::newRow("stream config") << "CaptureDevice::hasStreamConfig" << 11;
        QTest::newRow("current format") << "CaptureDevice::currentFormat" << 11;
        QTest::newRow("set format") << "CaptureDevice::setFormat" << 12;
        QTest::newRow("grabber") << "CaptureGraph::createGrabber" << 13;
        QTest::newRow("grabber type") << "CaptureGraph::setGrabberSubtype" << 14;
        QTest::newRow("add grabber") << "CaptureGraph::addGrabber" << 15;
        QTest::newRow("connect") << "CaptureGraph::connect" << 16;
        QTest::newRow("buffer samples") << "CaptureGraph::setBufferSamples" << 17;
        QTest::newRow("one shot") << "CaptureGraph::setOneShot" << 18;
        QTest::newRow("callback") << "CaptureGraph::setCallback" << 19;
        QTest::newRow("event") << "CaptureGraph::hasMediaEvent" << 20;
        QTest::newRow("control") << "CaptureGraph::hasMediaControl" << 21;
    }
    void failureCodes() {
        QFETCH(QString, call);
        QFETCH(int, code);
        const bool firstHalf = code <= 10;
        const std::string codeText = std::to_string(code);
        smallMjpg();
        LogCapture log;
        sim->failNext(call.toStdString(), device::kFail);
        QCOMPARE(camera.open(0, index, 1), firstHalf ? -1 : -3);
        QCOMPARE(ewc_slot(0).status, code);
        QCOMPARE(ewc_hr.load(), device::kFail);
        // A failed first half frees the slot; a failed second half keeps it in use until
        // it is released.
        QCOMPARE(ewc_slot(0).inUse, firstHalf ? 0 : 1);
        QCOMPARE(camera.isOpen(), firstHalf ? 0 : 1);
        QCOMPARE(bool(ewc_slot(0).graph), !firstHalf);
        QCOMPARE(log.count("fin error(" + codeText + ") retry(3)\n"), 1);
        QCOMPARE(log.count("fin error(" + codeText + ") retry(2)\n"), 0);  // not retried
        camera.release();
        QCOMPARE(ewc_slot(0).inUse, 0);
    }

    void missingDeviceCodes() {
        smallMjpg();
        sim->unplug();  // the camera left after the list was built: no match
        QCOMPARE(camera.open(0, index, 1), -1);
        QCOMPARE(ewc_slot(0).status, 9);
        QCOMPARE(deviceCount, 1);                   // the webcam was counted
        device::installPort(device::DevicePort{});  // no video system: no enumerator
        QCOMPARE(camera.open(0, index, 1), -1);
        QCOMPARE(ewc_slot(0).status, 4);
        // Only a device that is no capture device: none counted.
        SimOptions options;
        options.pluggedAtStart = false;
        options.listOtherDevice = false;
        options.listNonCaptureDevice = true;
        sim = device::sim::installSimulatedCamera(options);
        deviceCount = -1;
        QCOMPARE(openSlot(0, -1, 640, 480, 30.0, device::kSubtypeMJPG), 8);
        QCOMPARE(deviceCount, 0);
    }

    // Codes 22 to 24 are retried up to three attempts; each retry removes the grabber of
    // the attempt before, so one remains.
    void retriedFailuresKeepOneGrabber_data() {
        QTest::addColumn<int>("code");
        QTest::addColumn<int>("failures");  // attempts that fail
        QTest::newRow("run") << 22 << 3;
        QTest::newRow("completion aborted") << 23 << 3;
        QTest::newRow("no first frame") << 24 << 3;
        QTest::newRow("run, then a success") << 22 << 1;
    }
    void retriedFailuresKeepOneGrabber() {
        QFETCH(int, code);
        QFETCH(int, failures);
        smallMjpg();
        if (code == 22) {
            sim->failNext("CaptureGraph::run", device::kFail, failures);
        } else if (code == 23) {
            sim->failNext("CaptureGraph::waitForCompletion", device::kAbort, failures);
        } else {
            sim->setNeverDeliverFrames(true);
        }
        const int added = sim->callCount("CaptureGraph::addGrabber");
        const int removed = sim->callCount("CaptureGraph::removeGrabber");
        LogCapture log;
        const bool opens = failures < 3;
        QCOMPARE(camera.open(0, index, 1), opens ? 0 : -3);
        for (int attempt = 0; attempt < 3; ++attempt) {
            const std::string result = std::to_string(attempt < failures ? code : 0);
            QCOMPARE(log.count("fin error(" + result + ") retry(" + std::to_string(3 - attempt) + ")\n"),
                     attempt <= failures ? 1 : 0);
        }
        QCOMPARE(log.count(opens ? "uvc stream open success! \n"
                                 : "uvc stream open fail! error(" + std::to_string(code) + ") \n"),
                 1);
        QCOMPARE(ewc_slot(0).status, opens ? 0 : code);
        const int attempts = std::min(failures + 1, 3);
        QCOMPARE(sim->callCount("CaptureGraph::addGrabber") - added, attempts);
        QCOMPARE(sim->callCount("CaptureGraph::removeGrabber") - removed, attempts - 1);
        QVERIFY(opens ? sim->runningStreams() == 1 : sim->runningStreams() <= 1);
        camera.release();
        QCOMPARE(sim->runningStreams(), 0);
    }

    void anEmptyRequestTakesTheLastFormat() {
        // The webcam (counted position 0) offers 640 x 480 and 1280 x 720.
        QCOMPARE(openSlot(0, 0, 0, 0, 0.0, device::kSubtypeNull), 0);
        QCOMPARE(ewc_slot(0).width, 640);
        QCOMPARE(ewc_slot(0).height, 480);
        QCOMPARE(ewc_slot(0).fps, 30.0);
        QCOMPARE(ewc_slot(0).store.buffer.size(), size_t(640 * 480 * 4));
        QCOMPARE(ewc_slot(0).nativeSubtype, device::kSubtypeMJPG);  // the pin's current subtype
        QCOMPARE(EWC_Close(0), 0);

        QCOMPARE(openSlot(0, 0, 1280, 720, 15.0, device::kSubtypeMJPG), 0);
        QCOMPARE(EWC_Close(0), 0);
        QCOMPARE(lastWidth, 1280);
        QCOMPARE(lastFps, 15.0);

        QCOMPARE(openSlot(0, 0, 0, 0, 0.0, device::kSubtypeNull), 0);
        QCOMPARE(ewc_slot(0).width, 1280);
        QCOMPARE(ewc_slot(0).height, 720);
        QCOMPARE(ewc_slot(0).fps, 15.0);
    }

    void closingTheLastSlotForgetsTheDeviceCount() {
        QCOMPARE(openSlot(0, 1, 640, 360, 30.0, device::kSubtypeMJPG), 0);
        QCOMPARE(openSlot(1, 0, 640, 480, 30.0, device::kSubtypeMJPG), 0);
        QCOMPARE(deviceCount, 2);
        QVERIFY(ewc_comInitialised);
        QCOMPARE(EWC_Close(0), 0);
        QCOMPARE(deviceCount, 2);
        ewc_slot(5).status = 77;  // left over in a free slot
        QCOMPARE(EWC_Close(1), 0);
        QCOMPARE(deviceCount, -1);
        QVERIFY(!ewc_comInitialised);
        // The next open counts anew and starts from a zeroed table.
        sim->unplug();
        QCOMPARE(openSlot(0, 0, 640, 480, 30.0, device::kSubtypeMJPG), 0);
        QCOMPARE(deviceCount, 1);
        QCOMPARE(ewc_slot(5).status, 0);
    }

    // Opens refused before any call; the close codes (1: no such open slot, 2: the stop failed).
    void refusedOpensAndCloseCodes() {
        ewc_currentFormatList() = CaptureFormatList{};
        QCOMPARE(camera.open(0, 0, 1), -3);
        smallMjpg();
        QCOMPARE(camera.open(1, 0, 1), -3);
        // No default format found (-1) or an index past the pin's list.
        QCOMPARE(camera.open(0, -1, 1), -3);
        QCOMPARE(camera.open(0, int(formats.size()) + 5, 1), -3);
        QCOMPARE(ewc_slot(0).inUse, 0);
        QCOMPARE(EWC_Close(10), 1);
        QCOMPARE(EWC_Close(-1), 1);
        QCOMPARE(EWC_Close(4), 1);
        QCOMPARE(openSlot(0, 1, 640, 360, 30.0, device::kSubtypeMJPG), 0);
        sim->failNext("CaptureGraph::hasMediaControl", device::kFail);
        QCOMPARE(EWC_Close(0), 2);
        sim->failNext("CaptureGraph::waitForCompletion", device::kAbort);
        QCOMPARE(EWC_Close(0), 2);
        QCOMPARE(ewc_slot(0).inUse, 1);  // left unchanged
        QCOMPARE(EWC_Close(0), 0);
        QCOMPARE(ewc_slot(0).inUse, 0);
    }

    // The result codes of an open slot's controls: 1 closed camera or slot above 9 (getFlags
    // cannot tell it from "automatic"), 2 property out of range, 3 its range failed at open
    // (no call now), 4 range, interface or support unavailable now, 5 the Get or Set failed
    // (the getters answer -1 for all of them).
    void resultCodes() {
        QCOMPARE(camera.getValue(BRIGHTNESS), -1);
        QCOMPARE(camera.setValue(BRIGHTNESS, 10), 1);
        QCOMPARE(camera.getFlags(EXPOSURE), 1);
        QCOMPARE(camera.setKsValue(13, 1.0), 1);
        QCOMPARE(ewc_propfunc(kPropGetValue, 10, BRIGHTNESS, nullptr, nullptr), 1);

        sim->failNext("ControlPort::getRange", device::kFail);  // the first probe: brightness
        QCOMPARE(camera.open(0, smallMjpg(), 1), 0);
        const int slot = camera.openNum();
        double value = 0;
        const int calls = sim->callCount("ControlPort::get") + sim->callCount("ControlPort::getRange");
        const struct {
            const char* fault;  // the call that fails once, or none
            device::HResult hr;
            std::function<int()> call;
            int result;
        } rows[] = {
            {"", device::kOk, [&] { return ewc_propfunc(kPropGetValue, slot, 17, &value, nullptr); }, 2},
            {"", device::kOk, [&] { return ewc_propfunc(kPropGetValue, slot, -1, &value, nullptr); }, 2},
            {"", device::kOk, [&] { return ewc_propKSfunc(2, slot, 17, &value); }, 2},
            {"", device::kOk, [&] { return ewc_propfunc(kPropGetValue, slot, BRIGHTNESS, &value, nullptr); },
             3},
            {"", device::kOk, [&] { return camera.getValue(ROLL); }, -1},
            {"ControlPort::getRange", device::kFail, [&] { return camera.setValue(CONTRAST, 50); }, 4},
            {"ControlPort::hasGroup", device::kNoInterface, [&] { return camera.getValue(CONTRAST); }, -1},
            {"ControlPort::set", device::kFail, [&] { return camera.setValue(CONTRAST, 50); }, 5},
            {"ControlPort::get", device::kFail, [&] { return camera.getValue(CONTRAST); }, -1},
            {"ControlPort::ksQuerySupported", device::kFail, [&] { return camera.setKsValue(13, 1.0); }, 4},
            {"ControlPort::ksSet", device::kFail, [&] { return camera.setKsValue(13, 1.0); }, 5},
            {"ControlPort::ksGet", device::kFail, [&] { return camera.getKsValue(13); }, -1},
        };
        for (const auto& row : rows) {
            if (*row.fault)
                sim->failNext(row.fault, row.hr);
            QCOMPARE(row.call(), row.result);
            if (!*row.fault)  // refused before any call
                QCOMPARE(sim->callCount("ControlPort::get") + sim->callCount("ControlPort::getRange"), calls);
        }
        QCOMPARE(ewc_hr.load(), device::kFail);
        LogCapture log;
        sim->failNext("ControlPort::set", device::kFail);
        QCOMPARE(camera.setValue(PAN, 5), 5);
        QCOMPARE(log.count("info: Function: ewc_propfunc, RRRRRRRRRRR failed, Error code: 0x80004005 \n"), 1);
    }

    // Beyond the plain round trip of every control (tst_setting_engine): a manual value is
    // truncated, the automatic flag is read and written without touching the value, and a
    // default value keeps it.
    void valuesAndFlags() {
        QCOMPARE(camera.open(0, smallMjpg(), 1), 0);
        const auto state = [this](ControlGroup g, long p) {
            const ControlState s = sim->control(g, p);
            return std::vector<long>{s.value, s.flags};
        };
        const auto P = ControlGroup::VideoProcAmp, C = ControlGroup::CameraControl;
        QCOMPARE(camera.setValue(BRIGHTNESS, 120.9), 0);
        QCOMPARE(state(P, device::kProcBrightness), (std::vector<long>{120, kFlagsManual}));
        QCOMPARE(camera.setKsValue(13, 2.7), 0);
        QCOMPARE(camera.getKsValue(13), 2);

        sim->setControl(C, device::kCamExposure, ControlState{-6, kFlagsAuto});
        QCOMPARE(camera.getFlags(EXPOSURE), 1);
        int automatic = -1;
        double value = 0;
        QCOMPARE(ewc_propfunc(kPropGetValue, camera.openNum(), EXPOSURE, &value, &automatic), 0);
        QCOMPARE(std::make_pair(automatic, value), std::make_pair(1, -6.0));
        QCOMPARE(camera.setManual(EXPOSURE), 0);
        QCOMPARE(state(C, device::kCamExposure), (std::vector<long>{-6, kFlagsManual}));
        QCOMPARE(camera.getFlags(EXPOSURE), 2);
        QCOMPARE(camera.setAuto(EXPOSURE), 0);
        QCOMPARE(state(C, device::kCamExposure), (std::vector<long>{-6, kFlagsAuto}));

        sim->setControl(P, device::kProcWhiteBalance, ControlState{3000, kFlagsAuto});
        QCOMPARE(ewc_propfunc(kPropSetDefault, camera.openNum(), WHITEBALANCE, nullptr, nullptr), 0);
        QCOMPARE(state(P, device::kProcWhiteBalance), (std::vector<long>{4600, kFlagsAuto}));
    }
};

QTEST_GUILESS_MAIN(SlotOpenTest)
#include "tst_slot_open.moc"
