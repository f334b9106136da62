#include "widgets/main_window_link.h"

#include <QApplication>
#include <QByteArray>
#include <QGraphicsEffect>
#include <QMainWindow>
#include <QMetaObject>
#include <QWidget>
#include <QtGlobal>

namespace {
QWidget* findMainWindow() {
    const QWidgetList topLevels = QApplication::topLevelWidgets();
    for (QWidget* widget : topLevels) {
        if (widget->objectName() == QLatin1String("mainwindowClass"))
            return widget;
    }
    for (QWidget* widget : topLevels) {
        if (qobject_cast<QMainWindow*>(widget))
            return widget;
    }
    return nullptr;
}
}  // namespace

bool invokeOnMainWindow(const char* method) {
    QWidget* window = findMainWindow();
    if (!window)
        return false;
    const QByteArray signature = QByteArray(method) + "()";
    if (window->metaObject()->indexOfMethod(signature.constData()) < 0)
        return false;
    return QMetaObject::invokeMethod(window, method, Qt::DirectConnection);
}

void setMainWindowEffect(QGraphicsEffect* effect) {
    QWidget* window = findMainWindow();
    if (!window) {
        delete effect;
        return;
    }
    window->setGraphicsEffect(effect);
}
