#pragma once
// The headset's lighting runs the mouse pad's modes over its thirteen LEDs
// (0..5 round the left cup and 6..11 round the right one, each ring from the
// top clockwise, 12 on the microphone). With so few LEDs its wave spreads
// them further apart and pulses in bigger steps, and its two ripples cross
// both cups at once.

#include "device/mousepad/mousepad_lighting.h"

#include <array>

namespace talven::headset {

// Spectrum colours 16 apart; the pulse moves three places a step, LEDs 10
// apart on it, starting at the phase itself.
inline constexpr lighting::WaveShape kHeadsetWave = {16, 3, 10, 0};

// Mode 6: from the top of both cups down to their bottoms (the same place
// on each cup lights together), then the microphone.
inline constexpr std::array<lighting::LedPair, 7> kTopDownPairs = {{
    {0, 6}, {5, 11}, {1, 7}, {4, 10}, {2, 8}, {3, 9}, {12, 12},
}};
// Mode 7: across the head from the left cup's outer edge to the right
// cup's, each column's upper and lower LED together, the microphone in the
// middle.
inline constexpr std::array<lighting::LedPair, 7> kAcrossPairs = {{
    {5, 4}, {0, 3}, {1, 2}, {12, 12}, {11, 10}, {6, 9}, {7, 8},
}};

inline constexpr mousepad::LitShapes kHeadsetShapes = {kHeadsetWave, kTopDownPairs, kAcrossPairs};

}  // namespace talven::headset
