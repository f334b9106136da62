// The setting page: created as the next tab, with its connections to the main window.
#include <QTabWidget>

#include "app/mainwindow.h"
#include "app/page_state.h"
#include "tabs/setting_tab.h"

void mainwindow::buildSettingPage() {
    settingTab = new SettingTab(ui.tabWidget);
    ui.tabWidget->addTab(settingTab, QString());
}
