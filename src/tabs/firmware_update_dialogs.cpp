#include "tabs/firmware_update_dialogs.h"

#include <QFileDialog>
#include <QTimer>
#include <string>

#include "base/app_config.h"
#include "base/debug_log.h"
#include "engine/current_values.h"
#include "tabs/base_tab.h"
#include "tabs/page_dialogs.h"
#include "widgets/busy_progress.h"
#include "widgets/custom_progress_dialog.h"
#include "widgets/general_dialog.h"
#include "xu/uvc_xu_manager.h"

namespace {
constexpr int kProgressIntervalMs = 100;
using Step = FirmwareUpdate::Step;
using Ending = FirmwareUpdate::Ending;

QString versionText(const FwVersion& v) {
    return QStringLiteral("%1.%2.%3").arg(v.formal).arg(v.major).arg(v.minor);
}
}  // namespace

FirmwareUpdateDialogs::FirmwareUpdateDialogs(FirmwareUpdate& update, BaseTab* page,
                                             std::function<void(bool)> enableControls)
    : update_(update), page_(page), enableControls_(std::move(enableControls)) {
    QObject::connect(&update_, &FirmwareUpdate::stepChanged, &context_, [this](Step step) {
        if (!active_ && !verdictPending_)
            return;  // not a flow of this view
        const Ending ending = update_.ending();
        const Step failedAt = update_.failedAt();
        QMetaObject::invokeMethod(
            &context_, [this, step, ending, failedAt] { onStep(step, ending, failedAt); },
            Qt::QueuedConnection);
    });
    QObject::connect(&update_, &FirmwareUpdate::progressChanged, &context_, [this](double percent) {
        debugLog("updateProgress %f\n", percent);
        progressPercent_ = int(percent);
    });
}

QWidget* FirmwareUpdateDialogs::dialogParent() const {
    return page_->parentWidget();
}

bool FirmwareUpdateDialogs::ask(const QString& title, const QString& content, const QString& rightText) {
    return PageDialogs::ask(dialogParent(), title, content, rightText);
}

void FirmwareUpdateDialogs::tell(const QString& title, const QString& content) {
    PageDialogs::tell(dialogParent(), title, content);
}

void FirmwareUpdateDialogs::endFlowUnlessRunning() {
    if (runOpen_)
        return;  // its end is still to be shown
    active_ = false;
    enableControls_(true);
}

void FirmwareUpdateDialogs::begin() {
    debugLog("fwUpdateBtnClicked \n");
    if (active_)
        return;  // one update at a time
    active_ = true;
    enableControls_(false);
    if (beforeUpdate_ && !beforeUpdate_()) {
        debugLog("Cenceled \n");
    } else if (ask(tr("Firmware Update"),
                   tr("The firmware update will take a while and\n the device will reboot.\n Are you sure "
                      "want to "
                      "update?"),
                   tr("Update Now"))) {
        chooseAndCheck();
    } else {
        debugLog("Cenceled \n");
    }
    endFlowUnlessRunning();
}

QString FirmwareUpdateDialogs::selectFile() {
    debugLog("selectFile \n");
    if (fileChooser_)
        return fileChooser_(page_);
    QFileDialog dialog(page_, tr("Choose firmware file"), QStringLiteral("."), tr("firmware file(*.bin)"));
    const int accepted = dialog.exec();
    debugLog("selectFile exec:%d \n", accepted);
    if (accepted != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return QString();
    return dialog.selectedFiles().first();
}

QString FirmwareUpdateDialogs::fileProblemText() const {
    switch (update_.fileProblem()) {
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

void FirmwareUpdateDialogs::chooseAndCheck() {
    for (;;) {
        if (!UVCXUManager::instance().isCommandEnabled()) {
            tell(tr("Firmware Update Failed"),
                 tr("The camera is not connected.\n Please wait until it is ready and try again."));
            debugLog("Cenceled \n");
            update_.cancel();
            return;
        }
        debugLog("Start select file \n");
        const QString path = selectFile();
        if (path.isEmpty()) {
            debugLog("Select cancel \n");
            update_.cancel();
            return;
        }
        debugLog("file selected: %s\n", path.toLocal8Bit().constData());
        const CurrentValues& values = currentValues();
        const bool started =
            update_.start(path, values.fwVersion, values.transferSize.load(), appConfig().debug);
        writeStdout(std::string("checkNeedFwUpdate ") + (started ? "1" : "0") + "\n");
        if (started) {
            runOpen_ = true;
            showProgress();
            return;
        }
        bool again = false;
        switch (update_.ending()) {
            case Ending::FileRefused:
                // Nothing was sent to the camera.
                debugLog("showInvalidFileDialog \n");
                again = ask(tr("Invalid Firmware File"), fileProblemText(), tr("Try Again"));
                break;
            case Ending::CheckRefused:
            case Ending::CheckUnanswered:
                debugLog("showCheckFailDialog \n");
                again = ask(tr("Firmware Update Failed"),
                            update_.ending() == Ending::CheckRefused
                                ? tr("The camera did not accept the firmware file.\n Please try again.")
                                : tr("The camera did not answer the firmware check.\n Please try again."),
                            tr("Try Again"));
                break;
            default:
                debugLog("showReSelectDialog \n");
                again = ask(tr("Firmware Update Failed"), tr("Please check if it is the latest version."),
                            tr("Try Again"));
                break;
        }
        if (!again) {
            debugLog("Cenceled \n");
            update_.cancel();
            return;
        }
    }
}

void FirmwareUpdateDialogs::showProgress() {
    debugLog("startProgressTimer \n");
    progressPercent_ = 0;
    progressDialog_ = new CustomProgressDialog(dialogParent());
    QObject::connect(progressDialog_, &CustomProgressDialog::cancelBtnClicked, &context_,
                     [this] { cancelTransfer(); });
    progressTimer_ = new QTimer(&context_);
    progressTimer_->setInterval(kProgressIntervalMs);
    QObject::connect(progressTimer_, &QTimer::timeout, &context_, [this] {
        if (progressDialog_)
            progressDialog_->setProgress(progressPercent_);
    });
    progressTimer_->start();
    progressDialog_->exec();
}

void FirmwareUpdateDialogs::stopProgress() {
    debugLog("stopProgressTimer \n");
    if (progressTimer_) {
        progressTimer_->stop();
        progressTimer_->deleteLater();
    }
    if (progressDialog_)
        progressDialog_->closeProgress();
}

void FirmwareUpdateDialogs::cancelTransfer() {
    debugLog("Cenceled \n");
    update_.cancel();
    stopProgress();
}

void FirmwareUpdateDialogs::onStep(Step step, Ending ending, Step failedAt) {
    if (!active_ && !verdictPending_)
        return;  // stopped meanwhile
    switch (step) {
        case Step::Idle:
            if (runOpen_)
                closeStoppedRun();  // stopped by its owner for the quit
            break;
        case Step::AwaitingStart:
            askStart();
            break;
        case Step::Flashing:
            if (update_.step() == Step::Flashing)
                page_->busyProgress()->exec();  // closed at the run's end
            break;
        case Step::AwaitingReturn:
            showRunEnd(step, ending);
            break;
        case Step::Done:
            showVerdict(true);
            break;
        case Step::Failed:
            if (failedAt == Step::Verifying)
                showVerdict(false);
            else if (failedAt != Step::Checking && failedAt != Step::AwaitingReturn)
                showRunEnd(step, ending);
            break;  // a give-up before the transfer: nothing more to say
        default:
            break;
    }
}

void FirmwareUpdateDialogs::askStart() {
    if (update_.step() != Step::AwaitingStart)
        return;  // the run ended meanwhile: its end follows
    stopProgress();
    debugLog("showUpdateSuccessDialog \n");
    auto* dialog = new GeneralDialog(dialogParent());
    dialog->init(
        tr("Start Firmware Update"),
        tr("The device will reboot for firmware update,\n please do not unplug the USB cable during\n the "
           "camera update process."),
        QString(), tr("OK"));
    bool confirmed = false;
    QObject::connect(dialog, &GeneralDialog::rightBtnClicked, dialog, [&confirmed] { confirmed = true; });
    startQuestion_ = dialog;
    const int run = runsEnded_;
    dialog->exec();
    if (run != runsEnded_) {
        // The run ended while the question was open (its end closed it, maybe after a
        // whole new attempt): the answer belongs to nothing that still runs.
        debugLog("start question answered after the update run ended: ignored \n");
        return;
    }
    if (!confirmed) {
        // Closed from outside (the camera left, the window closes): the image stays unused.
        if (update_.step() == Step::AwaitingStart)
            update_.cancel();
        return;
    }
    debugLog("Start update \n");
    update_.confirm();
}

QString FirmwareUpdateDialogs::outcomeText(Ending ending) const {
    switch (ending) {
        case Ending::OpenFailed:
            return tr("The firmware file cannot be opened.");
        case Ending::BadSize:
            return tr("The firmware file is empty.");
        case Ending::StartFailed:
            return tr("The camera did not start the update.\n Please try again.");
        case Ending::TimedOut:
            return tr("The camera did not answer in time.\n Please try again.");
        case Ending::CameraFailed:
            return tr("The camera reported a failure\n while updating. Please try again.");
        case Ending::ImageRefused:
            return tr("The camera did not accept the firmware image\n it received. Please try again.");
        default:
            break;
    }
    return tr("The file is damaged, please try again.");
}

void FirmwareUpdateDialogs::showRunEnd(Step step, Ending ending) {
    debugLog("resetUpdateStatus \n");
    ++runsEnded_;
    runOpen_ = false;
    if (startQuestion_) {
        // The start question of this run is still open: it has nothing left to start.
        debugLog("close start question: the update run has ended \n");
        startQuestion_->close();
    }
    progressPercent_ = 0;
    stopProgress();
    page_->busyProgress()->closeDialog();

    bool tryAgain = false;
    if (step == Step::AwaitingReturn) {
        verdictPending_ = true;  // told once the camera is back
    } else if (ending == Ending::NoVerdict) {
        debugLog("default fail, disconnected \n");
    } else if (ending == Ending::CameraVanished) {
        debugLog("device lost \n");
        tell(tr("Firmware Update Failed"),
             tr("The camera was disconnected during the update.\n Its firmware is unchanged."));
    } else if (ending == Ending::Cancelled) {
        debugLog("canceled \n");
    } else {
        debugLog("showUpdateFailDialog \n");
        tryAgain = ask(tr("Transmission Failed"), outcomeText(ending), tr("Try Again"));
        if (!tryAgain)
            debugLog("Cenceled \n");
    }
    if (tryAgain)
        chooseAndCheck();
    endFlowUnlessRunning();
}

void FirmwareUpdateDialogs::showVerdict(bool updated) {
    if (!verdictPending_)
        return;
    verdictPending_ = false;
    const QString running = QString::fromStdString(update_.versionAfter());
    const QString expected = versionText(update_.imageVersion());
    // After the refresh: the main window finishes its connection before the message.
    QTimer::singleShot(0, &context_, [this, updated, running, expected] {
        if (updated) {
            tell(tr("Firmware Update Completed"),
                 tr("The camera now runs firmware version %1.").arg(running));
        } else {
            tell(tr("Firmware Update Failed"),
                 tr("The camera restarted with firmware version %1\n instead of %2. Please try again.")
                     .arg(running, expected));
        }
    });
}

bool FirmwareUpdateDialogs::confirmQuit() {
    if (!update_.holdsCamera())
        return true;
    if (!ask(tr("Firmware Update"),
             tr("A firmware update is running.\n Quitting now may leave the camera\n unusable. Quit anyway?"),
             tr("Quit")))
        return false;
    stop();
    return true;
}

void FirmwareUpdateDialogs::stop() {
    if (!update_.holdsCamera())
        return;
    update_.stop();
    closeStoppedRun();
}

void FirmwareUpdateDialogs::closeStoppedRun() {
    ++runsEnded_;
    runOpen_ = false;
    if (startQuestion_)
        startQuestion_->close();
    stopProgress();
    page_->busyProgress()->closeDialog();
    active_ = false;
}
