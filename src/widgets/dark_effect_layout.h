#pragma once
// Plain container used as the main window's working area; it receives the DarkenEffect
// while the window is disabled.
#include <QWidget>

class DarkEffectLayout : public QWidget {
    Q_OBJECT
public:
    explicit DarkEffectLayout(QWidget* parent = nullptr);
};
