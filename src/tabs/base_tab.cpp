#include "tabs/base_tab.h"

#include "widgets/busy_progress.h"

BaseTab::BaseTab(QWidget* parent) : QWidget(parent) {
    busy_ = new BusyProgress(parent);
}
