#pragma once
// Base of every dialog of the program: frameless, translucent, and dims the main window
// while it is open. Escape gives the dialog's cancelling answer (cancellingButton());
// a dialog without one, such as the busy spinner, cannot be dismissed with it. Enter
// presses the focused button, else the default one (QDialog). exec() runs it modally and darkens
// the main window; show() opens it without a modal loop and covers the main window
// (disableWindowWithoutText). closeDialog() undoes either.
//
// Dialogs that are created for one use (setDeleteWhenClosed) delete themselves once
// closed: after exec() returns the dialog is deleted at the next return to the event
// loop, so the caller may still read it right after exec(); a dialog opened with show()
// is deleted at the next return to the event loop after it closed. Keep such a dialog
// in a QPointer when it must be reached later.
#include <QDialog>

class QAbstractButton;
class QCloseEvent;
class QKeyEvent;

class BaseDialog : public QDialog {
    Q_OBJECT

public:
    explicit BaseDialog(QWidget* parent = nullptr);

    int exec() override;
    void show();
    bool closeDialog();

    bool isShowing() const { return isShowing_; }

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

    void setDeleteWhenClosed(bool on) { deleteWhenClosed_ = on; }
    // The button Escape presses; none by default.
    virtual QAbstractButton* cancellingButton() const { return nullptr; }

    bool isShowing_ = false;

private:
    bool deleteWhenClosed_ = false;
    bool inModalLoop_ = false;
};
