// The engine's run: the header check, runUpdate with its ending, the start and cancel
// commands and the two watches. The block transfer itself is BlockTransfer's.
#include "firmware/update_fw_by_usb_func.h"

#include <QFile>
#include <algorithm>
#include <cstdio>
#include <string>

#include "base/debug_log.h"
#include "xu/uvc_xu_manager.h"

namespace {
constexpr int kStatusUpdateMode = 1;
constexpr int kStatusHeaderRead = 3;
constexpr int kStatusFailure = 15;
constexpr int kStatusNoAnswer = 65535;
// After a start command whose transfer failed, the camera must answer its status this many
// times in a row before the run ends as "start failed": one answer may still come from a
// camera on its way off the bus.
constexpr int kAnswersBeforeStartFailed = 3;

long long nowMs() {
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

// The console pause of the debug flow: waits for a line on standard input.
void pauseForKey() {
    std::fflush(stdout);
    std::getchar();
}

std::string localPath(const QString& path) {
    return path.toLocal8Bit().toStdString();
}
}  // namespace

UpdateFWbyUsbFunc::UpdateFWbyUsbFunc()
    : QObject(nullptr),
      transfer_(BlockTransfer::Hooks{[this] { return !cancelled() && !deviceMissed.load(); },
                                     [this](int expected) { return checkCameraStatus(expected); },
                                     [this](double percent) { emit updateProgress(percent); }}) {}

void UpdateFWbyUsbFunc::setTiming(const Timing& timing) {
    timing_ = timing;
    transfer_.setMinBlockBytes(timing.minBlockBytes);
}

UpdateFWbyUsbFunc::~UpdateFWbyUsbFunc() {
    requestStop();
    if (watchThread.joinable())
        watchThread.join();
}

void UpdateFWbyUsbFunc::wakeWaiters() {
    std::lock_guard<std::mutex> lock(wakeMutex_);
    wake_.notify_all();
}

void UpdateFWbyUsbFunc::pause(int ms, const std::atomic<bool>* keepWaiting) {
    std::unique_lock<std::mutex> lock(wakeMutex_);
    wake_.wait_for(lock, std::chrono::milliseconds(ms),
                   [&] { return stopRequested_.load() || (keepWaiting != nullptr && !keepWaiting->load()); });
}

void UpdateFWbyUsbFunc::setVerdict(int code) {
    int open = kFwNoVerdict;
    result.compare_exchange_strong(open, code);
}

bool UpdateFWbyUsbFunc::checkCameraStatus(int expected) {
    UVCXUManager& xu = UVCXUManager::instance();
    int status = xu.getCameraSatatus();
    debugLog("getCameraSatatus %d\n", status);
    const long long deadline = nowMs() + timing_.statusTimeoutMs;
    while (status != expected) {
        if (status == kStatusFailure) {
            cameraRefused_ = true;
            return false;
        }
        if (status == kStatusNoAnswer || cancelled())
            return false;
        if (nowMs() >= deadline) {
            debugLog("checkCameraStatus time-out: %d\n", status);
            return false;
        }
        pause(timing_.statusPollMs);
        status = xu.getCameraSatatus();
    }
    return true;
}

bool UpdateFWbyUsbFunc::checkNeedFwUpdate(const QString& path, const std::string& running, bool force) {
    UVCXUManager& xu = UVCXUManager::instance();
    debugLog("checkNeedFwUpdate: %s, current:%s \n", localPath(path).c_str(), running.c_str());
    lastCheck_ = CheckOutcome::FileRefused;
    checkedVersion_ = FwVersion();
    cameraRefused_ = false;

    lastFile_ = checkFirmwareFile(path);
    const bool sized =
        lastFile_.problem != FileProblem::Unreadable && lastFile_.problem != FileProblem::NotAFile;
    const int fileSize = sized ? int(std::min<int64_t>(lastFile_.size, kFirmwareMaxFileBytes)) : -1;
    debugLog("FileSize: %d \n", fileSize);
    if (fileSize <= 0) {
        debugLog("FileSize Fail!!!!(%d)\n", fileSize);
        return false;
    }
    if (!lastFile_.ok()) {
        debugLog("firmware image refused: %s\n", fileProblemName(lastFile_.problem));
        return false;
    }

    lastCheck_ = CheckOutcome::NoAnswer;
    const int transferSize = transfer_.transferSize();
    if (transferSize < kMinTransferSize || transferSize > kMaxTransferSize) {
        debugLog("transferSize refused: %d\n", transferSize);
        return false;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        debugLog("FileSize Fail!!!!(%d)\n", -1);
        lastCheck_ = CheckOutcome::FileRefused;
        lastFile_.problem = FileProblem::Unreadable;
        return false;
    }

    bool ok = xu.setUpdateMode(1, fileSize);
    debugLog("setUpdateMode: %d\n", ok);
    if (!ok)
        return false;
    ok = checkCameraStatus(kStatusUpdateMode);
    debugLog("checkCameraStatus: %d\n", ok);
    if (!ok) {
        if (cameraRefused_)
            lastCheck_ = CheckOutcome::CameraRefused;  // e.g. an image size it cannot take
        return false;
    }
    ok = transfer_.announceBlock(kFirmwareHeaderBytes);
    if (!ok)
        return false;
    ok = transfer_.sendPacket(file, 0, kFirmwareHeaderBytes);
    debugLog("setTransferData Header res: %d\n", ok);
    file.close();
    if (!ok)
        return false;
    ok = transfer_.closeBlock(kFirmwareHeaderBytes);
    if (!ok)
        return false;
    ok = xu.startReadHeader();
    debugLog("startReadHeader res: %d\n", ok);
    if (!ok)
        return false;
    ok = checkCameraStatus(kStatusHeaderRead);
    debugLog("checkCameraStatus: %d\n", ok);
    if (!ok) {
        if (cameraRefused_)
            lastCheck_ = CheckOutcome::CameraRefused;
        return false;
    }
    uint8_t word[kXuHeaderVersionLength] = {};
    ok = xu.getHeaderVersion(word);
    debugLog("getHeaderVersion res: %d\n", ok);
    if (!ok)
        return false;

    const uint32_t v =
        uint32_t(word[0]) | uint32_t(word[1]) << 8 | uint32_t(word[2]) << 16 | uint32_t(word[3]) << 24;
    const FwVersion image = splitHeaderVersion(v);
    writeStdout("Formal " + std::to_string(image.formal) + "\n");
    writeStdout("Major " + std::to_string(image.major) + "\n");
    writeStdout("Minor " + std::to_string(image.minor) + "\n");
    const FwVersion current = parseRunningVersion(running);
    writeStdout("cFormal " + std::to_string(current.formal) + "\n");
    writeStdout("cMajor " + std::to_string(current.major) + "\n");
    writeStdout("cMinor " + std::to_string(current.minor) + "\n");
    checkedVersion_ = image;
    const bool newer = force || isNewerVersion(image, current);
    lastCheck_ = newer ? CheckOutcome::Newer : CheckOutcome::NotNewer;
    return newer;
}

void UpdateFWbyUsbFunc::endUpdateFlow() {
    const bool ok = UVCXUManager::instance().setUpdateMode(0, 0);
    debugLog("endUpdateFlow  setUpdateMode :%d\n", ok);
}

int UpdateFWbyUsbFunc::finishRun(bool leaveUpdateMode) {
    if (leaveUpdateMode)
        endUpdateFlow();
    const int code = result.load();
    if (quitRequested()) {
        debugLog(startSent_
                     ? "firmware update: quit requested after the start; the camera flashes on its own\n"
                     : "firmware update stopped for the quit: update mode left, the camera keeps its "
                       "firmware\n");
    }
    emit updateEnd(code);
    return code;
}

int UpdateFWbyUsbFunc::runUpdate(const QString& path, bool debug) {
    debugLog("UpdateFWbyUsbFunc start, FilePath: %s, debug: %d\n", localPath(path).c_str(), debug);
    filePath = path;
    cancelRequested_ = false;
    deviceMissed = false;
    startSent_ = false;
    startUnanswered_ = false;
    cameraRefused_ = false;
    startDeadlineMs_ = 0;
    lastStatus = -1;
    result = kFwNoVerdict;
    transfer_.resetStats();

    if (debug) {
        debugLog("press for Start file open.... \n");
        pauseForKey();
    }
    debugLog("Start file open \n");
    if (cancelled()) {
        result = kFwCancelled;
        return finishRun(true);
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        debugLog("Read File Fail!!!!(%d)\n", 1);
        result = kFwOpenFailed;
        return finishRun(true);
    }
    const qint64 size = file.size();
    debugLog("FileSize: %d \n", int(size));
    if (size <= 0 || size > INT32_MAX) {
        debugLog("FileSize Fail!!!!(%d)\n", int(size));
        result = kFwBadSize;
        return finishRun(true);
    }
    const int transferSize = transfer_.transferSize();
    if (transferSize < kMinTransferSize || transferSize > kMaxTransferSize) {
        debugLog("transferSize refused: %d\n", transferSize);
        result = kFwTransferFailed;
        return finishRun(true);
    }

    if (debug) {
        debugLog("press for Start transfer.... \n");
        pauseForKey();
    }
    emit updateProgress(0.0);
    startDeviceTimer();
    bool ok = transfer_.sendFile(file, int(size));
    debugLog("transferPartialFile: %d \n", ok);
    file.close();
    joinDeviceWatch();
    // A failed packet usually comes before the watch's next look: ask once more, so that
    // a camera that left is told apart from a refused transfer.
    if (!ok && !cancelled() && !deviceMissed && !UVCXUManager::instance().checkUVCDeviceExist()) {
        debugLog("\n*******divice missed*******\n");
        deviceMissed = true;
    }

    if (deviceMissed) {
        result = kFwCameraVanished;
        stopTimer();
        return finishRun(false);
    }
    if (cancelled()) {
        result = kFwCancelled;
        return finishRun(true);
    }
    if (!ok) {
        result = kFwTransferFailed;
        return finishRun(true);
    }

    stopTimer();
    // Running before the signal: a start or cancel that answers it must find the watch on.
    statusTimerRunning = !cancelled();
    emit waitForUpdateStart();
    if (debug) {
        debugLog("press for Start pulling CameraSatatus.... \n");
        pauseForKey();
    }
    writeStdout("======= pulling CameraSatatus start ======= : \n");
    watchThread = std::thread([this] { startStatusTimer(); });
    watchThread.join();

    // Stopped before the start command: the image stays unused, so update mode is left
    // and the camera is usable as before. A camera that left before the start keeps its
    // verdict (-99) over a later cancel; after the start the camera flashes whatever the
    // program does, so a stop keeps the verdict reached (1 when there was none).
    bool leaveUpdateMode = false;
    if (cancelled() && !deviceMissed.load() && !startSent_.load()) {
        result = kFwCancelled;
        leaveUpdateMode = true;
    }
    debugLog("UpdateFWbyUsbFunc done: %d\n", result.load());
    const int code = finishRun(leaveUpdateMode);
    if (debug)
        pauseForKey();
    return code;
}

bool UpdateFWbyUsbFunc::isAwaitingStart() const {
    return statusTimerRunning.load() && !startSent_.load() && result.load() == kFwNoVerdict && !cancelled();
}

bool UpdateFWbyUsbFunc::startFwUpdate() {
    if (!isAwaitingStart()) {
        // The run ended (or its start was sent) before the user's answer: nothing is sent.
        debugLog("setFwUpdateStart skipped: the update run has ended\n");
        return false;
    }
    // Marked before the command: the camera may leave the bus before the call returns.
    startDeadlineMs_ = nowMs() + timing_.restartTimeoutMs;
    startSent_ = true;
    if (!UVCXUManager::instance().setFwUpdateStart(1)) {
        // A camera that leaves the bus to flash often takes the command's answer with it:
        // the status watch tells a camera that is gone (started) from one that is not (-5).
        debugLog("setFwUpdateStart unanswered: following the camera's status\n");
        startUnanswered_ = true;
    }
    return true;
}

void UpdateFWbyUsbFunc::cancelUpdate() {
    debugLog("cancelUpdate \n");
    cancelRequested_ = true;
    stopTimer();
}

void UpdateFWbyUsbFunc::requestStop() {
    stopRequested_ = true;
    cancelRequested_ = true;
    statusTimerRunning = false;
    deviceTimerRunning = false;
    wakeWaiters();
}

void UpdateFWbyUsbFunc::stopTimer() {
    writeStdout(" ======= stopTimer ======= : \n");
    statusTimerRunning = false;
    deviceTimerRunning = false;
    wakeWaiters();
}

void UpdateFWbyUsbFunc::joinDeviceWatch() {
    deviceTimerRunning = false;
    wakeWaiters();
    if (watchThread.joinable())
        watchThread.join();
}

void UpdateFWbyUsbFunc::startDeviceTimer() {
    const bool previous = deviceTimerRunning.load();
    writeStdout("======= startDeviceTimer ======= : " + std::to_string(previous) + "\n");
    deviceTimerRunning = true;
    deviceMissed = false;
    watchThread = std::thread([this] {
        while (deviceTimerRunning.load()) {
            pause(timing_.devicePollMs, &deviceTimerRunning);
            if (!deviceTimerRunning.load())
                break;
            if (!UVCXUManager::instance().checkUVCDeviceExist()) {
                debugLog("\n*******divice missed*******\n");
                deviceMissed = true;
                break;
            }
        }
    });
}

void UpdateFWbyUsbFunc::startStatusTimer() {
    // runUpdate switched the watch on before it asked the user to start.
    const bool previous = statusTimerRunning.load();
    writeStdout("======= startStatusTimer ======= : " + std::to_string(previous) + "\n");
    UVCXUManager& xu = UVCXUManager::instance();
    int answersAfterUnansweredStart = 0;
    while (statusTimerRunning.load()) {
        pause(timing_.statusPollMs, &statusTimerRunning);
        if (!statusTimerRunning.load() || cancelled())
            break;
        const int status = xu.getCameraSatatus();
        if (status != lastStatus.load()) {
            lastStatus = status;
            writeStdout(" ======= checkCameraStatus ======= : " + std::to_string(status) + "\n");
            if (status == kStatusFailure) {
                debugLog("********update failure with status: %d\n", status);
                setVerdict(kFwCameraFailed);
                stopTimer();
            } else if (status == kStatusNoAnswer) {
                if (startSent_.load()) {
                    debugLog("fw upgrade started:\n");
                    setVerdict(kFwStarted);
                } else {
                    // Gone before the user started the update: the image was never used.
                    debugLog("\n*******divice missed*******\n");
                    deviceMissed = true;
                    setVerdict(kFwCameraVanished);
                }
                stopTimer();
            }
        }
        if (startUnanswered_.load() && statusTimerRunning.load() &&
            ++answersAfterUnansweredStart >= kAnswersBeforeStartFailed) {
            // The camera keeps answering: it did not take the start command.
            debugLog("setFwUpdateStart Fail!!!!(%d)\n", 0);
            setVerdict(kFwStartFailed);
            stopTimer();
        }
        writeStdout("======= getCameraSatatus ======= : " + std::to_string(lastStatus.load()) + "\n");
        const long long deadline = startDeadlineMs_.load();
        if (statusTimerRunning.load() && startSent_.load() && deadline != 0 && nowMs() >= deadline) {
            debugLog("fw upgrade start time-out: %d\n", lastStatus.load());
            setVerdict(kFwTimedOut);
            stopTimer();
        }
    }
}
