#pragma once
// One window per user session: the first start holds a lock file in the runtime folder and
// listens on a local socket beside it; a later start finds the lock held, asks the running
// window to come to the front through the socket and ends. The command line does not take
// part: scripts run beside the window. The socket is a plain Unix-domain socket, so the
// window's start maps no network library.
#include <QLockFile>
#include <QObject>
#include <QString>

class QSocketNotifier;

class SingleInstance : public QObject {
    Q_OBJECT

public:
    // runtimeDir: where the lock and the socket live (the user's runtime folder when
    // empty). Needs a QCoreApplication.
    explicit SingleInstance(const QString& runtimeDir = QString());
    ~SingleInstance() override;

    // Takes the lock and starts listening. False when another instance holds the lock.
    bool claim();
    // Asks the instance that holds the lock to raise its window. False when it does not
    // answer.
    bool raiseRunning();

    QString lockPath() const;
    QString socketPath() const;

signals:
    // A later start asked for the window.
    void raiseRequested();

private:
    void acceptRaise();
    void readRequest(int client, QSocketNotifier* notifier);

    QString dir_;
    QLockFile lock_;
    int listener_ = -1;  // the listening Unix-domain socket, -1 when not listening
    QSocketNotifier* accepting_ = nullptr;
};
