#pragma once
// The headset's lighting frame: thirteen LEDs sent as twelve 17-byte output
// reports of report ID 0xFF. Each colour component goes in two commands
// (LEDs 0..6, then 7..12), and the whole frame is sent once tagged 0x22 and
// once tagged 0x44, pair by pair.

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

namespace talven::headset {

inline constexpr int kHeadsetLeds = 13;
inline constexpr size_t kFrameReportSize = 17;
inline constexpr size_t kFrameReports = 12;
inline constexpr uint8_t kFrameReportId = 0xFF;
inline constexpr std::array<uint8_t, 2> kFrameTags = {0x22, 0x44};
// Per component: the command of LEDs 0..6 and the command of LEDs 7..12.
inline constexpr std::array<std::array<uint8_t, 2>, 3> kComponentCommands = {{
    {0xAA, 0xAD},  // red
    {0xAB, 0xAE},  // green
    {0xAC, 0xAF},  // blue
}};
inline constexpr int kLedsInFirstCommand = 7;
// The headset takes no component value above this.
inline constexpr uint8_t kComponentCap = 247;
inline constexpr size_t kValuesAt = 4;

using FrameReport = std::array<uint8_t, kFrameReportSize>;
using FrameReports = std::array<FrameReport, kFrameReports>;

// The twelve reports of one frame, in sending order, from LED values as
// the lighting engine keeps them (colour and brightness, led_frame.h).
// LEDs past the span's end are dark.
FrameReports buildFrameReports(std::span<const uint32_t> leds);

}  // namespace talven::headset
