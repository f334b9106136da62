#pragma once
// A firmware update as one object with explicit steps. The window's information page and
// the command line drive the same object and only show its steps: the page as dialogs,
// the command line as printed lines.
//
//   Idle -> Checking -> Transferring -> AwaitingStart -> Flashing -> AwaitingReturn
//        -> Verifying -> Done, and Failed from any step before Done.
//
// It owns the engine (UpdateFWbyUsbFunc) and the thread its run blocks; every step
// changes on the owner's (GUI) thread, the engine's signals arrive there queued, so the
// owner's event loop must run while an update transfers and flashes. The camera session
// tells it when the camera is back with its values read (cameraReturned), and asks it
// whether the update holds the camera (holdsCamera): the stream and the settings worker
// then stay away from the camera, and its loss is the update's to handle.
#include <QObject>
#include <QString>
#include <string>
#include <thread>

#include "firmware/update_fw_by_usb_func.h"

class FirmwareUpdate : public QObject {
    Q_OBJECT

public:
    enum class Step {
        Idle,            // nothing runs; also after a stop for the quit
        Checking,        // the camera reads the image's header (start() blocks meanwhile)
        Transferring,    // the image goes to the camera on the update thread
        AwaitingStart,   // the image is in the camera: the user is to confirm the start
        Flashing,        // the start was sent: the camera is to leave the bus and flash
        AwaitingReturn,  // the camera left to flash: the session waits for it to come back
        Verifying,       // the camera is back: its version is compared with the image's
        Done,            // the camera runs the image
        Failed,          // see ending() and failedAt()
    };
    Q_ENUM(Step)

    // What happened, for the page's texts and the command line's lines.
    enum class Ending {
        None,             // not ended yet
        Updated,          // Done: the camera runs the image
        FileRefused,      // the host cannot send the file (fileProblem()); nothing was sent
        CheckRefused,     // the camera refused the image's header (status 15)
        CheckUnanswered,  // the camera did not answer the header check
        NotNewer,         // the image is not newer than the camera's firmware
        Cancelled,        // the user gave up, or the run stopped before the start (-1)
        OpenFailed,       // the image file cannot be opened for the run (-2)
        BadSize,          // the image size is 0 or unknown (-3)
        TransferFailed,   // a transfer step failed (-4)
        ImageRefused,     // the camera refused a block of the image, status 15 (-4)
        StartFailed,      // the camera still answers after an unanswered start (-5)
        TimedOut,         // the camera did not leave the bus in time after the start (-6)
        CameraFailed,     // the camera reported its update as failed, status 15 (-9)
        CameraVanished,   // the camera left the bus before the start (-99)
        NoVerdict,        // the run's status watch ended without a verdict (1)
        OldFirmware,      // the camera came back with another version than the image's
        NotBack,          // the camera did not come back (cameraDidNotReturn)
    };
    Q_ENUM(Ending)

    explicit FirmwareUpdate(QObject* parent = nullptr);
    // Stops a running update (as stop() does, without a step change) and joins its thread.
    ~FirmwareUpdate() override;
    FirmwareUpdate(const FirmwareUpdate&) = delete;
    FirmwareUpdate& operator=(const FirmwareUpdate&) = delete;

    Step step() const { return step_; }
    Ending ending() const { return ending_; }
    // The step the update failed in (Checking for a check or a give-up before the
    // transfer); Idle while it did not fail.
    Step failedAt() const { return failedAt_; }
    // The engine's code of the last run (kFwNoVerdict before any).
    int outcome() const { return outcome_; }
    FileProblem fileProblem() const { return engine_.lastFileCheck().problem; }
    // The version in the header of the last image the camera accepted.
    FwVersion imageVersion() const { return engine_.checkedVersion(); }
    const std::string& versionBefore() const { return versionBefore_; }
    const std::string& versionAfter() const { return versionAfter_; }
    // From the start of the transfer until the run has ended: the update holds the camera.
    bool holdsCamera() const;

    // Checks the image on the camera running `runningVersion`, over packets of
    // transferSize bytes (force: also an image that is not newer). Blocking. True when the
    // transfer started (Transferring); false when the check refused the image: the step
    // is Idle again with ending() saying why, and the camera has left update mode.
    bool start(const QString& path, const std::string& runningVersion, int transferSize, bool force = false);
    // The user's answer "start" to AwaitingStart: Flashing, then the start command. False
    // (nothing sent) when the run no longer waits for it.
    bool confirm();
    // The user gives up. A run ends at its next packet or status read (Failed, Cancelled,
    // unless the camera had started); with no run the flow ends at once as Failed.
    void cancel();
    // The program quits: the run ends at once (update mode left when the camera has not
    // started flashing), its thread is joined, and the step is Idle.
    void stop();
    // The session has the camera back with its values read: Verifying, then Done when it
    // runs the image, else Failed (OldFirmware). Ignored unless AwaitingReturn.
    void cameraReturned(const std::string& version);
    // The session gave up waiting for the camera's return: Failed (NotBack).
    void cameraDidNotReturn();

    // The engine, for its timing (tests, benchmarks).
    UpdateFWbyUsbFunc& engine() { return engine_; }

signals:
    void stepChanged(FirmwareUpdate::Step step);
    // Transfer progress, 0 to 100.
    void progressChanged(double percent);

private:
    void setStep(Step step);
    void fail(Step at, Ending ending);
    // The engine's run has the image in the camera (queued from the update thread).
    void onImageStored();
    // The update thread's run ended with code.
    void onRunEnded(int run, int code);
    void joinRun();

    UpdateFWbyUsbFunc engine_;
    std::thread thread_;
    Step step_ = Step::Idle;
    Step failedAt_ = Step::Idle;
    Ending ending_ = Ending::None;
    int outcome_ = kFwNoVerdict;
    int runs_ = 0;  // runs started; a late end of an abandoned run is told apart
    std::string versionBefore_;
    std::string versionAfter_;
};
