#pragma once
// Makes SIGINT, SIGTERM and SIGHUP end the event loop cleanly instead of killing the process, so
// that the window and the application are destroyed in order and the log is complete.
#include <QObject>

class QSocketNotifier;

// The signal handler raises the process-wide quit request (base/quit_request.h), which
// ends every wait in progress, and writes the signal number to a pipe (both
// async-signal-safe); the read end is watched on the thread that created this object,
// which then logs "quit on signal %d\n" and calls QCoreApplication::exit(0). Each handler is reset to the
// default on its first delivery, so a second Ctrl+C ends a program whose event loop no
// longer runs. SIGPIPE is ignored, so a log reader that goes away cannot kill the program
// in the middle of a write. Create one instance after the QCoreApplication; destroying it
// restores the default dispositions.
class QuitOnSignal : public QObject {
    Q_OBJECT
public:
    explicit QuitOnSignal(QObject* parent = nullptr);
    ~QuitOnSignal() override;

    // False when the pipe could not be created or a handler not installed.
    bool isActive() const { return active_; }

private slots:
    void readSignal();

private:
    int pipe_[2] = {-1, -1};
    QSocketNotifier* notifier_ = nullptr;
    bool active_ = false;
};
