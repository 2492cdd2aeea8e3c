// The keyboard preview's reactive modes 7 to 12: keys pressed on the keyboard
// (its key events) light up on the page. Each key keeps an intensity (the
// ripple level) and a record of whether it is held; a generator step fades
// the intensities at the speed's rate, and every tick paints them.

#include "device/keyboard/keyboard_light_effects.h"

#include "device/keyboard/keyboard_light_tables.h"

#include <algorithm>
#include <cstdlib>

namespace talven::keyboard::effects {

namespace {

// Both ripple modes fade with the fine steps of the ripple helpers, so a
// faint afterglow lingers behind a wave.
constexpr bool kRippleFast = true;
// Mode 8 starts a held key at this glow and lets it swell.
constexpr uint8_t kChargeStart = 64;
// Modes 9 and 10: how much a held or released key changes per step.
constexpr uint8_t kGlowRise = 15;
constexpr uint8_t kGlowFall = 5;
constexpr uint8_t kDimStep = 1;
// Mode 11: each press takes the next colour, a fifth of the way round the
// spectrum from the last; the trail fades by 4 a step.
constexpr uint8_t kTrailColourStep = 38;
constexpr uint8_t kTrailFade = 4;
// A spread dies once it has left the board.
constexpr uint8_t kSpreadReach = kGridColumns + 1;

bool hasPlace(uint8_t led) { return led < kLedPositions.size() && kLedPositions[led].column != kNoLed; }

void launchSpread(PreviewFrame& f, uint8_t led, bool cross) {
    if (!hasPlace(led)) return;
    // A free slot, or else the spread that has travelled furthest.
    auto slot = std::find_if(f.state.spreads.begin(), f.state.spreads.end(), [](const Spread& s) { return !s.active; });
    if (slot == f.state.spreads.end())
        slot = std::max_element(f.state.spreads.begin(), f.state.spreads.end(),
                                [](const Spread& a, const Spread& b) { return a.radius < b.radius; });
    *slot = {true, cross, kLedPositions[led].column, kLedPositions[led].row, 0};
}

bool onFront(const Spread& s, const GridPosition& p) {
    const int dc = p.column - s.column;
    const int dr = p.row - s.row;
    if (s.cross) return (dr == 0 && std::abs(dc) == s.radius) || (dc == 0 && std::abs(dr) == s.radius);
    const int d2 = dc * dc + dr * dr;
    return d2 >= s.radius * s.radius && d2 < (s.radius + 1) * (s.radius + 1);
}

// Moves every spread one grid unit on and lights the keys its front reaches.
void advanceSpreads(PreviewFrame& f) {
    for (Spread& s : f.state.spreads) {
        if (!s.active) continue;
        if (++s.radius > kSpreadReach) {
            s.active = false;
            continue;
        }
        for (size_t led = 0; led < kLedPositions.size(); ++led)
            if (hasPlace(static_cast<uint8_t>(led)) && onFront(s, kLedPositions[led])) f.ripple.rippleLevel[led] = 255;
    }
}

// A released key is idle again once it has faded out.
void settle(PreviewFrame& f, size_t led) {
    if (f.state.keyLight[led] == KeyLight::Released && f.ripple.rippleLevel[led] == 0)
        f.state.keyLight[led] = KeyLight::Idle;
}

void fadeBy(uint8_t& value, uint8_t amount) { value = value > amount ? value - amount : 0; }
void raiseBy(uint8_t& value, uint8_t amount) { value = static_cast<uint8_t>(std::min(255, value + amount)); }

}  // namespace

// 7: a key lights while held and sends a circle across the board.
void rippleSpread(PreviewFrame& f) {
    for (size_t led = 0; led < f.ripple.rippleLevel.size(); ++led) {
        if (f.state.keyLight[led] == KeyLight::Pressed) continue;
        lighting::rippleDecay(f.ripple, static_cast<int>(led), kRippleFast);
        settle(f, led);
    }
    advanceSpreads(f);
}

// 8: a held key swells; at full glow, or when let go, it bursts into a cross
// along its row and column.
void chargedCross(PreviewFrame& f) {
    for (size_t led = 0; led < f.ripple.rippleLevel.size(); ++led) {
        if (f.state.keyLight[led] == KeyLight::Pressed) {
            lighting::rippleGrow(f.ripple, static_cast<int>(led), kRippleFast);
            if (f.ripple.rippleLevel[led] == 255) {
                f.state.keyLight[led] = KeyLight::Released;
                launchSpread(f, static_cast<uint8_t>(led), true);
            }
            continue;
        }
        lighting::rippleDecay(f.ripple, static_cast<int>(led), kRippleFast);
        settle(f, led);
    }
    advanceSpreads(f);
}

// 9: a held key glows up, a released one fades out.
void holdGlow(PreviewFrame& f) {
    for (size_t led = 0; led < f.ripple.rippleLevel.size(); ++led) {
        uint8_t& value = f.ripple.rippleLevel[led];
        if (f.state.keyLight[led] == KeyLight::Pressed) raiseBy(value, kGlowRise);
        if (f.state.keyLight[led] == KeyLight::Released) fadeBy(value, kGlowFall);
        settle(f, led);
    }
}

// 10: the board is lit; a held key dims (and snaps back once dark), a
// released one comes back slowly.
void holdDim(PreviewFrame& f) {
    for (size_t led = 0; led < f.ripple.rippleLevel.size(); ++led) {
        uint8_t& value = f.ripple.rippleLevel[led];
        switch (f.state.keyLight[led]) {
        case KeyLight::Idle: value = 255; break;
        case KeyLight::Pressed:
            fadeBy(value, kDimStep);
            if (value == 0) f.state.keyLight[led] = KeyLight::Idle;
            break;
        case KeyLight::Released: raiseBy(value, kDimStep); break;
        }
    }
}

// 11: every press lights its key in a new colour, fading slowly.
void typingTrail(PreviewFrame& f) {
    for (uint8_t& value : f.ripple.rippleLevel) fadeBy(value, kTrailFade);
}

// 12: a press lights the key's whole column, fading in the ripple's bands.
void columnFlash(PreviewFrame& f) {
    for (size_t led = 0; led < f.ripple.rippleLevel.size(); ++led)
        lighting::rippleDecay(f.ripple, static_cast<int>(led), false);
}

void enterChargedCross(PreviewFrame& f) { launchSpread(f, kRingMap[0][0], true); }

void reactiveKeyEvent(PreviewFrame& f, uint8_t mode, uint8_t key, uint8_t kind) {
    if (key >= kOnScreenKeys || (kind != 1 && kind != 2)) return;
    const bool press = kind == 1;
    uint8_t& value = f.ripple.rippleLevel[key];
    KeyLight& light = f.state.keyLight[key];
    switch (mode) {
    case 7:
        light = press ? KeyLight::Pressed : KeyLight::Released;
        if (press) {
            value = 255;
            launchSpread(f, key, false);
        }
        break;
    case 8:
        if (press) {
            light = KeyLight::Pressed;
            value = std::max(value, kChargeStart);
        } else if (light == KeyLight::Pressed) {
            light = KeyLight::Released;
            launchSpread(f, key, true);
        }
        break;
    case 9:
    case 10: light = press ? KeyLight::Pressed : KeyLight::Released; break;
    case 11:
        if (!press) break;
        value = 255;
        f.state.keyColour[key] = f.state.nextColour;
        f.state.nextColour = static_cast<uint8_t>((f.state.nextColour + kTrailColourStep) % lighting::kSpectrumSize);
        break;
    case 12:
        if (!press || !hasPlace(key)) break;
        for (uint8_t led : kColumnMap[kLedPositions[key].column])
            if (led < kOnScreenKeys) f.ripple.rippleLevel[led] = 255;
        value = 255;
        break;
    default: break;
    }
}

void paintReactiveKeys(PreviewFrame& f, uint8_t mode) {
    const size_t count = std::min(f.frame.size(), f.ripple.rippleLevel.size());
    for (size_t led = 0; led < count; ++led) {
        const auto key = static_cast<uint8_t>(led);
        lighting::Rgb colour = lighting::userColour(f.params);
        if (f.params.multiColor)
            colour = mode == 11 ? lighting::spectrumColour(f.state.keyColour[led]) : keySpectrum(key);
        paintLed(f.frame, key, colour, levelled(f.params, f.ripple.rippleLevel[led]));
    }
}

}  // namespace talven::keyboard::effects
