#include "tabs/info_tab.h"

#include <QLabel>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QTimer>
#include <string>

#include "base/app_config.h"
#include "base/debug_log.h"
#include "base/install_paths.h"
#include "base/scale_size.h"
#include "base/system_locale.h"
#include "engine/current_values.h"
#include "tabs/page_dialogs.h"
#include "widgets/busy_progress.h"
#include "widgets/general_dialog.h"
#include "widgets/popup_license_layout.h"
#include "xu/uvc_xu_manager.h"

InfoTab::InfoTab(FirmwareUpdate& update, QWidget* parent)
    : BaseTab(parent),
      updateDialogs_(update, this, [this](bool enabled) { setUpdateControlsEnabled(enabled); }) {
    form_.setupUi(this);
    scaleForDpi();
    form_.toolVersionLabel->setText(QStringLiteral("Ver.") + tr("1.00.00"));

    connect(form_.fwUpdateButton, &QPushButton::released, this, &InfoTab::fwUpdateBtnClicked);
    connect(form_.resetButton, &QPushButton::released, this, &InfoTab::resetBtnClicked);
    connect(form_.diagnoseButton, &QPushButton::released, this, [this] {
        debugLog("diagnoseButton released\n");
        emit diagnosticBundleRequested();
    });
    connect(form_.toolLicenseButton, &QPushButton::released, this, [this] {
        debugLog("toolLicenseButton released\n");
        openLicense(QStringLiteral("OPEN SOURCE SOFTWARE NOTICE (PC_TOOL)_LEGAL COMMENT.htm"),
                    tr("Open Source Licenses (PC Tool)"));
    });
    connect(form_.camLicenseButton, &QPushButton::released, this, [this] {
        debugLog("camLicenseButton released\n");
        openLicense(QStringLiteral("OPEN SOURCE SOFTWARE NOTICE (Camera)_LEGAL COMMENT.htm"),
                    tr("Open Source Licenses (Camera)"));
    });

    if (systemLocaleName() == QLatin1String("ja_JP")) {
        QFont font = form_.fwUpdateButton->font();
        writeStdout("fwUpdateButton pointSize : " + std::to_string(font.pointSize()) + "\n");
        font.setPointSize(font.pointSize() - 1);
        form_.fwUpdateButton->setFont(font);
    }
}

void InfoTab::scaleForDpi() {
    const double factor = getScaleSize();
    const double scale = appConfig().scale;
    setFixedWidth(int(width() / scale * factor));
    form_.scrollAreaWidgetContents->setFixedSize(
        int(form_.scrollAreaWidgetContents->width() / scale * factor),
        form_.scrollAreaWidgetContents->height());
    repaint();
}

void InfoTab::updateFromState() {
    const CurrentValues& values = currentValues();
    form_.scrollArea->verticalScrollBar()->setValue(0);
    debugLog("setVersion: %s\n", values.fwVersion);
    form_.versionLabel->setText(QStringLiteral("Ver.") + QString::fromLatin1(values.fwVersion));
    debugLog("setSN: %s\n", values.serialNumber);
    form_.SNLabel_content->setText(QString::fromLatin1(values.serialNumber));

    if (*resetDone) {
        busy_->closeDialog();
        // After the refill, not inside it: the main window is still connecting.
        QTimer::singleShot(0, this, &InfoTab::confirmReset);
    }
}

void InfoTab::confirmReset() {
    if (!*resetDone)
        return;  // the window forgot it: the camera dropped off meanwhile
    *resetDone = false;
    auto* dialog = new GeneralDialog(parentWidget());
    dialog->init(tr("Reset Succesfully"), tr("All settings have been reset to default values."), QString(),
                 tr("OK"));
    dialog->show();
}

void InfoTab::fwUpdateBtnClicked() {
    updateDialogs_.begin();
}

void InfoTab::setUpdateControlsEnabled(bool enabled) {
    form_.fwUpdateButton->setEnabled(enabled);
    form_.resetButton->setEnabled(enabled);
}

void InfoTab::resetBtnClicked() {
    debugLog("resetBtnClicked \n");
    if (updateDialogs_.isActive())
        return;
    if (!PageDialogs::ask(parentWidget(), tr("Reset"),
                          tr("Reset all settings to default. \nAre you sure you want to reset ?"),
                          tr("Reset")))
        return;
    const bool ok = UVCXUManager::instance().resetToDefault();
    debugLog("resetBtnClicked res:%d\n", ok);
    // Only a reset the camera took is confirmed. The window follows either way: a camera
    // that dropped the command's answer may have reset all the same.
    *resetDone = ok;
    emit resetAllSettings();
    if (!ok) {
        PageDialogs::tell(
            parentWidget(), tr("Reset Failed"),
            tr("The camera did not confirm the reset.\n Please check the settings and try again."));
    }
}

void InfoTab::setDiagnosticBundleBusy(bool busy) {
    form_.diagnoseButton->setEnabled(!busy);
}

void InfoTab::openLicense(const QString& fileName, const QString& title) {
    // Beside the executable in the build tree, in the data folder when installed.
    const QString path =
        QString::fromStdString(dataDir(fileName.toStdString())) + QLatin1Char('/') + fileName;
    debugLog("open file: %s \n", path.toLocal8Bit().constData());
    auto* viewer = new PopupLicenseLayout(form_.scrollArea);
    viewer->showLicense(title, path);  // says so when the notice is missing
}
