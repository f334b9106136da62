#pragma once
// The information page: the software and firmware versions, the serial number, the
// firmware update, the reset to factory settings, the diagnostic bundle and the two
// licence notices.
//
// The firmware update is a FirmwareUpdate the page is handed and does not own; the page
// shows its steps as dialogs (firmware_update_dialogs.h). The window (or the camera
// session) reacts to the same steps on its side.
#include <QString>

#include "tabs/base_tab.h"
#include "tabs/firmware_update_dialogs.h"
#include "tabs/info_tab_form.h"

class FirmwareUpdate;

class InfoTab : public BaseTab {
    Q_OBJECT

public:
    using FileChooser = FirmwareUpdateDialogs::FileChooser;

    explicit InfoTab(FirmwareUpdate& update, QWidget* parent = nullptr);

    void updateFromState() override;
    void scaleForDpi() override;

    // From the update question until its last dialog closed.
    bool isUpdateFlowActive() const { return updateDialogs_.isActive(); }
    // Asked when the window is to close: true when no update runs, or when the user
    // agrees to quit anyway; the running update is then stopped and its thread joined.
    bool confirmQuit() { return updateDialogs_.confirmQuit(); }
    // Stops a running update at its next safe point and closes its dialogs.
    void stopUpdate() { updateDialogs_.stop(); }
    FirmwareUpdateDialogs& updateDialogs() { return updateDialogs_; }

    // The flag "the reset was sent": set here with the reset command, consumed by the next
    // updateFromState. The main window hands in its own, which it clears when the camera
    // drops off; without one the page keeps its own.
    void setResetFlag(bool* flag) { resetDone = flag != nullptr ? flag : &ownResetDone_; }
    // The camera dropped off after its reset: no reset confirmation follows its return.
    void forgetResetConfirmation() { *resetDone = false; }
    // Replaces the file dialog (tests).
    void setFileChooser(FileChooser chooser) { updateDialogs_.setFileChooser(std::move(chooser)); }

    // While a diagnostic bundle is written its button waits.
    void setDiagnosticBundleBusy(bool busy);

signals:
    void resetAllSettings();
    // The user asked for a diagnostic bundle; the window chooses the file and writes it.
    void diagnosticBundleRequested();

public slots:
    void fwUpdateBtnClicked();
    void resetBtnClicked();

private slots:
    // The reset confirmation, once the refill after the camera's return is over.
    void confirmReset();

private:
    void setUpdateControlsEnabled(bool enabled);
    void openLicense(const QString& fileName, const QString& title);

    InfoTabForm form_;
    FirmwareUpdateDialogs updateDialogs_;
    bool ownResetDone_ = false;
    bool* resetDone = &ownResetDone_;
};
