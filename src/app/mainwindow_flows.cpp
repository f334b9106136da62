// The stream-format change and reset flows of the main window. They re-open the camera
// through the same state machine as the connect tick (connection_flags.h).
//
// A format change stops the settings worker (its pending jobs are dropped: they were
// meant for the stream that goes), releases the stream and opens it with the chosen
// entry; the camera's values are read again afterwards. When the camera refuses the
// entry the running format is opened again; when that fails too the window goes back to
// Searching and the connect tick takes over. Only one flow runs at a time.
#include <QElapsedTimer>
#include <QLabel>
#include <QTimer>
#include <chrono>
#include <thread>

#include "app/connection_flags.h"
#include "app/mainwindow.h"
#include "app/page_state.h"
#include "base/app_config.h"
#include "base/debug_log.h"
#include "capture/custom_image_label.h"
#include "engine/control_id.h"
#include "engine/current_values.h"
#include "engine/setting_task_engine.h"
#include "tabs/info_tab.h"
#include "tabs/mode_tab.h"
#include "widgets/busy_progress.h"
#include "widgets/general_dialog.h"
#include "widgets/protect_layout.h"
#include "xu/uvc_xu_manager.h"

namespace {
constexpr int kBytesPerPixel = 4;
// The power-line frequency a debug reset asks for again (60 Hz).
constexpr int kResetAntiFlickerMode = 2;
constexpr int kResetWatchIntervalMs = 100;

// Two formats give the same stream: size, rate and format agree (the index may differ
// between duplicate entries of one list).
bool sameStream(const RESOLUTION_LIST& a, const RESOLUTION_LIST& b) {
    return a.width == b.width && a.height == b.height && a.fps == b.fps && a.format == b.format;
}

void logFormat(const char* what, const RESOLUTION_LIST& r) {
    debugLog("%s: %dx%d, fps:%d %s\n", what, r.width, r.height, r.fps, r.format.c_str());
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

void sleepMs(int ms) {
    // A plain sleep: the GUI thread must not run a connect tick meanwhile.
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}
}  // namespace

void mainwindow::channgeResolution(RESOLUTION_LIST r) {
    debugLog("\n ************channgeResolution************* \n");
    debugLog("RESOLUTION_LIST: %dx%d, fps:%d %s\n", r.width, r.height, r.fps, r.format.c_str());
    debugLog("fps: %d, current fps: %d \n", r.fps, currentValues().resolution.fps);
    if (!stream_->isOpen())
        return;
    const RESOLUTION_LIST running = currentValues().resolution;
    if (sameStream(r, running)) {
        debugLog("Nothing changed. \n");
        return;
    }
    if (flowRunning_ || r.format.empty()) {
        debugLog("channgeResolution refused, running: %d \n", flowRunning_);
        modeTab->showAppliedResolution(running);
        return;
    }
    switchStreamFormat(r);
}

void mainwindow::channgeMode(int mode) {
    debugLog("\n ***********channgeMode************** %d \n", mode);
    if (mode == 1) {
        channgeResolution(modeTab->setH264Default());
    } else if (mode == 2) {
        channgeResolution(modeTab->setMJPGDefault());
    } else {
        debugLog("mode error with %d \n", mode);
    }
}

void mainwindow::changeDefaultResolution() {
    debugLog("changeDefaultResolution \n");
    channgeResolution(modeTab->setMJPGDefault());
}

void mainwindow::switchStreamFormat(const RESOLUTION_LIST& r) {
    FlowGuard guard(flowRunning_);
    const RESOLUTION_LIST previous = currentValues().resolution;
    if (reopenStream(r)) {
        readValuesKeeping(r);
        return;
    }
    logFormat("format refused, back to", previous);
    if (!previous.format.empty() && reopenStream(previous)) {
        readValuesKeeping(previous);
        tellFormatRefused();
        return;
    }
    // Neither format opened: Searching, the connect tick opens the default format.
    debugLog("\n*******format change failed, reconnect*******\n");
    modeChanging = false;
    if (!connectEnabled)
        disableWindowAndReconnect();
}

bool mainwindow::reopenStream(const RESOLUTION_LIST& r) {
    currentValues().resolution = r;
    modeChanging = true;
    debugLog("setEnableCommand channgeResolution\n");
    UVCXUManager::instance().setEnableCommand(false);
    debugLog("deleteCamera channgeResolution\n");
    SettingTaskEngine::instance().deleteCamera();
    releaseStreamAndClearPreview();
    // streamResult runs before this returns when the entry is in the stream's list.
    if (stream_->openAsRgbStream(r) == 0) {
        requestedFormat_ = r.format;
    } else {
        logFormat("no such format in the list", r);
    }
    const bool ready = stream_->isOpen() && cameraReady && !connectEnabled;
    if (ready)
        frameImage_.setFormat(r.width, r.height, kBytesPerPixel);
    return ready;
}

void mainwindow::readValuesKeeping(const RESOLUTION_LIST& running) {
    // The refill selects the default format on the mode page; the stream runs another.
    getDefaultValue();
    currentValues().resolution = running;
    modeTab->showAppliedResolution(running);
    modeChanging = false;
}

void mainwindow::restoreNativeDefault() {
    const RESOLUTION_LIST running = currentValues().resolution;
    if (requestedFormat_ == "MJPG" || running.format != "MJPG" || !stream_->isOpen() || !cameraReady ||
        connectEnabled || modeChanging) {
        return;  // a flow chose another format meanwhile, or the camera is gone
    }
    logFormat("re-open with native samples", running);
    switchStreamFormat(running);
}

void mainwindow::tellFormatRefused() {
    auto* dialog = new GeneralDialog(this);
    dialog->init(tr("Stream Format"),
                 tr("The camera could not open the chosen format.\nThe previous format is used again."),
                 QString(), tr("OK"));
    dialog->show();
}

void mainwindow::resetSettings() {
    debugLog("resetSettings \n");
    if (flowRunning_) {
        debugLog("resetSettings refused: a flow is running \n");
        return;
    }
    forgetStoredProfile();
    FlowGuard guard(flowRunning_);
    BusyProgress* busy = infoTab->busyProgress();

    if (!appConfig().debug) {
        // The camera keeps its connection: a second of busy time, then the values again.
        QTimer::singleShot(timing_.resetCompletionMs, this, &mainwindow::completeReset);
        disableWindowWithoutText();
        ui.streamLabel->hide();
        returnToSettingsPage();
        busy->exec();  // returns when completeReset (or a lost camera) closes it
        if (!cameraReady) {
            overlay_->showTextLabel();  // lost meanwhile: the cover says so
            forgetResetConfirmation();
        }
        return;
    }

    // The camera drops off and comes back: the connect tick opens it again.
    SettingTaskEngine& engine = SettingTaskEngine::instance();
    engine.addJob(ADJ_ANTIFLICKER, kResetAntiFlickerMode);
    sleepMs(timing_.resetAntiFlickerMs);
    // The worker goes first: it must not be inside a call on the camera being released.
    UVCXUManager::instance().setEnableCommand(false);
    debugLog("deleteCamera resetSettings\n");
    engine.deleteCamera();
    releaseStreamAndClearPreview();
    returnToSettingsPage();
    waitResetConnection = true;
    cameraReady = false;
    connectEnabled = true;
    disableWindowWithoutText();
    prepareDefaultFrameFormat();
    watchResetReturn();
    busy->exec();  // closed when the camera is back, dropped off, or did not return in time
}

void mainwindow::completeReset() {
    infoTab->busyProgress()->closeDialog();
    if (!cameraReady || !stream_->isOpen()) {
        // The camera was lost meanwhile: the window stays covered and Searching.
        debugLog("resetSettings: camera lost \n");
        ui.streamLabel->show();
        overlay_->showTextLabel();
        return;
    }
    sleepMs(timing_.resetSettleMs);
    ui.streamLabel->show();
    const RESOLUTION_LIST running = currentValues().resolution;
    readValuesKeeping(running);
    enableWindow();
}

void mainwindow::watchResetReturn() {
    if (resetWatch_ == nullptr) {
        resetWatch_ = new QTimer(this);
        resetWatch_->setInterval(kResetWatchIntervalMs);
    }
    resetWatch_->disconnect();
    auto clock = std::make_shared<QElapsedTimer>();
    clock->start();
    connect(resetWatch_, &QTimer::timeout, this, [this, clock] {
        BusyProgress* busy = infoTab != nullptr ? infoTab->busyProgress() : nullptr;
        if (busy == nullptr || !busy->isVisible()) {
            resetWatch_->stop();
            return;
        }
        if (cameraReady) {
            // Back and read again; the information page may have closed it already.
            resetWatch_->stop();
            busy->closeDialog();
        } else if (clock->elapsed() >= timing_.resetWaitLimitMs) {
            debugLog("resetSettings: the camera did not come back \n");
            resetWatch_->stop();
            waitResetConnection = false;
            forgetResetConfirmation();
            busy->close();
            overlay_->showTextLabel();
        }
    });
    resetWatch_->start();
}

void mainwindow::checkResetDisconnect() {
    debugLog("\n******waitResetConnection*****:%d \n", waitResetConnection);
    const bool present = UVCXUManager::instance().checkUVCDeviceExist();
    debugLog("checkUVCDeviceExist: %d \n", present);
    if (present)
        return;
    waitResetConnection = false;
    closeAllDialogs();
    overlay_->showTextLabel();
    forgetResetConfirmation();
}

void mainwindow::forgetResetConfirmation() {
    // The camera went away: no reset confirmation follows its return.
    resetDone = false;
}
