#include "device/lighting/base_effects.h"

#include "device/lighting/led_frame.h"

#include <algorithm>

namespace talven::lighting {
namespace {

uint8_t breathingBrightness(uint8_t step, const LightParams& params) {
    return static_cast<uint8_t>(breath(step) * brightnessForLevel(params.light) / 256);
}

// Toggles the blink phase once the speed's period has passed since the last
// toggle. Tick counts wrap, so only their difference is compared.
bool blinkToggleDue(const LightParams& params, AnimationState& state, uint32_t nowMs) {
    if (nowMs - state.lastToggleMs < blinkPeriodMs(params.speed)) return false;
    state.blinkOn = !state.blinkOn;
    state.lastToggleMs = nowMs;
    return true;
}

}  // namespace

void fillFrame(std::span<uint32_t> frame, Rgb colour, uint8_t brightness) {
    std::fill(frame.begin(), frame.end(),
              makeLed(colour.red, colour.green, colour.blue, brightness));
}

void effectBreathingSpectrum(std::span<uint32_t> frame, const LightParams& params,
                             AnimationState& state, uint32_t) {
    state.step = stepCounter(runsForward(params), 128, state.step, 2);
    if (state.step == 0) state.secondaryStep = advanceSpectrumBy16(state.secondaryStep);
    const Rgb colour = params.multiColor ? spectrumColour(state.secondaryStep) : userColour(params);
    fillFrame(frame, colour, breathingBrightness(state.step, params));
}

void effectBreathingFourColours(std::span<uint32_t> frame, const LightParams& params,
                                AnimationState& state, uint32_t) {
    state.step = stepCounter(runsForward(params), 128, state.step, 1);
    if (state.step == 0) state.secondaryStep = nextFourColour(state.secondaryStep);
    fillFrame(frame, fourColour(state.secondaryStep), breathingBrightness(state.step, params));
}

void effectStatic(std::span<uint32_t> frame, const LightParams& params, AnimationState&, uint32_t) {
    fillFrame(frame, userColour(params), brightnessForLevel(params.light));
}

void effectSpectrumCycle(std::span<uint32_t> frame, const LightParams& params,
                         AnimationState& state, uint32_t) {
    state.step = stepCounter(runsForward(params), kSpectrumSize, state.step, 1);
    fillFrame(frame, spectrumColour(state.step), brightnessForLevel(params.light));
}

void effectBlink(std::span<uint32_t> frame, const LightParams& params, AnimationState& state,
                 uint32_t nowMs) {
    if (blinkToggleDue(params, state, nowMs)) state.step = advanceSpectrumBy16(state.step);
    if (!state.blinkOn) {
        fillFrame(frame, {}, 0);
        return;
    }
    const Rgb colour = params.multiColor ? spectrumColour(state.step) : userColour(params);
    fillFrame(frame, colour, brightnessForLevel(params.light));
}

void effectBlinkFourColours(std::span<uint32_t> frame, const LightParams& params,
                            AnimationState& state, uint32_t nowMs) {
    // The colour moves on as the LEDs come on, so every one of the four
    // colours gets its turn; moving on at every toggle would show only two.
    if (blinkToggleDue(params, state, nowMs) && state.blinkOn)
        state.secondaryStep = nextFourColour(state.secondaryStep);
    if (!state.blinkOn) {
        fillFrame(frame, {}, 0);
        return;
    }
    fillFrame(frame, fourColour(state.secondaryStep), brightnessForLevel(params.light));
}

void effectOff(std::span<uint32_t> frame, const LightParams&, AnimationState&, uint32_t) {
    fillFrame(frame, {}, 0);
}

void runBaseEffect(BaseEffect effect, std::span<uint32_t> frame, const LightParams& params,
                   AnimationState& state, uint32_t nowMs) {
    for (const auto& entry : kBaseEffects) {
        if (entry.effect == effect) {
            entry.step(frame, params, state, nowMs);
            return;
        }
    }
}

}  // namespace talven::lighting
