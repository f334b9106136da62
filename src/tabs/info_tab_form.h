#pragma once
// The information page's widget tree: one scroll area with five titled sections
// (software version, firmware version, reset, device information, licences). setupUi
// creates the widgets with their object names (the device section also offers the
// diagnostic bundle); retranslateUi sets the texts (translation
// context "InfoTab").
#include <QCoreApplication>

class QLabel;
class QPushButton;
class QScrollArea;
class QVBoxLayout;
class QWidget;

class InfoTabForm {
    // tr() in the page's context, where lupdate finds it too.
    Q_DECLARE_TR_FUNCTIONS(InfoTab)

public:
    QScrollArea* scrollArea = nullptr;
    QWidget* scrollAreaWidgetContents = nullptr;
    QLabel* ToolTitle = nullptr;
    QLabel* toolVersionLabel = nullptr;
    QLabel* FWTitle = nullptr;
    QLabel* versionLabel = nullptr;
    QPushButton* fwUpdateButton = nullptr;
    QLabel* ResetTitle = nullptr;
    QLabel* resetLabel = nullptr;
    QPushButton* resetButton = nullptr;
    QLabel* InfoTitle = nullptr;
    QLabel* SNLabel_title = nullptr;
    QLabel* SNLabel_content = nullptr;
    QPushButton* diagnoseButton = nullptr;
    QLabel* LincenseTitle = nullptr;
    QPushButton* toolLicenseButton = nullptr;
    QPushButton* camLicenseButton = nullptr;

    void setupUi(QWidget* page);
    void retranslateUi(QWidget* page);

private:
    QWidget* addSection(QVBoxLayout* layout, QLabel*& title, const char* name, const char* titleName);
    QPushButton* addButton(QWidget* section, const char* name);
};
