// The information page's form: one scroll area with five titled sections (software
// version, firmware version, reset, device information, licences).
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QVBoxLayout>

#include "tabs/info_tab_form.h"
#include "widgets/dialog_style.h"

namespace {
constexpr int kFormWidth = 310;
constexpr int kFormHeight = 650;
constexpr int kContentWidth = 300;
constexpr int kContentHeight = 804;  // with the diagnostic bundle's button
constexpr int kButtonHeight = 36;

QLabel* addLabel(QWidget* parent, QLayout* layout, const char* name, int pointSize,
                 int weight = QFont::Normal) {
    auto* label = new QLabel(parent);
    label->setObjectName(QLatin1String(name));
    label->setFont(calibriFont(pointSize, weight));
    label->setStyleSheet(QLatin1String(kWhiteTextStyle));
    label->setWordWrap(true);
    layout->addWidget(label);
    return label;
}
}  // namespace

QWidget* InfoTabForm::addSection(QVBoxLayout* layout, QLabel*& title, const char* name,
                                 const char* titleName) {
    auto* section = new QWidget(scrollAreaWidgetContents);
    section->setObjectName(QLatin1String(name));
    auto* column = new QVBoxLayout(section);
    column->setContentsMargins(16, 12, 16, 12);
    column->setSpacing(8);
    title = addLabel(section, column, titleName, 14, QFont::Bold);
    auto* rule = new QFrame(section);
    rule->setFixedHeight(2);
    rule->setStyleSheet(QStringLiteral("background-color: rgb(62, 145, 255); border: none;"));
    column->addWidget(rule);
    layout->addWidget(section);
    return section;
}

QPushButton* InfoTabForm::addButton(QWidget* section, const char* name) {
    auto* button = new QPushButton(section);
    button->setObjectName(QLatin1String(name));
    button->setFont(calibriFont(12));
    button->setFixedHeight(kButtonHeight);
    button->setStyleSheet(QLatin1String(kPlainButtonStyle));
    section->layout()->addWidget(button);
    return button;
}

void InfoTabForm::setupUi(QWidget* page) {
    page->setObjectName(QStringLiteral("InfoTab"));
    page->resize(kFormWidth, kFormHeight);
    page->setStyleSheet(QStringLiteral("background-color: rgb(50, 57, 67);"));
    auto* outer = new QVBoxLayout(page);
    outer->setContentsMargins(0, 0, 0, 0);

    scrollArea = new QScrollArea(page);
    scrollArea->setObjectName(QStringLiteral("scrollArea"));
    scrollArea->setFrameShape(QFrame::NoFrame);
    scrollArea->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    scrollArea->setFocusPolicy(Qt::NoFocus);
    scrollArea->verticalScrollBar()->setStyleSheet(QStringLiteral(
        "QScrollBar:vertical { width: 5px; background: transparent; }"
        "QScrollBar::handle:vertical { background: rgba(255, 255, 255, 0.4); border-radius: 2px; }"
        "QScrollBar::add-line:vertical, QScrollBar::sub-line:vertical { height: 0px; }"));
    outer->addWidget(scrollArea);

    scrollAreaWidgetContents = new QWidget();
    scrollAreaWidgetContents->setObjectName(QStringLiteral("scrollAreaWidgetContents"));
    scrollAreaWidgetContents->resize(kContentWidth, kContentHeight);
    auto* sections = new QVBoxLayout(scrollAreaWidgetContents);
    sections->setObjectName(QStringLiteral("verticalLayout"));
    sections->setContentsMargins(0, 0, 0, 0);
    sections->setSpacing(4);

    auto section = [&](const char* name, QLabel*& title, const char* titleName) {
        return addSection(sections, title, name, titleName);
    };

    QWidget* tool = section("verticalWidget_tool", ToolTitle, "ToolTitle");
    toolVersionLabel = addLabel(tool, tool->layout(), "toolVersionLabel", 12);

    QWidget* fw = section("verticalWidget_fw", FWTitle, "FWTitle");
    versionLabel = addLabel(fw, fw->layout(), "versionLabel", 12);
    fwUpdateButton = addButton(fw, "fwUpdateButton");

    QWidget* reset = section("verticalWidget_reset", ResetTitle, "ResetTitle");
    resetLabel = addLabel(reset, reset->layout(), "resetLabel", 12);
    resetButton = addButton(reset, "resetButton");

    QWidget* device = section("verticalWidget_info", InfoTitle, "InfoTitle");
    SNLabel_title = addLabel(device, device->layout(), "SNLabel_title", 12);
    SNLabel_content = addLabel(device, device->layout(), "SNLabel_content", 12);
    SNLabel_content->setTextInteractionFlags(Qt::TextSelectableByMouse);
    diagnoseButton = addButton(device, "diagnoseButton");

    QWidget* licenses = section("verticalWidget_license", LincenseTitle, "LincenseTitle");
    toolLicenseButton = addButton(licenses, "toolLicenseButton");
    camLicenseButton = addButton(licenses, "camLicenseButton");
    sections->addStretch(1);

    scrollArea->setWidget(scrollAreaWidgetContents);
    retranslateUi(page);
}

void InfoTabForm::retranslateUi(QWidget* page) {
    page->setWindowTitle(tr("InfoTab"));
    ToolTitle->setText(tr("Software Version"));
    toolVersionLabel->setText(tr("Ver. 0.00.00"));
    FWTitle->setText(tr("Firmware Version"));
    versionLabel->setText(tr("Ver. 0.00.00"));
    fwUpdateButton->setText(tr("FW Update"));
    ResetTitle->setText(tr("Reset"));
    resetLabel->setText(tr("Back to System Default"));
    resetButton->setText(tr("Reset"));
    InfoTitle->setText(tr("Device Information"));
    SNLabel_title->setText(tr("Serial Number"));
    SNLabel_content->setText(tr("01234567890"));
    diagnoseButton->setText(tr("Save Diagnostics"));
    diagnoseButton->setAccessibleDescription(
        tr("Saves the log, the versions and the camera's settings in one file for support"));
    LincenseTitle->setText(tr("Open Source Licenses"));
    toolLicenseButton->setText(tr("Software"));
    camLicenseButton->setText(tr("Camera"));
    toolLicenseButton->setAccessibleDescription(tr("Open source licenses of the software"));
    camLicenseButton->setAccessibleDescription(tr("Open source licenses of the camera"));
    resetButton->setAccessibleDescription(resetLabel->text());
}
