// The settings job queue, its single worker and what each job does to the simulated
// camera and to CurrentValues.
#include <QDir>
#include <QtTest>
#include <memory>
#include <string>
#include <vector>

#include "base/app_config.h"
#include "capture/standard_controls.h"
#include "capture/uvc_camera.h"
#include "device/device_port.h"
#include "device/sim/sim_camera.h"
#include "engine/control_application.h"
#include "engine/control_id.h"
#include "engine/current_values.h"
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
    // Queues a vendor job whose result line marks that every job queued before it ran.
    void drainQueue() {
        engine().addJob(TRACKING_ACTIVE, 0);
        QTRY_VERIFY_WITH_TIMEOUT(
            log_->count("TRACKING_ACTIVE res:0\n") + log_->count("TRACKING_ACTIVE res:1\n") > 0, 5000);
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

    void deleteCameraPrintsItsLinesAndJoinsTheWorker() {
        // Idle: the four lines and nothing else.
        engine().deleteCamera();
        log_->clear();
        engine().deleteCamera();
        QCOMPARE(log_->writes(), (std::vector<std::string>{"\n deleteCamera S\n", "\n deleteCamera A\n",
                                                           "\n deleteCamera B\n", "\n deleteCamera E\n"}));
        // With a worker (one, however often the camera is set): the handle line too, and
        // the thread is gone when it returns.
        const int before = threadCount();
        engine().setCamera(camera_.get());
        engine().setCamera(camera_.get());
        QCOMPARE(threadCount(), before + 1);
        engine().addJob(ADJ_SHAPNESS, 3);  // and that one worker applies jobs
        QTRY_VERIFY_WITH_TIMEOUT(log_->contains("setValue ADJ_SHAPNESS result: 0 \n"), 5000);
        QCOMPARE(simValue(ControlGroup::VideoProcAmp, device::kProcSharpness), 3L);
        log_->clear();
        engine().deleteCamera();
        QCOMPARE(log_->writes(),
                 (std::vector<std::string>{"\n deleteCamera S\n", "CloseHandle \n", "\n deleteCamera A\n",
                                           "\n deleteCamera B\n", "\n deleteCamera E\n"}));
        QCOMPARE(threadCount(), before);
        QVERIFY(!engine().hasWorker());
        QVERIFY(engine().camera() == nullptr);
    }

    void jobsQueuedWhileStoppedAreDiscardedByTheNextWorker() {
        engine().deleteCamera();
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

    void pausedAddingDropsJobs() {
        engine().deleteCamera();
        engine().pauseJobAdding();
        for (int i = 0; i < 10; ++i)
            engine().addJob(ADJ_HUE, i);
        QCOMPARE(log_->count("pauseJobAdding, drop job: 4106 \n"), 10);
        QCOMPARE(engine().pendingJobCount(), std::size_t(0));
        engine().resumeJobAdding();
        engine().addJob(ADJ_HUE, 1, true);
        QCOMPARE(engine().pendingJobCount(), std::size_t(1));
        QCOMPARE(log_->count("pauseJobAdding, drop job: 4106 \n"), 10);
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
        QVERIFY(engine().setJobObserver([this](const SettingJob& job) {
            if (job.controlId == ADJ_CONTRAST)
                engine().deleteCamera();
        }));
        const int before = threadCount();
        startWorker();
        engine().addJob(ADJ_CONTRAST, 21);
        engine().addJob(ADJ_CONTRAST, 22);
        QTRY_VERIFY_WITH_TIMEOUT(log_->contains("\n deleteCamera E\n"), 5000);
        QTRY_VERIFY_WITH_TIMEOUT(engine().camera() == nullptr, 5000);
        // The job in hand finds the camera gone; the rest was discarded.
        QTRY_VERIFY_WITH_TIMEOUT(log_->contains("ERROR, setUVCStandard with no camera \n"), 5000);
        QVERIFY(!log_->contains("ADJ_CONTRAST set 22 \n"));
        QVERIFY(!engine().hasWorker());
        // A new worker joins the one that stopped itself.
        QVERIFY(engine().setJobObserver(nullptr));
        engine().setCamera(camera_.get());
        QCOMPARE(threadCount(), before + 1);
    }

    // Every standard job lands on its property, as a manual value, logs its set and result
    // lines and is recorded in its own field (distinct values show a mix-up).
    void standardJobsReachTheirPropertyAndField() {
        using Field = std::atomic<int32_t> CurrentValues::*;
        const int proc = int(ControlGroup::VideoProcAmp), cam = int(ControlGroup::CameraControl);
        struct Row {
            int controlId;
            const char* name;
            int group;
            long property;
            int value;
            Field field;
        };
        const Row rows[] = {
            {EPTZ_ZOOM, "EPTZ_ZOOM", cam, device::kCamZoom, 150, &CurrentValues::zoom},
            {EWC_PAN, "EWC_PAN", cam, device::kCamPan, 12, &CurrentValues::pan},
            {EWC_TILT, "EWC_TILT", cam, device::kCamTilt, -9, &CurrentValues::tilt},
            {EXP_GAIN, "EXP_GAIN", proc, device::kProcGain, 4, &CurrentValues::gain},
            {EXP_TIME, "EXP_TIME", cam, device::kCamExposure, -7, &CurrentValues::expTime},
            {WB_VALUE, "WB_VALUE", proc, device::kProcWhiteBalance, 5100, &CurrentValues::wbValue},
            {ADJ_BRIGHTNESS, "ADJ_BRIGHTNESS", proc, device::kProcBrightness, 33, &CurrentValues::brightness},
            {ADJ_CONTRAST, "ADJ_CONTRAST", proc, device::kProcContrast, 34, &CurrentValues::contrast},
            {ADJ_HUE, "ADJ_HUE", proc, device::kProcHue, 5, &CurrentValues::hue},
            {ADJ_SATURATION, "ADJ_SATURATION", proc, device::kProcSaturation, 36, &CurrentValues::saturation},
            {ADJ_SHAPNESS, "ADJ_SHAPNESS", proc, device::kProcSharpness, 2, &CurrentValues::sharpness},
            {ADJ_GAMMA, "ADJ_GAMMA", proc, device::kProcGamma, 120, &CurrentValues::gamma},
            {ADJ_BACKLIGHT, "ADJ_BACKLIGHT", proc, device::kProcBacklightCompensation, 1,
             &CurrentValues::backlight},
        };
        startWorker();
        for (const Row& row : rows) {
            (currentValues().*row.field).store(-1);
            engine().addJob(row.controlId, row.value);
        }
        drainQueue();
        for (const Row& row : rows) {
            const std::string name = row.name;
            const std::string result = row.controlId == EPTZ_ZOOM ? "EWC_ZOOM" : name;
            const int set = log_->indexOf(name + " set " + std::to_string(row.value) + " \n");
            QVERIFY2(set >= 0 && log_->indexOf("setValue " + result + " result: 0 \n") > set, row.name);
            QCOMPARE(simValue(ControlGroup(row.group), row.property), long(row.value));
            QCOMPARE(simFlags(ControlGroup(row.group), row.property), long(device::kFlagsManual));
            QCOMPARE((currentValues().*row.field).load(), row.value);
        }
    }

    void panOrTiltEqualToTheRecordedValueIsNotWritten() {
        startWorker();
        currentValues().pan.store(3600);
        currentValues().tilt.store(-3600);
        const int setsBefore = sim_->callCount("ControlPort::set");
        setUVCStandard(SettingJob{EWC_PAN, 3600, 0, true});
        setUVCStandard(SettingJob{EWC_TILT, -3600, 0, false});
        const std::vector<std::string> expected{"EWC_PAN Force \n", "EWC_PAN value not changed \n",
                                                "EWC_TILT value not changed \n"};
        QCOMPARE(log_->writes(), expected);
        QCOMPARE(sim_->callCount("ControlPort::set"), setsBefore);
    }

    void forceLineOnlyForControlsThatHaveOne() {
        startWorker();
        setUVCStandard(SettingJob{EXP_GAIN, 20, 0, true});
        QCOMPARE(log_->writes().at(0), std::string("EXP_GAIN Force \n"));
        QCOMPARE(log_->writes().at(1), std::string("EXP_GAIN set 20 \n"));
        log_->clear();
        setUVCStandard(SettingJob{EXP_SWITCH, 1, 0, true});
        setUVCStandard(SettingJob{ADJ_ANTIFLICKER, 1, 0, true});
        setUVCStandard(SettingJob{ADJ_BACKLIGHT, 1, 0, true});
        QCOMPARE(log_->count("EXP_SWITCH Force \n"), 0);
        QCOMPARE(log_->count("ADJ_ANTIFLICKER Force \n"), 0);
        QCOMPARE(log_->count("ADJ_BACKLIGHT Force \n"), 1);
        QCOMPARE(log_->writes().at(0), std::string("EXP_SWITCH set 1 \n"));
        // A failed write is logged with its result and still recorded.
        sim_->failNext("ControlPort::set", device::kFail);
        setUVCStandard(SettingJob{ADJ_CONTRAST, 61, 0, false});
        QCOMPARE(log_->count("setValue ADJ_CONTRAST result: 5 \n"), 1);
        QCOMPARE(currentValues().contrast.load(), 61);
    }

    void switchesAndAntiFlickerTakeTheirOwnPaths() {
        startWorker();
        setUVCStandard(SettingJob{EXP_SWITCH, 1, 0, false});
        QCOMPARE(simFlags(ControlGroup::CameraControl, device::kCamExposure), long(device::kFlagsAuto));
        QCOMPARE(currentValues().expAuto.load(), 1);
        setUVCStandard(SettingJob{EXP_SWITCH, 2, 0, false});
        QCOMPARE(simFlags(ControlGroup::CameraControl, device::kCamExposure), long(device::kFlagsManual));
        QCOMPARE(currentValues().expAuto.load(), 2);
        QCOMPARE(log_->count("setValue EXP_SWITCH result: 0 \n"), 2);
        setUVCStandard(SettingJob{WB_SWITCH, 1, 0, false});
        QCOMPARE(simFlags(ControlGroup::VideoProcAmp, device::kProcWhiteBalance), long(device::kFlagsAuto));
        setUVCStandard(SettingJob{WB_SWITCH, 0, 0, false});
        QCOMPARE(simFlags(ControlGroup::VideoProcAmp, device::kProcWhiteBalance), long(device::kFlagsManual));
        QCOMPARE(currentValues().wbAuto.load(), 0);
        // The power-line frequency goes through the kernel-streaming property set.
        const int ksBefore = sim_->callCount("ControlPort::ksSet");
        setUVCStandard(SettingJob{ADJ_ANTIFLICKER, 2, 0, false});
        QCOMPARE(sim_->powerLineFrequency(), 2L);
        QCOMPARE(sim_->callCount("ControlPort::ksSet"), ksBefore + 1);
        QCOMPARE(log_->count("setValue ADJ_ANTIFLICKER result: 0 \n"), 1);
        QCOMPARE(currentValues().antiFlicker.load(), 2);
    }

    void withoutAnOpenCameraNothingIsWrittenOrRecorded() {
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

    void vendorJobsReachTheExtensionUnit() {
        // With the channel disabled the job fails and its value is recorded all the same.
        currentValues().hdr.store(0);
        setUVCExtension(SettingJob{HDR, 1, 0, false});
        QCOMPARE(log_->writes().front(), std::string("HDR set 1 \n"));
        QVERIFY(log_->indexOf("not connected\n") > 0);
        QCOMPARE(log_->writes().back(), std::string("HDR res:0\n"));
        QCOMPARE(currentValues().hdr.load(), 1);

        UVCXUManager::instance().setEnableCommand(true);
        QVERIFY(UVCXUManager::instance().haveDevice());
        startWorker();
        engine().addJob(AUTO_FRAME, 5);
        engine().addJob(AUTO_FRAME_SENSITIVE, -1, true);
        engine().addJob(AUTO_FRAME_ZOOM_LEVEL, 3, true);
        engine().addJob(HDR, 1);
        engine().addJob(TRACKING_ACTIVE, 1);
        QTRY_VERIFY_WITH_TIMEOUT(log_->contains("TRACKING_ACTIVE res:1\n"), 5000);
        // Any non-zero automatic framing is sent as 1 (the pages cover the other values).
        QCOMPARE(int(sim_->xuControls().autoFrame), 1);
        QCOMPARE(currentValues().autoFrame.load(), 5);
        QCOMPARE(currentValues().autoFrameSensitive.load(), -1);
        QCOMPARE(currentValues().autoFrameZoomLevel.load(), 3);
        QVERIFY(log_->indexOf("AUTO_FRAME_SENSITIVE Force \n") <
                log_->indexOf("AUTO_FRAME_SENSITIVE set -1 \n"));
        QVERIFY(log_->indexOf("AUTO_FRAME_SENSITIVE Force \n") >= 0);
        QVERIFY(log_->indexOf("AUTO_FRAME_ZOOM_LEVEL Force \n") >= 0);
        QCOMPARE(log_->count("AUTO_FRAME res:1\n"), 1);
        QCOMPARE(log_->count("HDR res:1\n"), 1);
    }
};

QTEST_GUILESS_MAIN(TestSettingEngine)
#include "tst_setting_engine.moc"
