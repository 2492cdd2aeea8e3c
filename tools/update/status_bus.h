#pragma once
// The sending side of the UpdateStatus signal: the user's session bus when
// one is running, otherwise nothing is sent (the download still happens).

#include <cstdint>

typedef struct _GDBusConnection GDBusConnection;

namespace talven::update {

class StatusBus {
public:
    // DBUS_SESSION_BUS_ADDRESS, else $XDG_RUNTIME_DIR/bus when it exists.
    StatusBus();
    ~StatusBus();
    StatusBus(const StatusBus&) = delete;
    StatusBus& operator=(const StatusBus&) = delete;

    bool connected() const { return connection_ != nullptr; }
    // Sends the signal and waits until it has left; false without a bus.
    bool send(uint32_t code, int32_t value);

private:
    GDBusConnection* connection_ = nullptr;
};

}  // namespace talven::update
