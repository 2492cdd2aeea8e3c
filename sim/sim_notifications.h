#pragma once
// What the products send on their consumer-control collection, one 16-bit
// code per report. The keyboards use all of them; the mouse and the mouse
// pad only ask the host to synchronise.

#include <cstdint>

namespace talven::sim::note {

inline constexpr uint16_t Synchronise = 0x0401;     // read my settings again
inline constexpr uint16_t GameMode = 0x0403;        // game mode changed on the keyboard
inline constexpr uint16_t Counter = 0x0404;
inline constexpr uint16_t KeyPressBase = 0x0500;    // + table position
inline constexpr uint16_t KeyReleaseBase = 0x0600;  // + table position

}  // namespace talven::sim::note
