#pragma once
// The keyboard's on-screen lighting preview. The keyboard renders its own
// lighting; the application only animates the keys of its page so the user
// sees what a mode looks like. Everything here is pure over a lighting engine
// (frame, parameters, animation and ripple state) plus the preview's own
// state: the caller decides the clock and the locking.
//
// Time runs in ticks of kPreviewTickMs. A mode's generator runs once every
// kPreviewPeriods[speed] ticks; the reactive modes also repaint every tick, so
// a key press shows at once whatever the speed.

#include "device/keyboard/keyboard_layout.h"
#include "device/lighting/lighting_engine.h"
#include "profile/profile_records.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace talven::keyboard {

inline constexpr size_t kPreviewModeCount = 23;
inline constexpr uint8_t kSequenceMode = 21;
inline constexpr uint8_t kOffMode = 22;

// The layout code (information bytes 8-9) of the compact keyboard, which
// lacks the number pad and the navigation block: mode 19's bar sweeps its
// rows, as a third of the columns the full board sweeps are missing on it.
inline constexpr uint16_t kCompactLayoutCode = 4216;

inline constexpr uint32_t kPreviewTickMs = lighting::kSystemTickMs;
// After a stall (a busy machine, a suspended process) the preview resumes
// where it was instead of racing through the missed ticks.
inline constexpr uint32_t kMaxCatchUpTicks = 4;

// Counts whole ticks of a millisecond clock that wraps at 2^32.
class PreviewTicker {
public:
    // Ticks elapsed since the previous call; the first call starts the count.
    uint32_t advance(uint32_t nowMs);
    void restart() { started_ = false; }

private:
    bool started_ = false;
    uint32_t last_ = 0;
};

// What a key event does to a key's reactive record.
enum class KeyLight : uint8_t { Idle = 0, Pressed = 1, Released = 2 };

// A light travelling away from a pressed key: a growing circle (mode 7) or a
// cross along the key's row and column (mode 8).
struct Spread {
    bool active = false;
    bool cross = false;
    uint8_t column = 0;
    uint8_t row = 0;
    uint8_t radius = 0;
};
inline constexpr size_t kMaxSpreads = 8;

// One step of a custom light sequence (mode 21), as a user's light effect
// file lists it.
struct SequenceStep {
    uint8_t subMode = 0;     // pattern: 0 static, 1 breathing, 2 wave, 4 blink, 5 pulse
    uint8_t brightness = 0;  // level 0..4
    uint8_t speed = 0;       // level 0..4
    uint8_t direction = 0;
    uint8_t multiColor = 0;
    lighting::Rgb colour;
    uint32_t durationMs = 0;

    friend bool operator==(const SequenceStep&, const SequenceStep&) = default;
};
SequenceStep sequenceStepFromEffect(const LedEffect& effect);

struct SequenceState {
    std::vector<SequenceStep> steps;
    size_t index = 0;
    uint32_t stepStartMs = 0;
    uint8_t counter = 0;
    lighting::AnimationState animation;
};

struct KeyboardPreviewState {
    std::array<KeyLight, kOnScreenKeys> keyLight{};
    // Spectrum position of each key for the modes that colour keys one by one.
    std::array<uint8_t, kOnScreenKeys> keyColour{};
    std::array<Spread, kMaxSpreads> spreads{};
    uint8_t nextColour = 0;
    uint32_t random = 1;
    uint8_t tickCounter = 0;
    // Another board's geometry (see mode 19).
    bool alternateLayout = false;
    // The custom mode's key colours: a key whose red is 255 is lit.
    std::array<lighting::Rgb, kOnScreenKeys> customColours{};
    SequenceState sequence;
};

// Everything a generator works on for one step.
struct PreviewFrame {
    std::span<uint32_t> frame;
    const lighting::LightParams& params;
    lighting::AnimationState& animation;
    lighting::RippleState& ripple;
    KeyboardPreviewState& state;
    uint32_t nowMs;
};

using PreviewStep = void (*)(PreviewFrame&);

// One row per lighting mode 0..22.
struct PreviewMode {
    PreviewStep generator;  // nullptr: nothing moves
    PreviewStep alternate;  // used instead on the alternate layout; nullptr: none
    PreviewStep entry;      // nullptr: the default entry (a reset, nothing more)
    bool reactive;          // follows key events and repaints every tick
};
extern const std::array<PreviewMode, kPreviewModeCount> kPreviewModes;

// Generator steps between by speed level (levels above 4 count as 4).
uint8_t previewPeriod(uint8_t speed);

// One generator step of `mode` (the sequence for mode 21); unknown modes do
// nothing.
void runPreviewGenerator(PreviewFrame& f, uint8_t mode);
// A new mode: step, intensities, histories and key records cleared, the frame
// dark, then the mode's own entry.
void enterPreviewMode(PreviewFrame& f, uint8_t mode);
// `ticks` ticks of `mode`: the generator when its period is due, then the
// reactive repaint.
void runPreviewTicks(PreviewFrame& f, uint8_t mode, uint32_t ticks);
// A key went down (kind 1) or up (kind 2). Only the reactive modes react.
void previewKeyEvent(PreviewFrame& f, uint8_t mode, uint8_t key, uint8_t kind);
// Paints the reactive intensities onto the frame.
void paintReactive(PreviewFrame& f, uint8_t mode);

// The preview of one keyboard over a lighting engine it does not own.
class KeyboardPreview {
public:
    explicit KeyboardPreview(lighting::LightingEngine& engine) : engine_(engine) {}

    // The engine's mode changed: reset and run the new mode's entry.
    void enterMode(uint32_t nowMs);
    // Runs the ticks that have passed by `nowMs`; a mode changed behind the
    // preview's back is entered first.
    void advance(uint32_t nowMs);
    // Exactly `ticks` ticks (tests and callers with their own clock).
    void runTicks(uint32_t ticks, uint32_t nowMs);
    void keyEvent(uint8_t key, uint8_t kind, uint32_t nowMs);
    // The steps of the custom sequence; it starts again at its first step.
    void setSequence(std::vector<SequenceStep> steps, uint32_t nowMs);
    void setCustomColour(int led, lighting::Rgb colour);
    void setAlternateLayout(bool on) { state_.alternateLayout = on; }
    // The board the keyboard reports: the compact one takes the alternate
    // generators.
    void setLayoutCode(uint16_t code) { setAlternateLayout(code == kCompactLayoutCode); }

    uint8_t mode() const { return engine_.lightParams().selectItem; }
    const KeyboardPreviewState& state() const { return state_; }
    // Which keys the custom mode lights (red 255), by LED number. Taken from
    // the custom mode's own colours, not from the frame: the frame shows
    // whatever mode runs, and a bitmap taken from another mode's animation
    // would light random keys once the keyboard enters the custom mode.
    std::vector<bool> customLit() const;

private:
    PreviewFrame frame(uint32_t nowMs);

    lighting::LightingEngine& engine_;
    KeyboardPreviewState state_;
    PreviewTicker ticker_;
    int enteredMode_ = -1;
};

}  // namespace talven::keyboard
