#pragma once
// A combo box that shows its current text centred and opens a frameless list of tall,
// centred items a little below itself. It reports the list opening and closing.
#include <QComboBox>

class CenterComboBox : public QComboBox {
    Q_OBJECT

public:
    explicit CenterComboBox(QWidget* parent = nullptr);

    void showPopup() override;
    void hidePopup() override;

signals:
    void popupShowing(bool showing);

protected:
    void paintEvent(QPaintEvent* event) override;
};
