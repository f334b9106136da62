#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QVBoxLayout>

#include "tabs/mode_tab_ui.h"
#include "widgets/center_combo_box.h"
#include "widgets/custom_mode_switcher.h"
#include "widgets/dialog_style.h"

namespace {
const char* const kPageStyle = "background-color: rgb(50, 57, 67);";
const char* const kSeparatorStyle = "background-color: rgb(62, 145, 255);";
const char* const kComboStyle =
    "QComboBox { color: rgb(255, 255, 255); background-color: rgba(255, 255, 255, 0.15);"
    " border: 1px solid rgba(255, 255, 255, 0.85); border-radius: 5px; padding: 0 10px; }"
    "QComboBox:hover { border: 1px solid rgb(62, 145, 255); }"
    "QComboBox::drop-down { border: none; width: 30px; }"
    "QComboBox::down-arrow { image: url(:/icons/arrow.png); }"
    "QComboBox QAbstractItemView { color: rgb(255, 255, 255); background-color: rgb(34, 40, 48);"
    " border: 1px solid rgb(62, 145, 255); border-radius: 5px; outline: none;"
    " selection-background-color: rgb(62, 145, 255); }";
const char* const kModifyStyle =
    "QPushButton { color: rgb(255, 255, 255); background-color: rgba(62, 145, 255, 0.85);"
    " border: none; border-radius: 5px; }"
    "QPushButton:hover { background-color: rgb(62, 145, 255); }"
    "QPushButton:pressed { background-color: rgb(52, 117, 204); }"
    "QPushButton:disabled { color: rgba(255, 255, 255, 0.4); background-color: rgba(255, 255, 255, 0.15); }";
}  // namespace

void ModeTabForm::setupUi(QWidget* page) {
    page->setObjectName(QStringLiteral("ModeTab"));
    page->resize(310, 650);
    page->setFont(calibriFont(12));
    page->setStyleSheet(QString::fromLatin1(kPageStyle));

    auto* pageLayout = new QVBoxLayout(page);
    pageLayout->setContentsMargins(0, 0, 0, 0);
    scrollArea = new QScrollArea(page);
    scrollArea->setObjectName(QStringLiteral("scrollArea"));
    scrollArea->setFrameShape(QFrame::NoFrame);
    scrollArea->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    scrollArea->setWidgetResizable(false);
    scrollArea->setFocusPolicy(Qt::NoFocus);
    pageLayout->addWidget(scrollArea);

    scrollAreaWidgetContents = new QWidget();
    scrollAreaWidgetContents->setObjectName(QStringLiteral("scrollAreaWidgetContents"));
    scrollAreaWidgetContents->resize(300, 400);
    auto* column = new QVBoxLayout(scrollAreaWidgetContents);
    column->setContentsMargins(20, 20, 20, 20);
    column->setSpacing(15);

    ModeTitle = new QLabel(scrollAreaWidgetContents);
    ModeTitle->setObjectName(QStringLiteral("ModeTitle"));
    ModeTitle->setFont(calibriFont(14, QFont::Bold));
    ModeTitle->setStyleSheet(QStringLiteral("color: rgb(255, 255, 255);"));
    column->addWidget(ModeTitle);

    auto* separator = new QFrame(scrollAreaWidgetContents);
    separator->setObjectName(QStringLiteral("line"));
    separator->setFixedHeight(2);
    separator->setStyleSheet(QString::fromLatin1(kSeparatorStyle));
    column->addWidget(separator);

    modeSwitcher = new CustomModeSwitcher(scrollAreaWidgetContents);
    modeSwitcher->setObjectName(QStringLiteral("modeSwitcher"));
    modeSwitcher->setMinimumHeight(40);
    column->addWidget(modeSwitcher);

    comboBox = new CenterComboBox(scrollAreaWidgetContents);
    comboBox->setObjectName(QStringLiteral("comboBox"));
    comboBox->setMinimumHeight(40);
    comboBox->setFont(calibriFont(12));
    comboBox->setStyleSheet(QString::fromLatin1(kComboStyle));
    column->addWidget(comboBox);

    modifyButton = new QPushButton(scrollAreaWidgetContents);
    modifyButton->setObjectName(QStringLiteral("modifyButton"));
    modifyButton->setMinimumHeight(40);
    modifyButton->setFont(calibriFont(12, QFont::Bold));
    modifyButton->setStyleSheet(QString::fromLatin1(kModifyStyle));
    modifyButton->setEnabled(false);
    column->addWidget(modifyButton);
    column->addStretch(1);

    scrollArea->setWidget(scrollAreaWidgetContents);
    retranslateUi(page);
}

void ModeTabForm::retranslateUi(QWidget* page) {
    page->setWindowTitle(tr("ModeTab"));
    ModeTitle->setText(tr("Video Stream Mode"));
    modifyButton->setText(tr("Modify"));
    comboBox->setAccessibleName(tr("Resolution"));
    modeSwitcher->setAccessibleName(tr("Video Stream Mode"));
    // Placeholders until the first camera's formats are listed.
    comboBox->clear();
    comboBox->addItem(tr("2560x1440(30p)"));
    comboBox->addItem(tr("1920x1080(30p)"));
    comboBox->addItem(tr("1280x720(30p)"));
    comboBox->addItem(tr("640x360(30p)"));
}
