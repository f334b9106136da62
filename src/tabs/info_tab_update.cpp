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

QString InfoTab::checkFailureText() const {
    switch (engine.lastImageCheck().problem) {
        case ImageProblem::None:
            break;
        case ImageProblem::Unreadable:
            return tr("The file cannot be read.");
        case ImageProblem::NotAFile:
            return tr("The selected path is not a file.");
        case ImageProblem::Empty:
            return tr("The file is empty.");
        case ImageProblem::Truncated:
            return tr("The file is incomplete.");
        case ImageProblem::NotAnImage:
            return tr("The file is not a firmware image.");
        case ImageProblem::OtherModel:
            return tr("The firmware image is for another camera model.");
        case ImageProblem::SizeMismatch:
            return tr("The file size does not match the firmware image.");
        case ImageProblem::Damaged:
            return tr("The firmware image is damaged (checksum mismatch).");
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
            startTransfer(path);
            return;
        }
        bool again = false;
        switch (engine.lastCheckOutcome()) {
            case UpdateFWbyUsbFunc::CheckOutcome::BadImage:
                // Nothing was sent to the camera.
                debugLog("showInvalidFileDialog \n");
                again = ask(tr("Invalid Firmware File"), checkFailureText(), tr("Try Again"));
                break;
            case UpdateFWbyUsbFunc::CheckOutcome::CameraRefused:
                engine.endUpdateFlow();
                debugLog("showCheckFailDialog \n");
                again = ask(tr("Firmware Update Failed"),
                            tr("The camera did not accept the firmware file.\n Please try again."),
                            tr("Try Again"));
                break;
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
    dialog->exec();
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
        default:
            return tr("The file is damaged, please try again.");
    }
}

void InfoTab::onUpdateEnd(int code) {
    debugLog("updateEnd %d \n", code);
    debugLog("resetUpdateStatus \n");
    if (updateThread.joinable())
        updateThread.join();  // runUpdate returns right after its signal
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
    const FwVersion running = parseRunningVersion(currentValues().fwVersion);
    debugLog("firmware after update: %s, expected %d.%d.%d\n", currentValues().fwVersion,
             expectedVersion_.formal, expectedVersion_.major, expectedVersion_.minor);
    if (running == expectedVersion_) {
        tell(tr("Firmware Update Completed"), tr("The camera now runs firmware version %1.")
                                                  .arg(QString::fromLatin1(currentValues().fwVersion)));
    } else {
        tell(tr("Firmware Update Failed"),
             tr("The camera restarted with firmware version %1\n instead of %2. Please try again.")
                 .arg(QString::fromLatin1(currentValues().fwVersion), versionText(expectedVersion_)));
    }
}
