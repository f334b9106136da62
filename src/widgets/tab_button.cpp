#include "widgets/tab_button.h"

#include <QButtonGroup>
#include <QMouseEvent>

TabButton::TabButton(QWidget* parent) : QPushButton(parent) {
    // Selected by other means than the mouse (Space, an assistive tool), or unselected by
    // the group: the icon follows.
    connect(this, &QAbstractButton::toggled, this,
            [this](bool on) { setIcon(on ? checkedIcon : normalIcon); });
}

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
    if (!isCheckable())
        return;
    // The group calls this on the tab it is leaving after it has made the new one its
    // checked button: that tab is unchecked. Every other call selects.
    const QButtonGroup* tabs = group();
    const bool leaving = tabs != nullptr && tabs->exclusive() && isChecked() && tabs->checkedButton() != this;
    setChecked(!leaving);
}
