#pragma once
// The mode page's widget tree, built in the form designer's way: title, mode switcher,
// format list and the Modify button in one scrolling column; retranslateUi sets the texts
// (translation context "ModeTab").
#include <QCoreApplication>

class CenterComboBox;
class CustomModeSwitcher;
class QLabel;
class QPushButton;
class QScrollArea;
class QWidget;

class ModeTabForm {
    // tr() in the page's context, where lupdate finds it too.
    Q_DECLARE_TR_FUNCTIONS(ModeTab)

public:
    QScrollArea* scrollArea = nullptr;
    QWidget* scrollAreaWidgetContents = nullptr;
    QLabel* ModeTitle = nullptr;
    CustomModeSwitcher* modeSwitcher = nullptr;
    CenterComboBox* comboBox = nullptr;
    QPushButton* modifyButton = nullptr;

    void setupUi(QWidget* page);
    void retranslateUi(QWidget* page);
};
