// The main window's page area: the pages in the tab widget, the side strip's buttons,
// the refill of the pages after a connection and the return to the settings page.
#include <QIcon>
#include <QPushButton>
#include <QTabWidget>

#include "app/mainwindow.h"
#include "app/page_state.h"
#include "base/app_config.h"
#include "base/debug_log.h"
#include "engine/current_values.h"
#include "engine/setting_task_engine.h"

bool sidePanelShown = true;

namespace {
// The stream format chosen by default after a connection: the MJPG entry of the list
// that APSet.ini names (width, height and fps all set), else 3520 x 1104 at 30 fps; the
// empty record when the list has none.
RESOLUTION_LIST defaultMjpgFormat(const std::vector<RESOLUTION_LIST>& list) {
    const AppConfig& config = appConfig();
    const bool hostDefined = config.defaultWidth != 0 && config.defaultHeight != 0 && config.defaultFps != 0;
    const int width = hostDefined ? config.defaultWidth : 3520;
    const int height = hostDefined ? config.defaultHeight : 1104;
    const int fps = hostDefined ? config.defaultFps : 30;
    for (const RESOLUTION_LIST& entry : list) {
        if (entry.format == "MJPG" && entry.width == width && entry.height == height && entry.fps == fps) {
            return entry;
        }
    }
    return RESOLUTION_LIST();
}
}  // namespace

void mainwindow::buildPages() {
    // The settings, mode and information pages are created here, as tabs 0, 1 and 2,
    // together with the side strip's tab buttons and their connections.
    ui.hideBtn->setIcon(QIcon(QStringLiteral(":/icons/arrow_back.png")));
    connect(ui.hideBtn, &QPushButton::released, this, &mainwindow::hiddenBtnClicked);
}

void mainwindow::refillPages() {
    SettingTaskEngine& engine = SettingTaskEngine::instance();
    engine.pauseJobAdding();
    // Each page present refreshes itself from CurrentValues here (settings, mode,
    // information); whatever they queue meanwhile is dropped.
    engine.resumeJobAdding();

    // Until the mode page chooses the stream format, the window takes the default one.
    currentValues().resolution = defaultMjpgFormat(appConfig().resolutionList);
}

void mainwindow::returnToSettingsPage() {
    if (ui.tabWidget->count() > 0)
        ui.tabWidget->setCurrentIndex(0);
}

void mainwindow::hiddenBtnClicked() {
    debugLog("hiddenBtnClicked %d\n", sidePanelShown);
    if (sidePanelShown) {
        ui.tabWidget->close();
        sidePanelShown = false;
        ui.hideBtn->setIcon(QIcon(QStringLiteral(":/icons/arrow_right.png")));
    } else {
        ui.tabWidget->show();
        sidePanelShown = true;
        ui.hideBtn->setIcon(QIcon(QStringLiteral(":/icons/arrow_back.png")));
    }
}

void mainwindow::tabSelected(int id) {
    debugLog("tabSelected %d, %d\n", id, sidePanelShown);
    // Tab button ids 2, 3 and 4 show tabs 0, 1 and 2.
    if (id >= 2 && id <= 4 && id - 2 < ui.tabWidget->count())
        ui.tabWidget->setCurrentIndex(id - 2);
}
