// The keyboard preview's custom sequence (mode 21): the steps of a user's
// light effect file, each shown for its duration with its own pattern,
// colour, brightness and speed, then the next, round and round.

#include "device/keyboard/keyboard_light_effects.h"

#include <algorithm>

namespace talven::keyboard {

SequenceStep sequenceStepFromEffect(const LedEffect& effect) {
    SequenceStep step;
    step.subMode = effect.mode;
    step.brightness = std::min<uint8_t>(effect.brightness, 4);
    step.speed = std::min<uint8_t>(effect.speed, 4);
    step.direction = effect.direction;
    step.multiColor = effect.multiColor;
    step.colour = {effect.red, effect.green, effect.blue};
    step.durationMs = effect.time > 0 ? static_cast<uint32_t>(effect.time) : 0;
    return step;
}

namespace effects {

namespace {

// Blinking inside a sequence: on and off every few ticks; each time the keys
// come on the spectrum moves a sixth of the way round.
void sequenceBlink(PreviewFrame& f) {
    f.animation.blinkOn = !f.animation.blinkOn;
    if (!f.animation.blinkOn) {
        lighting::fillFrame(f.frame, {}, 0);
        return;
    }
    f.animation.step = static_cast<uint8_t>((f.animation.step + 32) % lighting::kSpectrumSize);
    const lighting::Rgb colour =
        f.params.multiColor ? lighting::spectrumColour(f.animation.step) : lighting::userColour(f.params);
    lighting::fillFrame(f.frame, colour, lighting::brightnessForLevel(f.params.light));
}

struct SequencePattern {
    uint8_t subMode;
    std::array<uint8_t, 5> periods;  // ticks between two steps, by speed level
    PreviewStep step;
};

constexpr std::array<SequencePattern, 5> kSequencePatterns = {{
    {0, {8, 8, 8, 8, 8}, staticColour},
    {1, {5, 4, 3, 2, 1}, breathing},
    {2, {6, 5, 4, 3, 2}, columnWave},
    {4, {40, 32, 24, 16, 8}, sequenceBlink},
    {5, {5, 4, 3, 2, 1}, ringPulse},
}};

const SequencePattern* patternFor(uint8_t subMode) {
    for (const SequencePattern& p : kSequencePatterns)
        if (p.subMode == subMode) return &p;
    return nullptr;
}

lighting::LightParams stepParams(const SequenceStep& step) {
    lighting::LightParams params;
    params.light = step.brightness;
    params.speed = step.speed;
    params.fx = step.direction;
    params.multiColor = step.multiColor;
    params.red = step.colour.red;
    params.green = step.colour.green;
    params.blue = step.colour.blue;
    return params;
}

}  // namespace

void sequence(PreviewFrame& f) {
    SequenceState& seq = f.state.sequence;
    if (seq.steps.empty()) {
        off(f);
        return;
    }
    if (seq.index >= seq.steps.size()) seq.index = 0;
    // At most one step change per tick, so a list of zero-length steps still
    // moves on instead of spinning.
    if (f.nowMs - seq.stepStartMs >= seq.steps[seq.index].durationMs) {
        seq.index = (seq.index + 1) % seq.steps.size();
        seq.stepStartMs = f.nowMs;
        seq.counter = 0;
        seq.animation = {};
    }
    const SequenceStep& step = seq.steps[seq.index];
    const SequencePattern* pattern = patternFor(step.subMode);
    if (!pattern) {
        off(f);
        return;
    }
    // A new step shows at once; after that its pattern keeps its own pace.
    if (seq.counter > 0 && --seq.counter > 0) return;
    seq.counter = pattern->periods[std::min<size_t>(step.speed, pattern->periods.size() - 1)];
    const lighting::LightParams params = stepParams(step);
    PreviewFrame inner{f.frame, params, seq.animation, f.ripple, f.state, f.nowMs};
    pattern->step(inner);
}

}  // namespace effects
}  // namespace talven::keyboard
