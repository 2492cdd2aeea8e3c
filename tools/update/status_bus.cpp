#include "tools/update/status_bus.h"

#include "update/update_transfer.h"

#include <gio/gio.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <sys/stat.h>

namespace talven::update {

namespace {

// The same rule as the program's: a bus that is not running is not started.
std::string sessionBusAddress() {
    const char* address = std::getenv("DBUS_SESSION_BUS_ADDRESS");
    if (address != nullptr && *address != '\0') return address;
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    if (runtime == nullptr || runtime[0] != '/') return {};
    const std::string socket = std::string(runtime) + "/bus";
    struct stat info {};
    return ::stat(socket.c_str(), &info) == 0 ? "unix:path=" + socket : std::string();
}

void report(const char* what, GError* error) {
    std::fprintf(stderr, "talven-update: %s: %s\n", what, error != nullptr ? error->message : "unknown error");
    if (error != nullptr) g_error_free(error);
}

}  // namespace

StatusBus::StatusBus() {
    const std::string address = sessionBusAddress();
    if (address.empty()) return;
    GError* error = nullptr;
    connection_ = g_dbus_connection_new_for_address_sync(
        address.c_str(),
        static_cast<GDBusConnectionFlags>(G_DBUS_CONNECTION_FLAGS_AUTHENTICATION_CLIENT |
                                          G_DBUS_CONNECTION_FLAGS_MESSAGE_BUS_CONNECTION),
        nullptr, nullptr, &error);
    if (connection_ == nullptr) report("no session bus", error);
}

StatusBus::~StatusBus() {
    if (connection_ != nullptr) g_object_unref(connection_);
}

bool StatusBus::send(uint32_t code, int32_t value) {
    if (connection_ == nullptr) return false;
    GError* error = nullptr;
    if (!g_dbus_connection_emit_signal(connection_, nullptr, kStatusObjectPath, kStatusInterface, kStatusSignal,
                                       g_variant_new("(ui)", code, value), &error)) {
        report("cannot send the status", error);
        return false;
    }
    if (!g_dbus_connection_flush_sync(connection_, nullptr, &error)) {
        report("cannot send the status", error);
        return false;
    }
    return true;
}

}  // namespace talven::update
