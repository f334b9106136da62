#pragma once
// A title bar with one toggle button that switches a target window between full screen
// and normal. Kept for windows that want it; the program's own window does not use one.
#include <QPointer>
#include <QWidget>

class QPushButton;

class CustomTitleBar : public QWidget {
    Q_OBJECT

public:
    explicit CustomTitleBar(QWidget* target, QWidget* parent = nullptr);

    QPushButton* toggleButton() const { return button; }

public slots:
    void setFullScreen();
    void setNormalScreen();

private:
    QPushButton* button = nullptr;
    QPointer<QWidget> targetWindow;
};
