#include "device/function_page.h"
#include "device/lighting/base_effects.h"
#include "device/lighting/led_frame.h"
#include "device/lighting/lighting_engine.h"
#include "device/lighting/ripple.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

namespace talven::lighting {
namespace {

constexpr size_t kKeyboardLeds = 127;

LightParams spectrumParams(uint8_t level) {
    LightParams p;
    p.light = level;
    p.speed = 4;
    p.fx = 1;
    p.multiColor = 1;
    p.red = 10;
    p.green = 20;
    p.blue = 30;
    return p;
}

bool allLeds(const LedFrame& frame, uint32_t value) {
    return std::all_of(frame.begin(), frame.end(), [&](uint32_t v) { return v == value; });
}

TEST(StepCounter, WrapsAtTheLimitInBothDirections) {
    struct Case {
        bool forward;
        uint8_t limit, value, delta, expected;
    };
    const Case cases[] = {
        {true, 128, 126, 2, 0}, {false, 128, 0, 1, 127}, {true, 128, 125, 2, 127},
        {true, 192, 191, 1, 0}, {false, 192, 0, 1, 191}, {false, 128, 1, 2, 126},
        {false, 128, 2, 2, 0},  {true, 128, 200, 2, 0},  {false, 96, 150, 3, 93},
    };
    for (const Case& c : cases)
        EXPECT_EQ(stepCounter(c.forward, c.limit, c.value, c.delta), c.expected)
            << c.forward << " " << int(c.limit) << " " << int(c.value) << " " << int(c.delta);
}

TEST(Spectrum, MatchesTheReferenceEntries) {
    const std::pair<size_t, Rgb> reference[] = {
        {0, {255, 1, 0}},  {8, {255, 26, 0}},  {32, {248, 255, 0}},
        {64, {0, 255, 1}}, {128, {1, 0, 255}}, {184, {255, 0, 69}},
    };
    for (const auto& [index, colour] : reference) EXPECT_EQ(kSpectrum[index], colour) << index;
}

TEST(Spectrum, EachSegmentFadesOneChannelIntoTheNext) {
    // The rising channel of segment 0 passes through its reference curve in order.
    const uint8_t curve[] = {1, 26, 81, 164, 248, 255};
    size_t found = 0;
    for (size_t i = 0; i < 64 && found < std::size(curve); ++i)
        if (kSpectrum[i].green == curve[found]) ++found;
    EXPECT_EQ(found, std::size(curve));

    for (size_t segment = 0; segment < 3; ++segment) {
        auto channel = [](const Rgb& c, size_t n) {
            return n == 0 ? c.red : n == 1 ? c.green : c.blue;
        };
        const size_t falling = segment, rising = (segment + 1) % 3, dark = (segment + 2) % 3;
        for (size_t k = 0; k < 64; ++k) {
            const Rgb& c = kSpectrum[segment * 64 + k];
            SCOPED_TRACE(segment * 64 + k);
            EXPECT_EQ(channel(c, dark), 0);
            EXPECT_TRUE(channel(c, rising) == 255 || channel(c, falling) == 255);
            if (k == 0) continue;
            const Rgb& before = kSpectrum[segment * 64 + k - 1];
            EXPECT_GE(channel(c, rising), channel(before, rising));
            EXPECT_LE(channel(c, falling), channel(before, falling));
        }
    }
}

TEST(BaseEffects, BrightnessLevelZeroGivesDarkButCompleteFrames) {
    const LightParams params = spectrumParams(0);
    for (const auto& entry : kBaseEffects) {
        SCOPED_TRACE(entry.name);
        LedFrame frame(kKeyboardLeds, 0xDEADBEEF);
        AnimationState state;
        for (uint32_t t = 0; t < 10; ++t) {
            entry.step(frame, params, state, t * blinkPeriodMs(params.speed));
            ASSERT_EQ(frame.size(), kKeyboardLeds);
            for (uint32_t led : frame) EXPECT_EQ(ledBrightness(led), 0);
            EXPECT_TRUE(allLeds(frame, frame.front()));
        }
        const LightFrameBuffer wire = encodeLightFrame(frame);
        EXPECT_EQ(wire.length, kKeyboardLeds * 3);
        EXPECT_TRUE(
            std::all_of(wire.bytes.begin(), wire.bytes.end(), [](uint8_t b) { return b == 0; }));
    }
}

TEST(BaseEffects, BreathingSpectrumMovesOnSixteenColoursPerBreath) {
    LedFrame frame(4);
    const LightParams params = spectrumParams(4);
    AnimationState state{0, 176, false, 0};
    for (int i = 0; i < 32; ++i) effectBreathingSpectrum(frame, params, state, 0);
    EXPECT_EQ(state.step, 64);
    EXPECT_EQ(frame[0], makeLed(kSpectrum[176].red, kSpectrum[176].green, kSpectrum[176].blue,
                                kBreathingCurve[64] * 255 / 256));
    for (int i = 0; i < 32; ++i) effectBreathingSpectrum(frame, params, state, 0);
    EXPECT_EQ(state.step, 0);
    EXPECT_EQ(state.secondaryStep, 0);  // 176 + 16 is past the last colour
    EXPECT_EQ(ledBrightness(frame[0]), 0);

    LightParams user = params;
    user.multiColor = 0;
    effectBreathingSpectrum(frame, user, state, 0);
    EXPECT_EQ(frame[3] & 0xFFFFFFu, makeLed(10, 20, 30, 0));
}

TEST(BaseEffects, BreathingFourColoursChangesColourOnEachBreath) {
    LedFrame frame(2);
    const LightParams params = spectrumParams(4);
    AnimationState state;
    std::vector<uint8_t> indices;
    for (int i = 0; i < 128 * 5; ++i) {
        effectBreathingFourColours(frame, params, state, 0);
        if (state.step == 0) indices.push_back(state.secondaryStep);
    }
    EXPECT_EQ(indices, (std::vector<uint8_t>{1, 2, 3, 0, 1}));
    EXPECT_EQ(frame[1] & 0xFFFFFFu, makeLed(0, 255, 0, 0));  // colour 1, dark at step 0
}

TEST(BaseEffects, SpectrumCycleRunsBackwardFromTheLastColour) {
    LedFrame frame(3);
    LightParams params = spectrumParams(2);
    params.fx = 0;
    AnimationState state;
    effectSpectrumCycle(frame, params, state, 0);
    EXPECT_EQ(state.step, 191);
    EXPECT_EQ(frame[2],
              makeLed(kSpectrum[191].red, kSpectrum[191].green, kSpectrum[191].blue, 135));
}

TEST(BaseEffects, BlinkTogglesExactlyOnThePeriod) {
    const uint32_t periods[] = {5600, 4600, 3600, 2600, 1400};
    for (uint8_t speed = 0; speed < 6; ++speed) {
        SCOPED_TRACE(int(speed));
        const uint32_t period =
            periods[std::min<uint8_t>(speed, 4)];  // unknown speeds blink fastest
        LightParams params = spectrumParams(4);
        params.speed = speed;
        LedFrame frame(5);
        // Start just before the tick count wraps: only the difference counts.
        const uint32_t start = 0xFFFFFF00u;
        AnimationState state{0, 0, false, start};
        effectBlink(frame, params, state, start + period - 1);
        EXPECT_FALSE(state.blinkOn);
        EXPECT_TRUE(allLeds(frame, 0));
        effectBlink(frame, params, state, start + period);
        EXPECT_TRUE(state.blinkOn);
        EXPECT_EQ(state.step, 16);
        EXPECT_EQ(frame[4],
                  makeLed(kSpectrum[16].red, kSpectrum[16].green, kSpectrum[16].blue, 255));
        effectBlink(frame, params, state, start + 2 * period - 1);
        EXPECT_TRUE(state.blinkOn);
        effectBlink(frame, params, state, start + 2 * period);
        EXPECT_FALSE(state.blinkOn);
        EXPECT_EQ(state.step, 32);
        EXPECT_TRUE(allLeds(frame, 0));
    }
}

TEST(BaseEffects, BlinkFourColoursShowsEveryColourInTurn) {
    LedFrame frame(3);
    const LightParams params = spectrumParams(1);
    AnimationState state;
    std::vector<uint32_t> lit;
    for (uint32_t i = 1; i <= 10; ++i) {
        effectBlinkFourColours(frame, params, state, i * 1400);
        if (state.blinkOn)
            lit.push_back(frame[0]);
        else
            EXPECT_TRUE(allLeds(frame, 0));
    }
    auto colour = [](size_t i) {
        return makeLed(kFourColours[i].red, kFourColours[i].green, kFourColours[i].blue, 60);
    };
    EXPECT_EQ(lit, (std::vector<uint32_t>{colour(1), colour(2), colour(3), colour(0), colour(1)}));
}

TEST(LightFrame, KeyboardFrameIs381BytesWithLed126Dark) {
    LedFrame frame(kKeyboardLeds, makeLed(255, 255, 255, 255));
    frame[0] = makeLed(200, 100, 50, 128);
    const LightFrameBuffer wire = encodeLightFrame(frame);
    ASSERT_EQ(wire.length, 381u);
    EXPECT_EQ(wire.bytes[0], 100);
    EXPECT_EQ(wire.bytes[1], 50);
    EXPECT_EQ(wire.bytes[2], 25);
    EXPECT_EQ(wire.bytes[375], 254);  // LED 125 lit
    EXPECT_EQ(wire.bytes[378], 0);
    EXPECT_EQ(wire.bytes[379], 0);
    EXPECT_EQ(wire.bytes[380], 0);
    EXPECT_EQ(wire.bytes[381], 0);  // zero fill beyond the frame

    frame.push_back(makeLed(9, 9, 9, 255));  // LED 127 is sent as usual
    EXPECT_EQ(encodeLightFrame(frame).bytes[381], 8);
}

TEST(LightFrame, LongFramesStopAtTheBuffer) {
    const LedFrame frame(300, makeLed(255, 0, 0, 255));
    const LightFrameBuffer wire = encodeLightFrame(frame);
    EXPECT_EQ(wire.length, 510u);
    EXPECT_EQ(wire.bytes[507], 254);
    EXPECT_EQ(wire.bytes[510], 0);
    EXPECT_EQ(encodeLightFrame({}).length, 0u);
}

TEST(LightFrame, PreviewKeepsColourAndBrightnessApart) {
    EXPECT_EQ(ledPreview(makeLed(0x11, 0x22, 0x33, 0x80)), (LedPreview{0x332211, 0x80}));
    EXPECT_EQ(scaledColour(0x804020, 128), 0x402010u);
    EXPECT_EQ(scaledColour(0xFFFFFF, 255), 0xFEFEFEu);
}

TEST(Ripple, DecayAndGrowthByBand) {
    struct Case {
        uint8_t start, decayFast, decaySlow, growFast, growSlow;
    };
    const Case cases[] = {
        {0, 0, 0, 0, 0},         {1, 0, 0, 2, 5},           {3, 2, 0, 4, 7},
        {8, 7, 4, 9, 12},        {9, 8, 5, 11, 13},         {16, 15, 12, 18, 20},
        {17, 9, 9, 20, 25},      {31, 23, 23, 34, 39},      {32, 22, 22, 36, 42},
        {63, 53, 53, 67, 73},    {64, 34, 34, 69, 94},      {127, 97, 97, 132, 157},
        {128, 88, 88, 134, 168}, {250, 210, 210, 255, 255}, {255, 215, 215, 255, 255},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(int(c.start));
        const uint8_t expected[4] = {c.decayFast, c.decaySlow, c.growFast, c.growSlow};
        for (int op = 0; op < 4; ++op) {
            RippleState state;
            state.rippleLevel[125] = c.start;
            const bool fast = op % 2 == 0;
            if (op < 2)
                rippleDecay(state, 125, fast);
            else
                rippleGrow(state, 125, fast);
            EXPECT_EQ(state.rippleLevel[125], expected[op]) << "op " << op;
        }
    }
}

TEST(Ripple, IgnoresLedsOutsideTheState) {
    RippleState state;
    state.rippleLevel.fill(100);
    const RippleState before = state;
    for (int led : {-1, 126, 1000}) {
        rippleDecay(state, led, false);
        rippleGrow(state, led, true);
    }
    EXPECT_EQ(state, before);
}

TEST(Ripple, HistoryShiftsMarksAndClears) {
    RippleState state;
    for (size_t i = 0; i < kRippleHistory; ++i)
        state.rippleHistory[i] = static_cast<uint8_t>(i + 1);
    state.spare = 99;

    rippleShift(state, false);
    EXPECT_EQ(state.spare, 1);
    EXPECT_EQ(state.rippleHistory[0], 2);
    EXPECT_EQ(state.rippleHistory[21], 23);
    EXPECT_EQ(state.rippleHistory[22], 23);
    rippleShift(state, true);
    for (size_t i = 0; i < kRippleHistory; ++i) EXPECT_EQ(state.rippleHistory[i], i + 1) << i;

    state.rippleHistory.fill(0);
    state.rippleHistory[0] = 1;
    state.rippleHistory[8] = 5;
    state.rippleHistory[9] = 7;  // past the marked positions
    rippleMarkActive(state);
    EXPECT_EQ(state.rippleLevel[0], 255);
    EXPECT_EQ(state.rippleLevel[1], 0);
    EXPECT_EQ(state.rippleLevel[8], 255);
    EXPECT_EQ(state.rippleLevel[9], 0);

    rippleClear(state);
    EXPECT_EQ(state, (RippleState{{}, {}, 1}));
}

TEST(LightingEngine, UnpacksTheLightWordsAndGuardsLedIndices) {
    LightingEngine engine;
    engine.setLedCount(3);
    engine.setLedColour(-1, 1);
    engine.setLedColour(3, 1);
    engine.setLedColour(1, 0x12345678);
    EXPECT_EQ(engine.getLedColour(1), 0x12345678u);
    EXPECT_EQ(engine.getLedColour(3), 0u);
    EXPECT_EQ(engine.preview(1), (LedPreview{0x345678, 0x12}));

    // Mode 4, brightness 2, speed 1, forward; single colour (10, 20, 30).
    engine.setLightParams(4 | 2 << 8 | 1 << 16 | 1 << 24, 0 | 10 << 8 | 20 << 16 | 30u << 24,
                          0x00ABCDEF);
    EXPECT_EQ(engine.lightParams().extraWord, 0xCDEF);
    EXPECT_EQ(engine.lightParams().extraByte, 0xAB);
    engine.effectStatic();
    EXPECT_EQ(engine.getLedColour(0), makeLed(10, 20, 30, 135));
    EXPECT_EQ(engine.encodeFrame().view().size(), 9u);

    engine.setLedCount(5);
    for (int i = 0; i < 5; ++i) EXPECT_EQ(engine.getLedColour(i), 0u);
}

TEST(FunctionPage, ChoosesTheTabItems) {
    const std::pair<int, FunctionPageTabs> cases[] = {
        {0, {0, 0}}, {1, {0, 0}},
        {2, {0, 1}}, {3, {1, std::nullopt}},
        {4, {0, 2}}, {5, {2, std::nullopt}},
        {6, {0, 1}}, {7, {1, std::nullopt}},
        {8, {0, 0}}, {-1, {0, 0}},
    };
    for (const auto& [page, tabs] : cases) EXPECT_EQ(functionPageTabs(page), tabs) << page;
}

}  // namespace
}  // namespace talven::lighting
