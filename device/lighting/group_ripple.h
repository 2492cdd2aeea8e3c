#pragma once
// Ripples that run over LED pairs: a hit enters at the first pair and moves
// one pair on every second step, each pair flaring as it passes and fading
// after it. Devices whose LEDs sit around an edge (the mouse pad, the
// headset's cups) pair LEDs that face each other, so the ripple crosses the
// device from one side to the other. Each device brings its own pairs.

#include "device/lighting/base_effects.h"
#include "device/lighting/ripple.h"

#include <cstdint>
#include <span>

namespace talven::lighting {

// Two LEDs lit together; an LED may pair with itself. LED numbers past the
// frame are skipped.
struct LedPair {
    uint8_t first;
    uint8_t second;
};

// At most this many pairs: the ripple's marked history positions.
inline constexpr size_t kMaxRipplePairs = kRippleMarkedPositions;
// Shifts with no hit between the end of one ripple and the next hit.
inline constexpr size_t kRipplePause = 4;

// One step: the phase moves like the group wave's (limit 192, by one, in the
// direction); every second step the history shifts one place, taking in a
// new hit once the last one has left the pairs and the pause has passed;
// hit positions flare to full and every pair fades fast. Pair g (counted
// from the last pair when the direction is backward) shows history position
// g, in the user colour, or with the spectrum flag set in spectrum colours
// 12 apart starting 12 past the phase, at level x ripple level / 256.
// `state.secondaryStep` counts the steps between shifts.
void effectGroupRipple(std::span<uint32_t> frame, const LightParams& params, AnimationState& state,
                       RippleState& ripple, std::span<const LedPair> pairs);

}  // namespace talven::lighting
