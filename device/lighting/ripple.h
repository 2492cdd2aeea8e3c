#pragma once
// Ripple state for the reactive and wave effects: an intensity per LED that
// rises and fades in bands (strong light fades fast, a faint glow lingers),
// and a short history of which positions were hit, shifted one place per
// step so a wave travels along the LEDs.

#include <array>
#include <cstddef>
#include <cstdint>

namespace talven::lighting {

inline constexpr size_t kRippleLeds = 126;
inline constexpr size_t kRippleHistory = 23;
// Only the first positions of the history light their LED when marked.
inline constexpr size_t kRippleMarkedPositions = 9;

struct RippleState {
    std::array<uint8_t, kRippleLeds> rippleLevel{};
    std::array<uint8_t, kRippleHistory> rippleHistory{};
    // Feeds entry 0 on a forward shift; keeps entry 0 on a backward one.
    uint8_t spare = 0;

    friend bool operator==(const RippleState&, const RippleState&) = default;
};

// The steps by which an intensity changes, by the band it is in. Bands are
// listed from the strongest; an intensity belongs to the first band whose
// lowest value it reaches. Intensity 0 is in no band and never changes.
struct RippleBand {
    uint8_t lowest;
    uint8_t decayFast;
    uint8_t decaySlow;
    uint8_t growFast;
    uint8_t growSlow;
};

inline constexpr std::array<RippleBand, 6> kRippleBands = {{
    {128, 40, 40, 6, 40},
    {64, 30, 30, 5, 30},
    {32, 10, 10, 4, 10},
    {17, 8, 8, 3, 8},
    {9, 1, 4, 2, 4},
    {1, 1, 4, 1, 4},
}};

// Weakens an LED's intensity by its band's step, never below 0. LED numbers
// outside the state are ignored.
void rippleDecay(RippleState& state, int led, bool fast);
// Strengthens an LED's intensity by its band's step, never above 255.
void rippleGrow(RippleState& state, int led, bool fast);
// Sets every LED whose marked history position is non-zero to full intensity.
void rippleMarkActive(RippleState& state);
// Moves the history one place: forward takes the spare byte in at entry 0 and
// drops the last entry; backward moves entries 1..22 down, keeps the old
// entry 0 in the spare byte and leaves the last entry as it was.
void rippleShift(RippleState& state, bool forward);
// Clears every intensity and history entry (the spare byte stays).
void rippleClear(RippleState& state);

}  // namespace talven::lighting
