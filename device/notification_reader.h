#pragma once
// A thread that reads a device's notification interface and hands each
// report's code to a callback (on the reader's thread: a page forwards it to
// its UI thread). Opening another path first stops and closes the one open.

#include "platform/hid/hid_device.h"
#include "platform/worker_thread.h"

#include <cstdint>
#include <functional>
#include <mutex>
#include <string>

namespace talven {

class NotificationReader {
public:
    using Handler = std::function<void(uint16_t code)>;

    explicit NotificationReader(std::string exitMessage) : exitMessage_(std::move(exitMessage)) {}
    ~NotificationReader() { close(); }
    NotificationReader(const NotificationReader&) = delete;
    NotificationReader& operator=(const NotificationReader&) = delete;

    // Opens `path` for reading and starts the reader; false when it cannot
    // be opened (nothing runs then).
    bool open(const std::string& path, Handler handler);
    // Stops the reader and closes the interface.
    void close();
    bool running() const { return reader_.started(); }

private:
    void loop();

    std::string exitMessage_;
    hid::HidDevice device_;
    Handler handler_;
    WorkerThread reader_;
};

}  // namespace talven
