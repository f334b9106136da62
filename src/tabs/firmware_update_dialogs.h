#pragma once
// The information page's view of a firmware update: a fixed sequence of modal dialogs
// over the steps of a FirmwareUpdate it does not own. Question, file choice and check
// (again after a refusal), transfer with progress, confirmation of the start, busy spinner
// while the camera flashes, the outcome, and after the camera's return whether the update
// took. It shows the steps of the flows it began; the window's side of the steps is the
// window's (or the session's) own.
//
// The steps arrive posted, after every direct receiver of stepChanged has reacted, with
// the ending as it was at the step; a dialog for a step that has passed is not shown.
#include <QCoreApplication>
#include <QObject>
#include <QPointer>
#include <functional>

#include "firmware/firmware_update.h"

class BaseTab;
class CustomProgressDialog;
class GeneralDialog;
class QTimer;
class QWidget;

class FirmwareUpdateDialogs {
    Q_DECLARE_TR_FUNCTIONS(InfoTab)

public:
    // Answers the chosen image path, empty when the choice was cancelled.
    using FileChooser = std::function<QString(QWidget* parent)>;

    // page: the dialogs' owner (they open over its parent) with its busy spinner;
    // enableControls: switches the page's update and reset buttons.
    FirmwareUpdateDialogs(FirmwareUpdate& update, BaseTab* page, std::function<void(bool)> enableControls);

    // The "FW Update" button: the whole flow, from the question on.
    void begin();
    // From the update question until its last dialog closed.
    bool isActive() const { return active_; }
    // Asked when the window is to close: true when no update holds the camera, or when the
    // user agrees to quit anyway; the update is then stopped.
    bool confirmQuit();
    // Stops a running update at its next safe point and closes its dialogs.
    void stop();
    // Replaces the file dialog (tests).
    void setFileChooser(FileChooser chooser) { fileChooser_ = std::move(chooser); }
    // Asked before the update's own question; false ends the flow (the window asks while
    // another application holds the camera's stream).
    void setBeforeUpdate(std::function<bool()> ask) { beforeUpdate_ = std::move(ask); }
    // The progress dialog's "Cancel".
    void cancelTransfer();

private:
    QWidget* dialogParent() const;
    bool ask(const QString& title, const QString& content, const QString& rightText);
    void tell(const QString& title, const QString& content);
    // Chooses and checks files until one is accepted (the transfer starts) or the user
    // gives up.
    void chooseAndCheck();
    QString selectFile();
    QString fileProblemText() const;
    QString outcomeText(FirmwareUpdate::Ending ending) const;
    void showProgress();
    void stopProgress();
    void endFlowUnlessRunning();

    void onStep(FirmwareUpdate::Step step, FirmwareUpdate::Ending ending, FirmwareUpdate::Step failedAt);
    void askStart();
    // The run's end: AwaitingReturn (the camera flashes) or a failure of the run.
    void showRunEnd(FirmwareUpdate::Step step, FirmwareUpdate::Ending ending);
    void showVerdict(bool updated);
    // A run stopped for the quit: its dialogs close, the flow ends without a word.
    void closeStoppedRun();

    FirmwareUpdate& update_;
    BaseTab* page_;
    std::function<void(bool)> enableControls_;
    FileChooser fileChooser_;
    std::function<bool()> beforeUpdate_;
    QObject context_;  // the connections and posted steps end with this view
    QPointer<QTimer> progressTimer_;
    QPointer<CustomProgressDialog> progressDialog_;
    int progressPercent_ = 0;
    bool active_ = false;
    // A run this view started has not been shown as ended yet.
    bool runOpen_ = false;
    // A run of this view's flow ended with the camera flashing: its verdict is to be shown.
    bool verdictPending_ = false;
    // The start question while it is open; runs ended so far (an answer given after its
    // run ended is ignored).
    QPointer<GeneralDialog> startQuestion_;
    int runsEnded_ = 0;
};
