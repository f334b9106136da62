#pragma once
// The application's only top-level window: a view of the camera session. It shows the
// live preview (the preview tick, 33 ms), the side strip and the three pages, and draws
// its cover from the session's state: while no camera is usable it is covered by the
// overlay with "Camera is Not Connected" and its working area is darkened. The camera's
// connection, its flows and its profile are the session's (session/camera_session.h).
#include <QMainWindow>

#include "app/mainwindow_ui.h"
#include "base/resolution_list.h"
#include "session/camera_session.h"
#include "widgets/window_cover.h"

class BaseTab;
class FramingController;
class InfoTab;
class ModeTab;
class ProtectLayout;
class QLabel;
class QTimer;
class QTranslator;
class SettingTab;
class SideStrip;

// The program's version, as logged at start and printed by --version.
constexpr const char* kApplicationVersion = LUMORA_APP_VERSION;  // from the project's version

class mainwindow : public QMainWindow, public WindowCover {
    Q_OBJECT

public:
    // How long the window waits between things. Tests shorten them.
    struct Timing {
        int previewIntervalMs = 33;  // preview tick
        int firstConnectMs = 0;      // the first connect, after the first paint; below 0: at the first tick
        CameraSession::Timing session;
    };

    explicit mainwindow(QWidget* parent = nullptr);
    explicit mainwindow(const Timing& timing, QWidget* parent = nullptr);
    ~mainwindow() override;
    mainwindow(const mainwindow&) = delete;
    mainwindow& operator=(const mainwindow&) = delete;

    // The cover: the overlay (with or without its text) and the darkened working area;
    // enableWindow undoes both. The dialogs reach them through WindowCover.
    void disableWindow();
    void disableWindowWithoutText() override;
    void enableWindow() override;
    void setDialogDarkening(QGraphicsEffect* effect) override;
    // Closes every open dialog and removes the dimming it put on the window.
    void closeAllDialogs();
    // The screen scale factor.
    double getScaleSize();

    // What tests and the window's helpers reach.
    CameraSession& session() { return session_; }
    const MainWindowForm& form() const { return ui; }
    ProtectLayout* overlay() const { return overlay_; }
    QTimer* previewTimerObject() const { return previewTimer_; }
    // The pages are built once the window has painted, or at their first use when that
    // comes earlier (as here).
    SettingTab* settingPage();
    ModeTab* modePage();
    InfoTab* infoPage();
    QLabel* inUseNote() const { return inUseNote_; }

protected:
    // While a firmware update runs the user is asked first; quitting stops the update.
    void closeEvent(QCloseEvent* event) override;

public slots:
    void hiddenBtnClicked();
    void tabSelected(int id);
    void updateImage();
    void connectCamera();
    void channgeMode(int mode);
    void channgeResolution(RESOLUTION_LIST r);
    void resetSettings();
    // The settings page asks for the default stream format: the default MJPG entry is
    // opened (like a choice on the mode page).
    void changeDefaultResolution();
    // The three pages with their connections; once. The first paint shows none of them:
    // the darkened working area shows the settings page's background where it will be.
    void buildPages();
    // Once, right after the first paint: the settings page, painted at once, the window's
    // icon and the other pages.
    void finishStart();

private:
    void setUpLanguageAndIdentity();
    // The tab widget fitted to the screen and the side strip; the pages come later.
    void setUpPageArea();
    // The first of the pages (buildPages makes it first), alone.
    void buildSettingPage();
    void connectSession();
    void startTimers();

    // The cover drawn for each of the session's transitions.
    void showState(SessionState now, SessionState before);
    // The resets' busy time: shown until the session leaves the reset's state.
    void showResetBusy(SessionState now);
    // The values were read: the pages show them, the mode page picks the default format.
    void refillPages();
    // The primary screen's logical DPI changed: re-fit the window and every page.
    void logicalDotsPerInchChanged(qreal dpi);
    // All three pages (built first when they are not yet), or those built so far.
    QList<BaseTab*> pages();
    QList<BaseTab*> builtPages() const;
    void returnToSettingsPage();
    void darkenWorkingArea();
    void showFrame();
    void tellFormatRefused();
    // While another application holds the stream (InUse) the preview area says who, and
    // what would take the stream from it (a format change, a firmware update) asks first.
    void buildInUseNote();
    void showInUseNote(bool inUse);
    QString holderName() const;
    QString inUseText() const;
    QString deniedText() const;
    bool askBeforeTakingStream(const QString& title, const QString& what);
    bool askBeforeFormatChange();

    MainWindowForm ui;
    Timing timing_;
    CameraSession session_;
    QTimer* previewTimer_ = nullptr;
    ProtectLayout* overlay_ = nullptr;
    QTranslator* translator_ = nullptr;
    SideStrip* sideStrip_ = nullptr;
    SettingTab* settingPage_ = nullptr;
    FramingController* framings_ = nullptr;
    ModeTab* modePage_ = nullptr;
    InfoTab* infoPage_ = nullptr;
    double pagesFittedFrom_ = 1.0;  // the scale the pages are laid out for
    QLabel* inUseNote_ = nullptr;
};
