#include "app/quit_on_signal.h"

#include <fcntl.h>
#include <unistd.h>
#include <QCoreApplication>
#include <QSocketNotifier>
#include <cerrno>
#include <csignal>

#include "base/debug_log.h"
#include "base/quit_request.h"

namespace {
// Write end of the pipe, read by the handler. Set before the handlers are installed.
volatile sig_atomic_t signalPipeWrite = -1;

// SIGHUP (the terminal went away) ends the program as SIGTERM does.
const int kQuitSignals[] = {SIGINT, SIGTERM, SIGHUP};

extern "C" void onQuitSignal(int signo) {
    const int savedErrno = errno;
    // Threads blocked in a wait (extension-unit checks, a stream open) see this at once,
    // even while the event loop that reads the pipe cannot run.
    requestQuitFromSignalHandler();
    const int fd = signalPipeWrite;
    if (fd >= 0) {
        const unsigned char byte = static_cast<unsigned char>(signo);
        // A full pipe already holds a pending quit; nothing more to say.
        [[maybe_unused]] const ssize_t written = ::write(fd, &byte, 1);
    }
    errno = savedErrno;
}

bool setHandler(int signo, void (*handler)(int), int flags) {
    struct sigaction action = {};
    action.sa_handler = handler;
    sigemptyset(&action.sa_mask);
    action.sa_flags = flags;
    return ::sigaction(signo, &action, nullptr) == 0;
}
}  // namespace

QuitOnSignal::QuitOnSignal(QObject* parent) : QObject(parent) {
    if (::pipe2(pipe_, O_CLOEXEC | O_NONBLOCK) != 0) {
        debugLog("quit on signal: no pipe (errno %d)\n", errno);
        pipe_[0] = pipe_[1] = -1;
        return;
    }
    signalPipeWrite = pipe_[1];
    notifier_ = new QSocketNotifier(pipe_[0], QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, &QuitOnSignal::readSignal);
    active_ = setHandler(SIGPIPE, SIG_IGN, 0);
    for (int signo : kQuitSignals)
        active_ = setHandler(signo, onQuitSignal, SA_RESTART | SA_RESETHAND) && active_;
}

QuitOnSignal::~QuitOnSignal() {
    for (int signo : kQuitSignals)
        setHandler(signo, SIG_DFL, 0);
    signalPipeWrite = -1;
    delete notifier_;
    for (int& fd : pipe_) {
        if (fd >= 0)
            ::close(fd);
        fd = -1;
    }
}

void QuitOnSignal::readSignal() {
    unsigned char byte = 0;
    int last = 0;
    while (::read(pipe_[0], &byte, 1) == 1)
        last = byte;
    if (last == 0)
        return;
    debugLog("quit on signal %d\n", last);
    QCoreApplication::exit(0);
}
