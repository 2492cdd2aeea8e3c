#include "app/desktop_bus.h"

#include "platform/debug_output.h"

#include <QDBusMessage>
#include <QFileInfo>

#include <array>
#include <cstdlib>

namespace talven {

namespace {

constexpr std::array kMessages = {DesktopBus::Message::LightAnnounce, DesktopBus::Message::LightControl,
                                  DesktopBus::Message::UpdateStatus};

// The session bus if one is running. Asking for it blindly would let the
// D-Bus library start a bus of its own on some desktops, which is not ours
// to do.
QDBusConnection sessionBusIfRunning() {
    const char* address = std::getenv("DBUS_SESSION_BUS_ADDRESS");
    if (address != nullptr && *address != '\0') return QDBusConnection::sessionBus();
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    if (runtime != nullptr && runtime[0] == '/') {
        const QString socket = QString::fromLocal8Bit(runtime) + QStringLiteral("/bus");
        if (QFileInfo::exists(socket)) {
            return QDBusConnection::connectToBus(QStringLiteral("unix:path=") + socket,
                                                 QStringLiteral("talven-session-bus"));
        }
    }
    return QDBusConnection(QStringLiteral("talven-no-session-bus"));
}

}  // namespace

DesktopBus::DesktopBus(QObject* parent) : DesktopBus(sessionBusIfRunning(), parent) {}

DesktopBus::DesktopBus(const QDBusConnection& connection, QObject* parent)
    : QObject(parent), connection_(connection) {
    if (connection_.isConnected()) subscribe(true);
}

DesktopBus::~DesktopBus() {
    if (connection_.isConnected()) subscribe(false);
}

QString DesktopBus::signalName(Message kind) {
    switch (kind) {
        case Message::LightAnnounce: return QStringLiteral("LightAnnounce");
        case Message::LightControl: return QStringLiteral("LightControl");
        case Message::UpdateStatus: return QStringLiteral("UpdateStatus");
    }
    return {};
}

void DesktopBus::subscribe(bool on) {
    for (Message kind : kMessages) {
        // No sender filter: any program of the user may speak to us.
        const bool done =
            on ? connection_.connect(QString(), kObjectPath, kInterface, signalName(kind), this,
                                     SLOT(onSignal(QDBusMessage)))
               : connection_.disconnect(QString(), kObjectPath, kInterface, signalName(kind), this,
                                        SLOT(onSignal(QDBusMessage)));
        if (!done) debugOutputf("desktop bus: cannot watch %s", qPrintable(signalName(kind)));
    }
}

bool DesktopBus::broadcast(Message kind, quint32 wParam, qint32 lParam) {
    if (!connection_.isConnected()) return false;
    QDBusMessage message = QDBusMessage::createSignal(kObjectPath, kInterface, signalName(kind));
    message << wParam << lParam;
    return connection_.send(message);
}

void DesktopBus::onSignal(const QDBusMessage& message) {
    // The bus hands our own signals back to us as well.
    if (message.service() == connection_.baseService()) return;
    if (message.signature() != QLatin1String("ui")) {
        debugOutputf("desktop bus: ignoring %s with arguments (%s) from %s", qPrintable(message.member()),
                     qPrintable(message.signature()), qPrintable(message.service()));
        return;
    }
    for (Message kind : kMessages) {
        if (message.member() == signalName(kind)) {
            const QList<QVariant> args = message.arguments();
            emit received(kind, args.at(0).toUInt(), args.at(1).toInt());
            return;
        }
    }
}

}  // namespace talven
