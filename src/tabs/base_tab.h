#pragma once
// The common base of the three pages beside the preview (settings, mode, information).
// Each page owns a busy spinner dialog, copies CurrentValues into itself when the main
// window asks (updateFromState) and re-fits itself after a change of the screen's scale
// (scaleForDpi).
#include <QString>
#include <QWidget>

class BusyProgress;

class BaseTab : public QWidget {
    Q_OBJECT

public:
    explicit BaseTab(QWidget* parent = nullptr);

    // Copies CurrentValues into the page through silent setters: nothing is sent back.
    virtual void updateFromState() {}
    // Re-fits the page to getScaleSize().
    virtual void scaleForDpi() {}

    BusyProgress* busyProgress() const { return busy_; }

signals:
    void showMessage(QString text, int timeout = 0);

protected:
    BusyProgress* busy_ = nullptr;  // parented to the page's parent widget
};
