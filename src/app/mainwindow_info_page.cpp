// The info page: created as the next tab, with its connections to the main window; the
// window's side of a firmware update and the question before quitting during one.
#include <QCloseEvent>
#include <QTabWidget>

#include "app/connection_flags.h"
#include "app/mainwindow.h"
#include "app/page_state.h"
#include "base/app_config.h"
#include "base/debug_log.h"
#include "engine/setting_task_engine.h"
#include "tabs/info_tab.h"
#include "xu/uvc_xu_manager.h"

void mainwindow::buildInfoPage() {
    infoTab = new InfoTab(ui.tabWidget);
    ui.tabWidget->addTab(infoTab, QString());
    infoTab->setResetFlag(&resetDone);

    // The transfer begins: the settings worker stops.
    connect(infoTab, &InfoTab::fwUpdateStart, this, [] {
        debugLog("deleteCamera fwUpdateStart\n");
        SettingTaskEngine::instance().deleteCamera();
    });
    // The user started the camera's update: the stream goes, the camera will reboot.
    connect(infoTab, &InfoTab::fwUpdateStarted, this, [this] {
        fwUpdating = false;
        returnToSettingsPage();
        releaseStreamAndClearPreview();
    });
    // The image is in the camera: the connect tick watches for the camera leaving.
    connect(infoTab, &InfoTab::fwUpdateWaitUpdate, this, [] { fwUpdating = true; });
    connect(infoTab, &InfoTab::fwUpdateDone, this, [this](int result) {
        debugLog("setEnableCommand fwUpdateDone\n");
        fwUpdating = false;  // the run is over: no drop-off is awaited any more
        appConfig().fwUpdateRunning = false;
        UVCXUManager::instance().setEnableCommand(false);
        debugLog("deleteCamera fwUpdateDone\n");
        SettingTaskEngine::instance().deleteCamera();
        debugLog("\n*******fwUpdateDone*******: %d\n", result);
        disableWindowAndReconnect();
    });
    connect(infoTab, &InfoTab::fwUpdateCancel, this, &mainwindow::disableWindowWithoutText);
    connect(infoTab, &InfoTab::resetAllSettings, this, &mainwindow::resetSettings, Qt::UniqueConnection);
}

void mainwindow::closeEvent(QCloseEvent* event) {
    if (infoTab != nullptr && !infoTab->confirmQuit()) {
        debugLog("close refused: firmware update running\n");
        event->ignore();
        return;
    }
    QMainWindow::closeEvent(event);
}
