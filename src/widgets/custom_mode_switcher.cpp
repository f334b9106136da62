#include "widgets/custom_mode_switcher.h"

#include <QButtonGroup>
#include <QHBoxLayout>
#include <QPushButton>

#include "base/debug_log.h"
#include "widgets/choice_group.h"
#include "widgets/dialog_style.h"

namespace {
// One value for the whole program, shared by all switchers.
int lastClickedMode = -1;

const char* const kModeButtonStyle =
    "QPushButton { border-radius: 5px; border: 1px solid rgba(255, 255, 255, 0.85);"
    " background-color: rgba(255, 255, 255, 0.15); color: rgb(255, 255, 255); }"
    "QPushButton:checked { background-color: rgba(62, 145, 255, 0.85); }"
    "QPushButton:hover:!checked { border: 1px solid rgb(255, 255, 255); }"
    "QPushButton:hover:checked { background-color: rgba(62, 145, 255, 1); }";
}  // namespace

CustomModeSwitcher::CustomModeSwitcher(QWidget* parent) : QWidget(parent) {
    setupUi();
    connect(buttonGroup, &QButtonGroup::idClicked, this, &CustomModeSwitcher::buttonJudge);
}

void CustomModeSwitcher::setupUi() {
    setObjectName(QStringLiteral("CustomModeSwitcher"));
    resize(202, 60);
    QFont bold = font();
    bold.setBold(true);
    bold.setWeight(75);
    setFont(bold);

    auto* layout = new QHBoxLayout(this);
    layout->setObjectName(QStringLiteral("horizontalLayout"));
    layout->setSpacing(10);
    layout->setContentsMargins(0, 0, 0, 0);

    buttonGroup = new QButtonGroup(this);
    buttonGroup->setExclusive(true);
    QPushButton** buttons[] = {&Mode1, &Mode2, &Mode3};
    for (int i = 0; i < 3; ++i) {
        auto* button = new QPushButton(this);
        button->setObjectName(QStringLiteral("Mode%1").arg(i + 1));
        button->setCheckable(true);
        button->setMaximumHeight(35);
        button->setMinimumHeight(35);
        button->setFont(calibriFont(12, 75));
        button->setStyleSheet(QString::fromLatin1(kModeButtonStyle));
        layout->addWidget(button);
        buttonGroup->addButton(button, i + 1);
        *buttons[i] = button;
    }
    Mode1->setChecked(true);
    makeChoiceGroup(buttonGroup);
    retranslateUi();
}

void CustomModeSwitcher::retranslateUi() {
    Mode1->setText(tr("ModeA"));
    Mode2->setText(tr("ModeB"));
    Mode3->setText(tr("ModeC"));
}

void CustomModeSwitcher::setButtonTexts(const QString& text1, const QString& text2, const QString& text3) {
    Mode1->setText(text1);
    Mode2->setText(text2);
    Mode3->setText(text3);
    Mode3->setVisible(true);
}

void CustomModeSwitcher::setButtonTexts(const QString& text1, const QString& text2) {
    Mode1->setText(text1);
    Mode2->setText(text2);
    Mode3->hide();
}

void CustomModeSwitcher::setMode(int m) {
    if (QAbstractButton* button = buttonGroup->button(m))
        button->setChecked(true);
}

int CustomModeSwitcher::currentMode() {
    return lastClickedMode;
}

int CustomModeSwitcher::checkedMode() const {
    return buttonGroup->checkedId();
}

void CustomModeSwitcher::buttonJudge(int id) {
    debugLog("buttonJudge %d \n", id);
    lastClickedMode = id;
    emit modeChanged(id);
}
