#include "tabs/mode_tab.h"

ModeTab::ModeTab(QWidget* parent) : BaseTab(parent) {
    setObjectName(QStringLiteral("ModeTab"));
}
