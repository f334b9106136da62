#pragma once
// The settings page: every picture and framing control of the camera in one scrolling column.
#include "tabs/base_tab.h"

class SettingTab : public BaseTab {
    Q_OBJECT

public:
    explicit SettingTab(QWidget* parent = nullptr);
};
