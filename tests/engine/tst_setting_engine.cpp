// The settings job queue, its single worker, and every control of the control table on
// the simulated camera: what its job does to the camera and to CurrentValues, its reading,
// its profile key and the read at connection.
#include <QDir>
#include <QStringList>
#include <QtTest>
#include <functional>
#include <future>
#include <map>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "base/app_config.h"
#include "capture/standard_controls.h"
#include "capture/uvc_camera.h"
#include "device/device_port.h"
#include "device/sim/sim_camera.h"
#include "engine/camera_value_read.h"
#include "engine/control_application.h"
#include "engine/control_reading.h"
#include "engine/current_values.h"
#include "engine/profile_text.h"
#include "engine/setting_task_engine.h"
#include "support/log_capture.h"
#include "xu/uvc_xu_manager.h"

using device::ControlGroup;
using device::sim::SimCamera;

namespace {

int threadCount() {
    return int(QDir("/proc/self/task").entryList(QDir::Dirs | QDir::NoDotAndDotDot).size());
}

}  // namespace

class TestSettingEngine : public QObject {
    Q_OBJECT

private:
    SettingTaskEngine& engine() { return SettingTaskEngine::instance(); }
    long simValue(ControlGroup group, long property) { return sim_->control(group, property).value; }
    long simFlags(ControlGroup group, long property) { return sim_->control(group, property).flags; }
    // Starts the worker on the open camera and forgets the log written so far.
    void startWorker() {
        engine().setCamera(camera_.get());
        log_->clear();
    }

    std::shared_ptr<SimCamera> sim_;
    std::unique_ptr<UvcCamera> camera_;
    std::unique_ptr<LogCapture> log_;

private slots:
    void init() {
        log_ = std::make_unique<LogCapture>();
        appConfig().setDeviceName("Lumora X8");
        sim_ = device::sim::installSimulatedCamera();
        camera_ = std::make_unique<UvcCamera>();
        std::vector<RESOLUTION_LIST> formats;
        const int index = camera_->initial("Lumora X8", formats);
        QVERIFY(index >= 0);
        QVERIFY(camera_->open(0, index, 1) >= 0);
        QVERIFY(camera_->isOpen());
        UVCXUManager::instance().setEnableCommand(false);
        engine().resumeJobAdding();
        log_->clear();
    }

    void cleanup() {
        engine().deleteCamera();
        QVERIFY(engine().setJobObserver(nullptr));
        UVCXUManager::instance().setEnableCommand(false);
        camera_->release();
        camera_.reset();
        log_.reset();
    }

    // Jobs added while adding is paused are dropped with a line; those queued while no worker
    // runs are discarded unapplied by the next worker.
    void jobsQueuedWhileStoppedAreDiscardedByTheNextWorker() {
        engine().deleteCamera();
        engine().pauseJobAdding();
        engine().addJob(ADJ_HUE, 1);
        QCOMPARE(log_->count("pauseJobAdding, drop job: 4106 \n"), 1);
        engine().resumeJobAdding();
        const long brightness = simValue(ControlGroup::VideoProcAmp, device::kProcBrightness);
        for (int v = 1; v <= 3; ++v)
            engine().addJob(ADJ_BRIGHTNESS, int(brightness) + v);
        QCOMPARE(engine().pendingJobCount(), std::size_t(3));
        log_->clear();
        engine().setCamera(camera_.get());
        QCOMPARE(log_->writes().at(0), std::string("\n setCamera \n"));
        QCOMPARE(log_->writes().at(1), std::string("\n startSettingTask: 3 \n"));
        QCOMPARE(engine().pendingJobCount(), std::size_t(0));
        // A job queued after setCamera returned is applied, the stale ones never.
        engine().addJob(ADJ_CONTRAST, 40);
        QTRY_COMPARE_WITH_TIMEOUT(simValue(ControlGroup::VideoProcAmp, device::kProcContrast), 40L, 5000);
        QCOMPARE(simValue(ControlGroup::VideoProcAmp, device::kProcBrightness), brightness);
        QVERIFY(log_->startingWith("ADJ_BRIGHTNESS").empty());
    }

    // Ids outside every group, standard ids past the last control and unused vendor ids
    // are dropped without a line or a recorded value; the job after them still runs.
    void unknownIdsAreDroppedSilently() {
        startWorker();
        currentValues().distortionCorrection.store(0);
        for (int id : {0x3000, 0x10FF, 0x1010, int(DISTORTION_CORRECTION), 0x2003, 0x2007})
            engine().addJob(id, 1, true);
        engine().addJob(ADJ_HUE, 9);
        QTRY_VERIFY_WITH_TIMEOUT(log_->contains("setValue ADJ_HUE result: "), 5000);
        QCOMPARE(log_->writes().at(0), std::string("ADJ_HUE set 9 \n"));
        QCOMPARE(simValue(ControlGroup::VideoProcAmp, device::kProcHue), 9L);
        QCOMPARE(currentValues().distortionCorrection.load(), 0);
    }

    void burstIsAppliedInOrder() {
        const int kJobs = 10000;
        startWorker();
        for (int v = 0; v < kJobs; ++v)
            engine().addJob(ADJ_SATURATION, v % 200);
        QTRY_VERIFY_WITH_TIMEOUT(int(log_->startingWith("setValue ADJ_SATURATION").size()) == kJobs, 50000);
        const std::vector<std::string> sets = log_->startingWith("ADJ_SATURATION set ");
        QCOMPARE(int(sets.size()), kJobs);
        for (int v = 0; v < kJobs; ++v)
            QCOMPARE(sets[v], "ADJ_SATURATION set " + std::to_string(v % 200) + " \n");
        QCOMPARE(simValue(ControlGroup::VideoProcAmp, device::kProcSaturation), long((kJobs - 1) % 200));
    }

    void deleteCameraWaitsOnlyForTheCallInProgress() {
        sim_->setLatency("ControlPort::set", 300);
        startWorker();
        engine().addJob(ADJ_BRIGHTNESS, 11);
        for (int v = 12; v < 16; ++v)
            engine().addJob(ADJ_BRIGHTNESS, v);
        QTRY_VERIFY_WITH_TIMEOUT(log_->contains("ADJ_BRIGHTNESS set 11 \n"), 5000);
        engine().deleteCamera();
        // The call in progress finished before deleteCamera returned; nothing after it ran.
        const int result = log_->indexOf("setValue ADJ_BRIGHTNESS result: 0 \n");
        QVERIFY(result >= 0);
        QVERIFY(result < log_->indexOf("\n deleteCamera E\n"));
        QCOMPARE(log_->startingWith("ADJ_BRIGHTNESS set ").size(), std::size_t(1));
        QCOMPARE(currentValues().brightness.load(), 11);
        sim_->clearFaults();
    }

    void deleteCameraFromTheWorkerDoesNotDeadlock() {
        std::promise<void> stopped;
        QVERIFY(engine().setJobObserver([this, &stopped](const SettingJob& job) {
            if (job.controlId == ADJ_CONTRAST) {
                engine().deleteCamera();
                stopped.set_value();
                std::this_thread::sleep_for(std::chrono::milliseconds(100));  // still in its job below
            }
        }));
        const int before = threadCount();
        startWorker();
        engine().addJob(ADJ_CONTRAST, 21);
        engine().addJob(ADJ_CONTRAST, 22);
        QVERIFY(stopped.get_future().wait_for(std::chrono::seconds(5)) == std::future_status::ready);
        QVERIFY(log_->contains("\n deleteCamera E\n") && engine().camera() == nullptr &&
                !engine().hasWorker());
        // Changing the observer waits for the worker that stopped itself: the job in hand
        // has found the camera gone, the rest was discarded. One worker however often the
        // camera is set, gone when deleteCamera returns.
        QVERIFY(engine().setJobObserver(nullptr));
        QVERIFY(log_->contains("ERROR, setUVCStandard with no camera \n"));
        QVERIFY(!log_->contains("ADJ_CONTRAST set 22 \n"));
        engine().setCamera(camera_.get());
        engine().setCamera(camera_.get());
        QCOMPARE(threadCount(), before + 1);
        engine().deleteCamera();
        QCOMPARE(threadCount(), before);
    }

    // Every control of the table, each to a value the camera did not hold: the job reaches
    // the camera (seen in the simulated camera's own state), logs its lines, is recorded,
    // reads back through the row's reader and through the connection's read, and its
    // profile key carries it through a profile's text. Written in the order of a whole set
    // and read back only at the end, so two rows on one property would show.
    void everyControlRoundTrips() {
        using namespace device;
        const auto P = ControlGroup::VideoProcAmp, C = ControlGroup::CameraControl;
        const auto value = [this](ControlGroup g, long p) {
            return [=] { return sim_->control(g, p).value; };
        };
        const auto automatic = [this](ControlGroup g, long p) {
            return [=] { return long(sim_->control(g, p).flags == kFlagsAuto); };
        };
        const auto xu = [this] { return sim_->xuControls(); };
        struct Row {
            const char* name;
            const char* job;  // the worker's name for it; the zoom's result line says EWC_ZOOM
            bool forceLine;   // a forced job says so
            std::function<long()> held;
        };
        // clang-format off
        const Row rows[] = {
            {"zoom", "EPTZ_ZOOM", true, value(C, kCamZoom)},
            {"pan", "EWC_PAN", true, value(C, kCamPan)},
            {"tilt", "EWC_TILT", true, value(C, kCamTilt)},
            {"exposure-auto", "EXP_SWITCH", false, automatic(C, kCamExposure)},
            {"gain", "EXP_GAIN", true, value(P, kProcGain)},
            {"exposure-time", "EXP_TIME", true, value(C, kCamExposure)},
            {"white-balance-auto", "WB_SWITCH", false, automatic(P, kProcWhiteBalance)},
            {"white-balance", "WB_VALUE", true, value(P, kProcWhiteBalance)},
            {"brightness", "ADJ_BRIGHTNESS", true, value(P, kProcBrightness)},
            {"contrast", "ADJ_CONTRAST", true, value(P, kProcContrast)},
            {"hue", "ADJ_HUE", true, value(P, kProcHue)},
            {"saturation", "ADJ_SATURATION", true, value(P, kProcSaturation)},
            {"sharpness", "ADJ_SHAPNESS", true, value(P, kProcSharpness)},
            {"gamma", "ADJ_GAMMA", true, value(P, kProcGamma)},
            {"backlight", "ADJ_BACKLIGHT", true, value(P, kProcBacklightCompensation)},
            {"anti-flicker", "ADJ_ANTIFLICKER", false, [this] { return sim_->powerLineFrequency(); }},
            {"auto-zoom-sensitivity", "AUTO_FRAME_SENSITIVE", true, [=] { return long(xu().sensitivity); }},
            {"auto-zoom-level", "AUTO_FRAME_ZOOM_LEVEL", true, [=] { return long(xu().zoomLevel); }},
            {"auto-zoom", "AUTO_FRAME", false, [=] { return long(xu().autoFrame); }},
            {"hdr", "HDR", false, [=] { return long(xu().hdr); }},
            {"speaker-tracking", "TRACKING_ACTIVE", false, [=] { return long(xu().tracking); }},
        };
        // clang-format on
        QCOMPARE(namedControls().size(), std::size(rows));
        UVCXUManager& unit = UVCXUManager::instance();
        unit.setEnableCommand(true);
        QVERIFY(unit.haveDevice());
        QVERIFY(readCameraValues(*camera_, unit, currentValues()));  // pan and tilt compare with these
        // Every value is read before the first job: a job may change another control on the
        // camera (a manual exposure time ends the automatic exposure).
        std::map<std::string, int> written;
        for (const ControlRow* control : applyOrder()) {
            const ControlReading was = readControl(*control, *camera_);
            QVERIFY2(was.ok && recordedValue(*control, currentValues()) == was.value, control->name);
            written[control->name] =
                was.value + was.step <= was.max ? was.value + was.step : was.value - was.step;
        }
        startWorker();
        for (const ControlRow* control : applyOrder())
            engine().addJob(control->id, written.at(control->name), true);
        QVERIFY(engine().waitUntilIdle(std::chrono::seconds(5)));
        const CameraProfile loaded = parseProfile(profileText({"S1", written})).profile;
        for (const Row& row : rows) {
            const ControlRow* control = findControl(row.name);
            QVERIFY2(control != nullptr, row.name);
            const int to = written.at(row.name);
            const std::string job = row.job;
            const std::string result =
                isVendorControl(*control)
                    ? job + " res:1\n"
                    : "setValue " + (job == "EPTZ_ZOOM" ? "EWC_ZOOM" : job) + " result: 0 \n";
            const int set = log_->indexOf(job + " set " + std::to_string(to) + " \n");
            QVERIFY2(set >= 0 && log_->indexOf(result) > set, row.name);
            QCOMPARE(log_->count(job + " Force \n"), row.forceLine ? 1 : 0);
            QVERIFY2(row.held() == to, row.name);
            QCOMPARE(readControl(*control, *camera_).value, to);
            QCOMPARE(recordedValue(*control, currentValues()), to);
            QCOMPARE(loaded.values.at(row.name), to);
        }
        engine().deleteCamera();
        for (const ControlRow* control : namedControls())
            recordValue(*control, -7, currentValues());
        QVERIFY(readCameraValues(*camera_, unit, currentValues()));
        for (const Row& row : rows)
            QCOMPARE(recordedValue(*findControl(row.name), currentValues()), written.at(row.name));
    }

    // What the writers do beyond the plain value: a pan or tilt equal to the recorded value
    // is not written again (a forced one says so); only 1 means automatic, any non-zero
    // turns Auto Zoom on; a failed write, or a vendor job while the extension unit is off,
    // is logged with its result and recorded all the same; without an open camera nothing
    // is written or recorded.
    void writersKeepTheirEdges() {
        startWorker();
        currentValues().pan.store(3600);
        currentValues().tilt.store(-3600);
        const int setsBefore = sim_->callCount("ControlPort::set");
        setUVCStandard(SettingJob{EWC_PAN, 3600, 0, true});
        setUVCStandard(SettingJob{EWC_TILT, -3600, 0, false});
        QCOMPARE(log_->writes(), (std::vector<std::string>{"EWC_PAN Force \n", "EWC_PAN value not changed \n",
                                                           "EWC_TILT value not changed \n"}));
        QCOMPARE(sim_->callCount("ControlPort::set"), setsBefore);
        setUVCStandard(SettingJob{EXP_SWITCH, 2, 0, false});
        QCOMPARE(simFlags(ControlGroup::CameraControl, device::kCamExposure), long(device::kFlagsManual));
        QCOMPARE(currentValues().expAuto.load(), 2);
        sim_->failNext("ControlPort::set", device::kFail);
        setUVCStandard(SettingJob{ADJ_CONTRAST, 61, 0, false});
        QCOMPARE(log_->count("setValue ADJ_CONTRAST result: 5 \n"), 1);
        QCOMPARE(currentValues().contrast.load(), 61);
        log_->clear();
        setUVCExtension(SettingJob{HDR, 1, 0, false});
        QCOMPARE(log_->writes().front(), std::string("HDR set 1 \n"));
        QVERIFY(log_->indexOf("not connected\n") > 0);
        QCOMPARE(log_->writes().back(), std::string("HDR res:0\n"));
        QCOMPARE(currentValues().hdr.load(), 1);
        UVCXUManager::instance().setEnableCommand(true);
        QVERIFY(UVCXUManager::instance().haveDevice());
        setUVCExtension(SettingJob{AUTO_FRAME, 5, 0, false});
        QCOMPARE(int(sim_->xuControls().autoFrame), 1);
        QCOMPARE(currentValues().autoFrame.load(), 5);

        engine().deleteCamera();
        currentValues().hue.store(1);
        log_->clear();
        setUVCStandard(SettingJob{ADJ_HUE, 7, 0, false});
        QCOMPARE(log_->writes(), std::vector<std::string>{"ERROR, setUVCStandard with no camera \n"});
        UvcCamera closed;
        engine().setCamera(&closed);
        log_->clear();
        setUVCStandard(SettingJob{ADJ_HUE, 7, 0, false});
        QCOMPARE(log_->writes(), std::vector<std::string>{"ERROR, camera closed \n"});
        QCOMPARE(currentValues().hue.load(), 1);
        engine().deleteCamera();
    }

    // The connection's read logs each group as it always did. (A quit request in the middle:
    // tst_quit_promptly.)
    void valueReadLogsItsGroups() {
        UVCXUManager& unit = UVCXUManager::instance();
        unit.setEnableCommand(true);
        QVERIFY(unit.haveDevice());
        sim_->setControl(ControlGroup::VideoProcAmp, device::kProcBrightness, {77, device::kFlagsManual});
        sim_->setControl(ControlGroup::VideoProcAmp, device::kProcWhiteBalance, {5100, device::kFlagsAuto});
        sim_->setXuControls({1, 0, 1, 3, -2});  // HDR, Auto Zoom, tracking, zoom level, sensitivity
        log_->clear();
        QVERIFY(readCameraValues(*camera_, unit, currentValues()));
        const CurrentValues& v = currentValues();
        const auto line = [](const char* format, auto... values) {
            return QString::asprintf(format, values...);
        };
        const QStringList expected{
            line("\n--------getDefaultValue zoom: %d ,pan:%d, tilt: %d --------\n", v.zoom.load(),
                 v.pan.load(), v.tilt.load()),
            line("\n--------getDefaultValue exp: %d ,gain:%d, expTime: %d --------\n", v.expAuto.load(),
                 v.gain.load(), v.expTime.load()),
            "\n--------getDefaultValue wb: 1 ,wbValue:5100 --------\n",
            "\n--------getDefaultValue autoFrame: 0--------\n",
            "--------getDefaultValue autoFrameSensitive : -2, autoFrameZoomLevel : 3--------\n",
            line("\n--------getDefaultValue brightness: 77 ,contract:%d, hue: %d --------\n",
                 v.contrast.load(), v.hue.load()),
            line("--------getDefaultValue saturation: %d ,sharpness:%d, gamma: %d --------\n",
                 v.saturation.load(), v.sharpness.load(), v.gamma.load()),
            line("--------getDefaultValue backlight: %d ,hdr:1--------\n", v.backlight.load()),
            line("\n--------getDefaultValue frequency: %d--------\n", int(sim_->powerLineFrequency())),
            "\n--------getDefaultValue TrackingActive: 1--------\n",
            line("\n--------getDefaultValue fwVer: %s ,sn:%s --------\n", v.fwVersion, v.serialNumber),
            "\n--------getDefaultValue info: 0 --------\n"};
        QStringList logged;
        for (const std::string& write : log_->writes()) {
            if (write.find("--------getDefaultValue") != std::string::npos)
                logged << QString::fromStdString(write);
        }
        QCOMPARE(logged, expected);
        QCOMPARE(v.transferSize.load(), int(unit.getTransferSize()));
    }
};

QTEST_GUILESS_MAIN(TestSettingEngine)
#include "tst_setting_engine.moc"
