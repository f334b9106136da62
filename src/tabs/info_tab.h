#pragma once
// The information page: the software and firmware versions, the serial number, the
// firmware update, the reset to factory settings and the two licence notices.
//
// The firmware update runs as a fixed sequence of modal dialogs: question, file choice
// and check, transfer with progress, confirmation of the start, busy spinner while the
// camera flashes, and a message with the outcome. The engine's runUpdate runs on a thread
// of the page; the engine's signals arrive queued. After the camera came back the page
// reads the new version and tells whether the update took. The main window learns every
// step through the page's signals.
#include <QPointer>
#include <QString>
#include <functional>
#include <string>
#include <thread>

#include "firmware/update_fw_by_usb_func.h"
#include "tabs/base_tab.h"

class CustomProgressDialog;
class GeneralDialog;
class QLabel;
class QPushButton;
class QScrollArea;
class QTimer;
class QVBoxLayout;
class QWidget;

class InfoTab : public BaseTab {
    Q_OBJECT

public:
    // Answers the chosen image path, empty when the choice was cancelled.
    using FileChooser = std::function<QString(QWidget* parent)>;

    explicit InfoTab(QWidget* parent = nullptr);
    ~InfoTab() override;

    void updateFromState() override;
    void scaleForDpi() override;

    // From the start of the transfer until the page has the engine's outcome.
    bool isUpdateRunning() const { return updateThread.joinable(); }
    // From the update question until its last dialog closed.
    bool isUpdateFlowActive() const { return flowActive_; }
    // Asked when the window is to close: true when no update runs, or when the user
    // agrees to quit anyway; the running update is then stopped and its thread joined.
    bool confirmQuit();
    // Stops a running update at its next safe point and waits for its thread.
    void stopUpdate();

    UpdateFWbyUsbFunc& updateEngine() { return engine; }
    // The flag "the reset was sent": set here with the reset command, consumed by the next
    // updateFromState. The main window hands in its own, which it clears when the camera
    // drops off; without one the page keeps its own.
    void setResetFlag(bool* flag) { resetDone = flag != nullptr ? flag : &ownResetDone_; }
    // The camera dropped off after its reset: no reset confirmation follows its return.
    void forgetResetConfirmation() { *resetDone = false; }
    // Replaces the file dialog (tests).
    void setFileChooser(FileChooser chooser) { fileChooser_ = std::move(chooser); }

signals:
    void resetAllSettings();
    void fwUpdateStart();
    void fwUpdateStarted();
    void fwUpdateDone(int code);
    void fwUpdateCancel();
    void fwUpdateWaitUpdate();

public slots:
    void fwUpdateBtnClicked();
    void resetBtnClicked();

private slots:
    void onWaitForUpdateStart();
    void onUpdateEnd(int code);
    void onUpdateProgress(double percent);
    void onProgressCancel();
    // The reset confirmation, once the refill after the camera's return is over.
    void confirmReset();

private:
    // The form (info_tab_form.cpp).
    void setupUi();
    void retranslateUi();
    QWidget* addSection(QVBoxLayout* layout, QLabel*& title, const char* name, const char* titleName);
    QPushButton* addButton(QWidget* section, const char* name);

    // The update flow (info_tab_update.cpp).
    // Chooses and checks files until one is accepted (the transfer starts) or the user
    // gives up.
    void chooseAndCheck();
    QString selectFile();
    void startTransfer(const QString& path);
    void stopProgress();
    // Ends the flow as a cancel before the transfer.
    void cancelBeforeTransfer();
    // A question with Cancel and another button; true when the other one was pressed.
    bool ask(const QString& title, const QString& content, const QString& rightText);
    // A message with only "OK".
    void tell(const QString& title, const QString& content);
    QString fileProblemText() const;
    QString outcomeText(int code) const;
    void showVersionCheck();
    void setUpdateControlsEnabled(bool enabled);

    // Licences (info_tab.cpp).
    void openLicense(const QString& fileName, const QString& title);

    QScrollArea* scrollArea = nullptr;
    QWidget* scrollAreaWidgetContents = nullptr;
    QLabel* ToolTitle = nullptr;
    QLabel* toolVersionLabel = nullptr;
    QLabel* FWTitle = nullptr;
    QLabel* versionLabel = nullptr;
    QPushButton* fwUpdateButton = nullptr;
    QLabel* ResetTitle = nullptr;
    QLabel* resetLabel = nullptr;
    QPushButton* resetButton = nullptr;
    QLabel* InfoTitle = nullptr;
    QLabel* SNLabel_title = nullptr;
    QLabel* SNLabel_content = nullptr;
    QLabel* LincenseTitle = nullptr;
    QPushButton* toolLicenseButton = nullptr;
    QPushButton* camLicenseButton = nullptr;

    UpdateFWbyUsbFunc engine;
    QString fwPath;
    std::thread updateThread;
    QPointer<QTimer> progressTimer;
    QPointer<CustomProgressDialog> progressDialog;
    FileChooser fileChooser_;
    int progressPercent = 0;
    bool ownResetDone_ = false;
    bool* resetDone = &ownResetDone_;
    bool flowActive_ = false;
    bool stopping_ = false;
    // After outcome 0: the version to find at the next refresh, and the one the camera
    // ran before the update.
    bool verifyPending_ = false;
    FwVersion expectedVersion_;
    std::string versionBefore_;
    // The start question while it is open; runs ended so far (an answer given after its
    // run ended is ignored).
    QPointer<GeneralDialog> startQuestion_;
    int runsEnded_ = 0;
};
