#pragma once
// Where the keyboard's LEDs sit, as the on-screen preview walks them: the 23
// physical columns from left to right (six positions each, top to bottom), the
// rings around the centre key, and one sweep that visits every lit key once.
// Plus the curves the preview shapes its waves with. LED numbers are the key
// numbers of keyboard_layout.h; kNoLed marks a position without a key.

#include "device/lighting/light_tables.h"
#include "device/keyboard/keyboard_layout.h"

#include <array>
#include <cstddef>
#include <cstdint>

namespace talven::keyboard {

inline constexpr uint8_t kNoLed = 126;

inline constexpr size_t kGridColumns = 23;
inline constexpr size_t kGridColumnLeds = 6;
using GridColumn = std::array<uint8_t, kGridColumnLeds>;

inline constexpr std::array<GridColumn, kGridColumns> kColumnMap = {{
    {126, 120, 121, 122, 123, 124},
    {126, 21, 42, 63, 84, 105},
    {0, 22, 43, 64, 85, 106},
    {1, 23, 44, 65, 86, 126},
    {2, 24, 45, 66, 87, 107},
    {3, 25, 46, 67, 88, 126},
    {4, 26, 47, 68, 89, 108},
    {126, 27, 48, 69, 90, 126},
    {5, 28, 49, 70, 91, 126},
    {6, 29, 50, 71, 92, 109},
    {7, 30, 51, 72, 93, 126},
    {8, 31, 52, 73, 94, 125},
    {9, 32, 53, 74, 126, 110},
    {10, 33, 54, 126, 126, 111},
    {11, 34, 55, 75, 95, 126},
    {12, 126, 126, 126, 126, 112},
    {13, 35, 56, 126, 126, 113},
    {14, 36, 57, 126, 96, 114},
    {15, 37, 58, 126, 126, 115},
    {126, 38, 59, 76, 97, 116},
    {126, 39, 60, 77, 98, 126},
    {126, 40, 61, 78, 99, 117},
    {126, 41, 126, 119, 118, 126},
}};

// From the centre key outwards; unused places hold kNoLed.
inline constexpr size_t kRings = 12;
inline constexpr size_t kRingLeds = 12;
using Ring = std::array<uint8_t, kRingLeds>;

namespace detail {
// A ring listed with fewer keys than places, padded with kNoLed.
template <size_t N>
constexpr Ring ring(const uint8_t (&leds)[N]) {
    static_assert(N <= kRingLeds);
    Ring r{};
    r.fill(kNoLed);
    for (size_t i = 0; i < N; ++i) r[i] = leds[i];
    return r;
}
}  // namespace detail

inline constexpr std::array<Ring, kRings> kRingMap = {{
    detail::ring({51}),
    detail::ring({30, 50, 71, 72, 52, 31}),
    detail::ring({8, 29, 49, 70, 91, 92, 93, 73, 53, 32}),
    detail::ring({7, 28, 48, 69, 90, 109, 94, 74, 54, 33, 9}),
    detail::ring({6, 27, 47, 68, 89, 110, 95, 75, 55, 34, 10, 11}),
    detail::ring({5, 26, 46, 67, 88, 108, 111, 112, 56, 35, 12, 125}),
    detail::ring({4, 25, 45, 66, 87, 113, 96, 57, 36, 13}),
    detail::ring({3, 24, 44, 65, 86, 114, 115, 58, 37, 15, 14}),
    detail::ring({2, 23, 43, 64, 85, 107, 97, 76, 59, 38}),
    detail::ring({1, 22, 42, 63, 84, 106, 116, 98, 77, 60, 39}),
    detail::ring({0, 21, 105, 117, 99, 78, 61, 40}),
    detail::ring({118, 119, 41}),
}};

// One path through the lit keys: along the function row from the right, down
// the left edge, along the bottom row, back along the number row, and so on
// in a closing spiral.
inline constexpr std::array<uint8_t, 105> kSweepOrder = {
    15, 14, 13, 12, 11, 10, 9,  8,  7,  6,  5,  4,  3,  2,  1,  0,                      //
    21, 42, 63, 84, 105, 106, 107, 108, 109, 125, 110, 111, 112, 113, 114, 115, 116, 117, 118, 119,  //
    41, 40, 39, 38, 37, 36, 35, 34, 33, 32, 31, 30, 29, 28, 27, 26, 25, 24, 23, 22,  //
    43, 64, 85, 86, 87, 88, 89, 90, 91, 92, 93, 94, 95, 96, 97, 98, 99,              //
    78, 61, 60, 59, 58, 57, 56, 55, 54, 53, 52, 51, 50, 49, 48, 47, 46, 45, 44,      //
    65, 66, 67, 68, 69, 70, 71, 72, 73, 74, 75, 76, 77,
};

// The wave the column, ring and sweep modes draw: the upper three quarters of
// a breath (breathing-curve entries 16..63), rising over 48 entries and
// falling back over the next 48, so no key of a wave goes fully dark.
inline constexpr size_t kWaveSize = 96;
namespace detail {
constexpr std::array<uint8_t, kWaveSize> makeWave() {
    std::array<uint8_t, kWaveSize> wave{};
    constexpr size_t half = kWaveSize / 2;
    for (size_t i = 0; i < half; ++i) {
        wave[i] = lighting::kBreathingCurve[16 + i];
        wave[kWaveSize - 1 - i] = wave[i];
    }
    return wave;
}
}  // namespace detail
inline constexpr std::array<uint8_t, kWaveSize> kWaveCurve = detail::makeWave();
static_assert(kWaveCurve[0] == 22 && kWaveCurve[9] == 49 && kWaveCurve[47] == 255 && kWaveCurve[95] == 22);

// Brightness by column for the static gradient: bright on the left, dark
// from column 18 on.
inline constexpr std::array<uint8_t, kGridColumns> kColumnGradient = {
    255, 225, 200, 175, 150, 130, 110, 90, 70, 55, 40, 30, 20, 10, 7, 5, 4, 3, 0, 0, 0, 0, 0,
};

// The Game and Colour keys sit above the number pad, outside the column map;
// the grid modes light each like the key below it.
struct GridAlias {
    uint8_t led;
    uint8_t like;
};
inline constexpr std::array<GridAlias, 2> kGridAliases = {{{16, 38}, {17, 40}}};

// Where each LED is, in grid units (column 0..22, row 0..5), for the effects
// that spread from a pressed key; kNoLed for keys without an LED.
struct GridPosition {
    uint8_t column = kNoLed;
    uint8_t row = kNoLed;
};
namespace detail {
constexpr std::array<GridPosition, kOnScreenKeys> makePositions() {
    std::array<GridPosition, kOnScreenKeys> positions{};
    for (size_t c = 0; c < kGridColumns; ++c) {
        for (size_t r = 0; r < kGridColumnLeds; ++r) {
            const uint8_t led = kColumnMap[c][r];
            if (led < kOnScreenKeys) positions[led] = {static_cast<uint8_t>(c), static_cast<uint8_t>(r)};
        }
    }
    // The Game and Colour keys each span two number-pad columns.
    positions[16] = {19, 0};
    positions[17] = {21, 0};
    return positions;
}
}  // namespace detail
inline constexpr std::array<GridPosition, kOnScreenKeys> kLedPositions = detail::makePositions();

// Generator steps of the preview: how many ticks pass between two steps, by
// speed level 0..4. Every mode shares the row.
inline constexpr std::array<uint8_t, 5> kPreviewPeriods = {5, 4, 3, 2, 1};

}  // namespace talven::keyboard
