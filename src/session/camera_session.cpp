#include "session/camera_session.h"

#include <QElapsedTimer>
#include <QSocketNotifier>
#include <QTimer>
#include <chrono>
#include <cstdint>
#include <thread>
#include <utility>

#include "base/app_config.h"
#include "base/debug_log.h"
#include "base/quit_request.h"
#include "device/device_port.h"
#include "engine/camera_value_read.h"
#include "engine/control_id.h"
#include "engine/current_values.h"
#include "engine/setting_task_engine.h"
#include "session/profile_keeper.h"
#include "xu/uvc_xu_manager.h"

namespace {
// Extension-unit checks after the first one, before an open stream is given up.
constexpr int kExtensionUnitRetries = 20;
// The frame size prepared before a stream opens when APSet.ini names none.
constexpr int kDefaultFrameWidth = 3520;
constexpr int kDefaultFrameHeight = 1104;
constexpr int kBytesPerPixel = 4;
// The power-line frequency a restarting reset asks for again (60 Hz).
constexpr int kResetAntiFlickerMode = 2;
constexpr int kResetWatchIntervalMs = 100;

using State = SessionState;

// Two formats give the same stream: size, rate and format agree (the index may differ
// between duplicate entries of one list).
bool sameStream(const RESOLUTION_LIST& a, const RESOLUTION_LIST& b) {
    return a.width == b.width && a.height == b.height && a.fps == b.fps && a.format == b.format;
}

void logFormat(const char* what, const RESOLUTION_LIST& r) {
    debugLog("%s: %dx%d, fps:%d %s\n", what, r.width, r.height, r.fps, r.format.c_str());
}

void sleepMs(int ms) {
    // A plain sleep: no connect tick may run meanwhile.
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

// What the backend chose (device node, extension unit), when it has something to say.
void logBackendChoice() {
    const device::DevicePort& port = device::port();
    if (!port.describe)
        return;
    const std::string text = port.describe();
    if (!text.empty())
        debugLog("camera backend %s: %s\n", port.name.c_str(), text.c_str());
}

// Marks a flow as running for its lifetime (a flow started inside another, such as the
// re-open after a reset's reconnection, leaves the outer one marked).
class FlowGuard {
public:
    explicit FlowGuard(bool& running) : running_(running), outer_(running) { running_ = true; }
    ~FlowGuard() { running_ = outer_; }
    FlowGuard(const FlowGuard&) = delete;
    FlowGuard& operator=(const FlowGuard&) = delete;

private:
    bool& running_;
    const bool outer_;
};
}  // namespace

const char* stateName(SessionState state) {
    switch (state) {
        case State::Searching:
            return "searching";
        case State::Denied:
            return "denied";
        case State::Opening:
            return "opening";
        case State::Ready:
            return "ready";
        case State::InUse:
            return "in use";
        case State::Reopening:
            return "reopening";
        case State::Resetting:
            return "resetting";
        case State::AwaitingReset:
            return "awaiting reset";
        case State::FirmwareHandOff:
            return "firmware hand-off";
        case State::FirmwareAwaitingStart:
            return "firmware awaiting start";
        case State::AwaitingReboot:
            return "awaiting reboot";
        case State::Closed:
            return "closed";
    }
    return "?";
}

void CameraSession::Callback::streamResult(int result) {
    session_->streamResult(result);
}

CameraSession::CameraSession(Use use, const Timing& timing, QObject* parent)
    : QObject(parent), use_(use), timing_(timing), profile_(std::make_unique<ProfileKeeper>()) {
    qRegisterMetaType<SessionState>();
    pause_ = [](int ms) { return waitUnlessQuitRequested(std::chrono::milliseconds(ms)); };
    stream_.setCallback(&callback_);
    // Before any view connects: the session has the camera ready for a step before the
    // views show it.
    connect(&firmwareUpdate_, &FirmwareUpdate::stepChanged, this, &CameraSession::followFirmwareUpdate);
    connectTimer_ = new QTimer(this);
    connectTimer_->setInterval(timing_.connectIntervalMs);
    connect(connectTimer_, &QTimer::timeout, this, &CameraSession::tick);
    profileTimer_ = new QTimer(this);
    profileTimer_->setInterval(timing_.profileSaveIntervalMs);
    connect(profileTimer_, &QTimer::timeout, this, [this] {
        if (settingsOpen())
            profile_->storeChanges();
    });
}

CameraSession::~CameraSession() {
    // The process normally ends with the session. One that goes earlier (tests build
    // several) must not leave the settings worker applying jobs to its stream's camera.
    stopTicks();
    if (use_ == Use::Window && settingsOpen())
        profile_->storeOnTheWayOut(stream_.camera());
    SettingTaskEngine& engine = SettingTaskEngine::instance();
    if (engine.camera() == &stream_.camera())
        engine.deleteCamera();
    if (stream_.isOpen())
        stream_.release();
    stream_.setCallback(nullptr);
    stream_.setOpenWait(nullptr);
}

void CameraSession::startTicks() {
    connectTimer_->start();
    const device::DevicePort& port = device::port();
    if (deviceNotifier_ == nullptr && port.watchDevices && (deviceWatch_ = port.watchDevices()) &&
        deviceWatch_->descriptor() >= 0) {
        deviceChangeTimer_ = new QTimer(this);
        deviceChangeTimer_->setSingleShot(true);
        deviceChangeTimer_->setInterval(0);
        connect(deviceChangeTimer_, &QTimer::timeout, this,
                [this] { devicesChanged(std::exchange(deviceChanges_, 0)); });
        deviceNotifier_ = new QSocketNotifier(deviceWatch_->descriptor(), QSocketNotifier::Read, this);
        connect(deviceNotifier_, &QSocketNotifier::activated, this, [this] {
            deviceChanges_ |= deviceWatch_->takeChanges();
            if (deviceChanges_ != 0)
                deviceChangeTimer_->start();
        });
    }
    if (deviceNotifier_ != nullptr)
        deviceNotifier_->setEnabled(true);
    if (use_ == Use::Window)
        profileTimer_->start();
}

void CameraSession::stopTicks() {
    connectTimer_->stop();
    if (deviceNotifier_ != nullptr) {
        deviceNotifier_->setEnabled(false);
        deviceChangeTimer_->stop();
    }
    profileTimer_->stop();
    if (resetWatch_ != nullptr)
        resetWatch_->stop();
}

void CameraSession::enter(SessionState next) {
    const SessionState before = state_;
    state_ = next;
    emit stateChanged(next, before);
}

void CameraSession::teardown(const TeardownLog& log, int parts) {
    // The worker goes before the stream: it must not be inside a call on the camera being
    // released.
    if (parts & kChannel) {
        if (log.channel != nullptr)
            debugLog("setEnableCommand %s\n", log.channel);
        UVCXUManager::instance().setEnableCommand(false);
    }
    if (parts & kWorker) {
        if (log.worker != nullptr)
            debugLog("deleteCamera %s\n", log.worker);
        SettingTaskEngine::instance().deleteCamera();
    }
    if (parts & kStream) {
        stream_.release();
        emit previewCleared();
    }
}

// ---- the connection --------------------------------------------------------------------

void CameraSession::tick() {
    if (quitRequested())
        return;  // the program is ending: no new connect, no watch
    if (state_ == State::InUse) {
        retryStream();  // a lost camera is looked for from the next tick on
        return;
    }
    if (state_ == State::Searching || state_ == State::AwaitingReset || state_ == State::Denied) {
        debugLog("\n******connectStart*****: %d\n", stream_.isOpen());
        emit previewCleared();
        if (stream_.isOpen()) {
            // The stream still runs from before: close everything; the next tick opens.
            teardown({});
        } else {
            debugLog("\n-----open RGB-----\n");
            open(RESOLUTION_LIST());
            prepareDefaultFrameFormat();
        }
    }
    if (state_ == State::FirmwareAwaitingStart)
        checkDropOff("fwUpdating");
    if (state_ == State::AwaitingReset)
        checkDropOff("waitResetConnection");
}

void CameraSession::devicesChanged(unsigned changes) {
    // A firmware update follows the camera with its own steps (and the connect tick).
    const FirmwareUpdate::Step step = firmwareUpdate_.step();
    if (quitRequested() || state_ == State::Opening || state_ == State::Reopening || flowRunning_ ||
        (step != FirmwareUpdate::Step::Idle && step != FirmwareUpdate::Step::Done &&
         step != FirmwareUpdate::Step::Failed))
        return;
    const bool added = changes & device::DeviceWatch::kAdded;
    debugLog("video devices changed:%s%s\n", added ? " added" : "",
             changes & device::DeviceWatch::kRemoved ? " removed" : "");
    // A running stream reports its own loss to the preview tick; the tick's work covers the
    // rest: the open after a plug, the drop-off watch of a restarting reset.
    if (added || state_ != State::Searching)
        tick();
}

int CameraSession::open(const RESOLUTION_LIST& r) {
    // From Searching (or a restarting reset's wait) the open goes through Opening; a format
    // change re-opens in Reopening.
    const SessionState from = state_;
    if (from != State::Reopening) {
        openingFrom_ = from;
        enter(State::Opening);
    }
    lastOpenResult_ = -1;
    // streamResult runs before this returns, unless the request matched no entry of the
    // stream's list (or an open is running already). A command line never opens the
    // stream: its commands need the controls and the extension unit only, so they also work
    // while another application streams.
    const int ran = use_ == Use::CommandLine ? stream_.openControls()
                    : r.format.empty()       ? stream_.openAsRgbStream()
                                             : stream_.openAsRgbStream(r);
    if (state_ == State::Opening)
        enter(from);
    return ran;
}

int CameraSession::openOnce() {
    open(RESOLUTION_LIST());
    return lastOpenResult_;
}

void CameraSession::checkDropOff(const char* what) {
    debugLog("\n******%s*****:%d \n", what, 1);
    const bool present = UVCXUManager::instance().checkUVCDeviceExist();
    debugLog("checkUVCDeviceExist: %d \n", present);
    if (present)
        return;
    // A restarting reset's camera is looked for anew; a flashing one is awaited until the
    // update ends.
    enter(state_ == State::AwaitingReset ? State::Searching : State::AwaitingReboot);
    emit cameraWentAway();
}

void CameraSession::prepareDefaultFrameFormat() {
    const AppConfig& config = appConfig();
    // A configured size that is negative, or too large for one frame's byte count, would
    // make a nonsensical frame buffer; the built-in size is prepared instead.
    const int64_t configuredBytes = int64_t(config.defaultWidth) * config.defaultHeight * kBytesPerPixel;
    if (config.defaultWidth > 0 && config.defaultHeight > 0 && configuredBytes <= INT32_MAX) {
        frameImage_.setFormat(config.defaultWidth, config.defaultHeight, kBytesPerPixel);
    } else {
        frameImage_.setFormat(kDefaultFrameWidth, kDefaultFrameHeight, kBytesPerPixel);
    }
}

bool CameraSession::findExtensionUnit() {
    // No tick runs meanwhile; a quit request ends the checks.
    return UVCXUManager::instance().findUnit(kExtensionUnitRetries,
                                             [this] { return pause_(timing_.deviceRetrySleepMs); });
}

void CameraSession::streamResult(int result) {
    debugLog("streamResult:%d \n", result);
    lastOpenResult_ = result;
    if (quitRequested()) {
        abandonConnectionForQuit();
        return;
    }
    const UvcCamera::Outcome outcome = stream_.camera().lastOutcome();
    // The camera is there and its controls are open, but another application streams:
    // the settings work without the picture.
    // A format change's re-open (flowRunning_) ends as failed: the connect tick opens anew.
    const bool inUse = result < 0 && state_ == State::Opening && !flowRunning_ &&
                       outcome == UvcCamera::Outcome::StreamInUse && stream_.isOpen();
    if (result < 0 && !inUse) {
        debugLog("\n*******open camera failed*******\n");
        // A restarting reset keeps watching for the camera's drop-off.
        const bool resetWatch = state_ == State::Opening && openingFrom_ == State::AwaitingReset;
        if (!resetWatch && outcome == UvcCamera::Outcome::Denied) {
            if (openingFrom_ != State::Denied)
                debugLog(
                    "camera access denied: the user may not open the camera's device; on a desktop "
                    "the seat's uaccess rule of udev gives the logged-in user access, otherwise add "
                    "the user to the group video\n");
            enter(State::Denied);
            return;
        }
        enter(resetWatch ? State::AwaitingReset : State::Searching);
        return;
    }

    const bool found = findExtensionUnit();
    if (quitRequested()) {
        abandonConnectionForQuit();
        return;
    }
    extensionUnit_ = found;
    if (use_ == Use::CommandLine) {
        // Without the unit the standard controls still work; the vendor ones are refused
        // (their reads answer not ok while the channel is off).
        if (!found)
            UVCXUManager::instance().setEnableCommand(false);
        SettingTaskEngine::instance().setCamera(&stream_.camera());
        if (found && firmwareUpdate_.step() == FirmwareUpdate::Step::AwaitingReturn) {
            char version[kXuTextLength] = {};
            UVCXUManager::instance().getFwVersion(version);
            firmwareUpdate_.cameraReturned(version);  // after an update: its verdict
        }
        enter(State::Ready);
        return;
    }
    if (!found) {
        debugLog("\n*******out of 20 times, end flow*******\n");
        teardown({"streamResult out of 20 times", "streamResult"});
        enter(State::Searching);
        return;
    }
    logBackendChoice();
    SettingTaskEngine::instance().setCamera(&stream_.camera());
    if (state_ == State::Opening) {
        if (use_ == Use::Window) {
            readValues();
            if (quitRequested()) {
                // The read was cut short: no stored profile meets half-read values.
                abandonConnectionForQuit();
                return;
            }
            if (profile_->applyStored(stream_.camera()))
                emit valuesRead();  // the views show the profile's values
        }
        if (inUse) {
            enterInUse();
            return;
        }
        enter(State::Ready);
    }
}

bool CameraSession::settingsOpen() const {
    return state_ == State::Ready || state_ == State::InUse;
}

std::string CameraSession::streamHolderText() const {
    std::string text;
    for (const device::ProcessRef& holder : holders_) {
        if (!text.empty())
            text += ", ";
        text += holder.name + " (pid " + std::to_string(holder.pid) + ")";
    }
    return text;
}

void CameraSession::enterInUse() {
    holders_ = stream_.camera().streamHolders();
    const std::string holder = streamHolderText();
    debugLog("camera in use by %s: settings only, the picture returns when it is free\n",
             holder.empty() ? "another application" : holder.c_str());
    enter(State::InUse);
}

void CameraSession::retryStream() {
    const int opened = stream_.resumeStream(inUseFormat_);
    if (opened >= 0) {
        debugLog("camera free: the stream is open \n");
        if (!inUseFormat_.format.empty()) {
            // A format chosen while the stream was held.
            const RESOLUTION_LIST chosen = inUseFormat_;
            frameImage_.setFormat(chosen.width, chosen.height, kBytesPerPixel);
            requestedFormat_ = chosen.format;
            currentValues().resolution = chosen;
            emit runningFormatShown(chosen);
        }
        inUseFormat_ = RESOLUTION_LIST();
        holders_.clear();
        enter(State::Ready);
        return;
    }
    if (stream_.camera().lastOutcome() == UvcCamera::Outcome::StreamInUse || quitRequested())
        return;  // still held: the next tick tries again
    // The camera went away (or its stream cannot open at all): as a lost camera.
    debugLog("\n******DeviceLost!! release all uvc camera***** %d\n", 0);
    teardown({"DeviceLost", "DeviceLost"});
    inUseFormat_ = RESOLUTION_LIST();
    emit cameraWentAway();
    enter(State::Searching);
}

void CameraSession::abandonConnectionForQuit() {
    debugLog("quit requested: connection abandoned \n");
    // A format change's re-open: the values were read before it, the user's last changes
    // are stored. A first open has none yet.
    if (use_ == Use::Window && state_ == State::Reopening)
        profile_->storeOnTheWayOut(stream_.camera());
    teardown({});
    enter(State::Closed);
}

void CameraSession::readValues() {
    // Each read may wait out the driver's time-out on a camera that hangs: a quit request
    // (a signal) ends the read between two groups, and the views keep what they show.
    if (!stream_.isOpen())
        return;
    writeStdout("getDefaultValue\n");
    appConfig().resolutionList = stream_.getList();
    writeStdout("resolution end\n");
    if (!readCameraValues(stream_.camera(), UVCXUManager::instance(), currentValues()))
        return;  // a quit request cut the read short: the views keep what they show
    firmwareUpdate_.cameraReturned(currentValues().fwVersion);  // after an update: its verdict
    emit valuesRead();
    // After a reconnect the stream runs the default MJPG entry, but converted to RGB32 when
    // the last format requested was another one: open it again with its native samples.
    if (requestedFormat_ != "MJPG")
        QTimer::singleShot(0, this, &CameraSession::restoreNativeDefault);
}

void CameraSession::checkLost() {
    if (!stream_.getEvent())
        return;
    const bool held = firmwareHoldsCamera();
    debugLog("\n******DeviceLost!! release all uvc camera***** %d\n", held);
    teardown({"DeviceLost", "DeviceLost"});
    if (state_ != State::Reopening && !held) {
        emit cameraWentAway();
        enter(State::Searching);
    }
}

bool CameraSession::lost() {
    // A camera without the extension unit (the command line keeps it for its standard
    // controls) is not looked for there: its failed reads tell that it went.
    return stream_.getEvent() == 1 || (extensionUnit_ && !UVCXUManager::instance().checkUVCDeviceExist());
}

void CameraSession::close() {
    if (state_ == State::Searching && !stream_.isOpen())
        return;
    teardown({});
    extensionUnit_ = false;
    enter(State::Searching);
}

// ---- the stream format change ----------------------------------------------------------

void CameraSession::changeFormat(const RESOLUTION_LIST& r) {
    debugLog("\n ************channgeResolution************* \n");
    debugLog("RESOLUTION_LIST: %dx%d, fps:%d %s\n", r.width, r.height, r.fps, r.format.c_str());
    debugLog("fps: %d, current fps: %d \n", r.fps, currentValues().resolution.fps);
    if (!stream_.isOpen())
        return;
    const RESOLUTION_LIST running = currentValues().resolution;
    if (sameStream(r, running)) {
        debugLog("Nothing changed. \n");
        return;
    }
    if (flowRunning_ || r.format.empty()) {
        debugLog("channgeResolution refused, running: %d \n", flowRunning_);
        emit runningFormatShown(running);
        return;
    }
    if (state_ == State::InUse) {
        // The stream is held by another application: the format is the one opened when it
        // is free, tried at once and then by each connect tick.
        logFormat("stream held, format kept for its open", r);
        inUseFormat_ = r;
        currentValues().resolution = r;
        retryStream();
        return;
    }
    switchStreamFormat(r);
}

void CameraSession::switchStreamFormat(const RESOLUTION_LIST& r) {
    FlowGuard guard(flowRunning_);
    const RESOLUTION_LIST previous = currentValues().resolution;
    if (reopenStream(r)) {
        readValuesKeeping(r);
        return;
    }
    logFormat("format refused, back to", previous);
    if (!previous.format.empty() && reopenStream(previous)) {
        readValuesKeeping(previous);
        emit formatRefused();
        return;
    }
    // Neither format opened: Searching, the connect tick opens the default format.
    debugLog("\n*******format change failed, reconnect*******\n");
    if (state_ != State::Searching)
        enter(State::Searching);
}

bool CameraSession::reopenStream(const RESOLUTION_LIST& r) {
    currentValues().resolution = r;
    if (state_ == State::Ready)
        enter(State::Reopening);
    teardown({"channgeResolution", "channgeResolution"});
    if (open(r) == 0) {
        requestedFormat_ = r.format;
    } else {
        logFormat("no such format in the list", r);
    }
    const bool ready = stream_.isOpen() && (state_ == State::Reopening || state_ == State::Ready);
    if (ready)
        frameImage_.setFormat(r.width, r.height, kBytesPerPixel);
    return ready;
}

void CameraSession::readValuesKeeping(const RESOLUTION_LIST& running) {
    // The views select the default format when they show the values; the stream runs
    // another.
    readValues();
    currentValues().resolution = running;
    emit runningFormatShown(running);
    if (state_ == State::Reopening)
        enter(State::Ready);
}

void CameraSession::restoreNativeDefault() {
    const RESOLUTION_LIST running = currentValues().resolution;
    if (requestedFormat_ == "MJPG" || running.format != "MJPG" || !stream_.isOpen() || state_ != State::Ready)
        return;  // a flow chose another format meanwhile, or the camera is gone
    logFormat("re-open with native samples", running);
    switchStreamFormat(running);
}

// ---- the factory reset -----------------------------------------------------------------

void CameraSession::resetToFactory() {
    debugLog("resetSettings \n");
    if (flowRunning_) {
        debugLog("resetSettings refused: a flow is running \n");
        return;
    }
    profile_->forget();
    FlowGuard guard(flowRunning_);

    if (!appConfig().debug) {
        // The camera keeps its connection: a second of busy time, then the values again.
        resetFrom_ = state_;
        QTimer::singleShot(timing_.resetCompletionMs, this, &CameraSession::completeReset);
        enter(State::Resetting);  // the views wait for the completion here
        return;
    }

    // The camera drops off and comes back: the connect tick opens it again.
    SettingTaskEngine::instance().addJob(ADJ_ANTIFLICKER, kResetAntiFlickerMode);
    sleepMs(timing_.resetAntiFlickerMs);
    teardown({nullptr, "resetSettings"});
    prepareDefaultFrameFormat();
    watchResetReturn();
    enter(State::AwaitingReset);  // the views wait for the camera's return here
}

void CameraSession::completeReset() {
    if (state_ != State::Resetting || !stream_.isOpen()) {
        // The camera was lost meanwhile: the session is Searching.
        debugLog("resetSettings: camera lost \n");
        if (state_ == State::Resetting)
            enter(State::Searching);
        return;
    }
    sleepMs(timing_.resetSettleMs);
    // The camera holds its defaults now; a driver that keeps what it read learns them, or
    // the values read next would be the ones from before the reset.
    if (const int code = stream_.camera().cameraRestoredDefaults(); code != 0)
        debugLog("resetSettings: the driver's values could not follow the camera (%d) \n", code);
    const RESOLUTION_LIST running = currentValues().resolution;
    readValuesKeeping(running);
    // Settings only while another application holds the stream.
    enter(resetFrom_ == State::InUse ? State::InUse : State::Ready);
}

void CameraSession::watchResetReturn() {
    if (resetWatch_ == nullptr) {
        resetWatch_ = new QTimer(this);
        resetWatch_->setInterval(kResetWatchIntervalMs);
    }
    resetWatch_->disconnect();
    auto clock = std::make_shared<QElapsedTimer>();
    clock->start();
    connect(resetWatch_, &QTimer::timeout, this, [this, clock] {
        if (state_ != State::AwaitingReset && state_ != State::Opening) {
            resetWatch_->stop();  // back, dropped off, or given up
            return;
        }
        if (state_ == State::AwaitingReset && clock->elapsed() >= timing_.resetWaitLimitMs) {
            debugLog("resetSettings: the camera did not come back \n");
            resetWatch_->stop();
            enter(State::Searching);
        }
    });
    resetWatch_->start();
}

// ---- the firmware update's hold on the camera ------------------------------------------

void CameraSession::followFirmwareUpdate(FirmwareUpdate::Step step) {
    using Step = FirmwareUpdate::Step;
    switch (step) {
        case Step::Transferring:
            firmwareTransferStarting();
            break;
        case Step::AwaitingStart:
            firmwareImageSent();
            break;
        case Step::Flashing:
            firmwareStarted();
            break;
        case Step::AwaitingReturn:
            firmwareEnded(firmwareUpdate_.outcome());
            break;
        case Step::Failed:
            // A verdict after the camera's return leaves the connection as it is.
            if (firmwareUpdate_.failedAt() == Step::Verifying)
                break;
            if (firmwareUpdate_.ending() == FirmwareUpdate::Ending::Cancelled)
                emit firmwareGivenUp();
            firmwareEnded(firmwareUpdate_.outcome());
            break;
        default:
            break;
    }
}

bool CameraSession::firmwareHoldsCamera() const {
    return state_ == State::FirmwareHandOff || state_ == State::FirmwareAwaitingStart ||
           state_ == State::AwaitingReboot;
}

void CameraSession::firmwareTransferStarting() {
    teardown({nullptr, "fwUpdateStart"}, kWorker);
    enter(State::FirmwareHandOff);
}

void CameraSession::firmwareImageSent() {
    if (state_ == State::FirmwareHandOff)
        enter(State::FirmwareAwaitingStart);
}

void CameraSession::firmwareStarted() {
    // The extension unit stays enabled: the update's status reads go over it.
    teardown({}, kStream);
    enter(State::AwaitingReboot);
}

void CameraSession::firmwareEnded(int code) {
    // A stream still open (the update ended before the camera's start) is released by the
    // next connect tick.
    teardown({"fwUpdateDone", "fwUpdateDone"}, kChannel | kWorker);
    debugLog("\n*******fwUpdateDone*******: %d\n", code);
    enter(State::Searching);
}
