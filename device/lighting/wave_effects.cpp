#include "device/lighting/wave_effects.h"

#include "device/lighting/led_frame.h"

namespace talven::lighting {

void effectSpectrumWave(std::span<uint32_t> frame, const LightParams& params, AnimationState& state,
                        uint32_t, const WaveShape& shape) {
    const uint8_t level = brightnessForLevel(params.light);
    if (params.multiColor) {
        state.step = stepCounter(runsForward(params), kSpectrumSize, state.step, 1);
        for (size_t i = 0; i < frame.size(); ++i) {
            const Rgb c = spectrumColour(static_cast<uint8_t>((state.step + 1 + shape.spectrumSpacing * i) % kSpectrumSize));
            frame[i] = makeLed(c.red, c.green, c.blue, level);
        }
        return;
    }
    state.step = stepCounter(runsForward(params), kWaveLength, state.step, shape.pulseStep);
    const Rgb c = userColour(params);
    for (size_t i = 0; i < frame.size(); ++i) {
        const uint8_t wave = kWaveCurve[(state.step + shape.pulseOffset + shape.pulseSpacing * i) % kWaveLength];
        frame[i] = makeLed(c.red, c.green, c.blue, static_cast<uint8_t>(level * wave / 256));
    }
}

void effectGroupWave(std::span<uint32_t> frame, const LightParams& params, AnimationState& state,
                     RippleState& ripple, bool keepColours) {
    const bool forward = runsForward(params);
    state.step = stepCounter(forward, kSpectrumSize, state.step, 1);
    rippleMarkActive(ripple);
    rippleShift(ripple, forward);
    const uint8_t level = brightnessForLevel(params.light);
    // The colours walk along the groups from the phase; the phase itself
    // moves one place per step, so the pattern drifts smoothly.
    size_t colourPhase = state.step;
    for (size_t g = 0; g < kWaveGroups; ++g) {
        rippleDecay(ripple, static_cast<int>(g), true);
        colourPhase = (colourPhase + kGroupColourSpacing) % kSpectrumSize;
        const LedGroup& group = kWaveGroupLeds[g];
        Rgb colour = params.multiColor ? spectrumColour(static_cast<uint8_t>(colourPhase)) : userColour(params);
        if (keepColours && group.leds[0] < frame.size()) {
            const uint32_t first = frame[group.leds[0]];
            colour = {ledRed(first), ledGreen(first), ledBlue(first)};
        }
        const auto brightness = static_cast<uint8_t>(level * ripple.rippleLevel[g] / 256);
        for (size_t n = 0; n < group.count; ++n) {
            if (group.leds[n] < frame.size())
                frame[group.leds[n]] = makeLed(colour.red, colour.green, colour.blue, brightness);
        }
    }
}

}  // namespace talven::lighting
