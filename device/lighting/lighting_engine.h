#pragma once
// The lighting a device object owns: its frame, the user's light parameters,
// the animation state and the ripple state, with one operation per base
// effect and ripple helper. The engine does no locking: the animation
// thread steps it and the UI thread encodes its frame, so the owner holds
// its frame lock around both.

#include "device/lighting/base_effects.h"
#include "device/lighting/led_frame.h"
#include "device/lighting/ripple.h"
#include "platform/clock.h"

#include <cstdint>
#include <span>

namespace talven::lighting {

class LightingEngine {
public:
    // Resizes the frame to `count` LEDs (negative counts as 0) and darkens
    // every LED.
    void setLedCount(int count);
    int ledCount() const { return static_cast<int>(ledFrame_.size()); }

    // Out-of-range indices are ignored on write and read as 0.
    void setLedColour(int index, uint32_t colour);
    uint32_t getLedColour(int index) const;

    std::span<uint32_t> ledFrame() { return ledFrame_; }
    std::span<const uint32_t> ledFrame() const { return ledFrame_; }

    void setLightParams(uint32_t word1, uint32_t word2, uint32_t word3) {
        lightParams_ = LightParams::fromWords(word1, word2, word3);
    }
    LightParams& lightParams() { return lightParams_; }
    const LightParams& lightParams() const { return lightParams_; }

    AnimationState& animation() { return animation_; }
    const AnimationState& animation() const { return animation_; }
    void resetAnimation() { animation_ = {}; }

    RippleState& ripple() { return ripple_; }
    const RippleState& ripple() const { return ripple_; }

    // One animation step of a base effect at a given tick count.
    void step(BaseEffect effect, uint32_t nowMs) {
        runBaseEffect(effect, ledFrame_, lightParams_, animation_, nowMs);
    }
    void effectBreathingSpectrum(uint32_t nowMs = tickCount()) {
        step(BaseEffect::BreathingSpectrum, nowMs);
    }
    void effectBreathingFourColours(uint32_t nowMs = tickCount()) {
        step(BaseEffect::BreathingFourColours, nowMs);
    }
    void effectStatic(uint32_t nowMs = tickCount()) { step(BaseEffect::Static, nowMs); }
    void effectSpectrumCycle(uint32_t nowMs = tickCount()) {
        step(BaseEffect::SpectrumCycle, nowMs);
    }
    void effectBlink(uint32_t nowMs = tickCount()) { step(BaseEffect::Blink, nowMs); }
    void effectBlinkFourColours(uint32_t nowMs = tickCount()) {
        step(BaseEffect::BlinkFourColours, nowMs);
    }
    void effectOff(uint32_t nowMs = tickCount()) { step(BaseEffect::Off, nowMs); }

    void rippleDecay(int led, bool fast) { lighting::rippleDecay(ripple_, led, fast); }
    void rippleGrow(int led, bool fast) { lighting::rippleGrow(ripple_, led, fast); }
    void rippleMarkActive() { lighting::rippleMarkActive(ripple_); }
    void rippleShift(bool forward) { lighting::rippleShift(ripple_, forward); }
    void rippleClear() { lighting::rippleClear(ripple_); }

    // The bytes `renderFrame` sends for the current frame.
    LightFrameBuffer encodeFrame() const { return encodeLightFrame(ledFrame_); }
    // How the page shows LED `index` (dark when out of range).
    LedPreview preview(int index) const { return ledPreview(getLedColour(index)); }

private:
    LedFrame ledFrame_;
    LightParams lightParams_;
    AnimationState animation_;
    RippleState ripple_;
};

}  // namespace talven::lighting
