#pragma once
// The transfer progress dialog of a firmware update: a title, a progress bar set from
// outside (0 to 100), a small cancel button and a hint. One is created per update and
// deletes itself once closed (see BaseDialog): hold it in a QPointer. The cancel button
// takes the keyboard focus; Escape presses it.
#include "widgets/base_dialog.h"

class QLabel;
class QProgressBar;
class QPushButton;

class CustomProgressDialog : public BaseDialog {
    Q_OBJECT

public:
    explicit CustomProgressDialog(QWidget* parent = nullptr);

    void setProgress(int percent);
    int progress() const;

    // Closes the dialog and removes the main window's darkening; false when it was not
    // showing.
    bool closeProgress();

signals:
    void cancelBtnClicked();

protected:
    QAbstractButton* cancellingButton() const override;

private slots:
    void handleCancelBtn();

private:
    void setupUi();
    void retranslateUi();

    QLabel* headerLabel = nullptr;
    QProgressBar* progressBar = nullptr;
    QPushButton* cancelBtn = nullptr;
    QLabel* hintLabel = nullptr;
};
