#include "app/window_wait.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <algorithm>

#include "base/quit_request.h"

bool waitKeepingWindowAlive(int timeoutMs, const std::function<bool()>& done) {
    QElapsedTimer clock;
    clock.start();
    for (;;) {
        if (quitRequested() || (done && done()))
            break;
        const qint64 left = timeoutMs < 0 ? kQuitPollSlice.count() : timeoutMs - clock.elapsed();
        if (left <= 0)
            break;
        // Timers stay out (X11ExcludeTimers holds for every event dispatcher on Linux).
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents | QEventLoop::X11ExcludeTimers);
        waitUnlessQuitRequested(std::chrono::milliseconds(std::min<qint64>(left, kQuitPollSlice.count())));
    }
    return quitRequested();
}
