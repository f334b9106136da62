// The setting page: created as the next tab; its controls reach the settings engine
// through their own bindings.
#include <QTabWidget>

#include "app/mainwindow.h"
#include "app/page_state.h"
#include "tabs/setting_tab.h"

void mainwindow::buildSettingPage() {
    settingTab = new SettingTab(ui.tabWidget);
    ui.tabWidget->addTab(settingTab, QString());

    // The page never sends it today; whoever does gets the default stream format.
    connect(settingTab, &SettingTab::changeDefaultResolution, this, &mainwindow::changeDefaultResolution);
}
