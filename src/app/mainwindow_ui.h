#pragma once
// The main window's widget tree, built in the form designer's way: setupUi creates the
// widgets with their object names, sizes and styles; retranslateUi sets the texts
// (translation context "mainwindowClass") and runs again when a translator is installed.
//
//   mainwindowClass (the window)
//   └ centralWidget                          verticalLayout
//     └ horizontalWidget (working area)      horizontalLayout_3
//       ├ verticalWidget (side strip)        verticalLayout_2: hideBtn, settingBtn, modeBtn, infoBtn,
//       verticalSpacer ├ tabWidget (the pages) └ verticalGroupBox (preview box)     gridLayout: streamLabel
class CustomImageLabel;
class DarkEffectLayout;
class QGridLayout;
class QGroupBox;
class QHBoxLayout;
class QMainWindow;
class QPushButton;
class QSpacerItem;
class QTabWidget;
class QVBoxLayout;
class QWidget;
class TabButton;

class MainWindowForm {
public:
    QWidget* centralWidget = nullptr;
    QVBoxLayout* verticalLayout = nullptr;
    DarkEffectLayout* horizontalWidget = nullptr;  // darkened while the window is disabled
    QHBoxLayout* horizontalLayout_3 = nullptr;
    QWidget* verticalWidget = nullptr;
    QVBoxLayout* verticalLayout_2 = nullptr;
    QPushButton* hideBtn = nullptr;
    TabButton* settingBtn = nullptr;  // tab button id 2: settings page
    TabButton* modeBtn = nullptr;     // id 3: mode page (debug mode only)
    TabButton* infoBtn = nullptr;     // id 4: information page
    QSpacerItem* verticalSpacer = nullptr;
    QTabWidget* tabWidget = nullptr;
    QGroupBox* verticalGroupBox = nullptr;
    QGridLayout* gridLayout = nullptr;
    CustomImageLabel* streamLabel = nullptr;

    void setupUi(QMainWindow* window);
    void retranslateUi(QMainWindow* window);
    // The tab widget's stack of pages: the parent that addTab gives a page.
    QWidget* pageStack() const;
};
