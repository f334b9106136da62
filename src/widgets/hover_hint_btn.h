#pragma once
// A button that shows a hint popup (title and text) above itself while the pointer is
// over it. It does nothing when clicked; owners may connect released().
#include <QPointer>
#include <QPushButton>

class PopupWindow;

class HoverHintBtn : public QPushButton {
    Q_OBJECT

public:
    explicit HoverHintBtn(QWidget* parent = nullptr);

    void setHint(QString title, QString text);

    // The popup shown now, or null.
    PopupWindow* shownPopup() const { return popup; }

protected:
    void enterEvent(QEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    void closePopup();

    QString hintTitle;
    QString hintText;
    QPointer<PopupWindow> popup;
};
