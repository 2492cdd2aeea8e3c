#include "rgbsdk/sdk_server.h"

#include "platform/worker_thread.h"

#include <arpa/inet.h>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace talven::rgbsdk {

struct SdkServer::Client {
    explicit Client(int socket, uint64_t id) : fd(socket), session(id) {}
    ~Client() { ::close(fd); }
    int fd;
    SdkSession session;
    std::vector<uint8_t> out;
};

namespace {

union SocketAddress {
    sockaddr any;
    sockaddr_in v4;
    sockaddr_in6 v6;
};

bool parseAddress(const ServerAddress& address, SocketAddress& out, socklen_t& length) {
    std::memset(&out, 0, sizeof out);
    if (inet_pton(AF_INET, address.host.c_str(), &out.v4.sin_addr) == 1) {
        out.v4.sin_family = AF_INET;
        out.v4.sin_port = htons(address.port);
        length = sizeof out.v4;
        return true;
    }
    if (inet_pton(AF_INET6, address.host.c_str(), &out.v6.sin6_addr) == 1) {
        out.v6.sin6_family = AF_INET6;
        out.v6.sin6_port = htons(address.port);
        length = sizeof out.v6;
        return true;
    }
    return false;
}

uint16_t localPort(int fd) {
    SocketAddress bound;
    socklen_t length = sizeof bound;
    if (getsockname(fd, &bound.any, &length) != 0) return 0;
    return ntohs(bound.any.sa_family == AF_INET6 ? bound.v6.sin6_port : bound.v4.sin_port);
}

bool fail(std::string* error, const std::string& what) {
    if (error) *error = what + ": " + std::strerror(errno);
    return false;
}

}  // namespace

SdkServer::SdkServer(ServerAddress address, CommandSink sink)
    : address_(std::move(address)), sink_(std::move(sink)), controllers_(std::make_shared<ControllerList>()) {}

SdkServer::~SdkServer() { stop(); }

bool SdkServer::start(std::string* error) {
    if (running()) return true;
    SocketAddress where;
    socklen_t length = 0;
    if (!parseAddress(address_, where, length)) {
        if (error) *error = "not a numeric IP address: " + address_.host;
        return false;
    }
    listenFd_ = ::socket(where.any.sa_family, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (listenFd_ < 0) return fail(error, "socket");
    const int yes = 1;
    ::setsockopt(listenFd_, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
    int pipeFds[2];
    if (::bind(listenFd_, &where.any, length) != 0 || ::listen(listenFd_, 16) != 0 ||
        ::pipe2(pipeFds, O_NONBLOCK | O_CLOEXEC) != 0) {
        const bool result = fail(error, address_.host + " port " + std::to_string(address_.port));
        ::close(listenFd_);
        listenFd_ = -1;
        return result;
    }
    wakeRead_ = pipeFds[0];
    wakeWrite_ = pipeFds[1];
    boundPort_ = localPort(listenFd_);
    stopping_ = false;
    thread_ = std::thread([this] {
        nameThisThread("lighting server");
        serve();
    });
    return true;
}

void SdkServer::stop() {
    if (!running()) return;
    stopping_ = true;
    wake();
    thread_.join();
    clients_.clear();
    clientCount_ = 0;
    for (int* fd : {&listenFd_, &wakeRead_, &wakeWrite_}) {
        ::close(*fd);
        *fd = -1;
    }
}

void SdkServer::setControllers(ControllerList controllers, bool listChanged) {
    {
        std::lock_guard<std::mutex> lock(lock_);
        controllers_ = std::make_shared<const ControllerList>(std::move(controllers));
        notifyPending_ = notifyPending_ || listChanged;
    }
    if (listChanged) wake();
}

std::shared_ptr<const ControllerList> SdkServer::snapshot(bool* notify) {
    std::lock_guard<std::mutex> lock(lock_);
    if (notify) {
        *notify = notifyPending_;
        notifyPending_ = false;
    }
    return controllers_;
}

void SdkServer::wake() {
    const uint8_t byte = 1;
    // A full pipe already holds a wake-up: nothing is lost by not writing.
    [[maybe_unused]] const ssize_t n = ::write(wakeWrite_, &byte, 1);
}

void SdkServer::drainWake() {
    uint8_t bytes[64];
    while (::read(wakeRead_, bytes, sizeof bytes) > 0) {}
}

void SdkServer::serve() {
    std::vector<pollfd> fds;
    while (!stopping_) {
        fds.assign({{listenFd_, POLLIN, 0}, {wakeRead_, POLLIN, 0}});
        for (const auto& c : clients_)
            fds.push_back({c->fd, static_cast<short>(POLLIN | (c->out.empty() ? 0 : POLLOUT)), 0});
        if (::poll(fds.data(), fds.size(), -1) < 0 && errno != EINTR) break;
        if (stopping_) break;
        if (fds[1].revents) drainWake();
        bool notify = false;
        const std::shared_ptr<const ControllerList> controllers = snapshot(&notify);
        if (notify) {
            const std::vector<uint8_t> packet = encodePacket(0, packet::DeviceListUpdated, {});
            for (auto& c : clients_) c->out.insert(c->out.end(), packet.begin(), packet.end());
        }
        // Walked backwards so a drop does not move the clients still to come.
        for (size_t i = clients_.size(); i-- > 0;) {
            const short events = i + 2 < fds.size() ? fds[i + 2].revents : 0;
            Client& c = *clients_[i];
            bool keep = !(events & (POLLERR | POLLNVAL));
            if (keep && (events & (POLLIN | POLLHUP))) keep = readFrom(c, *controllers);
            if (keep && !c.out.empty()) keep = writeTo(c);
            if (!keep) drop(i);
        }
        if (fds[0].revents & POLLIN) acceptClients();
    }
}

void SdkServer::acceptClients() {
    for (;;) {
        const int fd = ::accept4(listenFd_, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
        if (fd < 0) return;
        if (clients_.size() >= kMaxClients) {
            ::close(fd);
            continue;
        }
        clients_.push_back(std::make_unique<Client>(fd, nextClientId_++));
        clientCount_ = clients_.size();
    }
}

bool SdkServer::readFrom(Client& c, const ControllerList& controllers) {
    uint8_t buffer[SdkSession::kMaxReadChunk];
    const ssize_t n = ::recv(c.fd, buffer, sizeof buffer, 0);
    if (n == 0) return false;
    if (n < 0) return errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR;
    std::vector<SdkCommand> commands;
    const bool keep = c.session.receive({buffer, static_cast<size_t>(n)}, controllers, c.out, commands);
    for (SdkCommand& command : commands)
        if (sink_) sink_(std::move(command));
    return keep && c.out.size() <= kMaxOutbound;
}

bool SdkServer::writeTo(Client& c) {
    const ssize_t n = ::send(c.fd, c.out.data(), c.out.size(), MSG_NOSIGNAL | MSG_DONTWAIT);
    if (n < 0) return errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR;
    c.out.erase(c.out.begin(), c.out.begin() + n);
    // A client that asks and never reads would make the answers pile up.
    return c.out.size() <= kMaxOutbound;
}

void SdkServer::drop(size_t index) {
    const uint64_t id = clients_[index]->session.id();
    clients_.erase(clients_.begin() + static_cast<std::ptrdiff_t>(index));
    clientCount_ = clients_.size();
    SdkCommand gone;
    gone.kind = SdkCommand::Kind::ClientGone;
    gone.client = id;
    if (sink_) sink_(std::move(gone));
}

}  // namespace talven::rgbsdk
