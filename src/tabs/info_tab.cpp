#include "tabs/info_tab.h"

InfoTab::InfoTab(QWidget* parent) : BaseTab(parent) {
    setObjectName(QStringLiteral("InfoTab"));
}
