// The camera session's state machine on the simulated camera, as a table: from a state,
// one event, the state it ends in, the states it went through and the log lines that say
// so. Each row reaches its start state the way the program does (ticks, flows, the
// firmware update's steps), with no view attached. Beside it, the camera's profile as the
// session keeps it.
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>
#include <functional>
#include <memory>
#include <vector>

#include "base/app_config.h"
#include "base/quit_request.h"
#include "capture/capture_slots.h"
#include "device/sim/sim_camera.h"
#include "engine/control_id.h"
#include "engine/current_values.h"
#include "engine/setting_task_engine.h"
#include "session/camera_profile.h"
#include "session/camera_session.h"
#include "support/log_capture.h"
#include "xu/uvc_xu_manager.h"

using State = SessionState;
using device::sim::SimCamera;
using device::sim::SimOptions;

namespace {
struct Rig {
    LogCapture log;
    std::shared_ptr<SimCamera> camera;
    std::unique_ptr<CameraSession> session;
    std::vector<State> path;  // the states entered, in order

    Rig(const SimOptions& options, CameraSession::Use use, int unitFrom) {
        SettingTaskEngine::instance().deleteCamera();
        UVCXUManager::instance().setEnableCommand(false);
        appConfig().resolutionList.clear();
        appConfig().setDeviceName(options.friendlyName.c_str());
        currentValues().resolution = RESOLUTION_LIST();
        camera = device::sim::installSimulatedCamera(options);
        camera->setExtensionUnitFromActivation(unitFrom);
        SessionTiming timing;
        timing.connectIntervalMs = 3600 * 1000;  // no row sees a connect tick it did not call
        timing.deviceRetrySleepMs = 1;
        timing.resetCompletionMs = 50;
        timing.resetSettleMs = timing.resetAntiFlickerMs = 1;
        timing.resetWaitLimitMs = 300;
        session = std::make_unique<CameraSession>(use, timing);
        QObject::connect(session.get(), &CameraSession::stateChanged,
                         [this](State now, State) { path.push_back(now); });
    }
    ~Rig() {
        session.reset();
        appConfig().debug = false;
        clearQuitRequest();
    }
    State state() const { return session->state(); }
    // The default MJPG entry runs, as the window's mode page would have chosen it.
    void ready() {
        session->tick();
        QVERIFY(state() == State::Ready);
        for (const RESOLUTION_LIST& r : appConfig().resolutionList) {
            if (r.format == "MJPG" && r.width == 3520)
                currentValues().resolution = r;
        }
        path.clear();
        log.clear();
    }
};

RESOLUTION_LIST entry(int width, int height, const char* format) {
    for (const RESOLUTION_LIST& r : appConfig().resolutionList) {
        if (r.width == width && r.height == height && r.format == format)
            return r;
    }
    return {};
}

const auto W = CameraSession::Use::Window;

struct Row {
    const char* name;
    std::function<void(Rig&)> reachStart;
    State start;
    std::function<void(Rig&)> event;
    State end;
    std::vector<State> through;      // states entered by the event, in order (empty: not checked)
    std::vector<const char*> lines;  // log lines the event wrote (each at least once)
    SimOptions options = {};
    int unitFrom = 1;  // the extension unit answers from this activation on (0: never)
    CameraSession::Use use = W;
};

SimOptions unplugged() {
    SimOptions o;
    o.pluggedAtStart = false;
    return o;
}

SimOptions restartsFor(int ms) {
    SimOptions o;
    o.resetAbsenceMs = ms;
    return o;
}

const auto nothing = [](Rig&) {};
const auto ready = [](Rig& r) { r.ready(); };
const auto tick = [](Rig& r) { r.session->tick(); };
// The camera's plug or unplug news, handled as the window's event loop does (the notifier,
// then the zero-time timer it starts).
const auto watching = [](Rig& r) { r.session->startTicks(); };
void handleEvents() {
    for (int i = 0; i < 3; ++i)
        QCoreApplication::processEvents();
}
const auto plug = [](Rig& r) {
    r.camera->plug();
    handleEvents();
};
const auto unplug = [](Rig& r) {
    r.camera->unplug();
    handleEvents();
};
const auto lose = [](Rig& r) {
    r.camera->unplug();
    QTRY_VERIFY((r.session->checkLost(), !r.session->stream().isOpen()));
};
const auto handOff = [](Rig& r) {
    r.ready();
    r.session->firmwareTransferStarting();
    r.path.clear();
};
const auto awaitingStart = [](Rig& r) {
    handOff(r);
    r.session->firmwareImageSent();
    r.path.clear();
};
// Another application holds the stream: the session takes the settings only.
const char* const kInUseLine =
    "camera in use by video-call (pid 4242): settings only, the picture returns when it is free\n";
const auto hold = [](Rig& r) { r.camera->holdStream("video-call", 4242); };
// Held from the start: the values read and the settings taken without a stream, said once.
const auto inUse = [](Rig& r) {
    hold(r);
    r.session->tick();
    QCOMPARE(r.path, (std::vector<State>{State::Opening, State::InUse}));
    QCOMPARE(r.camera->runningStreams(), 0);
    QVERIFY(UVCXUManager::instance().isCommandEnabled());
    QCOMPARE(r.log.count(kInUseLine), 1);
    QVERIFY(r.log.count("getDefaultValue\n") >= 1);  // the values are read all the same
};
const auto debugReset = [](Rig& r) {
    r.ready();
    appConfig().debug = true;
    QVERIFY(UVCXUManager::instance().resetToDefault());
    r.session->resetToFactory();
    QCOMPARE(r.state(), State::AwaitingReset);
    r.path.clear();
    r.log.clear();
};

// One row a line or a few: name; how the start is reached, the start state; the event, the
// end state; the states entered on the way; the log lines; then options that differ.
// clang-format off
const std::vector<Row>& rows() {
    using S = State;
    static const std::vector<Row> table{
        {"no camera: each tick tries again", nothing, S::Searching, tick, S::Searching,
         {S::Opening, S::Searching},
         {"\n******connectStart*****: 0\n", "\n*******open camera failed*******\n"}, unplugged()},
        {"plugged in: opened at once, no tick", watching, S::Searching, plug, S::Ready,
         {S::Opening, S::Ready}, {"video devices changed: added\n", "\n******connectStart*****: 0\n"},
         unplugged()},
        {"restarting reset: drop-off seen at once, no tick",
         [](Rig& r) { debugReset(r), r.session->startTicks(); }, S::AwaitingReset, unplug, S::Searching,
         {S::Opening, S::AwaitingReset, S::Searching},
         {"video devices changed: removed\n", "checkUVCDeviceExist: 0 \n"}, restartsFor(30000)},
        {"camera present: opened and read once", nothing, S::Searching, tick, S::Ready,
         {S::Opening, S::Ready},
         {"getDefaultValue\n", "\n--------getDefaultValue frequency: 2--------\n", "\n setCamera \n"}},
        {"extension unit on the last retry", nothing, S::Searching, tick, S::Ready, {S::Opening, S::Ready},
         {"\n*******No device, check again with count: 19 *******\n", "getDefaultValue\n"}, {}, 21},
        {"extension unit never: given up", nothing, S::Searching, tick, S::Searching,
         {S::Opening, S::Searching},
         {"\n*******out of 20 times, end flow*******\n", "setEnableCommand streamResult out of 20 times\n",
          "deleteCamera streamResult\n"}, {}, 0},
        {"command line keeps a camera without its unit", nothing, S::Searching,
         [](Rig& r) {
             hold(r);  // its commands never need the stream
             QCOMPARE(r.session->openOnce(), 0);
             QCOMPARE(r.camera->runningStreams(), 0);
         },
         S::Ready, {S::Opening, S::Ready}, {}, {}, 0, CameraSession::Use::CommandLine},
        {"stream held, then free: the picture returns", inUse, S::InUse,
         [](Rig& r) {
             r.session->tick();  // still held
             QCOMPARE(r.state(), S::InUse);
             r.camera->releaseStream();
             r.session->tick();
             QCOMPARE(r.camera->runningStreams(), 1);
             QTRY_VERIFY(r.session->stream().newFrameCount() > 0);
         },
         S::Ready, {S::Ready}, {"camera free: the stream is open \n"}},
        {"stream taken while the format changes", ready, S::Ready,
         [](Rig& r) {
             hold(r);
             r.session->changeFormat(entry(1280, 720, "MJPG"));
             r.session->tick();  // releases
             r.session->tick();
         },
         S::InUse, {}, {kInUseLine}},
        {"format chosen while held: opened when free", inUse, S::InUse,
         [](Rig& r) {
             r.session->changeFormat(entry(1280, 720, "MJPG"));
             QCOMPARE(r.state(), S::InUse);
             r.camera->releaseStream();
             r.session->tick();
             QCOMPARE(currentValues().resolution.width, 1280);
             QTRY_VERIFY(r.session->stream().newFrameCount() > 0);
             QCOMPARE(ewc_slot(r.session->stream().camera().openNum()).width, 1280);
         },
         S::Ready, {S::Ready}, {}},
        {"settings and a reset while held", inUse, S::InUse,
         [](Rig& r) {
             SettingTaskEngine& engine = SettingTaskEngine::instance();
             engine.addJob(ADJ_BRIGHTNESS, 150);
             engine.addJob(HDR, 1);
             QVERIFY(engine.waitUntilIdle(std::chrono::seconds(5)));
             QCOMPARE(r.camera->control(device::ControlGroup::VideoProcAmp, device::kProcBrightness).value,
                      150L);
             QCOMPARE(int(r.camera->xuControls().hdr), 1);
             r.session->resetToFactory();  // the camera kept: settings only again afterwards
             QCOMPARE(r.state(), S::Resetting);
             QTRY_COMPARE(r.state(), S::InUse);
         },
         S::InUse, {}, {}},
        {"unplugged while held", inUse, S::InUse, [](Rig& r) { r.camera->unplug(), r.session->tick(); },
         S::Searching, {S::Searching},
         {"\n******DeviceLost!! release all uvc camera***** 0\n", "deleteCamera DeviceLost\n"}},
        {"no permission: said once, tried each tick", [](Rig& r) { r.camera->setAccessDenied(true); },
         S::Searching,
         [](Rig& r) {
             r.session->tick();
             r.session->tick();
             QCOMPARE(r.log.startingWith("camera access denied").size(), size_t(1));
             r.camera->setAccessDenied(false);
             r.session->tick();
         },
         S::Ready, {S::Opening, S::Denied, S::Opening, S::Denied, S::Opening, S::Ready}, {}},
        {"unplugged while ready", ready, S::Ready, lose, S::Searching, {S::Searching},
         {"\n******DeviceLost!! release all uvc camera***** 0\n", "setEnableCommand DeviceLost\n",
          "deleteCamera DeviceLost\n"}},
        {"unplugged during a firmware transfer: kept", handOff, S::FirmwareHandOff, lose,
         S::FirmwareHandOff, {}, {"\n******DeviceLost!! release all uvc camera***** 1\n"}},
        {"same format chosen", ready, S::Ready,
         [](Rig& r) { r.session->changeFormat(currentValues().resolution); }, S::Ready, {},
         {"Nothing changed. \n"}},
        {"another format", ready, S::Ready, [](Rig& r) { r.session->changeFormat(entry(1280, 720, "MJPG")); },
         S::Ready, {S::Reopening, S::Ready},
         {"setEnableCommand channgeResolution\n", "deleteCamera channgeResolution\n", "getDefaultValue\n"}},
        {"format refused: the previous one again", ready, S::Ready,
         [](Rig& r) {
             r.camera->failNext("CaptureDevice::setFormat", device::kFail, 1);
             QSignalSpy refused(r.session.get(), &CameraSession::formatRefused);
             r.session->changeFormat(entry(1280, 720, "MJPG"));
             QCOMPARE(refused.count(), 1);
             QCOMPARE(currentValues().resolution.width, 3520);
         },
         S::Ready, {S::Reopening, S::Searching, S::Opening, S::Ready},
         {"format refused, back to: 3520x1104, fps:30 MJPG\n"}},
        {"format change loses the unit", ready, S::Ready,
         [](Rig& r) {
             r.camera->setExtensionUnitFromActivation(0);
             r.session->changeFormat(entry(1280, 720, "MJPG"));
         },
         S::Searching, {}, {"\n*******format change failed, reconnect*******\n"}},
        {"reset, camera kept: values read again", ready, S::Ready,
         [](Rig& r) {
             r.session->resetToFactory();
             QCOMPARE(r.state(), S::Resetting);
             QTRY_COMPARE(r.state(), S::Ready);
         },
         S::Ready, {S::Resetting, S::Ready}, {"resetSettings \n", "getDefaultValue\n"}},
        {"restarting reset: opened anew", debugReset, S::AwaitingReset, tick, S::Ready,
         {S::Opening, S::Ready}, {"getDefaultValue\n"}},
        {"restarting reset: camera drops off", debugReset, S::AwaitingReset, tick, S::Searching,
         {S::Opening, S::AwaitingReset, S::Searching},
         {"\n******waitResetConnection*****:1 \n", "checkUVCDeviceExist: 0 \n"}, restartsFor(1000)},
        {"restarting reset: camera never back",
         [](Rig& r) { debugReset(r), r.camera->failAlways("CaptureDevice::setFormat", device::kFail); },
         S::AwaitingReset, [](Rig& r) { QTRY_COMPARE(r.state(), S::Searching); }, S::Searching, {},
         {"resetSettings: the camera did not come back \n"}, restartsFor(1000)},
        {"firmware: camera left before its start", awaitingStart, S::FirmwareAwaitingStart,
         [](Rig& r) { r.camera->unplug(), r.session->tick(); }, S::AwaitingReboot, {},
         {"\n******fwUpdating*****:1 \n", "checkUVCDeviceExist: 0 \n"}},
        {"firmware: user starts it", awaitingStart, S::FirmwareAwaitingStart,
         [](Rig& r) {
             r.session->firmwareStarted();
             QVERIFY(!r.session->stream().isOpen());
             QVERIFY(UVCXUManager::instance().isCommandEnabled());  // status reads go over it
         },
         S::AwaitingReboot, {}, {}},
        {"firmware: update over, stream still open", handOff, S::FirmwareHandOff,
         [](Rig& r) {
             r.session->firmwareEnded(-2);
             QVERIFY(r.session->stream().isOpen());
             r.session->tick();  // released
             QVERIFY(!r.session->stream().isOpen());
             r.session->tick();  // opened
         },
         S::Ready, {S::Searching, S::Opening, S::Ready},
         {"setEnableCommand fwUpdateDone\n", "\n*******fwUpdateDone*******: -2\n",
          "\n******connectStart*****: 1\n"}},
        {"quit requested: no tick opens", nothing, S::Searching,
         [](Rig& r) { requestQuit(), r.session->tick(); }, S::Searching, {}, {}},
        {"quit during the extension-unit checks", nothing, S::Searching,
         [](Rig& r) {
             r.session->setPause([](int) { return requestQuit(), true; });
             r.session->tick();
             r.session->tick();  // nothing opens any more
         },
         S::Closed, {S::Opening, S::Closed}, {"quit requested: connection abandoned \n"}, {}, 0},
    };
    return table;
}
// clang-format on
}  // namespace

class CameraSessionTest : public QObject {
    Q_OBJECT

private slots:
    void transitions_data() {
        QTest::addColumn<int>("row");
        for (size_t i = 0; i < rows().size(); ++i)
            QTest::newRow(rows()[i].name) << int(i);
    }
    void transitions() {
        QFETCH(int, row);
        const Row& r = rows()[size_t(row)];
        Rig rig(r.options, r.use, r.unitFrom);
        r.reachStart(rig);
        QCOMPARE(rig.state(), r.start);
        rig.path.clear();
        rig.log.clear();
        r.event(rig);
        QCOMPARE(rig.state(), r.end);
        if (!r.through.empty())
            QCOMPARE(rig.path, r.through);
        for (const char* line : r.lines)
            QVERIFY2(rig.log.count(line) >= 1, line);
        // Whatever the state, the worker runs exactly while the session can take settings.
        const bool working = rig.session->settingsOpen();
        QCOMPARE(SettingTaskEngine::instance().camera() != nullptr, working);
    }

    // The camera's profile, kept by the session (the window's and the command line's alike):
    // its first values stored at the first connection, changes stored beside another
    // writer's, the stored values back after a replug (zoom first: pan and tilt move only a
    // zoomed-in view), a change just before a quit stored on the way out, and nothing kept
    // after a factory reset.
    void profileFollowsTheCamera() {
        QTemporaryDir folder;
        qputenv("LUMORA_PROFILE_DIR", QFile::encodeName(folder.path()));
        setCameraProfilesEnabled(true);
        const QString path = profilePathFor("LX8A2412000137");
        const auto stored = [&path](const char* name) { return loadProfile(path).profile.values[name]; };
        SettingTaskEngine& engine = SettingTaskEngine::instance();
        const auto amp = device::ControlGroup::VideoProcAmp, cam = device::ControlGroup::CameraControl;
        SimOptions digitalPtz;
        digitalPtz.panTiltNeedZoom = true;
        {
            Rig rig(digitalPtz, W, 1);
            rig.session->startTicks();  // the profile's store timer
            rig.ready();
            QVERIFY(loadProfile(path).readable);  // the camera's first values, stored at once
            for (const auto& [id, value] :
                 {std::pair{ADJ_BRIGHTNESS, 170}, {WB_SWITCH, 0}, {EPTZ_ZOOM, 200}, {EWC_PAN, 5}})
                engine.addJob(id, value);
            QVERIFY(engine.waitUntilIdle(std::chrono::seconds(2)));
            QTRY_COMPARE(stored("pan"), 5);
            QVERIFY(stored("brightness") == 170 && stored("white-balance-auto") == 0);
            // Another writer (the command line) stores a value; the next change keeps it.
            QVERIFY(storeProfile(path, {"LX8A2412000137", {{"contrast", 50}}}, {"contrast"}, nullptr));
            engine.addJob(ADJ_SATURATION, 120);
            QTRY_COMPARE(stored("saturation"), 120);
            QCOMPARE(stored("contrast"), 50);

            lose(rig);
            // Back with its own values, as after a power cycle: the stored ones go back.
            const struct {
                device::ControlGroup group;
                long property, own, stored;
            } values[] = {{amp, device::kProcBrightness, 100, 170},
                          {amp, device::kProcContrast, 100, 50},
                          {cam, device::kCamZoom, 100, 200},
                          {cam, device::kCamPan, 0, 5}};
            for (const auto& v : values)
                rig.camera->setControl(v.group, v.property, {v.own, device::kFlagsManual});
            // Its own colour temperature too: the stored one, written manual, switches the
            // automatic mode off while the slow reads go on, and the values must say manual.
            rig.camera->setControl(amp, device::kProcWhiteBalance, {5200, device::kFlagsAuto});
            rig.camera->setLatency("ControlPort::get", 10);
            rig.camera->plug();
            rig.ready();
            QVERIFY(engine.waitUntilIdle(std::chrono::seconds(2)));
            rig.camera->setLatency("ControlPort::get", 0);
            for (const auto& v : values)
                QCOMPARE(rig.camera->control(v.group, v.property).value, v.stored);
            QCOMPARE(rig.camera->control(amp, device::kProcWhiteBalance).flags, long(device::kFlagsManual));
            QCOMPARE(currentValues().wbAuto.load(), 0);
            QCOMPARE(currentValues().pan.load(), 5);

            // A change just before a quit: the worker takes no job any more, the session
            // stores it on the way out all the same.
            requestQuit();
            engine.addJob(ADJ_HUE, 33);
            rig.session.reset();
            QVERIFY(stored("hue") == 33 && stored("pan") == 5);
        }
        {
            Rig rig({}, W, 1);
            rig.ready();
            rig.session->resetToFactory();
            QTRY_COMPARE(rig.state(), State::Ready);
            QVERIFY(!QFile::exists(path));
        }
        setCameraProfilesEnabled(false);
        qunsetenv("LUMORA_PROFILE_DIR");
    }
};

QTEST_MAIN(CameraSessionTest)
#include "tst_camera_session.moc"
