#include "app/cli_firmware.h"

#include <unistd.h>
#include <QCoreApplication>
#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <thread>

#include "app/cli_request.h"
#include "base/quit_request.h"
#include "engine/setting_task_engine.h"
#include "firmware/update_fw_by_usb_func.h"
#include "session/camera_session.h"
#include "xu/uvc_xu_manager.h"

namespace {
// How long the camera may take to flash itself and come back.
constexpr auto kReturnTimeout = std::chrono::seconds(180);
constexpr auto kPoll = std::chrono::milliseconds(20);

void onStopSignal(int) {
    requestQuitFromSignalHandler();  // the engine stops at its next packet
}

int fail(int code, const QString& why) {
    std::fprintf(stderr, "lumora-x8-settings: %s\n", qPrintable(why));
    return code;
}

QString versionText(const FwVersion& v) {
    return QStringLiteral("%1.%2.%3").arg(v.formal).arg(v.major).arg(v.minor);
}

// A bar redrawn in place on a terminal; a line per tenth elsewhere.
class Progress {
public:
    Progress() : terminal_(::isatty(STDOUT_FILENO) != 0) {}
    void show(double percent) {
        const int whole = static_cast<int>(percent);
        if (terminal_) {
            if (whole == lastWhole_)
                return;
            lastWhole_ = whole;
            const int filled = whole * 40 / 100;
            std::printf("\r[%s%s] %3d%%", std::string(size_t(filled), '#').c_str(),
                        std::string(size_t(40 - filled), ' ').c_str(), whole);
        } else if (whole / 10 > lastTenth_) {
            lastTenth_ = whole / 10;
            std::printf("transfer %d%%\n", lastTenth_ * 10);
        }
        std::fflush(stdout);
    }
    void end() {
        if (terminal_)
            std::printf("\n");
    }

private:
    bool terminal_;
    int lastWhole_ = -1;  // the bar is redrawn when its number changes
    int lastTenth_ = -1;
};

QString checkFailure(const UpdateFWbyUsbFunc& engine, const QString& path, const QString& running) {
    switch (engine.lastCheckOutcome()) {
        case UpdateFWbyUsbFunc::CheckOutcome::FileRefused:
            return QStringLiteral("cannot send %1: %2; nothing was sent")
                .arg(path, QString::fromLatin1(fileProblemName(engine.lastFileCheck().problem)));
        case UpdateFWbyUsbFunc::CheckOutcome::CameraRefused:
            return QStringLiteral("the camera did not accept the firmware file (it answered status 15)");
        case UpdateFWbyUsbFunc::CheckOutcome::NoAnswer:
            return QStringLiteral("the camera did not answer the firmware check");
        default:
            return QStringLiteral("the image (%1) is not newer than the camera's firmware %2")
                .arg(versionText(engine.checkedVersion()), running);
    }
}

QString outcomeFailure(const UpdateFWbyUsbFunc& engine, int outcome) {
    switch (outcome) {
        case kFwCancelled:
            return QStringLiteral("stopped before the camera started its update; its firmware is unchanged");
        case kFwCameraVanished:
            return QStringLiteral("the camera went away during the transfer; its firmware is unchanged");
        case kFwCameraFailed:
            return QStringLiteral("the camera reported a failure while updating");
        case kFwTimedOut:
            return QStringLiteral("the camera did not answer in time");
        case kFwStartFailed:
            return QStringLiteral("the camera did not start the update");
        case kFwTransferFailed:
            if (engine.cameraRefused())
                return QStringLiteral("the camera did not accept the firmware image it received (status 15)");
            break;
        default:
            break;
    }
    return QStringLiteral("the transfer failed (outcome %1)").arg(outcome);
}

// A quit once the start was sent: the camera flashes and restarts whatever the program
// does; the user learns what it is doing and how to see the result.
int quitWhileFlashing() {
    return fail(
        kExitCameraLost,
        QStringLiteral("quit while the camera installs its new firmware: it restarts by itself in a few "
                       "minutes; leave it plugged in, then check its firmware version with --list"));
}

// SIGINT and SIGTERM raise the quit request for the whole update, the wait for the
// camera's return included; the default handling comes back at the end.
class StopSignals {
public:
    StopSignals() {
        std::signal(SIGINT, onStopSignal);
        std::signal(SIGTERM, onStopSignal);
        std::signal(SIGHUP, onStopSignal);  // a closed terminal stops as SIGTERM does
    }
    ~StopSignals() {
        std::signal(SIGINT, SIG_DFL);
        std::signal(SIGTERM, SIG_DFL);
        std::signal(SIGHUP, SIG_DFL);
    }
    StopSignals(const StopSignals&) = delete;
    StopSignals& operator=(const StopSignals&) = delete;
};

// Waits for the camera to be listed again and answers its firmware version text (empty
// when it did not come back in time).
QString awaitReturn() {
    const auto deadline = std::chrono::steady_clock::now() + kReturnTimeout;
    while (std::chrono::steady_clock::now() < deadline && !quitRequested()) {
        for (const FoundCamera& camera : listCameras()) {
            if (!camera.firmware.isEmpty())
                return camera.firmware;
        }
        waitUnlessQuitRequested(std::chrono::milliseconds(500));
    }
    return QString();
}
}  // namespace

int runFirmwareUpdate(const QString& path, CameraSession& camera, const FoundCamera& found) {
    StopSignals stopSignals;

    UpdateFWbyUsbFunc engine;
    engine.setTransferSize(static_cast<int>(UVCXUManager::instance().getTransferSize()));
    SettingTaskEngine::instance().deleteCamera();  // no setting reaches the camera meanwhile
    if (!engine.checkNeedFwUpdate(path, found.firmware.toStdString(), false)) {
        if (engine.lastCheckOutcome() != UpdateFWbyUsbFunc::CheckOutcome::FileRefused)
            engine.endUpdateFlow();
        return fail(kExitUpdateFailed, checkFailure(engine, path, found.firmware));
    }
    const FwVersion target = engine.checkedVersion();
    std::printf("updating %s from %s to %s\n", qPrintable(found.serial), qPrintable(found.firmware),
                qPrintable(versionText(target)));

    Progress progress;
    std::atomic<bool> readyToStart{false};
    QObject::connect(
        &engine, &UpdateFWbyUsbFunc::updateProgress, &engine,
        [&progress](double percent) { progress.show(percent); }, Qt::DirectConnection);
    QObject::connect(
        &engine, &UpdateFWbyUsbFunc::waitForUpdateStart, &engine, [&readyToStart] { readyToStart = true; },
        Qt::DirectConnection);
    std::atomic<bool> finished{false};
    int outcome = kFwNoVerdict;
    std::thread worker([&] {
        outcome = engine.runUpdate(path, false);
        finished = true;
    });
    bool startSent = false;
    while (!finished) {
        if (readyToStart && !startSent && !quitRequested()) {
            startSent = true;
            progress.show(100);
            progress.end();
            camera.releaseStream();
            if (engine.startFwUpdate()) {
                std::printf("image sent; the camera restarts to flash it, do not unplug it\n");
                std::fflush(stdout);
            }
        }
        std::this_thread::sleep_for(kPoll);
    }
    worker.join();
    if (!startSent)
        progress.end();
    const bool flashing = engine.startWasSent() && (outcome == kFwStarted || outcome == kFwNoVerdict);
    if (flashing && quitRequested())
        return quitWhileFlashing();
    if (outcome != kFwStarted)
        return fail(kExitUpdateFailed, outcomeFailure(engine, outcome));

    camera.close();
    const QString running = awaitReturn();
    if (running.isEmpty() && quitRequested())
        return quitWhileFlashing();
    if (running.isEmpty())
        return fail(kExitCameraLost, QStringLiteral("the camera did not come back after its update"));
    if (!runsUpdatedFirmware(found.firmware.toStdString(), running.toStdString(), target))
        return fail(kExitUpdateFailed, QStringLiteral("the camera came back with firmware %1, not %2")
                                           .arg(running, versionText(target)));
    std::printf("firmware updated to %s\n", qPrintable(running));
    return kExitDone;
}
