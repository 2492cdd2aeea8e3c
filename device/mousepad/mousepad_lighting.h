#pragma once
// The mouse pad's lighting: which effect each mode runs, how often the
// lighting thread steps it, the LED pairs of its two ripples, the custom
// lighting sets played step by step, and the per-LED area settings laid
// over every frame. Pure over (frame, parameters, state, time) like the
// base effects; the page runs them under its frame lock.

#include "device/lighting/base_effects.h"
#include "device/lighting/group_ripple.h"
#include "device/lighting/ripple.h"
#include "device/lighting/wave_effects.h"
#include "profile/profile_records.h"

#include <array>
#include <cstdint>
#include <span>
#include <vector>

namespace talven::mousepad {

// Fifteen LEDs round the pad's edge, LED 0 at the top centre, then clockwise.
inline constexpr int kPadLeds = 15;

// The lighting thread counts its passes and steps the effect once the
// speed's count is reached; any other speed steps on every pass. A pass
// waits 1 ms on the thread's stop event and then sleeps 1 ms more.
inline constexpr std::array<uint8_t, 5> kStepPasses = {28, 23, 18, 13, 7};
inline constexpr uint32_t kPassMs = 2;
uint32_t stepPeriodMs(uint8_t speed);

enum class PadEffect {
    Wave,               // 0: the pad's own wave (the strip wave)
    SpectrumCycle,      // 1
    BreathingSpectrum,  // 2
    Static,             // 3
    Blink,              // 4
    RippleDown,         // 6: top centre to bottom centre along both sides
    RippleAcross,       // 7: left edge to right edge
    Off,                // 8
    Custom,             // 5 and above 8: a custom lighting set
};
PadEffect effectForMode(uint8_t mode);

// Mirror images across the pad's vertical axis; LED 0 pairs with itself.
inline constexpr std::array<lighting::LedPair, 8> kRippleDownPairs = {{
    {0, 0}, {1, 14}, {2, 13}, {3, 12}, {4, 11}, {5, 10}, {6, 9}, {7, 8},
}};
// Columns from the left edge to the right one, top LED with bottom LED.
inline constexpr std::array<lighting::LedPair, 8> kRippleAcrossPairs = {{
    {12, 11}, {13, 10}, {14, 9}, {0, 8}, {1, 7}, {2, 6}, {3, 5}, {4, 4},
}};

// Where a device lit like the pad differs from it: how its wave lies over
// its LEDs and the LED pairs of its two ripples (modes 6 and 7). The headset
// runs the pad's modes with shapes of its own.
struct LitShapes {
    lighting::WaveShape wave;
    std::span<const lighting::LedPair> firstRipple;
    std::span<const lighting::LedPair> secondRipple;
};
inline constexpr LitShapes kPadShapes = {lighting::kStripWave, kRippleDownPairs, kRippleAcrossPairs};

// One step of `effect` (Custom does nothing here: the player below plays it).
void stepPadEffect(PadEffect effect, std::span<uint32_t> frame, const lighting::LightParams& params,
                   lighting::AnimationState& state, lighting::RippleState& ripple, uint32_t nowMs,
                   const LitShapes& shapes = kPadShapes);

// A custom lighting set: each step runs its mode with its own parameters
// for its time in milliseconds, then the next, round and round. A step
// whose mode is itself a custom set shows dark; a set without steps too.
class CustomLightPlayer {
public:
    explicit CustomLightPlayer(const LitShapes& shapes = kPadShapes) : shapes_(shapes) {}
    void setSteps(std::vector<LedEffect> steps, uint32_t nowMs);
    const std::vector<LedEffect>& steps() const { return steps_; }
    size_t currentStep() const { return index_; }
    void step(std::span<uint32_t> frame, uint32_t nowMs);
    // How long until the current step's effect wants its next step.
    uint32_t periodMs() const;

private:
    lighting::LightParams paramsOf(const LedEffect& effect) const;

    LitShapes shapes_;
    std::vector<LedEffect> steps_;
    size_t index_ = 0;
    uint32_t startedAt_ = 0;
    lighting::AnimationState animation_;
    lighting::RippleState ripple_;
};

// The area settings over a frame. The pad has one area, its edge: the
// first entry covers every LED. Set to the static mode, the LEDs take its
// colour at its brightness level; set off, they are dark; any other mode
// leaves what the effect gave them.
void applyAreaSettings(std::span<uint32_t> frame, std::span<const LedEntry> areas);

}  // namespace talven::mousepad
