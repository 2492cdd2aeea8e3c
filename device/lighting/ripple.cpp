#include "device/lighting/ripple.h"

#include <algorithm>

namespace talven::lighting {
namespace {

const RippleBand* bandOf(uint8_t intensity) {
    for (const auto& band : kRippleBands)
        if (intensity >= band.lowest) return &band;
    return nullptr;
}

uint8_t* levelOf(RippleState& state, int led) {
    if (led < 0 || static_cast<size_t>(led) >= state.rippleLevel.size()) return nullptr;
    return &state.rippleLevel[static_cast<size_t>(led)];
}

}  // namespace

void rippleDecay(RippleState& state, int led, bool fast) {
    uint8_t* level = levelOf(state, led);
    if (!level) return;
    const RippleBand* band = bandOf(*level);
    if (!band) return;
    const int step = fast ? band->decayFast : band->decaySlow;
    *level = static_cast<uint8_t>(std::max(0, *level - step));
}

void rippleGrow(RippleState& state, int led, bool fast) {
    uint8_t* level = levelOf(state, led);
    if (!level) return;
    const RippleBand* band = bandOf(*level);
    if (!band) return;
    const int step = fast ? band->growFast : band->growSlow;
    *level = static_cast<uint8_t>(std::min(255, *level + step));
}

void rippleMarkActive(RippleState& state) {
    for (size_t i = 0; i < kRippleMarkedPositions; ++i)
        if (state.rippleHistory[i] != 0) state.rippleLevel[i] = 255;
}

void rippleShift(RippleState& state, bool forward) {
    auto& history = state.rippleHistory;
    if (forward) {
        std::copy_backward(history.begin(), history.end() - 1, history.end());
        history[0] = state.spare;
    } else {
        state.spare = history[0];
        std::copy(history.begin() + 1, history.end(), history.begin());
    }
}

void rippleClear(RippleState& state) {
    state.rippleLevel.fill(0);
    state.rippleHistory.fill(0);
}

}  // namespace talven::lighting
