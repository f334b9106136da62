// The information page's firmware update flow: question, file choice and check, transfer
// with progress, start confirmation, busy spinner and the outcome; after the camera's
// return, the check of the version it runs.
#include <QFileDialog>
#include <QPushButton>
#include <QTimer>
#include <string>

#include "base/app_config.h"
#include "base/debug_log.h"
#include "engine/current_values.h"
#include "tabs/info_tab.h"
#include "widgets/busy_progress.h"
#include "widgets/custom_progress_dialog.h"
#include "widgets/general_dialog.h"
#include "xu/uvc_xu_manager.h"

namespace {
constexpr int kProgressIntervalMs = 100;

QString versionText(const FwVersion& v) {
    return QStringLiteral("%1.%2.%3").arg(v.formal).arg(v.major).arg(v.minor);
}
}  // namespace

bool InfoTab::ask(const QString& title, const QString& content, const QString& rightText) {
    auto* dialog = new GeneralDialog(parentWidget());
    dialog->init(title, content, tr("Cancel"), rightText);
    bool right = false;
    connect(dialog, &GeneralDialog::rightBtnClicked, this, [&right] { right = true; });
    dialog->exec();
    return right;
}

void InfoTab::tell(const QString& title, const QString& content) {
    auto* dialog = new GeneralDialog(parentWidget());
    dialog->init(title, content, QString(), tr("OK"));
    dialog->exec();
}

void InfoTab::setUpdateControlsEnabled(bool enabled) {
    fwUpdateButton->setEnabled(enabled);
    resetButton->setEnabled(enabled);
}

void InfoTab::fwUpdateBtnClicked() {
    debugLog("fwUpdateBtnClicked \n");
    if (flowActive_)
        return;  // one update at a time
    flowActive_ = true;
    setUpdateControlsEnabled(false);
    if (ask(tr("Firmware Update"),
            tr("The firmware update will take a while and\n the device will reboot.\n Are you sure want to "
               "update?"),
            tr("Update Now"))) {
        chooseAndCheck();
    } else {
        debugLog("Cenceled \n");
    }
    if (!isUpdateRunning()) {
        flowActive_ = false;
        setUpdateControlsEnabled(true);
    }
}

QString InfoTab::selectFile() {
    debugLog("selectFile \n");
    if (fileChooser_)
        return fileChooser_(this);
    QFileDialog dialog(this, tr("Choose firmware file"), QStringLiteral("."), tr("firmware file(*.bin)"));
    const int accepted = dialog.exec();
    debugLog("selectFile exec:%d \n", accepted);
    if (accepted != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return QString();
    return dialog.selectedFiles().first();
}

void InfoTab::cancelBeforeTransfer() {
    debugLog("Cenceled \n");
    emit fwUpdateCancel();
    emit fwUpdateDone(kFwCancelled);
}

QString InfoTab::fileProblemText() const {
    switch (engine.lastFileCheck().problem) {
        case FileProblem::None:
            break;
        case FileProblem::Unreadable:
            return tr("The file cannot be read.");
        case FileProblem::NotAFile:
            return tr("The selected path is not a file.");
        case FileProblem::Empty:
            return tr("The file is empty.");
        case FileProblem::TooShort:
            return tr("The file is shorter than a firmware header (128 bytes).");
        case FileProblem::TooLarge:
            return tr("The file is too large to send to the camera.");
    }
    return QString();
}

void InfoTab::chooseAndCheck() {
    for (;;) {
        if (!UVCXUManager::instance().isCommandEnabled()) {
            tell(tr("Firmware Update Failed"),
                 tr("The camera is not connected.\n Please wait until it is ready and try again."));
            cancelBeforeTransfer();
            return;
        }
        debugLog("Start select file \n");
        const QString path = selectFile();
        if (path.isEmpty()) {
            debugLog("Select cancel \n");
            emit fwUpdateCancel();
            emit fwUpdateDone(kFwCancelled);
            return;
        }
        debugLog("file selected: %s\n", path.toLocal8Bit().constData());
        const bool newer = engine.checkNeedFwUpdate(path, currentValues().fwVersion, appConfig().debug);
        writeStdout(std::string("checkNeedFwUpdate ") + (newer ? "1" : "0") + "\n");
        if (newer) {
            versionBefore_ = currentValues().fwVersion;
            startTransfer(path);
            return;
        }
        bool again = false;
        switch (engine.lastCheckOutcome()) {
            case UpdateFWbyUsbFunc::CheckOutcome::FileRefused:
                // Nothing was sent to the camera.
                debugLog("showInvalidFileDialog \n");
                again = ask(tr("Invalid Firmware File"), fileProblemText(), tr("Try Again"));
                break;
            case UpdateFWbyUsbFunc::CheckOutcome::CameraRefused:
            case UpdateFWbyUsbFunc::CheckOutcome::NoAnswer: {
                engine.endUpdateFlow();
                debugLog("showCheckFailDialog \n");
                const bool refused =
                    engine.lastCheckOutcome() == UpdateFWbyUsbFunc::CheckOutcome::CameraRefused;
                again = ask(tr("Firmware Update Failed"),
                            refused ? tr("The camera did not accept the firmware file.\n Please try again.")
                                    : tr("The camera did not answer the firmware check.\n Please try again."),
                            tr("Try Again"));
                break;
            }
            case UpdateFWbyUsbFunc::CheckOutcome::NotNewer:
            case UpdateFWbyUsbFunc::CheckOutcome::Newer:
                engine.endUpdateFlow();
                debugLog("showReSelectDialog \n");
                again = ask(tr("Firmware Update Failed"), tr("Please check if it is the latest version."),
                            tr("Try Again"));
                break;
        }
        if (!again) {
            cancelBeforeTransfer();
            return;
        }
    }
}

void InfoTab::startTransfer(const QString& path) {
    fwPath = path;
    stopping_ = false;
    emit fwUpdateStart();
    appConfig().fwUpdateRunning = true;
    updateThread = std::thread([this, path] { engine.runUpdate(path, false); });

    debugLog("startProgressTimer \n");
    progressPercent = 0;
    progressDialog = new CustomProgressDialog(parentWidget());
    connect(progressDialog, &CustomProgressDialog::cancelBtnClicked, this, &InfoTab::onProgressCancel);
    progressTimer = new QTimer(this);
    progressTimer->setInterval(kProgressIntervalMs);
    connect(progressTimer, &QTimer::timeout, this, [this] {
        if (progressDialog)
            progressDialog->setProgress(progressPercent);
    });
    progressTimer->start();
    progressDialog->exec();
}

void InfoTab::stopProgress() {
    debugLog("stopProgressTimer \n");
    if (progressTimer) {
        progressTimer->stop();
        progressTimer->deleteLater();
    }
    if (progressDialog)
        progressDialog->closeProgress();
}

void InfoTab::onUpdateProgress(double percent) {
    debugLog("updateProgress %f\n", percent);
    progressPercent = int(percent);
}

void InfoTab::onProgressCancel() {
    debugLog("Cenceled \n");
    engine.cancelUpdate();
    stopProgress();
    emit fwUpdateCancel();
}

void InfoTab::onWaitForUpdateStart() {
    if (stopping_)
        return;
    if (!engine.isAwaitingStart()) {
        // The run ended before this signal arrived (the camera left, a status read failed,
        // status 15, a cancel): its outcome follows, there is nothing to start.
        debugLog("waitForUpdateStart: the update run has ended \n");
        return;
    }
    debugLog("waitForUpdateStart \n");
    emit fwUpdateWaitUpdate();
    stopProgress();
    debugLog("showUpdateSuccessDialog \n");
    auto* dialog = new GeneralDialog(parentWidget());
    dialog->init(
        tr("Start Firmware Update"),
        tr("The device will reboot for firmware update,\n please do not unplug the USB cable during\n the "
           "camera update process."),
        QString(), tr("OK"));
    bool confirmed = false;
    connect(dialog, &GeneralDialog::rightBtnClicked, this, [&confirmed] { confirmed = true; });
    startQuestion_ = dialog;
    const int run = runsEnded_;
    dialog->exec();
    if (run != runsEnded_) {
        // The run ended while the question was open (onUpdateEnd closed it, maybe after a
        // whole new attempt): the answer belongs to nothing that still runs.
        debugLog("start question answered after the update run ended: ignored \n");
        return;
    }
    if (!confirmed) {
        // Closed from outside (the camera left, the window closes): the image stays unused.
        engine.cancelUpdate();
        return;
    }
    debugLog("Start update \n");
    emit fwUpdateStarted();
    if (engine.startFwUpdate() && isUpdateRunning())
        busy_->exec();
}

QString InfoTab::outcomeText(int code) const {
    switch (code) {
        case kFwOpenFailed:
            return tr("The firmware file cannot be opened.");
        case kFwBadSize:
            return tr("The firmware file is empty.");
        case kFwStartFailed:
            return tr("The camera did not start the update.\n Please try again.");
        case kFwTimedOut:
            return tr("The camera did not answer in time.\n Please try again.");
        case kFwCameraFailed:
            return tr("The camera reported a failure\n while updating. Please try again.");
        case kFwTransferFailed:
            if (engine.cameraRefused())
                return tr("The camera did not accept the firmware image\n it received. Please try again.");
            break;
        default:
            break;
    }
    return tr("The file is damaged, please try again.");
}

void InfoTab::onUpdateEnd(int code) {
    debugLog("updateEnd %d \n", code);
    debugLog("resetUpdateStatus \n");
    if (updateThread.joinable())
        updateThread.join();  // runUpdate returns right after its signal
    ++runsEnded_;
    if (startQuestion_) {
        // The start question of this run is still open: it has nothing left to start.
        debugLog("close start question: the update run has ended \n");
        startQuestion_->close();
    }
    progressPercent = 0;
    stopProgress();
    busy_->closeDialog();
    if (stopping_) {
        flowActive_ = false;
        return;
    }

    bool tryAgain = false;
    switch (code) {
        case kFwNoVerdict:
            debugLog("default fail, disconnected \n");
            emit fwUpdateDone(code);
            break;
        case kFwCameraVanished:
            debugLog("device lost \n");
            appConfig().fwUpdateRunning = false;
            emit fwUpdateDone(code);
            tell(tr("Firmware Update Failed"),
                 tr("The camera was disconnected during the update.\n Its firmware is unchanged."));
            break;
        case kFwStarted:
            appConfig().fwUpdateRunning = false;
            expectedVersion_ = engine.checkedVersion();
            verifyPending_ = true;
            emit fwUpdateDone(code);
            break;
        case kFwCancelled:
            debugLog("canceled \n");
            appConfig().fwUpdateRunning = false;
            emit fwUpdateDone(code);
            break;
        default:
            emit fwUpdateDone(code);
            debugLog("showUpdateFailDialog \n");
            tryAgain = ask(tr("Transmission Failed"), outcomeText(code), tr("Try Again"));
            if (!tryAgain) {
                debugLog("Cenceled \n");
                appConfig().fwUpdateRunning = false;
            }
            break;
    }
    if (tryAgain)
        chooseAndCheck();
    if (!isUpdateRunning()) {
        flowActive_ = false;
        setUpdateControlsEnabled(true);
    }
}

void InfoTab::showVersionCheck() {
    const std::string running = currentValues().fwVersion;
    debugLog("firmware after update: %s, expected %d.%d.%d\n", running.c_str(), expectedVersion_.formal,
             expectedVersion_.major, expectedVersion_.minor);
    debugLog("firmware before update: %s\n", versionBefore_.c_str());
    if (runsUpdatedFirmware(versionBefore_, running, expectedVersion_)) {
        tell(tr("Firmware Update Completed"),
             tr("The camera now runs firmware version %1.").arg(QString::fromStdString(running)));
    } else {
        tell(tr("Firmware Update Failed"),
             tr("The camera restarted with firmware version %1\n instead of %2. Please try again.")
                 .arg(QString::fromStdString(running), versionText(expectedVersion_)));
    }
}
