#include "widgets/tab_button.h"

#include <QMouseEvent>

TabButton::TabButton(QWidget* parent) : QPushButton(parent) {}

void TabButton::setIcons(const QIcon& normal, const QIcon& checked, const QIcon& hover) {
    normalIcon = normal;
    checkedIcon = checked;
    hoverIcon = hover;
    setIcon(isChecked() ? checkedIcon : normalIcon);
}

void TabButton::select() {
    setIcon(checkedIcon);
    setChecked(true);
}

void TabButton::showNormalIcon() {
    setIcon(normalIcon);
}

void TabButton::enterEvent(QEvent* event) {
    setIcon(hoverIcon);
    QPushButton::enterEvent(event);
}

void TabButton::leaveEvent(QEvent* event) {
    setIcon(isChecked() ? checkedIcon : normalIcon);
    QPushButton::leaveEvent(event);
}

void TabButton::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        setIcon(checkedIcon);
        setChecked(true);
    }
    QPushButton::mouseReleaseEvent(event);
}

void TabButton::nextCheckState() {
    if (isCheckable())
        setChecked(true);
}
