#include "app/single_instance.h"

#include "app/app_messages.h"

#include "platform/app_identity.h"
#include "platform/debug_output.h"

#include <QDeadlineTimer>
#include <QLocalServer>
#include <QLocalSocket>
#include <QThread>
#include <QTimer>
#include <QtEndian>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <string>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace talven {

namespace {

// A message on the socket: a tag, then wParam and lParam, big-endian.
constexpr char kTag[4] = {'K', '8', '8', 'I'};
constexpr qint64 kMessageSize = 12;
// A peer that connects but does not send is dropped after this long.
constexpr int kPeerTimeoutMs = 2000;

// /tmp is shared with every user, so the fallback folder counts only when it
// is a real folder of ours that nobody else can write to.
bool isPrivateFolder(const std::string& path) {
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0 || !S_ISDIR(st.st_mode) || st.st_uid != ::getuid()) return false;
    return (st.st_mode & 077) == 0 || ::chmod(path.c_str(), 0700) == 0;
}

}  // namespace

SingleInstance::SingleInstance(QObject* parent) : SingleInstance(defaultRuntimeFolder(), parent) {}

SingleInstance::SingleInstance(const QString& runtimeFolder, QObject* parent)
    : QObject(parent), folder_(runtimeFolder) {}

SingleInstance::~SingleInstance() {
    // The socket goes before the lock, so a successor never loses its own
    // fresh socket to our clean-up.
    if (server_ != nullptr) server_->close();
    if (lockFd_ >= 0) ::close(lockFd_);
}

QString SingleInstance::defaultRuntimeFolder() {
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    if (runtime != nullptr && runtime[0] == '/') return QString::fromLocal8Bit(runtime);
    const std::string fallback = "/tmp/talven-" + std::to_string(::getuid());
    if (::mkdir(fallback.c_str(), 0700) != 0 && errno != EEXIST) return {};
    if (!isPrivateFolder(fallback)) {
        debugOutputf("%s is not a private folder; single instance not enforced", fallback.c_str());
        return {};
    }
    return QString::fromStdString(fallback);
}

QString SingleInstance::lockPath() const { return folder_ + "/" + applicationTitle() + ".lock"; }

QString SingleInstance::socketPath() const { return folder_ + "/" + applicationTitle() + ".socket"; }

bool SingleInstance::takeLock() {
    if (lockFd_ < 0) {
        lockFd_ = ::open(lockPath().toLocal8Bit().constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
        if (lockFd_ < 0) return false;
    }
    // The lock belongs to the open file and goes away with the process, so a
    // crash never leaves a stale lock behind (the lock file itself stays:
    // removing it would let two processes lock different files).
    return ::flock(lockFd_, LOCK_EX | LOCK_NB) == 0;
}

bool SingleInstance::tryBecomePrimary(int waitMs) {
    if (primary_) return true;
    if (folder_.isEmpty()) {
        primary_ = true;
        return true;
    }
    const QDeadlineTimer deadline(waitMs);
    for (;;) {
        if (takeLock()) {
            primary_ = true;
            listen();
            return true;
        }
        if (lockFd_ < 0 || (errno != EWOULDBLOCK && errno != EINTR)) {
            debugOutputf("single-instance lock unusable (%s); running anyway", std::strerror(errno));
            primary_ = true;
            return true;
        }
        // The running instance may hold the lock but not listen yet; it may
        // also have just ended, in which case the lock is ours next time round.
        if (sendTo(kShowWParam, kShowLParam, 200)) return false;
        if (deadline.hasExpired()) {
            debugOutput("the running instance does not answer");
            return false;
        }
        QThread::msleep(50);
    }
}

void SingleInstance::listen() {
    server_ = new QLocalServer(this);
    server_->setSocketOptions(QLocalServer::UserAccessOption);
    // We hold the lock, so a socket file left here belongs to a process that
    // has died.
    QLocalServer::removeServer(socketPath());
    if (!server_->listen(socketPath())) {
        debugOutputf("single instance: cannot listen on %s: %s", socketPath().toLocal8Bit().constData(),
                     server_->errorString().toLocal8Bit().constData());
        return;
    }
    connect(server_, &QLocalServer::newConnection, this, &SingleInstance::accept);
}

bool SingleInstance::sendTo(quint32 wParam, qint32 lParam, int timeoutMs) {
    QLocalSocket socket;
    socket.connectToServer(socketPath());
    if (!socket.waitForConnected(timeoutMs)) return false;
    char message[kMessageSize];
    std::memcpy(message, kTag, sizeof kTag);
    qToBigEndian(wParam, message + 4);
    qToBigEndian(lParam, message + 8);
    if (socket.write(message, kMessageSize) != kMessageSize || !socket.waitForBytesWritten(timeoutMs)) {
        return false;
    }
    socket.disconnectFromServer();
    return true;
}

void SingleInstance::accept() {
    while (QLocalSocket* socket = server_->nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] { readMessage(socket); });
        QTimer::singleShot(kPeerTimeoutMs, socket, [socket] { socket->abort(); });
        // The sender may have written and gone before we accepted.
        readMessage(socket);
    }
}

void SingleInstance::readMessage(QLocalSocket* socket) {
    if (socket->bytesAvailable() < kMessageSize) return;
    char message[kMessageSize];
    socket->read(message, kMessageSize);
    // One message per connection; anything else on the socket is not ours.
    socket->abort();
    socket->deleteLater();
    if (std::memcmp(message, kTag, sizeof kTag) != 0) {
        debugOutput("single instance: ignoring a message with an unknown tag");
        return;
    }
    emit instanceMessage(qFromBigEndian<quint32>(message + 4), qFromBigEndian<qint32>(message + 8));
}

}  // namespace talven
