#pragma once
// One running copy per user. The first instance holds an flock()ed lock file
// and listens on a local socket beside it; a later instance finds the lock
// taken, sends the instance message (wParam 0, lParam 1) over the socket so
// the running window comes to the front, and then ends.

#include <QObject>
#include <QString>

class QLocalServer;
class QLocalSocket;

namespace talven {

class SingleInstance : public QObject {
    Q_OBJECT
public:
    // What a later instance sends: "show the running instance".
    static constexpr quint32 kShowWParam = 0;
    static constexpr qint32 kShowLParam = 1;

    // Lock and socket in defaultRuntimeFolder().
    explicit SingleInstance(QObject* parent = nullptr);
    // Lock and socket in the given folder, which must exist (tests).
    explicit SingleInstance(const QString& runtimeFolder, QObject* parent = nullptr);
    ~SingleInstance() override;

    // True when this process is the instance that keeps running. Otherwise the
    // message has been handed to the running instance (or it did not answer
    // within waitMs) and the caller should end. When the lock cannot be used at
    // all the answer is true: running twice is better than not running.
    bool tryBecomePrimary(int waitMs = 2000);
    bool isPrimary() const { return primary_; }

    QString lockPath() const;
    QString socketPath() const;

    // $XDG_RUNTIME_DIR, else a private /tmp/talven-<uid> made for the purpose;
    // empty when neither is usable.
    static QString defaultRuntimeFolder();

signals:
    // Emitted in the running instance for each message a later one sends.
    void instanceMessage(quint32 wParam, qint32 lParam);

private:
    bool takeLock();
    void listen();
    bool sendTo(quint32 wParam, qint32 lParam, int timeoutMs);
    void accept();
    void readMessage(QLocalSocket* socket);

    QString folder_;
    int lockFd_ = -1;
    bool primary_ = false;
    QLocalServer* server_ = nullptr;
};

}  // namespace talven
