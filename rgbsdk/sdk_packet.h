#pragma once
// The packets of the lighting network protocol: a 16-byte header ("ORGB",
// device index, packet id, payload size, all little-endian 32-bit) and a
// payload. Reading is bounded everywhere: a length inside a packet never
// lets a reader step past the packet.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace talven::rgbsdk {

inline constexpr size_t kHeaderSize = 16;
inline constexpr uint16_t kDefaultPort = 6742;
// The newest protocol version this server speaks; a client asking for more
// gets this one, and each side then uses the smaller.
inline constexpr uint32_t kProtocolVersion = 5;
// No request of this protocol comes near this size (a full update of the
// largest product is about 520 bytes); a header announcing more is a client
// out of step, and the connection is dropped instead of buffering it.
inline constexpr uint32_t kMaxPayload = 64 * 1024;

namespace packet {
inline constexpr uint32_t RequestControllerCount = 0;
inline constexpr uint32_t RequestControllerData = 1;
inline constexpr uint32_t RequestProtocolVersion = 40;
inline constexpr uint32_t SetClientName = 50;
inline constexpr uint32_t DeviceListUpdated = 100;
inline constexpr uint32_t UpdateLeds = 1050;
inline constexpr uint32_t UpdateZoneLeds = 1051;
inline constexpr uint32_t UpdateSingleLed = 1052;
inline constexpr uint32_t SetCustomMode = 1100;
inline constexpr uint32_t UpdateMode = 1101;
inline constexpr uint32_t SaveMode = 1102;
}  // namespace packet

struct PacketHeader {
    uint32_t device = 0;
    uint32_t id = 0;
    uint32_t size = 0;
    friend bool operator==(const PacketHeader&, const PacketHeader&) = default;
};

enum class HeaderStatus {
    Incomplete,  // fewer than 16 bytes so far
    Ok,
    BadMagic,    // not this protocol, or out of step
    TooLarge,    // a payload above kMaxPayload
};

struct HeaderResult {
    HeaderStatus status = HeaderStatus::Incomplete;
    PacketHeader header;
};

HeaderResult parseHeader(std::span<const uint8_t> bytes);

// A whole packet: header then payload.
std::vector<uint8_t> encodePacket(uint32_t device, uint32_t id, std::span<const uint8_t> payload);

// Little-endian writer for payloads.
class ByteWriter {
public:
    void u8(uint8_t v) { bytes_.push_back(v); }
    void u16(uint16_t v);
    void u32(uint32_t v);
    void i32(int32_t v) { u32(static_cast<uint32_t>(v)); }
    // Length (u16, terminating NUL included), the text and a NUL. A text too
    // long for the length field is cut.
    void string(std::string_view text);
    // Overwrites a u32 written earlier at `offset`.
    void patchU32(size_t offset, uint32_t v);
    size_t size() const { return bytes_.size(); }
    std::vector<uint8_t>& bytes() { return bytes_; }

private:
    std::vector<uint8_t> bytes_;
};

// Little-endian reader over one payload. Every read past the end fails and
// leaves the reader failed, so a caller checks once at the end.
class ByteReader {
public:
    explicit ByteReader(std::span<const uint8_t> bytes) : bytes_(bytes) {}
    std::optional<uint8_t> u8();
    std::optional<uint16_t> u16();
    std::optional<uint32_t> u32();
    std::optional<int32_t> i32();
    // A length-prefixed string; its terminating NUL (if any) is dropped.
    std::optional<std::string> string();
    bool skip(size_t count);
    size_t remaining() const { return failed_ ? 0 : bytes_.size() - offset_; }
    bool failed() const { return failed_; }

private:
    bool take(size_t count);
    std::span<const uint8_t> bytes_;
    size_t offset_ = 0;
    bool failed_ = false;
};

}  // namespace talven::rgbsdk
