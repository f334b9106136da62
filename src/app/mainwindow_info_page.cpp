// The info page: created as the next tab, with its connections to the main window; the
// window's side of a firmware update's steps and the question before quitting during one.
#include <QCloseEvent>
#include <QTabWidget>

#include "app/connection_flags.h"
#include "app/mainwindow.h"
#include "app/page_state.h"
#include "base/debug_log.h"
#include "engine/setting_task_engine.h"
#include "firmware/firmware_update.h"
#include "tabs/info_tab.h"
#include "xu/uvc_xu_manager.h"

void mainwindow::buildInfoPage() {
    // The window reacts to a step before the page shows its dialogs for it.
    firmwareUpdate_ = new FirmwareUpdate(this);
    connect(firmwareUpdate_, &FirmwareUpdate::stepChanged, this, &mainwindow::followFirmwareUpdate);
    infoTab = new InfoTab(*firmwareUpdate_, ui.tabWidget);
    ui.tabWidget->addTab(infoTab, QString());
    infoTab->setResetFlag(&resetDone);
    connect(infoTab, &InfoTab::resetAllSettings, this, &mainwindow::resetSettings, Qt::UniqueConnection);
}

void mainwindow::followFirmwareUpdate() {
    using Step = FirmwareUpdate::Step;
    switch (firmwareUpdate_->step()) {
        case Step::Transferring:
            // The transfer begins: the settings worker stops.
            debugLog("deleteCamera fwUpdateStart\n");
            SettingTaskEngine::instance().deleteCamera();
            break;
        case Step::AwaitingStart:
            // The image is in the camera: the connect tick watches for the camera leaving.
            fwUpdating = true;
            break;
        case Step::Flashing:
            // The user started the camera's update: the stream goes, the camera will reboot.
            fwUpdating = false;
            returnToSettingsPage();
            releaseStreamAndClearPreview();
            break;
        case Step::AwaitingReturn:
            // The camera left to flash: the connect tick finds it again.
            reconnectAfterFirmwareRun();
            break;
        case Step::Failed:
            if (firmwareUpdate_->failedAt() == Step::Verifying)
                break;  // the camera is back and connected; the page tells the verdict
            if (firmwareUpdate_->ending() == FirmwareUpdate::Ending::Cancelled)
                disableWindowWithoutText();
            reconnectAfterFirmwareRun();
            break;
        default:
            break;
    }
}

void mainwindow::reconnectAfterFirmwareRun() {
    debugLog("setEnableCommand fwUpdateDone\n");
    fwUpdating = false;  // the run is over: no drop-off is awaited any more
    UVCXUManager::instance().setEnableCommand(false);
    debugLog("deleteCamera fwUpdateDone\n");
    SettingTaskEngine::instance().deleteCamera();
    debugLog("\n*******fwUpdateDone*******: %d\n", firmwareUpdate_->outcome());
    disableWindowAndReconnect();
}

void mainwindow::closeEvent(QCloseEvent* event) {
    if (infoTab != nullptr && !infoTab->confirmQuit()) {
        debugLog("close refused: firmware update running\n");
        event->ignore();
        return;
    }
    QMainWindow::closeEvent(event);
}
