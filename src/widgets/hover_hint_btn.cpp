#include "widgets/hover_hint_btn.h"

#include "widgets/popup_window.h"

HoverHintBtn::HoverHintBtn(QWidget* parent) : QPushButton(parent) {}

void HoverHintBtn::setHint(QString title, QString text) {
    hintTitle = std::move(title);
    hintText = std::move(text);
    // The hint shows on hover only: assistive tools read it as the description.
    setAccessibleDescription(hintTitle + QLatin1String(": ") + hintText.simplified());
}

void HoverHintBtn::enterEvent(QEvent* event) {
    closePopup();
    popup = new PopupWindow(this);
    popup->setContents(hintTitle, hintText);
    popup->show();
    QPushButton::enterEvent(event);
}

void HoverHintBtn::leaveEvent(QEvent* event) {
    closePopup();
    QPushButton::leaveEvent(event);
}

void HoverHintBtn::closePopup() {
    if (!popup)
        return;
    popup->close();
    popup->deleteLater();
    popup = nullptr;
}
