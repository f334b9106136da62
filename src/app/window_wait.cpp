#include "app/window_wait.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>

#include "base/quit_request.h"

bool waitKeepingWindowAlive(int timeoutMs, const std::function<bool()>& done, const QList<QTimer*>& paused) {
    QElapsedTimer clock;
    clock.start();
    const auto over = [&] {
        return quitRequested() || (done && done()) || (timeoutMs >= 0 && clock.elapsed() >= timeoutMs);
    };
    if (over())
        return quitRequested();

    QList<QTimer*> resume;
    for (QTimer* timer : paused) {
        if (timer != nullptr && timer->isActive()) {
            timer->stop();
            resume << timer;
        }
    }

    QEventLoop loop;
    bool endedHere = false;
    QTimer poll;
    poll.setInterval(static_cast<int>(kQuitPollSlice.count()));
    QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
        if (over()) {
            endedHere = true;
            loop.quit();
        }
    });
    poll.start();
    loop.exec(QEventLoop::ExcludeUserInputEvents);
    poll.stop();
    if (!endedHere) {
        // QCoreApplication::exit ends every event loop of the thread, this one included.
        requestQuit();
    }

    for (QTimer* timer : resume)
        timer->start();
    return quitRequested();
}
