#include "device/mouse/mouse_lighting.h"

#include "device/lighting/wave_effects.h"
#include "device/mouse/mouse_records.h"

namespace talven::mouse {

namespace {

using lighting::BaseEffect;

// Mode 0 and 8 are the waves along the mouse's LEDs, 1..7 the base effects.
enum class ModeKind { SpectrumWave, Base, GroupWave };
struct ModeEffect {
    ModeKind kind;
    BaseEffect base;
};
constexpr std::array<ModeEffect, kMouseLightModes> kModeEffects = {{
    {ModeKind::SpectrumWave, BaseEffect::Off},
    {ModeKind::Base, BaseEffect::SpectrumCycle},
    {ModeKind::Base, BaseEffect::BreathingFourColours},
    {ModeKind::Base, BaseEffect::Blink},
    {ModeKind::Base, BaseEffect::Static},
    {ModeKind::Base, BaseEffect::BlinkFourColours},
    {ModeKind::Base, BaseEffect::BreathingSpectrum},
    {ModeKind::Base, BaseEffect::Off},
    {ModeKind::GroupWave, BaseEffect::Off},
}};

}  // namespace

uint32_t stepPeriodMs(uint8_t speed) {
    return speed < kStepThresholdTicks.size() ? kStepThresholdTicks[speed] * lighting::kSystemTickMs : kPassMs;
}

bool stepMouseLightMode(uint8_t mode, std::span<uint32_t> frame, const lighting::LightParams& params,
                        lighting::AnimationState& state, lighting::RippleState& ripple, bool keepColours,
                        uint32_t nowMs) {
    if (mode >= kModeEffects.size()) return false;
    const ModeEffect& effect = kModeEffects[mode];
    switch (effect.kind) {
    case ModeKind::SpectrumWave: lighting::effectSpectrumWave(frame, params, state, nowMs); break;
    case ModeKind::Base: lighting::runBaseEffect(effect.base, frame, params, state, nowMs); break;
    case ModeKind::GroupWave: lighting::effectGroupWave(frame, params, state, ripple, keepColours); break;
    }
    return true;
}

}  // namespace talven::mouse
