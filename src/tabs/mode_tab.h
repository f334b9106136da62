#pragma once
// The stream mode page: stream format and resolution (reachable in debug mode only).
#include "tabs/base_tab.h"

class ModeTab : public BaseTab {
    Q_OBJECT

public:
    explicit ModeTab(QWidget* parent = nullptr);
};
