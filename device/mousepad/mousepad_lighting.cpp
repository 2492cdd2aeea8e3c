#include "device/mousepad/mousepad_lighting.h"

#include "device/lighting/led_frame.h"
#include "device/lighting/wave_effects.h"

#include <algorithm>

namespace talven::mousepad {

using lighting::BaseEffect;

uint32_t stepPeriodMs(uint8_t speed) {
    const uint32_t passes = speed < kStepPasses.size() ? kStepPasses[speed] : 1;
    return passes * kPassMs;
}

PadEffect effectForMode(uint8_t mode) {
    constexpr std::array<PadEffect, 9> kModes = {
        PadEffect::Wave,   PadEffect::SpectrumCycle, PadEffect::BreathingSpectrum,
        PadEffect::Static, PadEffect::Blink,         PadEffect::Custom,
        PadEffect::RippleDown, PadEffect::RippleAcross, PadEffect::Off,
    };
    return mode < kModes.size() ? kModes[mode] : PadEffect::Custom;
}

void stepPadEffect(PadEffect effect, std::span<uint32_t> frame, const lighting::LightParams& params,
                   lighting::AnimationState& state, lighting::RippleState& ripple, uint32_t nowMs,
                   const LitShapes& shapes) {
    switch (effect) {
    case PadEffect::Wave: lighting::effectSpectrumWave(frame, params, state, nowMs, shapes.wave); break;
    case PadEffect::SpectrumCycle: lighting::runBaseEffect(BaseEffect::SpectrumCycle, frame, params, state, nowMs); break;
    case PadEffect::BreathingSpectrum:
        lighting::runBaseEffect(BaseEffect::BreathingSpectrum, frame, params, state, nowMs);
        break;
    case PadEffect::Static: lighting::runBaseEffect(BaseEffect::Static, frame, params, state, nowMs); break;
    case PadEffect::Blink: lighting::runBaseEffect(BaseEffect::Blink, frame, params, state, nowMs); break;
    case PadEffect::RippleDown: lighting::effectGroupRipple(frame, params, state, ripple, shapes.firstRipple); break;
    case PadEffect::RippleAcross: lighting::effectGroupRipple(frame, params, state, ripple, shapes.secondRipple); break;
    case PadEffect::Off: lighting::runBaseEffect(BaseEffect::Off, frame, params, state, nowMs); break;
    case PadEffect::Custom: break;
    }
}

void CustomLightPlayer::setSteps(std::vector<LedEffect> steps, uint32_t nowMs) {
    steps_ = std::move(steps);
    index_ = 0;
    startedAt_ = nowMs;
    animation_ = {};
    ripple_ = {};
}

lighting::LightParams CustomLightPlayer::paramsOf(const LedEffect& e) const {
    lighting::LightParams params;
    params.selectItem = e.mode;
    params.light = std::min<uint8_t>(e.brightness, 4);
    params.speed = std::min<uint8_t>(e.speed, 4);
    params.fx = e.direction;
    params.multiColor = e.multiColor;
    params.red = e.red;
    params.green = e.green;
    params.blue = e.blue;
    return params;
}

void CustomLightPlayer::step(std::span<uint32_t> frame, uint32_t nowMs) {
    if (steps_.empty()) return lighting::fillFrame(frame, {}, 0);
    // Tick counts wrap: only differences are compared. A step without a
    // time is passed over at the next call.
    const auto duration = static_cast<uint32_t>(std::max<int32_t>(steps_[index_].time, 0));
    if (nowMs - startedAt_ >= duration) {
        index_ = (index_ + 1) % steps_.size();
        startedAt_ = nowMs;
        animation_ = {};
        ripple_ = {};
    }
    const LedEffect& current = steps_[index_];
    const PadEffect effect = effectForMode(current.mode);
    if (effect == PadEffect::Custom) return lighting::fillFrame(frame, {}, 0);
    stepPadEffect(effect, frame, paramsOf(current), animation_, ripple_, nowMs, shapes_);
}

uint32_t CustomLightPlayer::periodMs() const {
    return steps_.empty() ? stepPeriodMs(0) : stepPeriodMs(std::min<uint8_t>(steps_[index_].speed, 4));
}

void applyAreaSettings(std::span<uint32_t> frame, std::span<const LedEntry> areas) {
    if (areas.empty() || !areas.front().present) return;
    const LedEntry& edge = areas.front();
    const PadEffect effect = effectForMode(edge.mode);
    if (effect == PadEffect::Static)
        lighting::fillFrame(frame, {edge.red, edge.green, edge.blue},
                            lighting::brightnessForLevel(std::min<uint8_t>(edge.brightness, 4)));
    else if (effect == PadEffect::Off)
        lighting::fillFrame(frame, {}, 0);
}

}  // namespace talven::mousepad
