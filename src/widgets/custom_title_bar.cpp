#include "widgets/custom_title_bar.h"

#include <QHBoxLayout>
#include <QPushButton>

CustomTitleBar::CustomTitleBar(QWidget* target, QWidget* parent)
    : QWidget(parent), button(new QPushButton(this)), targetWindow(target) {
    setObjectName(QStringLiteral("CustomTitleBar"));
    button->setObjectName(QStringLiteral("fullScreenButton"));
    button->setFixedSize(30, 30);
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addStretch();
    layout->addWidget(button);
    connect(button, &QPushButton::clicked, this, &CustomTitleBar::setFullScreen);
}

void CustomTitleBar::setFullScreen() {
    disconnect(button, &QPushButton::clicked, this, &CustomTitleBar::setFullScreen);
    connect(button, &QPushButton::clicked, this, &CustomTitleBar::setNormalScreen);
    if (targetWindow)
        targetWindow->showFullScreen();
}

void CustomTitleBar::setNormalScreen() {
    disconnect(button, &QPushButton::clicked, this, &CustomTitleBar::setNormalScreen);
    connect(button, &QPushButton::clicked, this, &CustomTitleBar::setFullScreen);
    if (targetWindow)
        targetWindow->showNormal();
}
