#pragma once
// Small helpers around Unix SOCK_SEQPACKET sockets, the transport of the
// simulated nodes and of the simulator's control socket. Every descriptor is
// close-on-exec; failures come back as -1 with a one-line reason.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace talven::sim {

// Whether `path` fits in a sockaddr_un (with its terminating zero).
bool socketPathFits(const std::string& path);

// A listening, non-blocking socket bound at `path`.
int listenSeqpacket(const std::string& path, std::string* error);
// A blocking connection to the socket at `path`.
int connectSeqpacket(const std::string& path, std::string* error);

// Sends one packet; false on failure (never raises SIGPIPE).
bool sendPacket(int fd, std::span<const uint8_t> packet);
bool sendPacket(int fd, const std::string& text);

// Waits up to timeoutMs (-1 without limit) for one packet. nullopt on time-out,
// error or end of stream (`closed` tells the last apart).
std::optional<std::vector<uint8_t>> receivePacket(int fd, int timeoutMs, bool* closed = nullptr);

}  // namespace talven::sim
