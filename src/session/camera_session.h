#pragma once
// One camera in use, from its discovery to its release: the connect tick, the open with
// its extension-unit checks, the read of the camera's values, the device-lost path, the
// stream format change, the factory reset, the firmware update's hold on the camera and
// the camera's stored profile. The main window and the command line both work through
// it; neither opens, reads or releases the camera itself.
//
// Everything runs on the GUI thread (the command line's main thread). The session tells
// what happens through stateChanged and a few signals for its views; it shows nothing.
// The states and their transitions are in docs/architecture.md.
#include <QObject>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "base/resolution_list.h"
#include "capture/frame_image.h"
#include "capture/uvc_stream.h"
#include "firmware/firmware_update.h"
#include "session/session_state.h"

class ProfileKeeper;
class QSocketNotifier;
class QTimer;
namespace device {
class DeviceWatch;
}

// How long a camera session waits between things. Tests shorten them.
struct SessionTiming {
    int connectIntervalMs = 2000;  // connect tick
    int deviceRetrySleepMs = 500;  // pause before each new extension-unit check
    int resetCompletionMs = 1000;  // reset with the camera kept: busy time before the read
    int resetSettleMs = 500;       // then the pause before the values are read again
    int resetAntiFlickerMs = 200;  // restarting reset: time the worker gets for its last job
    int resetWaitLimitMs = 20000;  // restarting reset: longest wait for the camera's return
    int profileSaveIntervalMs = 1000;
};

class CameraSession : public QObject {
    Q_OBJECT

public:
    // Who uses the session.
    //   Window: a camera without its extension unit is given up and looked for again; the
    //           values are read at each connection and the camera's profile is kept.
    //   CommandLine: such a camera stays open for its standard controls; a command reads
    //           what it needs and stores what it changed.
    enum class Use { Window, CommandLine };

    using Timing = SessionTiming;

    // A pause between two extension-unit checks; answers true when a quit was requested.
    using Pause = std::function<bool(int ms)>;

    explicit CameraSession(Use use, const Timing& timing = Timing(), QObject* parent = nullptr);
    ~CameraSession() override;
    CameraSession(const CameraSession&) = delete;
    CameraSession& operator=(const CameraSession&) = delete;

    SessionState state() const { return state_; }
    // The camera's settings are open: Ready, or InUse (the stream is another application's).
    bool settingsOpen() const;
    // Who holds the stream while InUse, as "name (pid N)", several separated by ", "; empty
    // when the system does not tell.
    std::string streamHolderText() const;
    const Timing& timing() const { return timing_; }
    // Replaces the plain sleep between extension-unit checks (the window keeps painting).
    void setPause(Pause pause) { pause_ = std::move(pause); }
    // Starts the connect tick, the watch on the device port's plug and unplug news and the
    // profile keeping (the window; the command line ticks itself).
    void startTicks();
    // Stops both (the window's end).
    void stopTicks();

    // The connect tick: opens the camera while Searching (or awaiting a restarting
    // reset), and watches for the camera's drop-off during the waits for its restart.
    void tick();
    // The preview tick's check: a lost camera is released, and unless a format change or
    // a firmware update holds it, the session goes back to Searching.
    void checkLost();
    // The command line's open. Answers the open's result (0 or more: open; its slot).
    int openOnce();
    bool hasExtensionUnit() const { return extensionUnit_; }
    // The command line's check between two waits: the camera went away.
    bool lost();
    // Releases everything (the command line's end). The session is Searching after it.
    void close();

    // A stream format change. While another format change or a reset runs it is refused.
    void changeFormat(const RESOLUTION_LIST& r);
    // The factory reset, after the camera took the command. The camera's stored profile
    // is forgotten. Returns once the reset flow ended.
    void resetToFactory();

    // The window's firmware update. The session follows its steps: the settings worker
    // stops for the transfer, the stream goes when the camera starts flashing, the camera
    // is looked for anew when the run ended, and its version is handed back after the
    // first value read.
    FirmwareUpdate& firmwareUpdate() { return firmwareUpdate_; }
    // The firmware update's hold on the camera, step by step (the update's steps call
    // them; tests may too).
    void firmwareTransferStarting();  // no settings job any more
    void firmwareImageSent();         // the start question is open: watch for the drop-off
    void firmwareStarted();           // the camera flashes: the stream goes
    void firmwareEnded(int code);     // the update is over: look for the camera anew
    // A firmware update holds the camera (from its transfer to its end).
    bool firmwareHoldsCamera() const;

    // Reads the camera's values into CurrentValues (only with an open stream) and tells
    // the views; a quit request ends the read between two groups.
    void readValues();

    UvcStream& stream() { return stream_; }
    FrameImage& frameImage() { return frameImage_; }

signals:
    void stateChanged(SessionState now, SessionState before);
    // The values were read into CurrentValues: the views show them now. The window's
    // handler picks the default stream format (it is the mode page's choice).
    void valuesRead();
    // The stream runs this format (after a format change, or one that was refused).
    void runningFormatShown(const RESOLUTION_LIST& running);
    // The camera refused the chosen format; the previous one runs again.
    void formatRefused();
    // The preview has nothing to show any more (the stream goes or is about to open).
    void previewCleared();
    // The camera went away under the views (lost, or dropped off for its restart): their
    // dialogs have nothing left to do. Emitted after the state it left the session in.
    void cameraWentAway();
    // The user gave the firmware update up; the session looks for the camera anew next.
    void firmwareGivenUp();

private:
    class Callback : public StreamCallback {
    public:
        explicit Callback(CameraSession* session) : session_(session) {}
        void streamResult(int result) override;

    private:
        CameraSession* session_;
    };

    void enter(SessionState next);
    // What to log on the way down; null entries log nothing.
    struct TeardownLog {
        const char* channel = nullptr;
        const char* worker = nullptr;
    };
    // The one way down, in this order: channel off, worker stopped, stream released and
    // preview cleared (the parts asked for).
    enum TeardownPart { kChannel = 1, kWorker = 2, kStream = 4, kAll = 7 };
    void teardown(const TeardownLog& log, int parts = kAll);
    // Opens the default stream (r empty) or r; answers the stream's open answer.
    int open(const RESOLUTION_LIST& r);
    void streamResult(int result);
    bool findExtensionUnit();
    void abandonConnectionForQuit();
    // The camera's settings are open but its stream is another application's.
    void enterInUse();
    // The connect tick while InUse: the stream again; Ready when it opens.
    void retryStream();
    void prepareDefaultFrameFormat();

    // The format and reset flows.
    void switchStreamFormat(const RESOLUTION_LIST& r);
    bool reopenStream(const RESOLUTION_LIST& r);
    void readValuesKeeping(const RESOLUTION_LIST& running);
    void restoreNativeDefault();
    void completeReset();
    void watchResetReturn();
    void checkDropOff(const char* what);
    // A camera came or went, as the device port tells: the tick's work at once instead of
    // at the next tick.
    void devicesChanged(unsigned changes);
    void followFirmwareUpdate(FirmwareUpdate::Step step);

    Use use_;
    Timing timing_;
    Pause pause_;
    SessionState state_ = SessionState::Searching;
    UvcStream stream_;
    Callback callback_{this};
    FrameImage frameImage_;
    int lastOpenResult_ = -1;
    SessionState openingFrom_ = SessionState::Searching;
    bool extensionUnit_ = false;
    // While InUse: who holds the stream, and the format to open when it is free (empty: the
    // one of the first open).
    std::vector<device::ProcessRef> holders_;
    RESOLUTION_LIST inUseFormat_;
    // The state a reset with the camera kept returns to.
    SessionState resetFrom_ = SessionState::Ready;
    // A format change or a reset is running (a second one is refused meanwhile).
    bool flowRunning_ = false;
    // The format of the last format request the stream matched: its default opens use
    // that format's sample kind (native samples for MJPG only).
    std::string requestedFormat_ = "MJPG";
    QTimer* connectTimer_ = nullptr;
    QTimer* profileTimer_ = nullptr;
    QTimer* resetWatch_ = nullptr;
    std::shared_ptr<device::DeviceWatch> deviceWatch_;
    QSocketNotifier* deviceNotifier_ = nullptr;
    // Runs devicesChanged as a timer does: never inside a wait that keeps the window
    // painting (those leave timers out), so no flow sees the camera change under it.
    QTimer* deviceChangeTimer_ = nullptr;
    unsigned deviceChanges_ = 0;
    std::unique_ptr<ProfileKeeper> profile_;
    FirmwareUpdate firmwareUpdate_;
};
