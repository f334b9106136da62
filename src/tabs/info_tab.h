#pragma once
// The information page: versions, serial number, firmware update, reset and licence notices.
#include "tabs/base_tab.h"

class InfoTab : public BaseTab {
    Q_OBJECT

public:
    explicit InfoTab(QWidget* parent = nullptr);
};
