#include "device/lighting/group_ripple.h"

#include "device/lighting/led_frame.h"
#include "device/lighting/wave_effects.h"

#include <algorithm>

namespace talven::lighting {
namespace {

constexpr uint8_t kStepsPerShift = 2;

// A new hit enters once no hit is left on the pairs or in the pause after them.
bool rippleDue(const RippleState& ripple, size_t pairCount) {
    const size_t span = std::min(pairCount + kRipplePause, ripple.rippleHistory.size());
    return std::all_of(ripple.rippleHistory.begin(), ripple.rippleHistory.begin() + static_cast<long>(span),
                       [](uint8_t hit) { return hit == 0; });
}

void shiftRipple(RippleState& ripple, size_t pairCount) {
    // The history always runs forward: the direction only decides which end
    // of the pairs a ripple enters at.
    ripple.spare = rippleDue(ripple, pairCount) ? 1 : 0;
    rippleShift(ripple, true);
    ripple.spare = 0;
}

void paint(std::span<uint32_t> frame, uint8_t led, Rgb colour, uint8_t brightness) {
    if (led < frame.size()) frame[led] = makeLed(colour.red, colour.green, colour.blue, brightness);
}

}  // namespace

void effectGroupRipple(std::span<uint32_t> frame, const LightParams& params, AnimationState& state,
                       RippleState& ripple, std::span<const LedPair> pairs) {
    const size_t count = std::min(pairs.size(), kMaxRipplePairs);
    const bool forward = runsForward(params);
    state.step = stepCounter(forward, kSpectrumSize, state.step, 1);
    state.secondaryStep = static_cast<uint8_t>((state.secondaryStep + 1) % kStepsPerShift);
    if (state.secondaryStep == 0) shiftRipple(ripple, count);
    rippleMarkActive(ripple);
    const uint8_t level = brightnessForLevel(params.light);
    size_t colourPhase = state.step;
    for (size_t g = 0; g < count; ++g) {
        rippleDecay(ripple, static_cast<int>(g), true);
        colourPhase = (colourPhase + kGroupColourSpacing) % kSpectrumSize;
        const Rgb colour = params.multiColor ? spectrumColour(static_cast<uint8_t>(colourPhase)) : userColour(params);
        const LedPair& pair = pairs[forward ? g : count - 1 - g];
        const auto brightness = static_cast<uint8_t>(level * ripple.rippleLevel[g] / 256);
        paint(frame, pair.first, colour, brightness);
        paint(frame, pair.second, colour, brightness);
    }
}

}  // namespace talven::lighting
