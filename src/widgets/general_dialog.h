#pragma once
// The question and message dialog: a title, a text and up to two buttons. Callers create
// one per question, call init(), connect the signals they need and open it with exec()
// or show(). Closed by one of its buttons it emits that button's signal after it has
// closed; closed any other way (the window's close command, the main window closing all
// dialogs) it undoes the dimming and emits canceled(). It deletes itself once closed
// (see BaseDialog).
//
// By keyboard: both buttons take the focus (Tab, the arrow keys), Enter presses the focused
// one and otherwise the right one (the default answer), Escape the left one. Assistive tools
// announce the dialog with its title as name and its text as description.
#include "widgets/base_dialog.h"

class QLabel;
class QPushButton;
class QWidget;

class GeneralDialog : public BaseDialog {
    Q_OBJECT

public:
    explicit GeneralDialog(QWidget* parent = nullptr);

    // An empty button text hides that button.
    void init(QString title, QString content, QString leftText, QString rightText);

signals:
    void leftBtnClicked();
    void rightBtnClicked();
    void canceled();

protected:
    void closeEvent(QCloseEvent* event) override;
    // The left button ("Cancel"), or the only button there is.
    QAbstractButton* cancellingButton() const override;

private slots:
    void handleLeftBtn();
    void handleRightBtn();

private:
    void setupUi();
    void retranslateUi();
    void scaleForScreen();
    void fitHeaderFont();

    QWidget* verticalWidget = nullptr;
    QLabel* headerLabel = nullptr;
    QLabel* contentLabel = nullptr;
    QPushButton* leftBtn = nullptr;
    QPushButton* rightBtn = nullptr;
    // Set when one of this dialog's own buttons closed it.
    bool buttonHandled = false;
};
