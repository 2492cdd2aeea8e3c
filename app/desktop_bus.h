#pragma once
// Messages between this program and other programs of the same user: D-Bus
// signals on the session bus. Without a session bus nothing is sent, nothing
// arrives and nothing fails.
//
// Each message is a signal with two arguments, (uint wparam, int lparam), on
// object path /org/talven/K88 and interface org.talven.K88.Messages:
//   LightAnnounce  this program says whether it controls device lighting
//   LightControl   another program asks this one to take or release it
//   UpdateStatus   progress of an external device-update program

#include <QDBusConnection>
#include <QObject>
#include <QString>

class QDBusMessage;

namespace talven {

class DesktopBus : public QObject {
    Q_OBJECT
public:
    enum class Message { LightAnnounce, LightControl, UpdateStatus };
    Q_ENUM(Message)

    static constexpr const char* kObjectPath = "/org/talven/K88";
    static constexpr const char* kInterface = "org.talven.K88.Messages";

    // The user's session bus, when one is running.
    explicit DesktopBus(QObject* parent = nullptr);
    // A given connection (a private bus in tests).
    explicit DesktopBus(const QDBusConnection& connection, QObject* parent = nullptr);
    ~DesktopBus() override;

    bool isConnected() const { return connection_.isConnected(); }

    // Sends the message to every program listening; false when there is no
    // bus to send it on.
    bool broadcast(Message kind, quint32 wParam, qint32 lParam);

    static QString signalName(Message kind);

signals:
    // A message from another program; our own broadcasts are not echoed.
    void received(talven::DesktopBus::Message kind, quint32 wParam, qint32 lParam);

private slots:
    void onSignal(const QDBusMessage& message);

private:
    void subscribe(bool on);

    QDBusConnection connection_;
};

}  // namespace talven
