#pragma once
// The window's side of the diagnostic bundle: when the information page asks for one, the
// user chooses the file in a save dialog, the bundle's members are gathered from the
// camera session on the GUI thread, and the archive is compressed and written on a
// thread of its own while the page's button waits; a message then says where it went or
// what failed.
#include <QObject>
#include <QString>
#include <functional>

class CameraSession;
class InfoTab;
class QThread;
class QWidget;

class DiagnosticSave : public QObject {
    Q_OBJECT

public:
    // Answers the chosen file, empty when the choice was cancelled.
    using FileChooser = std::function<QString(QWidget* parent, const QString& suggested)>;

    // window: the dialogs' parent, and the owner of this object.
    DiagnosticSave(InfoTab* page, CameraSession& session, QWidget* window);
    // Waits for a bundle being written.
    ~DiagnosticSave() override;

    // Replaces the save dialog (tests).
    void setFileChooser(FileChooser chooser) { chooser_ = std::move(chooser); }

    void save();

signals:
    // A bundle was written (ok) or not; error says why.
    void finished(bool ok, const QString& path, const QString& error);

private:
    void tell(bool ok, const QString& path, const QString& error);

    InfoTab* page_;
    CameraSession& session_;
    QWidget* window_;
    FileChooser chooser_;
    QThread* writer_ = nullptr;
};
