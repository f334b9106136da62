#include "widgets/choice_group.h"

#include <QAbstractButton>
#include <QButtonGroup>

namespace {
void moveTabStop(QButtonGroup* group) {
    QAbstractButton* chosen = group->checkedButton();
    for (QAbstractButton* button : group->buttons()) {
        const bool stop = chosen == nullptr || button == chosen;
        button->setFocusPolicy(stop ? Qt::StrongFocus : Qt::ClickFocus);
    }
}
}  // namespace

void makeChoiceGroup(QButtonGroup* group) {
    for (QAbstractButton* button : group->buttons())
        button->setAutoExclusive(true);
    QObject::connect(group, &QButtonGroup::idToggled, group, [group](int, bool checked) {
        if (checked)
            moveTabStop(group);
    });
    moveTabStop(group);
}
