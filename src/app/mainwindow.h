#pragma once
// The application's only top-level window and the owner of the camera connection: it
// shows the live preview, drives the preview tick (33 ms) and the connect tick
// (2000 ms), reads the camera's values once per connection and turns the pages' control
// changes into settings jobs. While no camera is usable it is covered by the overlay
// with "Camera is Not Connected" and its working area is darkened.
//
// The connection state lives in the process-wide flags of connection_flags.h.
#include <QMainWindow>
#include <QThread>
#include <map>
#include <memory>
#include <string>

#include "app/mainwindow_ui.h"
#include "base/resolution_list.h"
#include "capture/frame_image.h"
#include "capture/uvc_stream.h"

class BaseTab;
class FirmwareUpdate;
class ProtectLayout;
class QButtonGroup;
class QTimer;
class QTranslator;

// The program's version, as logged at start and printed by --version.
constexpr const char* kApplicationVersion = LUMORA_APP_VERSION;  // from the project's version

class mainwindow : public QMainWindow {
    Q_OBJECT

public:
    // How long the window waits between things. Tests shorten them.
    struct Timing {
        int previewIntervalMs = 33;    // preview tick
        int connectIntervalMs = 2000;  // connect tick
        int firstConnectMs = 0;        // the first connect, after the first paint; below 0: at the first tick
        int deviceRetrySleepMs = 500;  // pause before each new extension-unit check
        int resetCompletionMs = 1000;  // reset with the camera kept: busy time before the read
        int resetSettleMs = 500;       // then the pause before the values are read again
        int resetAntiFlickerMs = 200;  // debug reset: time the worker gets for its last job
        int resetWaitLimitMs = 20000;  // debug reset: longest wait for the camera's return
    };

    // Receives the stream's open results on the GUI thread.
    class CStreamCallback : public StreamCallback {
    public:
        explicit CStreamCallback(mainwindow* window) : window_(window) {}
        void streamResult(int result) override;

    private:
        mainwindow* window_;
    };

    explicit mainwindow(QWidget* parent = nullptr);
    explicit mainwindow(const Timing& timing, QWidget* parent = nullptr);
    ~mainwindow() override;
    mainwindow(const mainwindow&) = delete;
    mainwindow& operator=(const mainwindow&) = delete;

    // Cover the window with the overlay (with or without its text) and darken the
    // working area; enableWindow undoes both. Invokable by name: the dialogs reach
    // them without knowing this class.
    Q_INVOKABLE void disableWindow();
    Q_INVOKABLE void disableWindowWithoutText();
    Q_INVOKABLE void enableWindow();
    // Back to Searching: the connect tick opens the camera again.
    void disableWindowAndReconnect();
    // Closes every open dialog and removes the dimming it put on the window.
    void closeAllDialogs();
    // The screen scale factor.
    double getScaleSize();
    // Reads the camera's current values into CurrentValues (only with an open stream).
    void getDefaultValue();
    // The settings page asks for the default stream format: the default MJPG entry is
    // opened (like a choice on the mode page).
    void changeDefaultResolution();

    // Force handlers: the value on the release of a slider, logged and queued once more
    // as a forced job, so the final value reaches the camera. forcePanTilt queues pan,
    // then tilt; forceGamma sends the page's value times 10.
    void forceZoom(int value);
    void forcePanTilt(int pan, int tilt);
    void forceGain(int value);
    void forceExp(int value);
    void forceWb(int value);
    void forceBrightnessm(int value);
    void forceContrast(int value);
    void forceHue(int value);
    void forceSaturation(int value);
    void forceSharpness(int value);
    void forceGamma(int value);

    // What the window's flows, its pages and tests reach.
    const MainWindowForm& form() const { return ui; }
    ProtectLayout* overlay() const { return overlay_; }
    UvcStream& stream() { return *stream_; }
    FrameImage& frameImage() { return frameImage_; }
    QTimer* previewTimerObject() const { return previewTimer; }
    QTimer* connectTimerObject() const { return connectTimer; }
    const Timing& timing() const { return timing_; }
    FirmwareUpdate& firmwareUpdate() { return *firmwareUpdate_; }

protected:
    // While a firmware update runs the user is asked first; quitting stops the update.
    void closeEvent(QCloseEvent* event) override;

public slots:
    void hiddenBtnClicked();
    void tabSelected(int id);
    void updateImage();
    void connectCamera();
    void controlEptzSlider(int value);
    void controlPan(int value);
    void controlTilt(int value);
    void controlExpMode(bool automatic);
    void controlGain(int value);
    void controlExpValue(int value);
    void controlWBMode(bool automatic);
    void controlWBValue(int value);
    void controlBrightness(int value);
    void controlContrast(int value);
    void controlHue(int value);
    void controlSaturation(int value);
    void controlSharpness(int value);
    void controlGamma(int value);
    void controlBCMode(bool on);
    void controlAntiFlickerMode(int mode);
    void channgeMode(int mode);
    void channgeResolution(RESOLUTION_LIST r);
    void resetSettings();

private:
    // Construction steps.
    void setUpLanguageAndIdentity();
    void buildPages();
    // One per page, each in its own file: create the page as the next tab, set its page
    // reference and make its connections.
    void buildSettingPage();
    void buildModePage();
    void buildInfoPage();
    // The window's side of the firmware update's steps (mainwindow_info_page.cpp).
    void followFirmwareUpdate();
    // A firmware run is over: the camera is opened again (also when it left to flash).
    void reconnectAfterFirmwareRun();
    void startTimers();

    // The connection state machine (mainwindow_connection.cpp).
    void streamResult(int result);
    // Enables the extension-unit channel and asks for the unit, retrying up to 20 times;
    // false at once on a quit request.
    bool findExtensionUnit();
    // A quit came during a connection: the stream goes, nothing connects any more.
    void abandonConnectionForQuit();
    // Turns closing the window and the end of the event loop into a quit request and
    // makes the stream's opens wait with the window kept alive (window_wait.h).
    void installQuitHandling();
    // Stops the worker, disables the channel and releases the stream (device lost).
    void releaseLostCamera();
    void releaseStreamAndClearPreview();
    // Prepares the frame image for the default stream before it opens.
    void prepareDefaultFrameFormat();
    void showFrame();

    // Page hooks (mainwindow_pages.cpp).
    void refillPages();
    // The primary screen's logical DPI changed: re-fit the window and every page.
    void logicalDotsPerInchChanged(qreal dpi);
    // The pages present, in the order settings, mode, information.
    QList<BaseTab*> pages() const;
    void returnToSettingsPage();

    void darkenWorkingArea();

    // Camera profiles (mainwindow_profile.cpp): the stored settings of the connected
    // camera are applied after its values were read, and saved whenever they change.
    void applyStoredProfile();
    void saveProfileIfChanged();
    // Stores the values that differ from savedProfile_ (merged by key into the file).
    void storeChangedProfileValues(const std::map<std::string, int>& values);
    // Stops the worker and stores the last changes, the queued ones included.
    void storeProfileOnTheWayOut();
    // A factory reset forgets the camera's stored settings.
    void forgetStoredProfile();

    // The stream-format and reset flows (mainwindow_flows.cpp).
    // Re-opens the stream with r in place of the running format; on failure re-opens the
    // running one, and covers the window (Searching) when that fails too.
    void switchStreamFormat(const RESOLUTION_LIST& r);
    // Stops the worker, disables the channel, releases the stream and opens it with r.
    // True when the window is Ready again with the stream open.
    bool reopenStream(const RESOLUTION_LIST& r);
    // Reads the values again (the pages are refilled) while the stream runs `running`.
    void readValuesKeeping(const RESOLUTION_LIST& running);
    void tellFormatRefused();
    // After a reconnect the stream runs the default MJPG entry, but converted to RGB32 when
    // the last format requested was another one: open it again with its native samples.
    void restoreNativeDefault();
    // Reset with the camera kept: closes the busy dialog and reads the values again.
    void completeReset();
    // Debug reset: closes the busy dialog once the camera is back, or after the limit.
    void watchResetReturn();
    // The connect tick's third block: the camera dropped off for its reset.
    void checkResetDisconnect();
    // Clears the information page's pending reset confirmation.
    void forgetResetConfirmation();

    MainWindowForm ui;
    QButtonGroup* tabGroup = nullptr;
    QTimer* previewTimer = nullptr;
    QThread thread_;  // constructed and destroyed with the window, never started
    QTimer* connectTimer = nullptr;
    FrameImage frameImage_;
    std::unique_ptr<UvcStream> stream_;
    std::unique_ptr<CStreamCallback> callback_;
    ProtectLayout* overlay_ = nullptr;
    QTranslator* translator_ = nullptr;
    Timing timing_;
    QTimer* profileTimer_ = nullptr;
    QString profileSerial_;  // the connected camera's serial number
    // The values as last stored or applied: a change is a value that differs from it.
    std::map<std::string, int> savedProfile_;
    // A format change or a reset is running (a second one is refused meanwhile).
    bool flowRunning_ = false;
    // The format of the last format request the stream matched: its default opens use
    // that format's sample kind (native samples for MJPG only).
    std::string requestedFormat_ = "MJPG";
    QTimer* resetWatch_ = nullptr;
    FirmwareUpdate* firmwareUpdate_ = nullptr;  // a child of the window
};
