#pragma once
// For the development tools that drive the window (the soak run, the VM's window probe):
// runs the event loop until done() holds; false after timeoutMs.
#include <QApplication>
#include <QElapsedTimer>
#include <QThread>
#include <functional>

inline bool waitUntil(const std::function<bool()>& done, int timeoutMs) {
    QElapsedTimer clock;
    clock.start();
    while (!done()) {
        if (clock.elapsed() > timeoutMs)
            return false;
        QApplication::processEvents(QEventLoop::AllEvents, 10);
        QThread::msleep(5);
    }
    return true;
}
