#pragma once
// Waves that travel along a strip of LEDs, for devices whose LEDs form a
// line or a ring (the mouse's logo and side lights, the mouse pad's edge).
// Same shape as the base effects: one call is one animation step, pure over
// (frame, parameters, state).

#include "device/lighting/base_effects.h"
#include "device/lighting/ripple.h"

#include <array>
#include <cstdint>
#include <span>

namespace talven::lighting {

// A softer pulse than the breathing curve: its rise from the first value
// above 20 to full (entries 16..63), then the same 48 values falling back.
inline constexpr size_t kWaveLength = 96;
namespace detail {
constexpr std::array<uint8_t, kWaveLength> makeWaveCurve() {
    std::array<uint8_t, kWaveLength> wave{};
    constexpr size_t kHalf = kWaveLength / 2;
    for (size_t i = 0; i < kHalf; ++i) {
        wave[i] = kBreathingCurve[16 + i];
        wave[kWaveLength - 1 - i] = kBreathingCurve[16 + i];
    }
    return wave;
}
}  // namespace detail
inline constexpr std::array<uint8_t, kWaveLength> kWaveCurve = detail::makeWaveCurve();

// Neighbouring LEDs sit this far apart on the wave.
inline constexpr uint8_t kWaveLedSpacing = 7;

// How a wave lies over a device's LEDs: the spectrum's spacing between
// neighbours, and the pulse's step per animation step, spacing and offset.
// Devices with fewer LEDs spread them further apart so a whole colour cycle
// or pulse still fits on them.
struct WaveShape {
    uint8_t spectrumSpacing;
    uint8_t pulseStep;
    uint8_t pulseSpacing;
    uint8_t pulseOffset;
};
// A strip of LEDs packed close together (the mouse pad's edge).
inline constexpr WaveShape kStripWave = {kWaveLedSpacing, 1, kWaveLedSpacing, 1};

// Spectrum flag set: the spectrum runs along the LEDs, LED i showing colour
// phase + 1 + spacing x i at the brightness level, the phase moving one
// place per step. Clear: the user colour pulses along them, LED i at
// level x wave[phase + offset + spacing x i] / 256, the phase moving by the
// pulse step. The phase is state.step.
void effectSpectrumWave(std::span<uint32_t> frame, const LightParams& params, AnimationState& state,
                        uint32_t nowMs, const WaveShape& shape = kStripWave);

// The LED groups the group wave lights together, from the two ends of the
// strip towards its middle; an LED number past the frame is skipped.
inline constexpr size_t kWaveGroups = 9;
inline constexpr size_t kMaxGroupLeds = 3;
struct LedGroup {
    uint8_t count;
    std::array<uint8_t, kMaxGroupLeds> leds;
};
inline constexpr std::array<LedGroup, kWaveGroups> kWaveGroupLeds = {{
    {2, {0, 18, 0}},
    {2, {1, 17, 0}},
    {2, {2, 16, 0}},
    {2, {3, 15, 0}},
    {2, {4, 14, 0}},
    {2, {5, 13, 0}},
    {2, {6, 12, 0}},
    {3, {7, 9, 11}},
    {3, {8, 9, 10}},
}};
// Colours of neighbouring groups lie this far apart in the spectrum.
inline constexpr uint8_t kGroupColourSpacing = 12;

// Marks the hit positions of the ripple history, shifts it one place in the
// direction, fades each group's ripple level and lights the group with it:
// level x rippleLevel[g] / 256, in the user colour, or with the spectrum
// flag set in spectrum colours 12 apart starting 12 past the phase. With
// `keepColours` (the page is showing the colours the user picked) each group
// keeps the colour its first LED already has and only its brightness moves.
void effectGroupWave(std::span<uint32_t> frame, const LightParams& params, AnimationState& state,
                     RippleState& ripple, bool keepColours);

}  // namespace talven::lighting
