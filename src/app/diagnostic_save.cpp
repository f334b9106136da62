#include "app/diagnostic_save.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFileDialog>
#include <QThread>
#include <memory>

#include "app/diagnostic_bundle.h"
#include "base/debug_log.h"
#include "tabs/info_tab.h"
#include "widgets/general_dialog.h"

// The texts are the information page's (translation context "InfoTab").
namespace {
QString chooseWithDialog(QWidget* parent, const QString& suggested) {
    return QFileDialog::getSaveFileName(
        parent, QCoreApplication::translate("InfoTab", "Save Diagnostics"), suggested,
        QCoreApplication::translate("InfoTab", "Diagnostic bundle (*.tar.gz)"));
}

struct WriteResult {
    bool ok = false;
    QString error;
};
}  // namespace

DiagnosticSave::DiagnosticSave(InfoTab* page, CameraSession& session, QWidget* window)
    : QObject(window), page_(page), session_(session), window_(window), chooser_(chooseWithDialog) {
    connect(page_, &InfoTab::diagnosticBundleRequested, this, &DiagnosticSave::save);
    connect(this, &DiagnosticSave::finished, this, &DiagnosticSave::tell);
}

DiagnosticSave::~DiagnosticSave() {
    if (writer_ != nullptr) {
        writer_->wait();
        delete writer_;
    }
}

void DiagnosticSave::save() {
    if (writer_ != nullptr)
        return;  // one bundle at a time
    const QString suggested =
        QDir::homePath() + QStringLiteral("/lumora-x8-diagnostics-%1.tar.gz")
                               .arg(QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss")));
    const QString path = chooser_(window_, suggested);
    if (path.isEmpty())
        return;
    debugLog("diagnostic bundle: writing %s\n", qPrintable(path));
    // The camera is read here, on the GUI thread, where the session lives; the rest (the
    // versions load the frame converter module) and the file take their own thread.
    auto camera = std::make_shared<CameraDescription>(describeCamera(&session_));
    auto result = std::make_shared<WriteResult>();
    writer_ = QThread::create([camera, result, path] {
        result->ok = writeDiagnosticBundle(path, diagnosticMembers(*camera), &result->error);
    });
    connect(writer_, &QThread::finished, this, [this, result, path] {
        writer_->deleteLater();
        writer_ = nullptr;
        emit finished(result->ok, path, result->error);
    });
    page_->setDiagnosticBundleBusy(true);
    writer_->start();
}

void DiagnosticSave::tell(bool ok, const QString& path, const QString& error) {
    page_->setDiagnosticBundleBusy(false);
    debugLog("diagnostic bundle: %s\n", ok ? "written" : qPrintable(error));
    auto* dialog = new GeneralDialog(window_);
    if (ok)
        dialog->init(
            QCoreApplication::translate("InfoTab", "Diagnostics Saved"),
            QCoreApplication::translate("InfoTab", "The diagnostic bundle was saved as\n%1").arg(path),
            QString(), QCoreApplication::translate("InfoTab", "OK"));
    else
        dialog->init(QCoreApplication::translate("InfoTab", "Saving Failed"), error, QString(),
                     QCoreApplication::translate("InfoTab", "OK"));
    dialog->show();
}
