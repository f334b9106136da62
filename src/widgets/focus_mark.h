#pragma once
// The keyboard focus made visible in the dark theme: a 2 px accent frame drawn around
// whichever widget of the program has the keyboard focus, over the widget's own look
// (style sheets and hand-painted controls draw no focus of their own). The frame is a
// child of the focused widget's window that lets the mouse through; it follows the widget
// when it or one of its parents moves or resizes (a scrolled page), is clipped to the part
// of the widget that shows, and hides when the focus leaves the program's widgets. A frame
// that went away with its window (a closed dialog) is made anew for the next focus.
#include <QObject>
#include <QPointer>
#include <QWidget>

class FocusMark : public QObject {
    Q_OBJECT

public:
    // Starts the mark for the whole application, once; later calls do nothing.
    static void install();
    // The running mark (null before install()).
    static FocusMark* instance();

    // The widget the mark surrounds, or null while it is hidden; the frame drawn.
    QWidget* target() const { return target_; }
    QWidget* frame() const { return frame_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    FocusMark();
    void follow(QWidget* now);
    void place();
    void watchChain(bool on);

    QPointer<QWidget> target_;
    QPointer<QWidget> frame_;
};
