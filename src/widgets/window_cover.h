#pragma once
// What a dialog may do to the window it appears over: darken it while the dialog is
// modal, cover it without text while the dialog shows, and uncover it when the dialog
// goes. The main window implements it; dialogs know only this interface.
class QGraphicsEffect;
class QWidget;

class WindowCover {
public:
    // Puts effect on the whole window (the window takes ownership); null removes it.
    virtual void setDialogDarkening(QGraphicsEffect* effect) = 0;
    virtual void disableWindowWithoutText() = 0;
    virtual void enableWindow() = 0;

protected:
    ~WindowCover() = default;
};

// The cover of the window dialog belongs to: the top-level window of its parent when that
// is one, else the first top-level widget that is one; null when there is none.
WindowCover* windowCoverFor(const QWidget* dialog);
// A dialog goes: its window's darkening and cover go with it (nothing without a cover).
void uncoverWindowOf(const QWidget* dialog);
