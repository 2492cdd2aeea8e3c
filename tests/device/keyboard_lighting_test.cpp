// The keyboard's lighting preview: generators on the grid tables, the tick
// and period rules, the reactive modes fed by key events, the custom bitmap
// mode and the custom sequence.

#include "device/keyboard/keyboard_light_tables.h"
#include "device/keyboard/keyboard_lighting.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>

namespace talven::keyboard {
namespace {

using lighting::ledBrightness;
using lighting::ledRed;

constexpr uint32_t kStart = 100000;

class PreviewTest : public ::testing::Test {
protected:
    void SetUp() override { engine.setLedCount(static_cast<int>(kOnScreenKeys)); }

    // Mode, brightness level, speed level, direction, spectrum flag; colour red.
    void start(uint8_t mode, uint8_t speed = 4, uint8_t spectrum = 0, uint8_t direction = 1) {
        LightSettings light;
        light.selectItem = mode;
        light.light = 4;
        light.speed = speed;
        light.fx = direction;
        light.multiColor = spectrum;
        light.red = 255;
        engine.lightParams() = light;
        preview.enterMode(now);
    }
    void ticks(uint32_t n) {
        for (uint32_t i = 0; i < n; ++i) {
            now += kPreviewTickMs;
            preview.runTicks(1, now);
        }
    }
    std::vector<uint32_t> frame() const { return {engine.ledFrame().begin(), engine.ledFrame().end()}; }
    uint8_t brightness(int led) const { return ledBrightness(engine.getLedColour(led)); }
    uint8_t intensity(int led) const { return engine.ripple().rippleLevel[static_cast<size_t>(led)]; }

    lighting::LightingEngine engine;
    KeyboardPreview preview{engine};
    uint32_t now = kStart;
};

TEST_F(PreviewTest, EveryModeKeepsToTheFrameAndLightsSomethingUnlessItIsDark) {
    // Modes that show nothing without key events, custom keys or steps.
    const std::set<uint8_t> darkAlone = {7, 9, 11, 12, 20, 21, 22};
    for (uint8_t mode = 0; mode < kPreviewModeCount; ++mode) {
        SCOPED_TRACE(static_cast<int>(mode));
        start(mode);
        ticks(20);
        ASSERT_EQ(engine.ledFrame().size(), kOnScreenKeys);
        bool lit = false;
        for (uint32_t led : engine.ledFrame()) lit |= ledBrightness(led) != 0;
        EXPECT_EQ(lit, !darkAlone.contains(mode));
    }
}

TEST_F(PreviewTest, ShortFramesAreNeverWrittenPastTheirEnd) {
    engine.setLedCount(8);
    for (uint8_t mode = 0; mode < kPreviewModeCount; ++mode) {
        start(mode);
        preview.keyEvent(64, 1, now);
        ticks(10);
        EXPECT_EQ(engine.ledFrame().size(), 8u);
    }
}

struct Cycle {
    uint8_t mode;
    uint8_t spectrum;
    uint32_t steps;  // generator steps until the frame repeats
};

class PreviewCycleTest : public PreviewTest, public ::testing::WithParamInterface<Cycle> {};

TEST_P(PreviewCycleTest, TheFrameRepeatsAfterItsCycleAndNotHalfWay) {
    start(GetParam().mode, 4, GetParam().spectrum);
    ticks(1);
    const auto first = frame();
    ticks(GetParam().steps / 2);
    EXPECT_NE(frame(), first);
    ticks(GetParam().steps - GetParam().steps / 2);
    EXPECT_EQ(frame(), first);
}

INSTANTIATE_TEST_SUITE_P(Modes, PreviewCycleTest,
                         ::testing::Values(Cycle{0, 1, 192},  // the spectrum, one entry a step
                                           Cycle{0, 0, 32},   // the wave, three entries a step
                                           Cycle{1, 0, 32}, Cycle{2, 0, 48},
                                           Cycle{3, 1, 192}, Cycle{15, 0, 64},
                                           Cycle{16, 0, 105}, Cycle{18, 0, 69}));

TEST_F(PreviewTest, ColumnWaveFollowsTheSpectrumSevenEntriesPerColumn) {
    start(0, 4, 1);
    ticks(1);  // step 1: column 0 shows entry 2, column 1 entry 9
    for (auto [led, entry] : {std::pair{120, 2}, std::pair{21, 9}, std::pair{41, (2 + 7 * 22) % 192}}) {
        const lighting::Rgb c = lighting::spectrumColour(static_cast<uint8_t>(entry));
        EXPECT_EQ(engine.getLedColour(led), lighting::makeLed(c.red, c.green, c.blue, 255)) << led;
    }
    // The Game key shows like the number-pad key below it.
    EXPECT_EQ(engine.getLedColour(16), engine.getLedColour(38));
}

TEST_F(PreviewTest, GradientDimsFromLeftToRight) {
    start(6);
    ticks(1);
    EXPECT_EQ(brightness(120), 255 * 255 / 256);  // column 0
    EXPECT_EQ(brightness(0), 255 * 200 / 256);    // Esc, column 2
    EXPECT_EQ(brightness(41), 0);                 // column 22
    EXPECT_EQ(ledRed(engine.getLedColour(0)), 255);
}

TEST_F(PreviewTest, SpeedSetsHowManyTicksPassBetweenSteps) {
    for (uint8_t speed : {0, 2, 4}) {
        start(0, speed, 1);
        ticks(20);
        EXPECT_EQ(engine.animation().step, 20 / previewPeriod(speed)) << "speed " << int(speed);
    }
}

TEST_F(PreviewTest, ChangingModeBehindThePreviewStartsTheNewModeAfresh) {
    start(2);
    preview.advance(now);
    ticks(5);
    ASSERT_GT(intensity(51), 0);
    engine.lightParams().selectItem = 6;
    now += kPreviewTickMs;
    preview.advance(now);
    EXPECT_EQ(engine.animation().secondaryStep, 0);
    EXPECT_EQ(intensity(51), 0);
    EXPECT_EQ(brightness(0), 0) << "dark until the new mode's first step";
    now += kPreviewTickMs;
    preview.advance(now);
    EXPECT_EQ(brightness(0), 255 * 200 / 256);
}

TEST(PreviewTickerTest, CountsWholeTicksOfAMillisecondClock) {
    PreviewTicker ticker;
    EXPECT_EQ(ticker.advance(5000), 0u);
    // A clock moving one millisecond at a time still makes ticks.
    uint32_t total = 0;
    for (uint32_t t = 5001; t <= 5000 + 10 * kPreviewTickMs; ++t) total += ticker.advance(t);
    EXPECT_EQ(total, 10u);
    EXPECT_EQ(ticker.advance(5000 + 10 * kPreviewTickMs + kPreviewTickMs / 2), 0u);
    // A long stall resumes instead of racing.
    EXPECT_EQ(ticker.advance(60000), kMaxCatchUpTicks);
    EXPECT_EQ(ticker.advance(60000 + kPreviewTickMs), 1u);
    // Across the wrap of the clock.
    PreviewTicker wrapping;
    wrapping.advance(0xFFFFFFF0u);
    EXPECT_EQ(wrapping.advance(0xFFFFFFF0u + 2 * kPreviewTickMs), 2u);
}

TEST_F(PreviewTest, HeldKeyGlowsUpAndFadesOutAfterRelease) {
    start(9);
    preview.keyEvent(64, 1, now);
    ticks(1);
    EXPECT_EQ(intensity(64), 15);
    EXPECT_EQ(brightness(64), 15 * 255 / 256);
    ticks(30);
    EXPECT_EQ(intensity(64), 255);
    preview.keyEvent(64, 2, now);
    ticks(10);
    EXPECT_EQ(intensity(64), 205);
    ticks(41);
    EXPECT_EQ(intensity(64), 0);
    EXPECT_EQ(brightness(64), 0);
    EXPECT_EQ(preview.state().keyLight[64], KeyLight::Idle);
    EXPECT_EQ(brightness(65), 0) << "other keys stay dark";
}

TEST_F(PreviewTest, RippleSpreadsFromThePressedKeyAndDiesAway) {
    start(7);
    preview.keyEvent(70, 1, now);  // J
    ticks(1);
    EXPECT_EQ(intensity(70), 255) << "held";
    EXPECT_GT(intensity(71), 0) << "the neighbour is reached first";
    EXPECT_EQ(intensity(0), 0) << "Esc is far away";
    ticks(8);
    EXPECT_GT(intensity(0) + intensity(21), 0) << "the circle got to the left edge";
    preview.keyEvent(70, 2, now);
    ticks(120);
    for (size_t led = 0; led < kOnScreenKeys; ++led) ASSERT_EQ(intensity(static_cast<int>(led)), 0) << led;
}

TEST_F(PreviewTest, ChargedKeyBurstsIntoACrossOnRelease) {
    start(8);
    ticks(60);  // the greeting cross from the centre has gone
    preview.keyEvent(69, 1, now);  // H, row 3 of column 7
    ticks(3);
    EXPECT_GT(intensity(69), 64);
    EXPECT_EQ(intensity(70), 0) << "nothing spreads while the key charges";
    preview.keyEvent(69, 2, now);
    ticks(1);
    EXPECT_EQ(intensity(68), 255) << "along the row";
    EXPECT_EQ(intensity(48), 255) << "along the column";
    EXPECT_EQ(intensity(49), 0) << "not diagonally";
}

TEST_F(PreviewTest, KeyEventsOutsideTheReactiveModesChangeNothing) {
    start(6);
    ticks(1);
    const auto before = frame();
    preview.keyEvent(64, 1, now);
    ticks(5);
    EXPECT_EQ(frame(), before);
    EXPECT_EQ(preview.state().keyLight[64], KeyLight::Idle);
}

TEST_F(PreviewTest, CustomModeLightsTheKeysWhoseRedIsFull) {
    preview.setCustomColour(64, {255, 0, 0});
    preview.setCustomColour(65, {254, 0, 0});
    preview.setCustomColour(200, {255, 0, 0});  // not a key: ignored
    start(20);
    EXPECT_EQ(brightness(64), 255) << "shown at once";
    EXPECT_EQ(brightness(65), 0);
    engine.lightParams().light = 2;
    ticks(1);
    EXPECT_EQ(brightness(64), lighting::brightnessForLevel(2));
    const std::vector<bool> lit = preview.customLit();
    ASSERT_EQ(lit.size(), kOnScreenKeys);
    EXPECT_TRUE(lit[64]);
    EXPECT_FALSE(lit[65]);
}

// The bitmap sent for the custom mode comes from the custom colours even
// while another mode paints full red over the keys.
TEST_F(PreviewTest, CustomKeysComeFromTheCustomColoursNotFromTheFrame) {
    preview.setCustomColour(64, {255, 0, 0});
    start(6);  // the red gradient
    ticks(1);
    size_t redInFrame = 0;
    for (int led = 0; led < static_cast<int>(kOnScreenKeys); ++led) redInFrame += ledRed(engine.getLedColour(led)) == 255;
    ASSERT_GT(redInFrame, 1u);
    const std::vector<bool> lit = preview.customLit();
    EXPECT_EQ(std::count(lit.begin(), lit.end(), true), 1);
    EXPECT_TRUE(lit[64]);
}

TEST_F(PreviewTest, SequenceShowsEachStepForItsDurationAndWraps) {
    SequenceStep blue{0, 4, 4, 0, 0, {0, 0, 255}, 100};
    SequenceStep green{0, 2, 4, 0, 0, {0, 255, 0}, 50};
    start(21);
    preview.setSequence({blue, green}, now);
    ticks(1);
    EXPECT_EQ(engine.getLedColour(64), lighting::makeLed(0, 0, 255, 255));
    ticks(100 / kPreviewTickMs);  // 112 ms
    EXPECT_EQ(engine.getLedColour(64), lighting::makeLed(0, 255, 0, lighting::brightnessForLevel(2)));
    ticks(4);  // 64 ms more: back to the first step
    EXPECT_EQ(engine.getLedColour(64), lighting::makeLed(0, 0, 255, 255));
}

TEST_F(PreviewTest, SequenceBlinkAndUnknownPatterns) {
    const SequenceStep blink{4, 4, 4, 0, 0, {255, 0, 0}, 10000};
    start(21);
    preview.setSequence({blink}, now);
    ticks(1);
    EXPECT_EQ(brightness(64), 255);
    ticks(8);  // the fastest blink period
    EXPECT_EQ(brightness(64), 0);
    ticks(8);
    EXPECT_EQ(brightness(64), 255);
    preview.setSequence({{3, 4, 4, 0, 0, {255, 0, 0}, 10000}}, now);
    ticks(1);
    EXPECT_EQ(brightness(64), 0) << "a pattern we do not know shows dark";
    preview.setSequence({}, now);
    ticks(1);
    EXPECT_EQ(brightness(64), 0);
}

TEST(SequenceStepTest, ComesFromAnEffectFileStep) {
    LedEffect effect;
    effect.mode = 5;
    effect.brightness = 9;
    effect.speed = 2;
    effect.red = 1;
    effect.green = 2;
    effect.blue = 3;
    effect.time = -5;
    const SequenceStep step = sequenceStepFromEffect(effect);
    EXPECT_EQ(step.subMode, 5);
    EXPECT_EQ(step.brightness, 4) << "kept to the level table";
    EXPECT_EQ(step.colour, (lighting::Rgb{1, 2, 3}));
    EXPECT_EQ(step.durationMs, 0u);
}

TEST_F(PreviewTest, ScannerRunsOverRowsOnTheAlternateLayout) {
    preview.setAlternateLayout(true);
    start(19);
    EXPECT_GT(brightness(1), 0) << "F1, on the top row";
    EXPECT_EQ(brightness(105), 0) << "bottom row";
    preview.setAlternateLayout(false);
    start(19);
    EXPECT_GT(brightness(120), 0) << "the first column";
    EXPECT_EQ(brightness(1), 0);
}

TEST_F(PreviewTest, RainFallsDownOrRisesByDirection) {
    start(13, 4, 0, 0);
    ticks(4);  // one row down
    const uint8_t column0Step = engine.animation().step;
    EXPECT_EQ(column0Step, 1);
    EXPECT_GT(brightness(120), 0) << "column 0's drop is in row 1";
    EXPECT_EQ(brightness(124), 0);
    start(13, 4, 0, 1);
    ticks(4);
    EXPECT_GT(brightness(123), 0) << "rising: row 1 from the bottom";
    EXPECT_EQ(brightness(120), 0);
}

TEST(KeyboardGridTest, TablesCoverEveryLitKeyOnce) {
    std::set<uint8_t> columns, rings, sweep;
    for (const GridColumn& c : kColumnMap) {
        for (uint8_t led : c) {
            if (led == kNoLed) continue;
            EXPECT_TRUE(columns.insert(led).second) << int(led);
        }
    }
    for (const Ring& r : kRingMap) {
        for (uint8_t led : r) {
            if (led == kNoLed) continue;
            EXPECT_TRUE(rings.insert(led).second) << int(led);
        }
    }
    for (uint8_t led : kSweepOrder) EXPECT_TRUE(sweep.insert(led).second) << int(led);
    EXPECT_EQ(columns.size(), 110u);
    EXPECT_EQ(sweep.size(), 105u);
    for (uint8_t led : rings) EXPECT_TRUE(columns.contains(led)) << int(led);
    for (uint8_t led : sweep) EXPECT_TRUE(columns.contains(led)) << int(led);
}

}  // namespace
}  // namespace talven::keyboard
