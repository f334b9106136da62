#include "tabs/setting_tab.h"

SettingTab::SettingTab(QWidget* parent) : BaseTab(parent) {
    setObjectName(QStringLiteral("SettingTab"));
}
