#include "app/cli_firmware.h"

#include <unistd.h>
#include <QCoreApplication>
#include <QEventLoop>
#include <chrono>
#include <csignal>
#include <cstdio>

#include "app/cli_request.h"
#include "base/quit_request.h"
#include "firmware/firmware_update.h"
#include "session/camera_session.h"
#include "xu/uvc_xu_manager.h"

namespace {
// How long the camera may take to flash itself and come back.
constexpr auto kReturnTimeout = std::chrono::seconds(180);

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

// What the command says about an update that did not end in Done.
QString endingText(const FirmwareUpdate& update, const QString& path, const QString& running) {
    using Ending = FirmwareUpdate::Ending;
    const QString image = versionText(update.imageVersion());
    switch (update.ending()) {
        case Ending::FileRefused:
            return QStringLiteral("cannot send %1: %2; nothing was sent")
                .arg(path, QString::fromLatin1(fileProblemName(update.fileProblem())));
        case Ending::CheckRefused:
            return QStringLiteral("the camera did not accept the firmware file (it answered status 15)");
        case Ending::CheckUnanswered:
            return QStringLiteral("the camera did not answer the firmware check");
        case Ending::NotNewer:
            return QStringLiteral("the image (%1) is not newer than the camera's firmware %2")
                .arg(image, running);
        case Ending::Cancelled:
            return QStringLiteral("stopped before the camera started its update; its firmware is unchanged");
        case Ending::CameraVanished:
            return QStringLiteral("the camera went away during the transfer; its firmware is unchanged");
        case Ending::CameraFailed:
            return QStringLiteral("the camera reported a failure while updating");
        case Ending::TimedOut:
            return QStringLiteral("the camera did not answer in time");
        case Ending::StartFailed:
            return QStringLiteral("the camera did not start the update");
        case Ending::ImageRefused:
            return QStringLiteral("the camera did not accept the firmware image it received (status 15)");
        case Ending::NotBack:
            return QStringLiteral("the camera did not come back after its update");
        case Ending::OldFirmware:
            return QStringLiteral("the camera came back with firmware %1, not %2")
                .arg(QString::fromStdString(update.versionAfter()), image);
        default:
            break;
    }
    return QStringLiteral("the transfer failed (outcome %1)").arg(update.outcome());
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

// Ticks the session until it has the camera back (it then hands the camera's version to
// the update); false when the camera did not come back in time or a quit came.
bool awaitReturn(CameraSession& camera) {
    const auto deadline = std::chrono::steady_clock::now() + kReturnTimeout;
    while (std::chrono::steady_clock::now() < deadline && !quitRequested()) {
        camera.tick();
        if (camera.state() == SessionState::Ready)
            return true;
        waitUnlessQuitRequested(std::chrono::milliseconds(500));
    }
    return false;
}
}  // namespace

int runFirmwareUpdate(const QString& path, CameraSession& camera, const FoundCamera& found) {
    using Step = FirmwareUpdate::Step;
    StopSignals stopSignals;

    // The session follows the update's steps: the settings worker stops for the transfer,
    // the stream goes when the camera starts flashing.
    FirmwareUpdate& update = camera.firmwareUpdate();
    const int transferSize = static_cast<int>(UVCXUManager::instance().getTransferSize());
    if (!update.start(path, found.firmware.toStdString(), transferSize))
        return fail(kExitUpdateFailed, endingText(update, path, found.firmware));
    std::printf("updating %s from %s to %s\n", qPrintable(found.serial), qPrintable(found.firmware),
                qPrintable(versionText(update.imageVersion())));

    // The steps until the run ends; the command itself is the user's confirmation.
    Progress progress;
    bool flashing = false;  // the start was sent: the camera may be flashing
    bool barEnded = false;
    QEventLoop loop;
    QObject::connect(&update, &FirmwareUpdate::progressChanged, &loop,
                     [&progress](double percent) { progress.show(percent); });
    QObject::connect(&update, &FirmwareUpdate::stepChanged, &loop, [&](Step step) {
        if (step == Step::AwaitingStart && !quitRequested()) {
            flashing = update.confirm();
            if (flashing) {
                std::printf("image sent; the camera restarts to flash it, do not unplug it\n");
                std::fflush(stdout);
            }
        } else if (step == Step::Flashing) {
            progress.show(100);
            progress.end();
            barEnded = true;
        } else if (step == Step::AwaitingReturn || step == Step::Failed) {
            loop.quit();
        }
    });
    loop.exec();
    if (!barEnded)
        progress.end();
    const bool mayFlash = flashing && (update.step() == Step::AwaitingReturn ||
                                       update.ending() == FirmwareUpdate::Ending::NoVerdict);
    if (mayFlash && quitRequested())
        return quitWhileFlashing();
    if (update.step() != Step::AwaitingReturn)
        return fail(kExitUpdateFailed, endingText(update, path, found.firmware));

    const bool back = awaitReturn(camera);
    if (!back && quitRequested())
        return quitWhileFlashing();
    if (!back) {
        update.cameraDidNotReturn();
        return fail(kExitCameraLost, endingText(update, path, found.firmware));
    }
    if (update.step() != Step::Done)
        return fail(kExitUpdateFailed, endingText(update, path, found.firmware));
    std::printf("firmware updated to %s\n",
                qPrintable(QString::fromStdString(update.versionAfter()).trimmed()));
    return kExitDone;
}
