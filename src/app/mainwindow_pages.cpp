// The main window's page area: the pages in the tab widget, the side strip's buttons,
// the refill of the pages after a connection and the return to the settings page.
#include <QButtonGroup>
#include <QGuiApplication>
#include <QIcon>
#include <QPushButton>
#include <QScreen>
#include <QTabBar>
#include <QTabWidget>
#include <QTimer>

#include "app/mainwindow.h"
#include "app/page_state.h"
#include "base/app_config.h"
#include "base/debug_log.h"
#include "base/scale_size.h"
#include "engine/current_values.h"
#include "engine/setting_task_engine.h"
#include "tabs/info_tab.h"
#include "tabs/mode_tab.h"
#include "tabs/setting_tab.h"
#include "widgets/tab_button.h"

bool sidePanelShown = true;
SettingTab* settingTab = nullptr;
ModeTab* modeTab = nullptr;
InfoTab* infoTab = nullptr;

namespace {
QIcon icon(const char* name) {
    return QIcon(QStringLiteral(":/icons/") + QString::fromLatin1(name) + QStringLiteral(".png"));
}

// The tab widget's width fitted from the scale it was last fitted to to the current one.
void fitTabWidgetWidth(QTabWidget* tabWidget) {
    tabWidget->setFixedWidth(static_cast<int>(tabWidget->width() / appConfig().scale * getScaleSize()));
}

}  // namespace

void mainwindow::buildPages() {
    ui.tabWidget->setTabPosition(QTabWidget::West);
    fitTabWidgetWidth(ui.tabWidget);
    ui.tabWidget->tabBar()->hide();
    // The pages are fitted to the tab widget's full width: no pane frame takes from it.
    ui.tabWidget->setStyleSheet(QStringLiteral("QTabWidget::pane { border: none; }"));

    buildSettingPage();
    buildModePage();
    buildInfoPage();

    appConfig().scale = getScaleSize();
    connect(ui.hideBtn, &QPushButton::released, this, &mainwindow::hiddenBtnClicked);
    connect(QGuiApplication::primaryScreen(), &QScreen::logicalDotsPerInchChanged, this,
            &mainwindow::logicalDotsPerInchChanged);

    ui.hideBtn->setIcon(icon("arrow_back"));
    ui.settingBtn->setIcons(icon("tab_icon_setting"), icon("tab_icon_setting_h"), icon("tab_icon_setting_h"));
    ui.modeBtn->setIcons(icon("tab_icon_mode"), icon("tab_icon_mode_h"), icon("tab_icon_mode_h"));
    ui.infoBtn->setIcons(icon("tab_icon_info"), icon("tab_icon_info_h"), icon("tab_icon_info_h"));
    tabGroup = new QButtonGroup(this);
    tabGroup->addButton(ui.settingBtn, 2);
    tabGroup->addButton(ui.modeBtn, 3);
    tabGroup->addButton(ui.infoBtn, 4);
    tabGroup->setExclusive(true);
    connect(tabGroup, &QButtonGroup::idPressed, this, &mainwindow::tabSelected);
    if (!appConfig().debug)
        ui.modeBtn->hide();
}

QList<BaseTab*> mainwindow::pages() const {
    QList<BaseTab*> present;
    for (BaseTab* page : {static_cast<BaseTab*>(settingTab), static_cast<BaseTab*>(modeTab),
                          static_cast<BaseTab*>(infoTab)}) {
        if (page != nullptr)
            present.append(page);
    }
    return present;
}

void mainwindow::refillPages() {
    SettingTaskEngine& engine = SettingTaskEngine::instance();
    engine.pauseJobAdding();
    // Whatever the pages queue while they copy the values in is dropped.
    for (BaseTab* page : pages())
        page->updateFromState();
    engine.resumeJobAdding();

    // The stream just opened runs the default MJPG format; the mode page selects it too.
    currentValues().resolution = modeTab != nullptr ? modeTab->setMJPGDefault() : RESOLUTION_LIST();
    if (requestedFormat_ != "MJPG")
        QTimer::singleShot(0, this, &mainwindow::restoreNativeDefault);
}

void mainwindow::returnToSettingsPage() {
    ui.settingBtn->select();
    ui.tabWidget->setCurrentIndex(0);
    ui.modeBtn->showNormalIcon();
    ui.infoBtn->showNormalIcon();
}

void mainwindow::logicalDotsPerInchChanged(qreal dpi) {
    debugLog("logicalDotsPerInchChanged: %f\n", dpi);
    resize(minimumSize());
    fitTabWidgetWidth(ui.tabWidget);
    for (BaseTab* page : pages())
        page->scaleForDpi();
    appConfig().scale = getScaleSize();
}

void mainwindow::hiddenBtnClicked() {
    debugLog("hiddenBtnClicked %d\n", sidePanelShown);
    if (sidePanelShown) {
        ui.tabWidget->close();
        sidePanelShown = false;
        ui.hideBtn->setIcon(icon("arrow_right"));
    } else {
        ui.tabWidget->show();
        sidePanelShown = true;
        ui.hideBtn->setIcon(icon("arrow_back"));
    }
}

void mainwindow::tabSelected(int id) {
    debugLog("tabSelected %d, %d\n", id, sidePanelShown);
    // Tab button ids 2, 3 and 4 show tabs 0, 1 and 2; the other two buttons go normal.
    TabButton* const buttons[] = {ui.settingBtn, ui.modeBtn, ui.infoBtn};
    if (id < 2 || id > 4)
        return;
    ui.tabWidget->setCurrentIndex(id - 2);
    for (int other = 2; other <= 4; ++other) {
        if (other != id)
            buttons[other - 2]->showNormalIcon();
    }
}
