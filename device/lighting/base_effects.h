#pragma once
// The seven lighting effects every device offers. Each call is one animation
// step: it advances the animation state and rewrites every LED of the frame.
// They are pure over (frame, parameters, state, time) so a caller decides the
// clock and the locking; the device objects run them on their animation
// thread about every 5 ms.

#include "device/lighting/light_tables.h"
#include "profile/profile_records.h"

#include <cstdint>
#include <span>

namespace talven::lighting {

// The user's lighting choice as the device object keeps it. It travels in
// the same three words as the profile's main lighting, so it is that record:
// selectItem = mode, light = brightness level (0..4), speed = speed level
// (0..4), fx = direction (non-zero runs forward), multiColor = spectrum flag
// (0 single colour, 1 spectrum), then the user colour and the third word.
using LightParams = LightSettings;

// Where an effect is in its cycle. The four-colour effects keep their colour
// index (0..3) in the secondary step.
struct AnimationState {
    uint8_t step = 0;
    uint8_t secondaryStep = 0;
    bool blinkOn = false;
    uint32_t lastToggleMs = 0;

    friend bool operator==(const AnimationState&, const AnimationState&) = default;
};

// The next value of an 8-bit animation counter below `limit`. Forward adds
// `delta` and restarts at 0 on reaching the limit; backward subtracts it and
// restarts at limit − delta once it would go below 0.
constexpr uint8_t stepCounter(bool forward, uint8_t limit, uint8_t value, uint8_t delta) {
    if (forward) {
        const int next = value + delta;
        return next < limit ? static_cast<uint8_t>(next) : 0;
    }
    const auto next = static_cast<uint8_t>(value - delta);
    return next < limit ? next : static_cast<uint8_t>(limit - delta);
}

// Moves a spectrum position on by 16 colours, back to 0 after the last one.
constexpr uint8_t advanceSpectrumBy16(uint8_t index) {
    const int next = index + 16;
    return next >= static_cast<int>(kSpectrumSize) ? 0 : static_cast<uint8_t>(next);
}

// The next of the four colours, 0 → 1 → 2 → 3 → 0.
constexpr uint8_t nextFourColour(uint8_t index) {
    return index >= kFourColours.size() - 1 ? 0 : static_cast<uint8_t>(index + 1);
}

constexpr Rgb userColour(const LightParams& params) {
    return {params.red, params.green, params.blue};
}
constexpr bool runsForward(const LightParams& params) { return params.fx != 0; }

// Writes one colour at one brightness to every LED.
void fillFrame(std::span<uint32_t> frame, Rgb colour, uint8_t brightness);

// Breathing; each completed breath moves on 16 spectrum colours (or keeps
// the user colour when the spectrum flag is clear).
void effectBreathingSpectrum(std::span<uint32_t> frame, const LightParams& params,
                             AnimationState& state, uint32_t nowMs);
// Breathing at half the speed, one of the four colours per breath.
void effectBreathingFourColours(std::span<uint32_t> frame, const LightParams& params,
                                AnimationState& state, uint32_t nowMs);
// The user colour at the brightness level.
void effectStatic(std::span<uint32_t> frame, const LightParams& params, AnimationState& state,
                  uint32_t nowMs);
// Every LED together through the whole spectrum, one colour per step.
void effectSpectrumCycle(std::span<uint32_t> frame, const LightParams& params,
                         AnimationState& state, uint32_t nowMs);
// On and off with the speed's blink period; each toggle moves on 16
// spectrum colours (or keeps the user colour).
void effectBlink(std::span<uint32_t> frame, const LightParams& params, AnimationState& state,
                 uint32_t nowMs);
// The same blinking through the four colours, the next colour each time the
// LEDs come on.
void effectBlinkFourColours(std::span<uint32_t> frame, const LightParams& params,
                            AnimationState& state, uint32_t nowMs);
// Every LED dark.
void effectOff(std::span<uint32_t> frame, const LightParams& params, AnimationState& state,
               uint32_t nowMs);

// The base effects by name, for the device kinds' mode tables.
enum class BaseEffect {
    BreathingSpectrum,
    BreathingFourColours,
    Static,
    SpectrumCycle,
    Blink,
    BlinkFourColours,
    Off,
};

using EffectStep = void (*)(std::span<uint32_t>, const LightParams&, AnimationState&, uint32_t);

struct BaseEffectEntry {
    BaseEffect effect;
    const char* name;
    EffectStep step;
};

inline constexpr std::array<BaseEffectEntry, 7> kBaseEffects = {{
    {BaseEffect::BreathingSpectrum, "effectBreathingSpectrum", effectBreathingSpectrum},
    {BaseEffect::BreathingFourColours, "effectBreathingFourColours", effectBreathingFourColours},
    {BaseEffect::Static, "effectStatic", effectStatic},
    {BaseEffect::SpectrumCycle, "effectSpectrumCycle", effectSpectrumCycle},
    {BaseEffect::Blink, "effectBlink", effectBlink},
    {BaseEffect::BlinkFourColours, "effectBlinkFourColours", effectBlinkFourColours},
    {BaseEffect::Off, "effectOff", effectOff},
}};

void runBaseEffect(BaseEffect effect, std::span<uint32_t> frame, const LightParams& params,
                   AnimationState& state, uint32_t nowMs);

}  // namespace talven::lighting
