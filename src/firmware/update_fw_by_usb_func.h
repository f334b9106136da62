#pragma once
// The firmware update engine. It checks an image file against the firmware the camera
// runs, sends the image to the camera (block_transfer.h), and once the user has confirmed,
// starts the camera's own update and follows the camera until it drops off the bus to
// flash itself. FirmwareUpdate (firmware_update.h) runs it as the steps of an update.
//
// The image is opaque here: the host checks only that the file can be sent (a regular
// file of a size the protocol carries); the camera reads the header, checks the image and
// answers status 15 for what it does not accept.
//
// Threads: checkNeedFwUpdate, endUpdateFlow, startFwUpdate, cancelUpdate and requestStop
// run on the caller's (GUI) thread; runUpdate blocks and belongs on a worker thread of its
// own. While it runs, a device watch looks for the camera every 50 ms during the transfer
// and a status watch reads the camera's status every 500 ms while it waits for the start.
// Every flag shared between these threads is atomic. The signals are emitted on the
// runUpdate thread; connect them queued to GUI receivers.
#include <QObject>
#include <QString>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

#include "base/quit_request.h"
#include "firmware/block_transfer.h"
#include "firmware/fw_file_check.h"
#include "firmware/fw_version.h"

// Outcomes of runUpdate (and of the signal updateEnd).
enum FwOutcome : int {
    kFwStarted = 0,           // the camera left the bus to flash the new image
    kFwNoVerdict = 1,         // the status watch ended without a verdict
    kFwCancelled = -1,        // cancelled, or stopped because the program quits
    kFwOpenFailed = -2,       // the image file cannot be opened
    kFwBadSize = -3,          // the image size is 0 or cannot be determined
    kFwTransferFailed = -4,   // a transfer step failed or the camera refused a block
    kFwStartFailed = -5,      // the start command failed and the camera still answers
    kFwTimedOut = -6,         // the camera did not leave the bus in time after the start
    kFwCameraFailed = -9,     // the camera reported the update as failed (status 15)
    kFwCameraVanished = -99,  // the camera left the bus before the update started
};

class UpdateFWbyUsbFunc : public QObject {
    Q_OBJECT

public:
    // Polling periods and limits; tests shorten them.
    struct Timing {
        int devicePollMs = 50;         // device watch during the transfer
        int statusPollMs = 500;        // status reads while waiting for the camera
        int statusTimeoutMs = 60000;   // longest wait for one expected status
        int restartTimeoutMs = 60000;  // longest wait for the camera to leave after the start
        // A block is the smallest multiple of 16 packets holding at least this many bytes.
        uint32_t minBlockBytes = 0xA00000;
    };

    // What the last checkNeedFwUpdate found.
    enum class CheckOutcome {
        Newer,          // the camera holds the header and stays in update mode
        NotNewer,       // the image is not newer than the running firmware
        FileRefused,    // the file cannot be sent (nothing was sent to the camera)
        CameraRefused,  // the camera answered status 15: it does not accept the image
        NoAnswer,       // a step of the check failed or the camera did not answer in time
    };

    // Time spent in extension-unit calls by the last runUpdate (its transfer phase).
    using TransferStats = BlockTransfer::Stats;

    // The transfer size must lie in this range: a packet carries transferSize - 8 data
    // bytes (the header packet 128 of them), counted in 16 bits.
    static constexpr int kMinTransferSize = 136;
    static constexpr int kMaxTransferSize = 0xFFFF + 8;

    UpdateFWbyUsbFunc();
    ~UpdateFWbyUsbFunc() override;
    UpdateFWbyUsbFunc(const UpdateFWbyUsbFunc&) = delete;
    UpdateFWbyUsbFunc& operator=(const UpdateFWbyUsbFunc&) = delete;

    void setTiming(const Timing& timing);
    void setTransferSize(int size) { transfer_.setTransferSize(size); }

    // Checks that the file can be sent, puts the camera into update mode, lets it read the
    // image header and answers whether the image is newer than running (always, with
    // force). Blocking.
    bool checkNeedFwUpdate(const QString& path, const std::string& running, bool force);
    CheckOutcome lastCheckOutcome() const { return lastCheck_; }
    const FirmwareFileCheck& lastFileCheck() const { return lastFile_; }
    // The last check or run failed because the camera answered status 15 (it refused the
    // header or a block of the image).
    bool cameraRefused() const { return cameraRefused_.load(); }
    // The version the camera read from the header of the last accepted check.
    FwVersion checkedVersion() const { return checkedVersion_; }

    // Leaves update mode.
    void endUpdateFlow();
    // Sends the image, waits for the user's start and the camera's drop-off; emits
    // updateEnd with the outcome and returns it. Blocking: run it on a worker thread.
    int runUpdate(const QString& path, bool debug);
    // Whether the run waits for the user's start: the image is in the camera, no verdict
    // has been reached and no start was sent. False once the run has ended.
    bool isAwaitingStart() const;
    // The user confirmed: the camera starts flashing. False when the run no longer waits
    // for a start (nothing is sent). A command whose transfer fails is followed like a
    // started update: a camera that leaves the bus to flash often drops the command's
    // answer. When the camera answers its status afterwards, the run ends with -5.
    bool startFwUpdate();
    // The start command was sent in this run (the camera may be flashing).
    bool startWasSent() const { return startSent_.load(); }
    // The user cancelled: the run ends with -1 at the next packet or status read.
    void cancelUpdate();
    // The program quits: like cancelUpdate, and every later wait ends at once. Safe from
    // any thread; runUpdate returns within one packet or one poll.
    void requestStop();
    // Ends both watches.
    void stopTimer();

    TransferStats transferStats() const { return transfer_.stats(); }

signals:
    // The image is in the camera; the user must now confirm the start.
    void waitForUpdateStart();
    void updateEnd(int code);
    // Transfer progress, 0 to 100.
    void updateProgress(double percent);

private:
    // Waits for the camera's status to become expected; false on 15 (the camera refuses:
    // cameraRefused), 65535, time-out or stop.
    bool checkCameraStatus(int expected);
    void startDeviceTimer();
    void startStatusTimer();
    // Ends the run's device watch and waits for its thread.
    void joinDeviceWatch();
    // Ends runUpdate: leaves update mode when asked, emits updateEnd and returns result.
    int finishRun(bool leaveUpdateMode);

    // A user's cancel, a stop, or the program's quit request (a signal may raise it).
    bool cancelled() const { return cancelRequested_.load() || stopRequested_.load() || quitRequested(); }
    // Sleeps ms unless the wait ends earlier (stop, or keepWaiting turning false).
    void pause(int ms, const std::atomic<bool>* keepWaiting = nullptr);
    void wakeWaiters();
    // Sets result only while no verdict was reached.
    void setVerdict(int code);

    QString filePath;
    Timing timing_;
    std::atomic<int> lastStatus{-1};
    std::atomic<bool> statusTimerRunning{false};
    std::atomic<bool> deviceTimerRunning{false};
    std::atomic<bool> cancelRequested_{false};
    std::atomic<bool> stopRequested_{false};
    std::atomic<bool> deviceMissed{false};
    std::atomic<bool> startSent_{false};
    // The start command's transfer failed: the next status read tells whether the camera
    // left to flash (no answer) or is still there (-5).
    std::atomic<bool> startUnanswered_{false};
    std::atomic<bool> cameraRefused_{false};
    std::atomic<long long> startDeadlineMs_{0};
    std::atomic<int> result{kFwNoVerdict};
    std::thread watchThread;
    std::mutex wakeMutex_;
    std::condition_variable wake_;
    CheckOutcome lastCheck_ = CheckOutcome::FileRefused;
    FirmwareFileCheck lastFile_;
    FwVersion checkedVersion_;
    BlockTransfer transfer_;
};
