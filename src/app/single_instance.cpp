#include "app/single_instance.h"

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>
#include <QDir>
#include <QFile>
#include <QSocketNotifier>
#include <QStandardPaths>
#include <cerrno>
#include <cstring>

#include "base/debug_log.h"

namespace {
const char* const kBaseName = "lumora-x8-settings";
const char kRaise[] = "raise\n";
constexpr int kAnswerMs = 2000;

QString runtimeFolder(const QString& given) {
    if (!given.isEmpty())
        return given;
    const QString runtime = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    return runtime.isEmpty() ? QDir::tempPath() : runtime;
}

// The socket's address; false when the path does not fit one.
bool addressOf(const QString& path, sockaddr_un& address) {
    const QByteArray bytes = QFile::encodeName(path);
    std::memset(&address, 0, sizeof address);
    address.sun_family = AF_UNIX;
    if (bytes.size() >= int(sizeof address.sun_path))
        return false;
    std::memcpy(address.sun_path, bytes.constData(), size_t(bytes.size()));
    return true;
}

// A stream socket of this process only (not inherited by the programs it starts).
int newSocket(int flags = 0) {
    return ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | flags, 0);
}
}  // namespace

SingleInstance::SingleInstance(const QString& runtimeDir)
    : dir_(runtimeFolder(runtimeDir)), lock_(dir_ + QLatin1Char('/') + QLatin1String(kBaseName) + ".lock") {
    // A lock left by an instance that crashed names a process that is gone: QLockFile
    // takes it over. No age makes a live instance's lock stale.
    lock_.setStaleLockTime(0);
}

SingleInstance::~SingleInstance() {
    if (listener_ >= 0) {
        ::close(listener_);
        ::unlink(QFile::encodeName(socketPath()).constData());
    }
}

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
    const QByteArray path = QFile::encodeName(socketPath());
    ::unlink(path.constData());
    sockaddr_un address;
    const int listener = newSocket(SOCK_NONBLOCK);
    const char* failure = nullptr;
    if (!addressOf(socketPath(), address)) {
        failure = "the path is too long for a socket";
    } else if (listener < 0 || ::bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
               ::chmod(path.constData(), S_IRUSR | S_IWUSR) != 0 || ::listen(listener, 4) != 0) {
        failure = std::strerror(errno);
    }
    if (failure != nullptr) {
        debugLog("single instance: cannot listen on %s: %s\n", path.constData(), failure);
        if (listener >= 0)
            ::close(listener);
        return true;  // this instance runs all the same; a later one cannot raise it
    }
    listener_ = listener;
    accepting_ = new QSocketNotifier(listener_, QSocketNotifier::Read, this);
    connect(accepting_, &QSocketNotifier::activated, this, &SingleInstance::acceptRaise);
    return true;
}

void SingleInstance::acceptRaise() {
    for (;;) {
        const int client = ::accept4(listener_, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
        if (client < 0)
            return;  // no more waiting (EAGAIN), or the caller went away
        auto* notifier = new QSocketNotifier(client, QSocketNotifier::Read, this);
        connect(notifier, &QSocketNotifier::activated, this,
                [this, client, notifier] { readRequest(client, notifier); });
        readRequest(client, notifier);  // the request may have arrived with the connection
    }
}

void SingleInstance::readRequest(int client, QSocketNotifier* notifier) {
    // The request is one short line, written at once by the caller.
    char line[sizeof kRaise] = {};
    const ssize_t got = ::recv(client, line, sizeof line - 1, MSG_PEEK);
    if (got < 0 && (errno == EAGAIN || errno == EWOULDBLOCK))
        return;  // not there yet
    if (got == ssize_t(sizeof kRaise - 1) && std::strcmp(line, kRaise) == 0) {
        debugLog("raise requested by a second start\n");
        emit raiseRequested();
    } else if (got > 0 && got < ssize_t(sizeof kRaise - 1) && std::strncmp(line, kRaise, size_t(got)) == 0) {
        return;  // the rest of the line is on its way
    }
    notifier->setEnabled(false);
    notifier->deleteLater();
    ::close(client);
}

bool SingleInstance::raiseRunning() {
    sockaddr_un address;
    const int socket = newSocket();
    if (socket < 0 || !addressOf(socketPath(), address)) {
        if (socket >= 0)
            ::close(socket);
        return false;
    }
    // A local connect and a one-line write finish at once, or the instance is not there.
    const timeval limit{kAnswerMs / 1000, (kAnswerMs % 1000) * 1000};
    ::setsockopt(socket, SOL_SOCKET, SO_SNDTIMEO, &limit, sizeof limit);
    const bool sent = ::connect(socket, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
                      ::send(socket, kRaise, sizeof kRaise - 1, MSG_NOSIGNAL) == ssize_t(sizeof kRaise - 1);
    ::close(socket);
    return sent;
}
