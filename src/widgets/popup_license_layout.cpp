#include "widgets/popup_license_layout.h"

#include <QFile>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QTextBrowser>
#include <QTextStream>
#include <QVBoxLayout>

#include "base/debug_log.h"
#include "widgets/dialog_style.h"

PopupLicenseLayout::PopupLicenseLayout(QWidget* parent) : BaseDialog(parent) {
    setDeleteWhenClosed(true);
    setupUi();
    textBrowser->setReadOnly(true);
    textBrowser->setOpenExternalLinks(true);
    connect(closeButton, &QPushButton::released, this, &PopupLicenseLayout::closeDialog);
}

void PopupLicenseLayout::setupUi() {
    setObjectName(QStringLiteral("PopupLicenseLayout"));
    resize(800, 700);

    QWidget* frame = addDialogFrame(this);

    auto* frameLayout = new QVBoxLayout(frame);
    frameLayout->setContentsMargins(20, 10, 10, 20);
    frameLayout->setSpacing(10);

    auto* titleRow = new QHBoxLayout();
    titleRow->setObjectName(QStringLiteral("horizontalLayout"));
    titleLabel = new QLabel(frame);
    titleLabel->setObjectName(QStringLiteral("titleLabel"));
    titleLabel->setFont(calibriFont(14, QFont::Bold));
    titleLabel->setStyleSheet(QLatin1String(kWhiteTextStyle));
    titleRow->addWidget(titleLabel, 1);

    closeButton = new QPushButton(frame);
    closeButton->setObjectName(QStringLiteral("closeButton"));
    closeButton->setFixedSize(30, 30);
    closeButton->setAccessibleName(tr("Close"));
    closeButton->setStyleSheet(QStringLiteral(
        "QPushButton { border: none; background: transparent; image: url(:/appicon/ic_close.png); }"
        "QPushButton:hover { image: url(:/appicon/ic_close_hover.png); }"));
    titleRow->addWidget(closeButton);
    frameLayout->addLayout(titleRow);

    textBrowser = new QTextBrowser(frame);
    textBrowser->setObjectName(QStringLiteral("textBrowser"));
    textBrowser->setStyleSheet(
        QStringLiteral("QTextBrowser { background-color: rgb(255, 255, 255); color: rgb(0, 0, 0);"
                       " border: none; border-radius: 0px; }"));
    frameLayout->addWidget(textBrowser);
}

void PopupLicenseLayout::showLicense(const QString& title, const QString& path) {
    titleLabel->setText(title);
    setWindowTitle(title);
    textBrowser->setAccessibleName(title);
    QFile file(path);
    if (file.open(QIODevice::ReadOnly | QIODevice::Text)) {
        QTextStream stream(&file);
        textBrowser->setHtml(stream.readAll());
    } else {
        debugLog("open failed\n");
        // Said in the window, so that a missing notice is not taken for an empty one.
        textBrowser->setPlainText(tr("The notice is not available: %1 is not installed.").arg(path));
    }
    show();
}

QAbstractButton* PopupLicenseLayout::cancellingButton() const {
    return closeButton;
}
