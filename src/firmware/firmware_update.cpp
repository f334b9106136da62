#include "firmware/firmware_update.h"

#include "base/debug_log.h"

namespace {
using Ending = FirmwareUpdate::Ending;
using Check = UpdateFWbyUsbFunc::CheckOutcome;

// What a refused check means. (The one place where the engine's answers become endings;
// the page's texts and the command line's lines are written for the endings.)
Ending endingOfCheck(Check check) {
    switch (check) {
        case Check::FileRefused:
            return Ending::FileRefused;
        case Check::CameraRefused:
            return Ending::CheckRefused;
        case Check::NoAnswer:
            return Ending::CheckUnanswered;
        case Check::NotNewer:
        case Check::Newer:
            break;
    }
    return Ending::NotNewer;
}

// What a run's code means; cameraRefused: the camera answered status 15 during the run.
Ending endingOfRun(int code, bool cameraRefused) {
    switch (code) {
        case kFwStarted:
            return Ending::None;  // not ended: the camera flashes
        case kFwNoVerdict:
            return Ending::NoVerdict;
        case kFwCancelled:
            return Ending::Cancelled;
        case kFwOpenFailed:
            return Ending::OpenFailed;
        case kFwBadSize:
            return Ending::BadSize;
        case kFwTransferFailed:
            return cameraRefused ? Ending::ImageRefused : Ending::TransferFailed;
        case kFwStartFailed:
            return Ending::StartFailed;
        case kFwTimedOut:
            return Ending::TimedOut;
        case kFwCameraFailed:
            return Ending::CameraFailed;
        case kFwCameraVanished:
            return Ending::CameraVanished;
        default:
            return Ending::TransferFailed;
    }
}
}  // namespace

FirmwareUpdate::FirmwareUpdate(QObject* parent) : QObject(parent) {
    connect(&engine_, &UpdateFWbyUsbFunc::waitForUpdateStart, this, &FirmwareUpdate::onImageStored,
            Qt::QueuedConnection);
    connect(&engine_, &UpdateFWbyUsbFunc::updateProgress, this, &FirmwareUpdate::progressChanged,
            Qt::QueuedConnection);
}

FirmwareUpdate::~FirmwareUpdate() {
    engine_.requestStop();
    joinRun();
}

bool FirmwareUpdate::holdsCamera() const {
    return step_ == Step::Transferring || step_ == Step::AwaitingStart || step_ == Step::Flashing;
}

void FirmwareUpdate::setStep(Step step) {
    step_ = step;
    emit stepChanged(step);
}

void FirmwareUpdate::fail(Step at, Ending ending) {
    failedAt_ = at;
    ending_ = ending;
    setStep(Step::Failed);
}

void FirmwareUpdate::joinRun() {
    if (thread_.joinable())
        thread_.join();  // runUpdate has returned or returns within one packet or poll
}

bool FirmwareUpdate::start(const QString& path, const std::string& runningVersion, int transferSize,
                           bool force) {
    if (holdsCamera() || step_ == Step::Checking)
        return false;  // one update at a time
    joinRun();
    ending_ = Ending::None;
    failedAt_ = Step::Idle;
    versionAfter_.clear();
    setStep(Step::Checking);
    engine_.setTransferSize(transferSize);
    if (!engine_.checkNeedFwUpdate(path, runningVersion, force)) {
        const Check check = engine_.lastCheckOutcome();
        if (check != Check::FileRefused)
            engine_.endUpdateFlow();  // the camera took the header: it leaves update mode
        ending_ = endingOfCheck(check);
        setStep(Step::Idle);
        return false;
    }
    versionBefore_ = runningVersion;
    outcome_ = kFwNoVerdict;
    const int run = ++runs_;
    setStep(Step::Transferring);
    thread_ = std::thread([this, path, run] {
        const int code = engine_.runUpdate(path, false);
        QMetaObject::invokeMethod(
            this, [this, run, code] { onRunEnded(run, code); }, Qt::QueuedConnection);
    });
    return true;
}

void FirmwareUpdate::onImageStored() {
    if (step_ != Step::Transferring)
        return;  // stopped meanwhile
    if (!engine_.isAwaitingStart()) {
        // The run ended before this signal arrived (the camera left, a status read failed,
        // status 15, a cancel): its outcome follows, there is nothing to start.
        debugLog("waitForUpdateStart: the update run has ended \n");
        return;
    }
    debugLog("waitForUpdateStart \n");
    setStep(Step::AwaitingStart);
}

bool FirmwareUpdate::confirm() {
    if (step_ != Step::AwaitingStart)
        return false;
    // Flashing before the command: the stream is released before the camera reboots.
    setStep(Step::Flashing);
    return engine_.startFwUpdate();
}

void FirmwareUpdate::cancel() {
    if (holdsCamera()) {
        engine_.cancelUpdate();  // the run's end follows
        return;
    }
    if (step_ == Step::Checking || step_ == Step::AwaitingReturn || step_ == Step::Verifying)
        return;
    // No run: the user gave up before any transfer.
    outcome_ = kFwCancelled;
    fail(Step::Checking, Ending::Cancelled);
}

void FirmwareUpdate::stop() {
    if (!thread_.joinable())
        return;
    debugLog("stopUpdate \n");
    engine_.requestStop();
    joinRun();
    ending_ = Ending::Cancelled;
    setStep(Step::Idle);
}

void FirmwareUpdate::onRunEnded(int run, int code) {
    if (run != runs_ || !holdsCamera())
        return;  // a run stopped for the quit
    debugLog("updateEnd %d \n", code);
    joinRun();  // runUpdate returns right after its end
    outcome_ = code;
    if (code == kFwStarted) {
        setStep(Step::AwaitingReturn);
        return;
    }
    fail(step_, endingOfRun(code, engine_.cameraRefused()));
}

void FirmwareUpdate::cameraReturned(const std::string& version) {
    if (step_ != Step::AwaitingReturn)
        return;
    versionAfter_ = version;
    setStep(Step::Verifying);
    const FwVersion image = engine_.checkedVersion();
    debugLog("firmware after update: %s, expected %d.%d.%d\n", version.c_str(), image.formal, image.major,
             image.minor);
    debugLog("firmware before update: %s\n", versionBefore_.c_str());
    if (runsUpdatedFirmware(versionBefore_, version, image)) {
        ending_ = Ending::Updated;
        setStep(Step::Done);
    } else {
        fail(Step::Verifying, Ending::OldFirmware);
    }
}

void FirmwareUpdate::cameraDidNotReturn() {
    if (step_ == Step::AwaitingReturn)
        fail(Step::AwaitingReturn, Ending::NotBack);
}
