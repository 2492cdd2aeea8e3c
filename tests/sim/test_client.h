#pragma once
// A raw client of a simulated node, the way an open hidraw file behaves:
// one packet per report, first byte the report ID.

#include "device/command_frame.h"
#include "sim/sim_socket.h"

#include <algorithm>
#include <optional>
#include <span>
#include <string>
#include <unistd.h>
#include <vector>

namespace talven::sim::test {

class TestClient {
public:
    explicit TestClient(const std::string& node) : fd_(connectSeqpacket(node, &error_)) {}
    ~TestClient() {
        if (fd_ >= 0) ::close(fd_);
    }
    TestClient(const TestClient&) = delete;
    TestClient& operator=(const TestClient&) = delete;

    bool connected() const { return fd_ >= 0; }
    const std::string& error() const { return error_; }
    int fd() const { return fd_; }

    bool send(std::span<const uint8_t> report) { return sendPacket(fd_, report); }
    std::optional<std::vector<uint8_t>> receive(int timeoutMs = 1000, bool* closed = nullptr) {
        return receivePacket(fd_, timeoutMs, closed);
    }
    // One request, the next report back as a frame.
    std::optional<Frame> exchange(const Frame& request, int timeoutMs = 1000) {
        if (!send(request)) return std::nullopt;
        auto reply = receive(timeoutMs);
        if (!reply || reply->size() != kFrameSize) return std::nullopt;
        Frame f{};
        std::copy(reply->begin(), reply->end(), f.begin());
        return f;
    }

private:
    std::string error_;
    int fd_;
};

inline Frame toFrame(const std::vector<uint8_t>& report) {
    Frame f{};
    std::copy_n(report.begin(), std::min(report.size(), f.size()), f.begin());
    return f;
}

}  // namespace talven::sim::test
