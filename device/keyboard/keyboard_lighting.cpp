#include "device/keyboard/keyboard_lighting.h"

#include "device/keyboard/keyboard_light_effects.h"
#include "device/keyboard/keyboard_light_tables.h"

#include <algorithm>

namespace talven::keyboard {

using namespace effects;

const std::array<PreviewMode, kPreviewModeCount> kPreviewModes = {{
    {columnWave, nullptr, nullptr, false},             // 0
    {redColumnWave, nullptr, nullptr, false},          // 1
    {redRingWave, nullptr, nullptr, false},            // 2
    {sweepWave, nullptr, nullptr, false},              // 3
    {staticColour, nullptr, enterStatic, false},       // 4
    {breathing, nullptr, nullptr, false},              // 5
    {columnGradient, nullptr, nullptr, false},         // 6
    {rippleSpread, nullptr, nullptr, true},            // 7
    {chargedCross, nullptr, enterChargedCross, true},  // 8
    {holdGlow, nullptr, nullptr, true},                // 9
    {holdDim, nullptr, nullptr, true},                 // 10
    {typingTrail, nullptr, nullptr, true},             // 11
    {columnFlash, nullptr, nullptr, true},             // 12
    {rain, nullptr, nullptr, false},                   // 13
    {starlight, nullptr, enterStarlight, false},       // 14
    {ringPulse, nullptr, enterRingPulse, false},       // 15
    {snake, nullptr, enterSnake, false},               // 16
    {blink, nullptr, enterBlink, false},               // 17
    {comet, nullptr, enterComet, false},               // 18
    {columnScanner, rowScanner, enterScanner, false},  // 19
    {customKeys, nullptr, enterCustomKeys, false},     // 20
    {sequence, nullptr, nullptr, false},               // 21
    {off, nullptr, nullptr, false},                    // 22
}};

uint32_t PreviewTicker::advance(uint32_t nowMs) {
    if (!started_) {
        started_ = true;
        last_ = nowMs;
        return 0;
    }
    const uint32_t ticks = (nowMs - last_) / kPreviewTickMs;
    if (ticks > kMaxCatchUpTicks) {
        last_ = nowMs;
        return kMaxCatchUpTicks;
    }
    last_ += ticks * kPreviewTickMs;
    return ticks;
}

uint8_t previewPeriod(uint8_t speed) { return kPreviewPeriods[std::min<size_t>(speed, kPreviewPeriods.size() - 1)]; }

void runPreviewGenerator(PreviewFrame& f, uint8_t mode) {
    if (mode >= kPreviewModes.size()) return;
    const PreviewMode& m = kPreviewModes[mode];
    const PreviewStep step = f.state.alternateLayout && m.alternate ? m.alternate : m.generator;
    if (step) step(f);
}

void enterPreviewMode(PreviewFrame& f, uint8_t mode) {
    f.animation = {};
    lighting::rippleClear(f.ripple);
    f.state.keyLight.fill(KeyLight::Idle);
    f.state.spreads.fill({});
    f.state.tickCounter = 0;
    f.state.sequence.index = 0;
    f.state.sequence.stepStartMs = f.nowMs;
    f.state.sequence.counter = 0;
    f.state.sequence.animation = {};
    // Keys a mode does not paint must not keep the last mode's look.
    std::fill(f.frame.begin(), f.frame.end(), 0u);
    if (mode < kPreviewModes.size() && kPreviewModes[mode].entry) kPreviewModes[mode].entry(f);
}

void runPreviewTicks(PreviewFrame& f, uint8_t mode, uint32_t ticks) {
    if (mode >= kPreviewModes.size()) return;
    const bool reactive = kPreviewModes[mode].reactive;
    for (uint32_t t = 0; t < ticks; ++t) {
        // The sequence paces each of its patterns itself.
        if (mode == kSequenceMode) {
            sequence(f);
            continue;
        }
        if (++f.state.tickCounter >= previewPeriod(f.params.speed)) {
            f.state.tickCounter = 0;
            runPreviewGenerator(f, mode);
        }
        if (reactive) paintReactiveKeys(f, mode);
    }
}

void previewKeyEvent(PreviewFrame& f, uint8_t mode, uint8_t key, uint8_t kind) {
    if (mode >= kPreviewModes.size() || !kPreviewModes[mode].reactive) return;
    reactiveKeyEvent(f, mode, key, kind);
}

void paintReactive(PreviewFrame& f, uint8_t mode) {
    if (mode < kPreviewModes.size() && kPreviewModes[mode].reactive) paintReactiveKeys(f, mode);
}

// --- KeyboardPreview ---------------------------------------------------------------

PreviewFrame KeyboardPreview::frame(uint32_t nowMs) {
    return {engine_.ledFrame(), engine_.lightParams(), engine_.animation(), engine_.ripple(), state_, nowMs};
}

void KeyboardPreview::enterMode(uint32_t nowMs) {
    PreviewFrame f = frame(nowMs);
    enterPreviewMode(f, mode());
    enteredMode_ = mode();
    ticker_.restart();
    ticker_.advance(nowMs);
}

void KeyboardPreview::advance(uint32_t nowMs) {
    if (mode() != enteredMode_) enterMode(nowMs);
    if (const uint32_t ticks = ticker_.advance(nowMs)) runTicks(ticks, nowMs);
}

void KeyboardPreview::runTicks(uint32_t ticks, uint32_t nowMs) {
    PreviewFrame f = frame(nowMs);
    runPreviewTicks(f, mode(), ticks);
}

void KeyboardPreview::keyEvent(uint8_t key, uint8_t kind, uint32_t nowMs) {
    PreviewFrame f = frame(nowMs);
    previewKeyEvent(f, mode(), key, kind);
}

void KeyboardPreview::setSequence(std::vector<SequenceStep> steps, uint32_t nowMs) {
    SequenceState& seq = state_.sequence;
    seq.steps = std::move(steps);
    seq.index = 0;
    seq.stepStartMs = nowMs;
    seq.counter = 0;
    seq.animation = {};
}

void KeyboardPreview::setCustomColour(int led, lighting::Rgb colour) {
    if (led >= 0 && led < static_cast<int>(state_.customColours.size()))
        state_.customColours[static_cast<size_t>(led)] = colour;
}

std::vector<bool> KeyboardPreview::customLit() const {
    std::vector<bool> lit(state_.customColours.size());
    for (size_t i = 0; i < lit.size(); ++i) lit[i] = state_.customColours[i].red == 255;
    return lit;
}

}  // namespace talven::keyboard
