// The info page: created as the next tab, with its connections to the main window.
#include <QTabWidget>

#include "app/mainwindow.h"
#include "app/page_state.h"
#include "tabs/info_tab.h"

void mainwindow::buildInfoPage() {
    infoTab = new InfoTab(ui.tabWidget);
    ui.tabWidget->addTab(infoTab, QString());
}
