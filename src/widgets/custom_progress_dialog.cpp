#include "widgets/custom_progress_dialog.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

#include "base/debug_log.h"
#include "widgets/dialog_style.h"
#include "widgets/window_cover.h"

CustomProgressDialog::CustomProgressDialog(QWidget* parent) : BaseDialog(parent) {
    setDeleteWhenClosed(true);
    setupUi();
    connect(cancelBtn, &QPushButton::released, this, &CustomProgressDialog::handleCancelBtn);
}

void CustomProgressDialog::setupUi() {
    setObjectName(QStringLiteral("CustomProgressDialog"));
    resize(292, 137);
    setFont(calibriFont(11));

    QWidget* frame = addDialogFrame(this);

    auto* frameLayout = new QVBoxLayout(frame);
    frameLayout->setContentsMargins(0, 15, 0, 10);
    frameLayout->setSpacing(10);

    headerLabel = new QLabel(frame);
    headerLabel->setObjectName(QStringLiteral("headerLabel"));
    headerLabel->setFont(calibriFont(14));
    headerLabel->setAlignment(Qt::AlignCenter);
    headerLabel->setFixedHeight(30);
    headerLabel->setStyleSheet(QLatin1String(kWhiteTextStyle));
    frameLayout->addWidget(headerLabel);

    auto* barRow = new QHBoxLayout();
    barRow->setObjectName(QStringLiteral("horizontalLayout"));
    barRow->setContentsMargins(30, 0, 0, 0);
    barRow->setSpacing(6);

    progressBar = new QProgressBar(frame);
    progressBar->setObjectName(QStringLiteral("progressBar"));
    progressBar->setFixedSize(240, 10);
    progressBar->setFont(calibriFont(8));
    progressBar->setRange(0, 100);
    progressBar->setValue(0);
    progressBar->setTextVisible(false);
    progressBar->setStyleSheet(
        QStringLiteral("QProgressBar { background-color: rgb(29, 34, 42); border: none; border-radius: 5px; }"
                       "QProgressBar::chunk { background-color: rgb(52, 117, 204); border-radius: 5px; }"));
    barRow->addWidget(progressBar);

    cancelBtn = new QPushButton(frame);
    cancelBtn->setObjectName(QStringLiteral("cancelBtn"));
    cancelBtn->setFixedSize(15, 15);
    cancelBtn->setStyleSheet(
        QStringLiteral("QPushButton { background-color: rgb(81, 87, 95); border-radius: 7px; border: none;"
                       " image: url(:/appicon/icon_cancel.png); }"));
    barRow->addWidget(cancelBtn);
    barRow->addStretch();
    frameLayout->addLayout(barRow);

    hintLabel = new QLabel(frame);
    hintLabel->setObjectName(QStringLiteral("hintLabel"));
    hintLabel->setFont(calibriFont(10));
    hintLabel->setAlignment(Qt::AlignCenter);
    hintLabel->setFixedHeight(30);
    hintLabel->setStyleSheet(QStringLiteral("color: rgb(153, 157, 162); background: transparent;"));
    frameLayout->addWidget(hintLabel);

    retranslateUi();
}

void CustomProgressDialog::retranslateUi() {
    headerLabel->setText(tr("File Uploading..."));
    hintLabel->setText(tr("This operation may take a while."));
    setWindowTitle(headerLabel->text());
    setAccessibleDescription(hintLabel->text());
    progressBar->setAccessibleName(tr("Transfer progress"));
    cancelBtn->setAccessibleName(tr("Cancel the transfer"));
}

QAbstractButton* CustomProgressDialog::cancellingButton() const {
    return cancelBtn;
}

void CustomProgressDialog::setProgress(int percent) {
    progressBar->setValue(percent);
}

int CustomProgressDialog::progress() const {
    return progressBar->value();
}

bool CustomProgressDialog::closeProgress() {
    if (!isShowing_)
        return false;
    debugLog("close \n");
    progressBar->setValue(0);
    isShowing_ = false;
    if (WindowCover* cover = windowCoverFor(this))
        cover->setDialogDarkening(nullptr);
    return close();
}

void CustomProgressDialog::handleCancelBtn() {
    emit cancelBtnClicked();
    closeProgress();
}
