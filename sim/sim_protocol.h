#pragma once
// The command frame as the firmware takes and answers it. Every request and
// every reply is one 64-byte report:
//
//   0      report ID 0x04
//   1..2   checksum, little-endian: the 16-bit sum of bytes 3..63
//   3      command
//   4      data length of this chunk (0..56)
//   5..6   offset of this chunk, little-endian (single-shot commands: a parameter)
//   7      status; 0 in requests, 0xFF or 0xFE in a reply that refuses
//   8..63  data, zero-padded
//
// A reply echoes bytes 3..6 of its request. These are the firmware's own
// definitions: the simulator shares none of the host's, so a mistake on
// either side shows up as a failing exchange.

#include <array>
#include <cstddef>
#include <cstdint>

namespace talven::sim {

inline constexpr size_t kFrameSize = 64;
inline constexpr size_t kFrameDataOffset = 8;
inline constexpr size_t kFrameMaxData = 56;
inline constexpr uint8_t kCommandReportId = 0x04;

using Frame = std::array<uint8_t, kFrameSize>;

namespace cmd {
inline constexpr uint8_t Begin = 0x01;           // a transaction starts
inline constexpr uint8_t End = 0x02;             // ... and ends
inline constexpr uint8_t ReadInfo = 0x03;        // the 34-byte information record
inline constexpr uint8_t ReadBlock = 0x05;       // configuration memory
inline constexpr uint8_t WriteBlock = 0x06;
inline constexpr uint8_t ReadTable = 0x07;       // the key table
inline constexpr uint8_t WriteTable = 0x09;
inline constexpr uint8_t WriteShort = 0x0B;      // short writes (the custom-light bitmap)
inline constexpr uint8_t WriteLightFrame = 0x12;
inline constexpr uint8_t WriteBuffer = 0x15;     // macro memory
inline constexpr uint8_t ReadShort = 0x1A;       // the status record
inline constexpr uint8_t ReadThirdTable = 0x1B;  // the light-position table
inline constexpr uint8_t IsOnline = 0xAA;        // answered with 0xFF in data byte 0
}  // namespace cmd

namespace status {
inline constexpr uint8_t Ok = 0x00;
inline constexpr uint8_t Failed = 0xFF;    // the request cannot be carried out
inline constexpr uint8_t Rejected = 0xFE;  // the request is damaged (bad checksum)
}  // namespace status

// The sum of bytes 3..63, truncated to 16 bits.
uint16_t frameChecksum(const Frame& frame);
// Stores the checksum in bytes 1..2.
void sealFrame(Frame& frame);
bool checksumValid(const Frame& frame);

inline uint8_t frameCommand(const Frame& f) { return f[3]; }
inline uint8_t frameLength(const Frame& f) { return f[4]; }
inline uint16_t frameOffset(const Frame& f) { return static_cast<uint16_t>(f[5] | (f[6] << 8)); }
inline uint8_t frameStatus(const Frame& f) { return f[7]; }

}  // namespace talven::sim
