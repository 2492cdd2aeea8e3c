// The travelling waves of the mouse's lighting modes 0 and 8, with colours
// and levels taken from the lighting tables' reference values.

#include "device/lighting/led_frame.h"
#include "device/lighting/wave_effects.h"
#include "support/led_check.h"

#include <gtest/gtest.h>

#include <vector>

namespace talven::lighting {
namespace {

using test::Led;
const auto at = test::ledAt;

TEST(WaveCurve, IsTheBreathingRiseFrom22ThenBack) {
    const std::vector<uint8_t> rise = {22,  24,  27,  30,  33,  36,  39,  42,  45,  49,  53,  57,
                                       61,  65,  69,  73,  77,  81,  85,  89,  94,  99,  104, 109,
                                       114, 119, 124, 129, 134, 140, 146, 152, 158, 164, 170, 176,
                                       182, 188, 194, 200, 206, 213, 220, 227, 234, 241, 248, 255};
    for (size_t i = 0; i < rise.size(); ++i) {
        EXPECT_EQ(kWaveCurve[i], rise[i]) << i;
        EXPECT_EQ(kWaveCurve[95 - i], rise[i]) << i;
    }
}

TEST(SpectrumWave, SpectrumRunsAlongTheLedsSevenApart) {
    std::vector<uint32_t> frame(9);
    LightParams p;
    p.multiColor = 1;
    p.light = 4;
    p.fx = 1;
    AnimationState state;
    state.step = 6;
    effectSpectrumWave(frame, p, state, 0);
    EXPECT_EQ(state.step, 7);
    EXPECT_EQ(at(frame, 0), (Led{255, 26, 0, 255}));  // spectrum entry 8
    EXPECT_EQ(at(frame, 8), (Led{0, 255, 1, 255}));   // entry 64
    // Backwards from 0 the phase wraps to 191: LED 0 shows entry 0.
    p.fx = 0;
    p.light = 2;
    state.step = 0;
    effectSpectrumWave(frame, p, state, 0);
    EXPECT_EQ(state.step, 191);
    EXPECT_EQ(at(frame, 0), (Led{255, 1, 0, 135}));
}

TEST(SpectrumWave, UserColourPulsesAlongTheWaveCurve) {
    std::vector<uint32_t> frame(3);
    LightParams p;
    p.red = 10;
    p.green = 20;
    p.blue = 30;
    p.fx = 1;
    AnimationState state;
    struct Case {
        uint8_t level, led0, led1;
    };
    // Step 1: LED 0 at wave[2] = 27, LED 1 at wave[9] = 49, scaled by the level.
    for (const Case c : {Case{4, 26, 48}, Case{2, 14, 25}, Case{0, 0, 0}}) {
        p.light = c.level;
        state.step = 0;
        effectSpectrumWave(frame, p, state, 0);
        EXPECT_EQ(state.step, 1);
        EXPECT_EQ(at(frame, 0), (Led{10, 20, 30, c.led0}));
        EXPECT_EQ(at(frame, 1), (Led{10, 20, 30, c.led1}));
    }
    // The single-colour wave is 96 steps long.
    state.step = 95;
    effectSpectrumWave(frame, p, state, 0);
    EXPECT_EQ(state.step, 0);
}

TEST(GroupWave, AHitTravelsFromGroupToGroupAndFades) {
    std::vector<uint32_t> frame(19);
    LightParams p;
    p.light = 4;
    p.fx = 1;
    p.red = 255;
    AnimationState state;
    RippleState ripple;
    ripple.rippleHistory[0] = 1;
    effectGroupWave(frame, p, state, ripple, false);
    // Marked at full, then one fast decay step of the top band.
    EXPECT_EQ(ripple.rippleLevel[0], 215);
    EXPECT_EQ(at(frame, 0), (Led{255, 0, 0, 214}));
    EXPECT_EQ(at(frame, 18), (Led{255, 0, 0, 214}));
    EXPECT_EQ(at(frame, 1).level, 0);
    effectGroupWave(frame, p, state, ripple, false);
    EXPECT_EQ(ripple.rippleLevel[0], 175);
    EXPECT_EQ(ripple.rippleLevel[1], 215);
    EXPECT_EQ(at(frame, 1), (Led{255, 0, 0, 214}));
    EXPECT_EQ(at(frame, 17), (Led{255, 0, 0, 214}));
    EXPECT_EQ(at(frame, 0).level, 174);
}

TEST(GroupWave, SpectrumGroupsTwelveColoursApartAndKeptColours) {
    std::vector<uint32_t> frame(19);
    LightParams p;
    p.light = 4;
    p.fx = 1;
    p.multiColor = 1;
    AnimationState state;
    state.step = 187;
    RippleState ripple;
    effectGroupWave(frame, p, state, ripple, false);
    EXPECT_EQ(state.step, 188);
    EXPECT_EQ(at(frame, 0), (Led{255, 26, 0, 0}));   // group 0: entry 8
    EXPECT_EQ(at(frame, 2), (Led{248, 255, 0, 0}));  // group 2: entry 32
    EXPECT_EQ(at(frame, 16), (Led{248, 255, 0, 0}));
    // Showing the user's picks: each group keeps its first LED's colour.
    frame[3] = makeLed(1, 2, 3, 99);
    effectGroupWave(frame, p, state, ripple, true);
    EXPECT_EQ(at(frame, 3), (Led{1, 2, 3, 0}));
    EXPECT_EQ(at(frame, 15), (Led{1, 2, 3, 0}));
}

TEST(GroupWave, LedsPastTheFrameAreSkipped) {
    std::vector<uint32_t> frame(8);  // the mouse's eight LEDs
    LightParams p;
    p.light = 4;
    p.fx = 1;
    p.green = 200;
    AnimationState state;
    RippleState ripple;
    ripple.rippleHistory[0] = 1;
    effectGroupWave(frame, p, state, ripple, false);
    EXPECT_EQ(at(frame, 0), (Led{0, 200, 0, 214}));
    for (size_t i = 1; i < frame.size(); ++i) EXPECT_EQ(at(frame, i), (Led{0, 200, 0, 0})) << i;
}

}  // namespace
}  // namespace talven::lighting
