#pragma once
// The mouse's lighting modes and how fast they step. Modes 0..8 are the
// mouse's own (its settings block carries them); a higher mode is one of the
// application's custom lighting sets, which no effect here draws.

#include "device/lighting/base_effects.h"
#include "device/lighting/ripple.h"

#include <cstdint>
#include <optional>
#include <span>

namespace talven::mouse {

// The lighting thread counts the tick count's changes, one per system tick
// (lighting::kSystemTickMs), and steps the mode's effect once the speed's
// count is reached: every 5, 4, 3, 2 or 1 counts for speed level 0..4. Any
// other level steps on every pass of the thread, one a millisecond.
inline constexpr std::array<uint8_t, 5> kStepThresholdTicks = {5, 4, 3, 2, 1};
inline constexpr uint32_t kPassMs = 1;
// Milliseconds between two steps of a mode's effect at a speed level.
uint32_t stepPeriodMs(uint8_t speed);

// Runs one step of mode `mode`'s effect on the frame. False, with the frame
// untouched, for a mode above 8. `keepColours`: the group wave keeps the
// colours the page shows and moves only their brightness.
bool stepMouseLightMode(uint8_t mode, std::span<uint32_t> frame, const lighting::LightParams& params,
                        lighting::AnimationState& state, lighting::RippleState& ripple, bool keepColours,
                        uint32_t nowMs);

}  // namespace talven::mouse
