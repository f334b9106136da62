#pragma once
// The busy spinner dialog: a transparent dialog covered by a spinning indicator. Every
// page owns one; it is opened with exec() and closed with closeDialog() as often as
// needed (it is not deleted when closed).
#include "widgets/base_dialog.h"

class QProgressIndicator;

class BusyProgress : public BaseDialog {
    Q_OBJECT

public:
    explicit BusyProgress(QWidget* parent = nullptr);

private:
    void setupUi();
    void retranslateUi();

    QProgressIndicator* indicator_ = nullptr;
};
