#pragma once
// The window's side strip: the button that hides and shows the page panel, and the three
// tab buttons (ids 2, 3 and 4 show the pages 0, 1 and 2) with Ctrl+Tab and Ctrl+Shift+Tab
// going through the pages shown. The mode page's button shows in debug mode only.
#include <QObject>

class MainWindowForm;
class QButtonGroup;
class QMainWindow;

class SideStrip : public QObject {
    Q_OBJECT

public:
    SideStrip(const MainWindowForm& form, QMainWindow* window);

    // Shows the page of tab button id; the other buttons go normal.
    void select(int id);
    // Hides the page panel when shown, shows it when hidden.
    void togglePanel();
    // The settings page and its button, the others normal.
    void returnToSettingsPage();
    bool panelShown() const { return panelShown_; }

private:
    void nameHideButton();
    void cycle(int direction);

    const MainWindowForm& ui;
    QButtonGroup* tabGroup_ = nullptr;
    bool panelShown_ = true;
};
