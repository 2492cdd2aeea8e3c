#pragma once
// The 64-byte command frame shared by the application and the device firmware:
//
//   0      report ID 0x04
//   1..2   checksum, little-endian 16-bit sum of bytes 3..63
//   3      command
//   4      data length of this chunk (0..56)
//   5..6   offset of this chunk, little-endian (single-shot commands: a parameter)
//   7      status; 0 in requests, 0xFF and 0xFE are errors in replies
//   8..63  data, zero-padded

#include <array>
#include <cstdint>
#include <span>

namespace talven {

inline constexpr size_t kFrameSize = 64;
inline constexpr size_t kFrameDataOffset = 8;
inline constexpr size_t kFrameMaxData = 56;
inline constexpr uint8_t kCommandReportId = 0x04;

using Frame = std::array<uint8_t, kFrameSize>;

namespace cmd {
inline constexpr uint8_t Begin = 0x01;
inline constexpr uint8_t End = 0x02;
inline constexpr uint8_t ReadInfo = 0x03;
inline constexpr uint8_t ReadBlock = 0x05;
inline constexpr uint8_t WriteBlock = 0x06;
inline constexpr uint8_t ReadTable = 0x07;
inline constexpr uint8_t WriteTable = 0x09;
inline constexpr uint8_t WriteShort = 0x0B;
inline constexpr uint8_t WriteLightFrame = 0x12;
inline constexpr uint8_t WriteBuffer = 0x15;
inline constexpr uint8_t ReadShort = 0x1A;
inline constexpr uint8_t ReadThirdTable = 0x1B;
inline constexpr uint8_t IsOnline = 0xAA;
}  // namespace cmd

namespace status {
inline constexpr uint8_t Ok = 0x00;
inline constexpr uint8_t Failed = 0xFF;    // the channel reports -102
inline constexpr uint8_t Rejected = 0xFE;  // the channel reports -103
}  // namespace status

// Sum of bytes 3..63, truncated to 16 bits.
uint16_t frameChecksum(std::span<const uint8_t, kFrameSize> frame);
// Computes and stores the checksum in bytes 1..2.
void sealFrame(Frame& frame);
bool checksumValid(const Frame& frame);

// A sealed request (status 0). At most 56 data bytes are copied.
Frame makeFrame(uint8_t command, uint8_t length, uint16_t offset,
                std::span<const uint8_t> data = {});

inline uint8_t frameCommand(const Frame& f) { return f[3]; }
inline uint8_t frameLength(const Frame& f) { return f[4]; }
inline uint16_t frameOffset(const Frame& f) { return static_cast<uint16_t>(f[5] | (f[6] << 8)); }
inline uint8_t frameStatus(const Frame& f) { return f[7]; }

}  // namespace talven
