#include "widgets/busy_progress.h"

#include "widgets/q_progress_indicator.h"

BusyProgress::BusyProgress(QWidget* parent) : BaseDialog(parent) {
    setupUi();  // BaseDialog has made the background translucent
    indicator_->startAnimation();
}

void BusyProgress::setupUi() {
    setObjectName(QStringLiteral("BusyProgress"));
    resize(300, 180);
    indicator_ = new QProgressIndicator(this);
    indicator_->setObjectName(QStringLiteral("indicator"));
    indicator_->setGeometry(0, 0, 300, 180);
    retranslateUi();
}

void BusyProgress::retranslateUi() {
    setWindowTitle(tr("BusyProgress"));
}
