#include "app/mainwindow_ui.h"

#include <QCoreApplication>
#include <QFont>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QMainWindow>
#include <QPushButton>
#include <QSpacerItem>
#include <QStackedWidget>
#include <QTabBar>
#include <QTabWidget>
#include <QVBoxLayout>
#include <QWidget>

#include "capture/custom_image_label.h"
#include "widgets/dark_effect_layout.h"
#include "widgets/focus_mark.h"
#include "widgets/group_frame_style.h"
#include "widgets/tab_button.h"

void MainWindowForm::setupUi(QMainWindow* window) {
    window->setObjectName(QStringLiteral("mainwindowClass"));
    window->resize(1280, 650);
    window->setMinimumSize(QSize(1280, 650));
    QFont font;
    font.setFamily(QStringLiteral("Calibri"));
    window->setFont(font);

    centralWidget = new QWidget(window);
    centralWidget->setObjectName(QStringLiteral("centralWidget"));
    centralWidget->setMinimumSize(QSize(1280, 650));
    centralWidget->setStyleSheet(QStringLiteral("background-color: rgb(34, 40, 48);"));
    verticalLayout = new QVBoxLayout(centralWidget);
    verticalLayout->setObjectName(QStringLiteral("verticalLayout"));
    verticalLayout->setSpacing(0);
    verticalLayout->setContentsMargins(0, 0, 0, 0);

    horizontalWidget = new DarkEffectLayout(centralWidget);
    horizontalWidget->setObjectName(QStringLiteral("horizontalWidget"));
    horizontalLayout_3 = new QHBoxLayout(horizontalWidget);
    horizontalLayout_3->setObjectName(QStringLiteral("horizontalLayout_3"));
    horizontalLayout_3->setSpacing(0);
    horizontalLayout_3->setContentsMargins(0, 0, 0, 0);

    verticalWidget = new QWidget(horizontalWidget);
    verticalWidget->setObjectName(QStringLiteral("verticalWidget"));
    verticalWidget->setMaximumSize(QSize(60, QWIDGETSIZE_MAX));
    verticalWidget->setStyleSheet(QStringLiteral("background-color: rgb(48, 55, 66);"));
    verticalLayout_2 = new QVBoxLayout(verticalWidget);
    verticalLayout_2->setObjectName(QStringLiteral("verticalLayout_2"));
    verticalLayout_2->setSpacing(0);
    verticalLayout_2->setContentsMargins(0, 0, 0, 0);
    hideBtn = new QPushButton(verticalWidget);
    hideBtn->setObjectName(QStringLiteral("hideBtn"));
    hideBtn->setMinimumSize(QSize(60, 60));
    hideBtn->setMaximumSize(QSize(60, 60));
    hideBtn->setIconSize(QSize(24, 24));
    verticalLayout_2->addWidget(hideBtn);
    const auto addTabButton = [this](const char* name) {
        auto* button = new TabButton(verticalWidget);
        button->setObjectName(QString::fromLatin1(name));
        button->setMinimumSize(QSize(60, 60));
        button->setMaximumSize(QSize(60, 60));
        button->setIconSize(QSize(24, 24));
        button->setCheckable(true);
        button->setStyleSheet(QStringLiteral("QPushButton:checked { background-color: rgb(62, 145, 255); }"));
        verticalLayout_2->addWidget(button);
        return button;
    };
    settingBtn = addTabButton("settingBtn");
    modeBtn = addTabButton("modeBtn");
    infoBtn = addTabButton("infoBtn");
    verticalSpacer = new QSpacerItem(20, 40, QSizePolicy::Minimum, QSizePolicy::Expanding);
    verticalLayout_2->addItem(verticalSpacer);
    horizontalLayout_3->addWidget(verticalWidget);

    tabWidget = new QTabWidget(horizontalWidget);
    tabWidget->setObjectName(QStringLiteral("tabWidget"));
    tabWidget->setMinimumSize(QSize(310, 650));
    tabWidget->resize(310, 650);  // the width the pages are fitted from
    tabWidget->setTabPosition(QTabWidget::West);
    tabWidget->tabBar()->hide();
    // The tab bar is hidden: the keyboard goes from the side strip straight into the page.
    tabWidget->setFocusPolicy(Qt::NoFocus);
    tabWidget->tabBar()->setFocusPolicy(Qt::NoFocus);
    horizontalLayout_3->addWidget(tabWidget);

    verticalGroupBox = new QGroupBox(horizontalWidget);
    verticalGroupBox->setObjectName(QStringLiteral("verticalGroupBox"));
    auto* frameStyle = new GroupFrameStyle;  // the box's frame, drawn cheaper
    frameStyle->setParent(verticalGroupBox);
    verticalGroupBox->setStyle(frameStyle);
    verticalGroupBox->setMinimumSize(QSize(891, 650));
    verticalGroupBox->setStyleSheet(QStringLiteral("background-color: rgb(40, 46, 56);"));
    gridLayout = new QGridLayout(verticalGroupBox);
    gridLayout->setObjectName(QStringLiteral("gridLayout"));
    gridLayout->setSpacing(6);
    gridLayout->setContentsMargins(0, 0, 0, 0);
    streamLabel = new CustomImageLabel(verticalGroupBox);
    streamLabel->setObjectName(QStringLiteral("streamLabel"));
    // Centred, so the layout gives the label the size its hint asks for: the preview
    // then keeps the picture's aspect ratio inside the box.
    gridLayout->addWidget(streamLabel, 0, 0, Qt::AlignCenter);
    horizontalLayout_3->addWidget(verticalGroupBox);

    verticalLayout->addWidget(horizontalWidget);
    window->setCentralWidget(centralWidget);
    FocusMark::install();

    retranslateUi(window);
}

QWidget* MainWindowForm::pageStack() const {
    return tabWidget->findChild<QStackedWidget*>(QString(), Qt::FindDirectChildrenOnly);
}

void MainWindowForm::retranslateUi(QMainWindow* window) {
    window->setWindowTitle(QCoreApplication::translate("mainwindowClass", "RK38M20"));
    hideBtn->setText(QString());
    streamLabel->setText(QCoreApplication::translate("mainwindowClass", "streamLabel"));
    streamLabel->setAccessibleName(QCoreApplication::translate("mainwindowClass", "Camera picture"));
    streamLabel->setAccessibleDescription(QCoreApplication::translate(
        "mainwindowClass", "The live picture of the camera, as the settings change it"));
    settingBtn->setAccessibleName(QCoreApplication::translate("mainwindowClass", "Settings"));
    modeBtn->setAccessibleName(QCoreApplication::translate("mainwindowClass", "Stream mode"));
    infoBtn->setAccessibleName(QCoreApplication::translate("mainwindowClass", "Information"));
    const QString pages = QCoreApplication::translate("mainwindowClass", "Ctrl+Tab goes to the next page");
    for (QPushButton* button : {static_cast<QPushButton*>(settingBtn), static_cast<QPushButton*>(modeBtn),
                                static_cast<QPushButton*>(infoBtn)})
        button->setAccessibleDescription(pages);
}
