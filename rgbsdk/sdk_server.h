#pragma once
// The lighting network server: one thread that accepts clients on a TCP
// address (127.0.0.1 unless the user names another) and serves them all
// with poll() on non-blocking sockets, so no client can hold up another or
// the program. Controller descriptions come from the program as snapshots;
// changes the clients ask for go out through a sink, called on the server's
// thread, that hands them on to wherever the devices live.
//
// Bounds, per client: one packet of at most kMaxPayload bytes waiting to be
// complete (with one read of kMaxReadChunk), kMaxOutbound bytes of answers
// not yet taken (plus at most one answer); at most kMaxClients clients at
// once (one more is accepted and closed at once). A client past a bound is
// disconnected; the others go on.

#include "rgbsdk/sdk_session.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace talven::rgbsdk {

inline constexpr const char* kDefaultAddress = "127.0.0.1";

struct ServerAddress {
    std::string host = kDefaultAddress;  // a numeric IPv4 or IPv6 address
    uint16_t port = kDefaultPort;        // 0: any free port
};

class SdkServer {
public:
    using CommandSink = std::function<void(SdkCommand)>;

    static constexpr size_t kMaxClients = 64;
    static constexpr size_t kMaxOutbound = SdkSession::kMaxUnread;

    SdkServer(ServerAddress address, CommandSink sink);
    ~SdkServer();
    SdkServer(const SdkServer&) = delete;
    SdkServer& operator=(const SdkServer&) = delete;

    // Binds and starts the thread; false with the reason when the address
    // cannot be used (taken, not an address of this machine, not numeric).
    bool start(std::string* error = nullptr);
    void stop();
    bool running() const { return thread_.joinable(); }
    // The bound port (useful with port 0).
    uint16_t port() const { return boundPort_; }

    // The controllers as they are now. `listChanged` (a product came or went)
    // also tells every client DEVICE_LIST_UPDATED.
    void setControllers(ControllerList controllers, bool listChanged);
    size_t clientCount() const { return clientCount_.load(); }

private:
    struct Client;
    void serve();
    void acceptClients();
    // False when the client is to be dropped.
    bool readFrom(Client& client, const ControllerList& controllers);
    bool writeTo(Client& client);
    void drop(size_t index);
    void wake();
    void drainWake();
    std::shared_ptr<const ControllerList> snapshot(bool* notify);

    ServerAddress address_;
    CommandSink sink_;
    int listenFd_ = -1;
    int wakeRead_ = -1;
    int wakeWrite_ = -1;
    uint16_t boundPort_ = 0;
    std::thread thread_;
    std::atomic<bool> stopping_{false};
    std::atomic<size_t> clientCount_{0};
    std::vector<std::unique_ptr<Client>> clients_;
    uint64_t nextClientId_ = 1;

    std::mutex lock_;  // guards the two below
    std::shared_ptr<const ControllerList> controllers_;
    bool notifyPending_ = false;
};

}  // namespace talven::rgbsdk
