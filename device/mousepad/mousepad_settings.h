#pragma once
// The mouse pad's settings block: 25 bytes in its configuration memory, one
// block per onboard profile. The pad keeps the speed inverted (4 − speed);
// the copy here holds the speed as the user sees it, so the inversion
// happens in exactly two places: toWire and fromWire.
//
//   0      active profile number          5      multi-colour flag
//   1      lighting mode                  6..8   colour R, G, B
//   2      brightness level (0..4)        9..20  kept as the pad gave them
//   3      speed level (stored 4 − speed) 21..24 read, never written
//   4      effect option (direction)

#include "profile/profile_records.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

namespace talven::mousepad {

inline constexpr size_t kBlockSize = 25;
// Bytes 0..20 go back to the pad; 21..24 are the pad's own.
inline constexpr size_t kWrittenBytes = 21;
// Profile p's block is read at p × 25 and written at p × 64: the pad reads
// its blocks packed and takes writes in 64-byte windows, one per profile.
inline constexpr uint16_t kReadStride = 25;
inline constexpr uint16_t kWriteStride = 64;
// The speed the pad stores is this minus the speed level.
inline constexpr uint8_t kSpeedInversion = 4;

namespace block_byte {
inline constexpr size_t ActiveProfile = 0;
inline constexpr size_t Mode = 1;
inline constexpr size_t Brightness = 2;
inline constexpr size_t Speed = 3;
inline constexpr size_t EffectOption = 4;
inline constexpr size_t MultiColour = 5;
inline constexpr size_t Red = 6;
inline constexpr size_t Green = 7;
inline constexpr size_t Blue = 8;
}  // namespace block_byte

using SettingsBlock = std::array<uint8_t, kBlockSize>;

constexpr uint16_t readOffset(uint8_t profile) { return static_cast<uint16_t>(profile * kReadStride); }
constexpr uint16_t writeOffset(uint8_t profile) { return static_cast<uint16_t>(profile * kWriteStride); }

// The block as the pad sent it, with the speed turned back into a level.
SettingsBlock fromWire(std::span<const uint8_t, kBlockSize> wire);
// Bytes 0..20 as they go to the pad, the speed inverted.
std::array<uint8_t, kWrittenBytes> toWire(const SettingsBlock& block);

// The lighting fields of `light` into the block (mode, brightness, speed,
// effect option, spectrum flag, colour); the other bytes stay.
void storeLight(SettingsBlock& block, const LightSettings& light);
// The block's lighting as light parameters.
LightSettings lightOf(const SettingsBlock& block);

}  // namespace talven::mousepad
