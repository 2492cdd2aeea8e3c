#include "app/power_monitor.h"

#include "platform/debug_output.h"

#include <QFileInfo>

#include <cstdlib>

namespace talven {

namespace {

const QString kService = QStringLiteral("org.freedesktop.login1");
const QString kPath = QStringLiteral("/org/freedesktop/login1");
const QString kInterface = QStringLiteral("org.freedesktop.login1.Manager");
const QString kSignal = QStringLiteral("PrepareForSleep");

// Containers and minimal systems have no system bus; asking for one there
// only produces warnings.
QDBusConnection systemBusIfRunning() {
    const char* address = std::getenv("DBUS_SYSTEM_BUS_ADDRESS");
    const bool present = (address != nullptr && *address != '\0') ||
                         QFileInfo::exists(QStringLiteral("/run/dbus/system_bus_socket")) ||
                         QFileInfo::exists(QStringLiteral("/var/run/dbus/system_bus_socket"));
    return present ? QDBusConnection::systemBus() : QDBusConnection(QStringLiteral("talven-no-system-bus"));
}

}  // namespace

PowerMonitor::PowerMonitor(QObject* parent) : PowerMonitor(systemBusIfRunning(), parent) {}

PowerMonitor::PowerMonitor(const QDBusConnection& connection, QObject* parent)
    : QObject(parent), connection_(connection) {
    if (!connection_.isConnected()) return;
    // Naming the service makes the bus library accept the signal only from
    // the current owner of that name, so no other program can fake a sleep.
    watching_ = connection_.connect(kService, kPath, kInterface, kSignal, this, SLOT(onPrepareForSleep(bool)));
    if (!watching_) debugOutput("power monitor: cannot watch PrepareForSleep");
}

PowerMonitor::~PowerMonitor() {
    if (watching_) connection_.disconnect(kService, kPath, kInterface, kSignal, this, SLOT(onPrepareForSleep(bool)));
}

void PowerMonitor::onPrepareForSleep(bool start) {
    debugOutput(start ? "system is going to sleep" : "system has resumed");
    emit suspending(start);
}

}  // namespace talven
