// The main window's page area: the pages in the tab widget, the side strip's buttons,
// the refill of the pages after a connection and the return to the settings page.
#include <QButtonGroup>
#include <QGuiApplication>
#include <QIcon>
#include <QPushButton>
#include <QScreen>
#include <QShortcut>
#include <QTabBar>
#include <QTabWidget>
#include <QTimer>
#include <algorithm>

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
#include "widgets/choice_group.h"
#include "widgets/drawn_icon.h"
#include "widgets/tab_button.h"

bool sidePanelShown = true;
SettingTab* settingTab = nullptr;
ModeTab* modeTab = nullptr;
InfoTab* infoTab = nullptr;

namespace {
QIcon icon(const char* name) {
    return drawnIcon("icons", name);
}

// The hide button says what it will do.
void nameHideButton(QPushButton* hideBtn, bool panelShown) {
    hideBtn->setAccessibleName(panelShown ? mainwindow::tr("Hide the side panel")
                                          : mainwindow::tr("Show the side panel"));
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
    // Tab enters the strip at the page shown, the arrow keys go through the pages.
    makeChoiceGroup(tabGroup);
    connect(tabGroup, &QButtonGroup::idPressed, this, &mainwindow::tabSelected);
    // An assistive tool's toggle action checks a tab button without pressing it.
    connect(tabGroup, &QButtonGroup::idToggled, this, [this](int id, bool checked) {
        if (checked && ui.tabWidget->currentIndex() != id - 2)
            tabSelected(id);
    });
    if (!appConfig().debug)
        ui.modeBtn->hide();
    nameHideButton(ui.hideBtn, sidePanelShown);

    // Ctrl+Tab and Ctrl+Shift+Tab go through the pages the tab strip shows.
    const auto cycle = [this](int direction) {
        QList<QAbstractButton*> shown;
        for (QAbstractButton* button : tabGroup->buttons()) {
            if (!button->isHidden())
                shown.append(button);
        }
        if (shown.isEmpty())
            return;
        const int at = std::max(0, static_cast<int>(shown.indexOf(tabGroup->checkedButton())));
        shown[(at + direction + shown.size()) % shown.size()]->click();
    };
    for (const QKeySequence& keys : {QKeySequence(Qt::CTRL + Qt::Key_Tab)})
        connect(new QShortcut(keys, this), &QShortcut::activated, this, [cycle] { cycle(1); });
    for (const QKeySequence& keys : {QKeySequence(Qt::CTRL + Qt::SHIFT + Qt::Key_Tab),
                                     QKeySequence(Qt::CTRL + Qt::SHIFT + Qt::Key_Backtab)})
        connect(new QShortcut(keys, this), &QShortcut::activated, this, [cycle] { cycle(-1); });
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
    ui.tabWidget->setCurrentIndex(0);
    ui.settingBtn->select();
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
        nameHideButton(ui.hideBtn, sidePanelShown);
    } else {
        ui.tabWidget->show();
        sidePanelShown = true;
        ui.hideBtn->setIcon(icon("arrow_back"));
        nameHideButton(ui.hideBtn, sidePanelShown);
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
