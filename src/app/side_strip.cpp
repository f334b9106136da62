#include "app/side_strip.h"

#include <QButtonGroup>
#include <QCoreApplication>
#include <QMainWindow>
#include <QPushButton>
#include <QShortcut>
#include <QTabWidget>
#include <algorithm>

#include "app/mainwindow_ui.h"
#include "base/app_config.h"
#include "base/debug_log.h"
#include "widgets/choice_group.h"
#include "widgets/drawn_icon.h"
#include "widgets/tab_button.h"

namespace {
QIcon icon(const char* name) {
    return drawnIcon("icons", name);
}
}  // namespace

SideStrip::SideStrip(const MainWindowForm& form, QMainWindow* window) : QObject(window), ui(form) {
    connect(ui.hideBtn, &QPushButton::released, this, &SideStrip::togglePanel);
    ui.hideBtn->setIcon(icon("arrow_back"));
    // A button's checked and hover looks are one drawing, read once.
    const auto setIcons = [](TabButton* button, const char* normal, const char* highlighted) {
        const QIcon lit = icon(highlighted);
        button->setIcons(icon(normal), lit, lit);
    };
    setIcons(ui.settingBtn, "tab_icon_setting", "tab_icon_setting_h");
    setIcons(ui.modeBtn, "tab_icon_mode", "tab_icon_mode_h");
    setIcons(ui.infoBtn, "tab_icon_info", "tab_icon_info_h");
    tabGroup_ = new QButtonGroup(this);
    tabGroup_->addButton(ui.settingBtn, 2);
    tabGroup_->addButton(ui.modeBtn, 3);
    tabGroup_->addButton(ui.infoBtn, 4);
    tabGroup_->setExclusive(true);
    // Tab enters the strip at the page shown, the arrow keys go through the pages.
    makeChoiceGroup(tabGroup_);
    connect(tabGroup_, &QButtonGroup::idPressed, this, &SideStrip::select);
    // An assistive tool's toggle action checks a tab button without pressing it.
    connect(tabGroup_, &QButtonGroup::idToggled, this, [this](int id, bool checked) {
        if (checked && ui.tabWidget->currentIndex() != id - 2)
            select(id);
    });
    if (!appConfig().debug)
        ui.modeBtn->hide();
    nameHideButton();

    for (const QKeySequence& keys : {QKeySequence(Qt::CTRL + Qt::Key_Tab)})
        connect(new QShortcut(keys, window), &QShortcut::activated, this, [this] { cycle(1); });
    for (const QKeySequence& keys : {QKeySequence(Qt::CTRL + Qt::SHIFT + Qt::Key_Tab),
                                     QKeySequence(Qt::CTRL + Qt::SHIFT + Qt::Key_Backtab)})
        connect(new QShortcut(keys, window), &QShortcut::activated, this, [this] { cycle(-1); });
}

void SideStrip::cycle(int direction) {
    QList<QAbstractButton*> shown;
    for (QAbstractButton* button : tabGroup_->buttons()) {
        if (!button->isHidden())
            shown.append(button);
    }
    if (shown.isEmpty())
        return;
    const int at = std::max(0, static_cast<int>(shown.indexOf(tabGroup_->checkedButton())));
    shown[(at + direction + shown.size()) % shown.size()]->click();
}

// The hide button says what it will do.
void SideStrip::nameHideButton() {
    // The texts belong to the window's translation context.
    ui.hideBtn->setAccessibleName(panelShown_
                                      ? QCoreApplication::translate("mainwindow", "Hide the side panel")
                                      : QCoreApplication::translate("mainwindow", "Show the side panel"));
}

void SideStrip::togglePanel() {
    debugLog("hiddenBtnClicked %d\n", panelShown_);
    if (panelShown_) {
        ui.tabWidget->close();
        ui.hideBtn->setIcon(icon("arrow_right"));
    } else {
        ui.tabWidget->show();
        ui.hideBtn->setIcon(icon("arrow_back"));
    }
    panelShown_ = !panelShown_;
    nameHideButton();
}

void SideStrip::select(int id) {
    debugLog("tabSelected %d, %d\n", id, panelShown_);
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

void SideStrip::returnToSettingsPage() {
    ui.tabWidget->setCurrentIndex(0);
    ui.settingBtn->select();
    ui.modeBtn->showNormalIcon();
    ui.infoBtn->showNormalIcon();
}
