#include "base/scale_size.h"

#include <QGuiApplication>
#include <QScreen>

double getScaleSize() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen)
        return 1.0;
    return screen->logicalDotsPerInchX() / 96.0;
}
