#include "sim/sim_socket.h"

#include <cerrno>
#include <cstring>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace talven::sim {

namespace {

constexpr size_t kMaxPacket = 4096;

bool makeAddress(const std::string& path, sockaddr_un& addr, std::string* error) {
    if (!socketPathFits(path)) {
        if (error) *error = "socket path too long: " + path;
        return false;
    }
    std::memset(&addr, 0, sizeof addr);
    addr.sun_family = AF_UNIX;
    std::memcpy(addr.sun_path, path.c_str(), path.size() + 1);
    return true;
}

int failWith(int fd, std::string* error, const std::string& what) {
    if (error) *error = what + ": " + std::strerror(errno);
    if (fd >= 0) ::close(fd);
    return -1;
}

}  // namespace

bool socketPathFits(const std::string& path) { return path.size() < sizeof(sockaddr_un::sun_path); }

int listenSeqpacket(const std::string& path, std::string* error) {
    sockaddr_un addr;
    if (!makeAddress(path, addr, error)) return -1;
    int fd = ::socket(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd < 0) return failWith(fd, error, "cannot create a socket");
    if (::bind(fd, reinterpret_cast<const sockaddr*>(&addr), sizeof addr) != 0) {
        return failWith(fd, error, "cannot bind " + path);
    }
    if (::listen(fd, 16) != 0) return failWith(fd, error, "cannot listen on " + path);
    return fd;
}

int connectSeqpacket(const std::string& path, std::string* error) {
    sockaddr_un addr;
    if (!makeAddress(path, addr, error)) return -1;
    int fd = ::socket(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0);
    if (fd < 0) return failWith(fd, error, "cannot create a socket");
    if (::connect(fd, reinterpret_cast<const sockaddr*>(&addr), sizeof addr) != 0) {
        return failWith(fd, error, "cannot connect to " + path);
    }
    return fd;
}

bool sendPacket(int fd, std::span<const uint8_t> packet) {
    ssize_t n;
    do {
        n = ::send(fd, packet.data(), packet.size(), MSG_NOSIGNAL);
    } while (n < 0 && errno == EINTR);
    return n == static_cast<ssize_t>(packet.size());
}

bool sendPacket(int fd, const std::string& text) {
    return sendPacket(fd, std::span<const uint8_t>(reinterpret_cast<const uint8_t*>(text.data()), text.size()));
}

std::optional<std::vector<uint8_t>> receivePacket(int fd, int timeoutMs, bool* closed) {
    if (closed) *closed = false;
    pollfd p{fd, POLLIN, 0};
    int r;
    do {
        r = ::poll(&p, 1, timeoutMs);
    } while (r < 0 && errno == EINTR);
    if (r <= 0) return std::nullopt;
    std::vector<uint8_t> packet(kMaxPacket);
    ssize_t n = ::recv(fd, packet.data(), packet.size(), MSG_DONTWAIT);
    if (n == 0 && !(p.revents & (POLLHUP | POLLERR))) return std::vector<uint8_t>{};  // empty packet
    if (n <= 0) {
        if (closed) *closed = n == 0 || (errno != EAGAIN && errno != EINTR);
        return std::nullopt;
    }
    packet.resize(static_cast<size_t>(n));
    return packet;
}

}  // namespace talven::sim
