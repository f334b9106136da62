// The mode page: created as the next tab, with its connections to the main window.
#include <QTabWidget>

#include "app/mainwindow.h"
#include "app/page_state.h"
#include "tabs/mode_tab.h"

void mainwindow::buildModePage() {
    modeTab = new ModeTab(ui.tabWidget);
    ui.tabWidget->addTab(modeTab, QString());
    connect(modeTab, &ModeTab::onResolutionChanged, this, &mainwindow::channgeResolution);
    connect(modeTab, &ModeTab::onModeSwitched, this, &mainwindow::channgeMode);
}
