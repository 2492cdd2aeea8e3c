#pragma once
// The constant tables every device's lighting effects draw from: brightness
// levels, the breathing curve, the four fixed colours, the blink periods and
// the 192-colour spectrum. Device kinds with their own effects read the same
// tables, so they live here once.

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>

namespace talven::lighting {

struct Rgb {
    uint8_t red = 0;
    uint8_t green = 0;
    uint8_t blue = 0;

    friend constexpr bool operator==(const Rgb&, const Rgb&) = default;
};

// LED brightness for the user's brightness level 0..4.
inline constexpr std::array<uint8_t, 5> kBrightnessLevels = {0, 60, 135, 195, 255};

// One breath: rises over entries 0..63 and falls back over 64..127 through
// the same values in reverse order.
namespace detail {
inline constexpr std::array<uint8_t, 64> kBreathRise = {
    0,   1,   2,   3,   4,   5,   6,   7,   8,   9,   10,  12,  14,  16,  18,  20,
    22,  24,  27,  30,  33,  36,  39,  42,  45,  49,  53,  57,  61,  65,  69,  73,
    77,  81,  85,  89,  94,  99,  104, 109, 114, 119, 124, 129, 134, 140, 146, 152,
    158, 164, 170, 176, 182, 188, 194, 200, 206, 213, 220, 227, 234, 241, 248, 255,
};
constexpr std::array<uint8_t, 128> makeBreathingCurve() {
    std::array<uint8_t, 128> curve{};
    for (size_t i = 0; i < kBreathRise.size(); ++i) {
        curve[i] = kBreathRise[i];
        curve[curve.size() - 1 - i] = kBreathRise[i];
    }
    return curve;
}
}  // namespace detail

inline constexpr std::array<uint8_t, 128> kBreathingCurve = detail::makeBreathingCurve();

// The colours the four-colour effects go through, in order.
inline constexpr std::array<Rgb, 4> kFourColours = {{
    {0, 255, 180},
    {0, 255, 0},
    {255, 255, 255},
    {255, 0, 0},
}};

// Time between blink toggles for speed level 0..4, in units of 200 ms.
inline constexpr std::array<uint8_t, 5> kBlinkPeriods = {28, 23, 18, 13, 7};
inline constexpr uint32_t kBlinkPeriodUnitMs = 200;

// The tick count the lighting threads read moves on by the system timer's
// tick, not by the millisecond: a thread that counts its changes counts one
// about every 16 ms however often it looks. The keyboard's preview and the
// mouse's lighting step on such counts, so their speeds are multiples of it.
inline constexpr uint32_t kSystemTickMs = 16;

inline constexpr size_t kSpectrumSize = 192;
inline constexpr size_t kSpectrumSegment = 64;

namespace detail {

struct Knot {
    int position;
    int value;
};

// Within each 64-step segment of the spectrum one channel fades in, one
// fades out and the third stays dark. The fading-in channel climbs through
// these points and then stays full; the fading-out channel stays full until
// position 31 and then falls through the second list, reaching 0 exactly
// where the next segment begins. Between two points the value moves in a
// straight line (integer division, truncating toward zero).
inline constexpr std::array<Knot, 6> kSpectrumRise = {{
    {0, 1},
    {8, 26},
    {16, 81},
    {24, 164},
    {31, 248},
    {32, 255},
}};
inline constexpr std::array<Knot, 4> kSpectrumFall = {{
    {31, 255},
    {32, 248},
    {56, 69},
    {64, 0},
}};

template <size_t N>
constexpr uint8_t alongKnots(const std::array<Knot, N>& knots, int position) {
    if (position <= knots.front().position) return static_cast<uint8_t>(knots.front().value);
    for (size_t i = 1; i < N; ++i) {
        const Knot& a = knots[i - 1];
        const Knot& b = knots[i];
        if (position <= b.position)
            return static_cast<uint8_t>(a.value + (b.value - a.value) * (position - a.position) /
                                                      (b.position - a.position));
    }
    return static_cast<uint8_t>(knots.back().value);
}

// Segment 0 fades red into green, segment 1 green into blue, segment 2 blue
// back into red, so the table wraps seamlessly.
constexpr std::array<Rgb, kSpectrumSize> makeSpectrum() {
    std::array<Rgb, kSpectrumSize> table{};
    for (size_t i = 0; i < kSpectrumSize; ++i) {
        const size_t segment = i / kSpectrumSegment;
        const int position = static_cast<int>(i % kSpectrumSegment);
        std::array<uint8_t, 3> channels{};
        channels[segment] = alongKnots(kSpectrumFall, position);
        channels[(segment + 1) % 3] = alongKnots(kSpectrumRise, position);
        table[i] = {channels[0], channels[1], channels[2]};
    }
    return table;
}

}  // namespace detail

inline constexpr std::array<Rgb, kSpectrumSize> kSpectrum = detail::makeSpectrum();

// Table look-ups that stay inside their tables whatever the stored byte
// holds: levels come from devices and profile files, and the animation
// counters are shared between effects with different ranges.
constexpr uint8_t brightnessForLevel(uint8_t level) {
    return kBrightnessLevels[std::min<size_t>(level, kBrightnessLevels.size() - 1)];
}
constexpr uint32_t blinkPeriodMs(uint8_t speed) {
    return kBlinkPeriods[std::min<size_t>(speed, kBlinkPeriods.size() - 1)] * kBlinkPeriodUnitMs;
}
constexpr uint8_t breath(uint8_t step) { return kBreathingCurve[step % kBreathingCurve.size()]; }
constexpr Rgb spectrumColour(uint8_t index) { return kSpectrum[index % kSpectrumSize]; }
constexpr Rgb fourColour(uint8_t index) { return kFourColours[index % kFourColours.size()]; }

}  // namespace talven::lighting
