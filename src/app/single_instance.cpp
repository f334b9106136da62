#include "app/single_instance.h"

#include <QDir>
#include <QLocalServer>
#include <QLocalSocket>
#include <QStandardPaths>

#include "base/debug_log.h"

namespace {
const char* const kBaseName = "lumora-x8-settings";
const QByteArray kRaise = QByteArrayLiteral("raise\n");
constexpr int kAnswerMs = 2000;

QString runtimeFolder(const QString& given) {
    if (!given.isEmpty())
        return given;
    const QString runtime = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    return runtime.isEmpty() ? QDir::tempPath() : runtime;
}
}  // namespace

SingleInstance::SingleInstance(const QString& runtimeDir)
    : dir_(runtimeFolder(runtimeDir)), lock_(dir_ + QLatin1Char('/') + QLatin1String(kBaseName) + ".lock") {
    // A lock left by an instance that crashed names a process that is gone: QLockFile
    // takes it over. No age makes a live instance's lock stale.
    lock_.setStaleLockTime(0);
}

SingleInstance::~SingleInstance() = default;

QString SingleInstance::lockPath() const {
    return dir_ + QLatin1Char('/') + QLatin1String(kBaseName) + ".lock";
}

QString SingleInstance::socketPath() const {
    return dir_ + QLatin1Char('/') + QLatin1String(kBaseName) + ".socket";
}

bool SingleInstance::claim() {
    if (!lock_.tryLock(0))
        return false;
    // With the lock held, a socket left behind belongs to no one.
    QLocalServer::removeServer(socketPath());
    server_ = new QLocalServer(this);
    server_->setSocketOptions(QLocalServer::UserAccessOption);
    if (!server_->listen(socketPath())) {
        debugLog("single instance: cannot listen on %s: %s\n", socketPath().toLocal8Bit().constData(),
                 server_->errorString().toLocal8Bit().constData());
        return true;  // this instance runs all the same; a later one cannot raise it
    }
    connect(server_, &QLocalServer::newConnection, this, &SingleInstance::acceptRaise);
    return true;
}

void SingleInstance::acceptRaise() {
    while (QLocalSocket* socket = server_->nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        const auto readRequest = [this, socket] {
            if (!socket->canReadLine())
                return;
            if (socket->readLine() == kRaise) {
                debugLog("raise requested by a second start\n");
                emit raiseRequested();
            }
            socket->disconnectFromServer();
        };
        connect(socket, &QLocalSocket::readyRead, this, readRequest);
        readRequest();  // the request may have arrived with the connection
    }
}

bool SingleInstance::raiseRunning() {
    QLocalSocket socket;
    socket.connectToServer(socketPath());
    if (!socket.waitForConnected(kAnswerMs))
        return false;
    socket.write(kRaise);
    const bool sent = socket.waitForBytesWritten(kAnswerMs);
    socket.disconnectFromServer();
    return sent;
}
