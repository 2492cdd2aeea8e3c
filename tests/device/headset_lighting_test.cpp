// The headset's own lighting steps: its wave over thirteen LEDs (spectrum
// colours 16 apart; the pulse three places a step, LEDs 10 apart), the LED
// pairs of its two ripples, and a custom lighting set playing the headset's
// wave rather than the pad's. Colours and levels are the lighting tables'
// reference values.

#include "device/headset/headset_lighting.h"
#include "support/led_check.h"

#include <gtest/gtest.h>

#include <set>
#include <vector>

namespace talven::headset {
namespace {

// The headset has thirteen LEDs.
constexpr int kLeds = 13;

using test::Led;
const auto at = test::ledAt;

lighting::LightParams waveParams(bool spectrum, bool forward) {
    lighting::LightParams p;
    p.selectItem = 0;
    p.multiColor = spectrum ? 1 : 0;
    p.light = 4;  // level 255
    p.fx = forward ? 1 : 0;
    p.red = 10;
    p.green = 20;
    p.blue = 30;
    return p;
}

TEST(HeadsetWave, SpectrumColoursSixteenApart) {
    std::vector<uint32_t> frame(kLeds);
    lighting::AnimationState state;
    lighting::RippleState ripple;
    state.step = 190;  // the phase becomes 191: LED i shows entry (192 + 16i) mod 192
    mousepad::stepPadEffect(mousepad::PadEffect::Wave, frame, waveParams(true, true), state, ripple, 0,
                            kHeadsetShapes);
    EXPECT_EQ(state.step, 191);
    struct Case {
        size_t led;
        Led expected;
    };
    for (const Case& c : {Case{0, {255, 1, 0, 255}},    // entry 0
                          Case{2, {248, 255, 0, 255}},  // entry 32
                          Case{4, {0, 255, 1, 255}},    // entry 64
                          Case{8, {1, 0, 255, 255}}})   // entry 128
        EXPECT_EQ(at(frame, c.led), c.expected) << "LED " << c.led;
}

TEST(HeadsetWave, PulseMovesThreePlacesAndLedsSitTenApart) {
    struct Case {
        bool forward;
        uint8_t from, phase;
        std::vector<std::pair<size_t, uint8_t>> levels;  // LED, 255 x wave / 256
    };
    const Case cases[] = {
        // Phase 3: LED 0 wave[3] = 30, LED 4 wave[43] = 227, LED 5 wave[53] =
        // wave[95 - 42] = 220, LED 12 wave[123 mod 96 = 27] = 129.
        {true, 0, 3, {{0, 29}, {4, 226}, {5, 219}, {12, 128}}},
        // Backward from 1: 1 - 3 wraps, so the phase restarts at 96 - 3 = 93;
        // LED 0 wave[93] = 27, LED 1 wave[103 mod 96 = 7] = 42.
        {false, 1, 93, {{0, 26}, {1, 41}}},
    };
    for (const Case& c : cases) {
        std::vector<uint32_t> frame(kLeds);
        lighting::AnimationState state;
        lighting::RippleState ripple;
        state.step = c.from;
        mousepad::stepPadEffect(mousepad::PadEffect::Wave, frame, waveParams(false, c.forward), state, ripple, 0,
                                kHeadsetShapes);
        EXPECT_EQ(state.step, c.phase);
        for (const auto& [led, level] : c.levels)
            EXPECT_EQ(at(frame, led), (Led{10, 20, 30, level})) << "LED " << led << " from " << int(c.from);
    }
}

// Each ripple lights every LED of the headset, each in one pair only: an LED
// left out would stay dark through the whole effect.
TEST(HeadsetRipples, EveryLedInExactlyOnePair) {
    for (const auto& pairs : {kHeadsetShapes.firstRipple, kHeadsetShapes.secondRipple}) {
        std::multiset<int> seen;
        for (const lighting::LedPair& pair : pairs) {
            seen.insert(pair.first);
            if (pair.second != pair.first) seen.insert(pair.second);
        }
        EXPECT_LE(pairs.size(), lighting::kMaxRipplePairs);
        for (int led = 0; led < kLeds; ++led) EXPECT_EQ(seen.count(led), 1u) << "LED " << led;
        EXPECT_EQ(seen.size(), static_cast<size_t>(kLeds));
    }
}

// A custom set's wave step runs with the headset's shapes: LEDs 2 and 4
// show the spectrum entries 32 and 64, where the pad's shapes would give 14
// and 28.
TEST(HeadsetCustomSet, PlaysTheHeadsetsWave) {
    LedEffect wave{};
    wave.mode = 0;
    wave.multiColor = 1;
    wave.brightness = 4;
    wave.direction = 0;  // from phase 0 backward: 191, so LED i shows entry 16i
    wave.time = 1000;
    mousepad::CustomLightPlayer player(kHeadsetShapes);
    player.setSteps({wave}, 0);
    std::vector<uint32_t> frame(kLeds);
    player.step(frame, 1);
    EXPECT_EQ(at(frame, 0), (Led{255, 1, 0, 255}));
    EXPECT_EQ(at(frame, 2), (Led{248, 255, 0, 255}));
    EXPECT_EQ(at(frame, 4), (Led{0, 255, 1, 255}));
}

}  // namespace
}  // namespace talven::headset
