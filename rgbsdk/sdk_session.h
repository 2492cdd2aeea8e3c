#pragma once
// One client's side of the conversation, without the socket: bytes in,
// answer bytes and commands for the program out. The server keeps one per
// connection; tests and the fuzz harness drive it directly.

#include "rgbsdk/sdk_controller.h"
#include "rgbsdk/sdk_packet.h"

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace talven::rgbsdk {

// A request that changes a controller, for the program to carry out.
struct SdkCommand {
    enum class Kind { UpdateLeds, UpdateZoneLeds, UpdateSingleLed, SetCustomMode, UpdateMode, ClientGone };
    Kind kind = Kind::ClientGone;
    uint64_t client = 0;
    uint32_t controller = 0;
    uint32_t zone = 0;
    int32_t led = 0;
    std::vector<uint32_t> colours;
    ModeUpdate mode;
};

using ControllerList = std::vector<SdkController>;

class SdkSession {
public:
    // At most one whole packet, plus one read's worth, waits here.
    static constexpr size_t kMaxReadChunk = 16 * 1024;
    static constexpr size_t kMaxBuffered = kHeaderSize + kMaxPayload + kMaxReadChunk;
    static constexpr size_t kMaxClientName = 256;
    // Answers not yet taken by the client. Past this the client is asking
    // faster than it reads, and the connection ends.
    static constexpr size_t kMaxUnread = 1024 * 1024;

    explicit SdkSession(uint64_t id) : id_(id) {}

    // Takes the bytes just received and handles every whole packet among
    // them: answers are appended to `out`, changes to `commands`. False when
    // the connection must end (a header of another protocol, a payload
    // beyond the bound: the stream can no longer be followed; or more than
    // kMaxUnread bytes of answers in `out`).
    bool receive(std::span<const uint8_t> bytes, const ControllerList& controllers, std::vector<uint8_t>& out,
                 std::vector<SdkCommand>& commands);

    uint64_t id() const { return id_; }
    // The version agreed with REQUEST_PROTOCOL_VERSION; 0 before it.
    uint32_t version() const { return version_; }
    const std::string& clientName() const { return name_; }
    size_t buffered() const { return in_.size(); }

private:
    void handle(const PacketHeader& header, std::span<const uint8_t> payload, const ControllerList& controllers,
                std::vector<uint8_t>& out, std::vector<SdkCommand>& commands);
    void answerVersion(std::span<const uint8_t> payload, std::vector<uint8_t>& out);
    void answerData(uint32_t device, std::span<const uint8_t> payload, const ControllerList& controllers,
                    std::vector<uint8_t>& out) const;
    std::optional<SdkCommand> command(const PacketHeader& header, std::span<const uint8_t> payload) const;

    uint64_t id_;
    uint32_t version_ = 0;
    std::string name_;
    std::vector<uint8_t> in_;
};

}  // namespace talven::rgbsdk
