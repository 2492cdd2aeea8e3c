#pragma once
// Pieces of factory memory that several simulated products share: the
// common bytes of the information record and the 25-byte onboard lighting
// records.

#include "sim/firmware_model.h"
#include "sim/sim_identity.h"

#include <array>
#include <cstdint>
#include <vector>

namespace talven::sim {

inline constexpr size_t kOnboardProfiles = 5;
inline constexpr size_t kLightingRecordSize = 25;

// Information record bytes every product fills the same way:
//   0..1 firmware version, 2 device type, 4 LED count, 5 key count,
//   6 macro memory / 128, 7 onboard profiles, 32..33 firmware build.
std::array<uint8_t, kInfoSize> baseInfo(uint8_t versionMajor, uint8_t versionMinor, DeviceType type,
                                        uint8_t ledCount, uint8_t keyCount, uint8_t macroUnits);

// Onboard lighting records (keyboards, mouse pad, headset): byte 0 of the
// first is the active profile; then mode, brightness, speed stored inverted,
// direction, spectrum flag, red, green, blue; the switches at 19..22.
std::vector<uint8_t> lightingRecords(uint8_t w, uint8_t sixKey, uint8_t winLock, uint8_t polling);

void put16(std::vector<uint8_t>& bytes, size_t at, uint16_t value);

}  // namespace talven::sim
