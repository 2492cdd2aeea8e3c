// The mouse page's pure rules: typed DPI to slider step, the stage that may
// not be switched off, option ranges, button function names and the
// lighting modes' step periods.

#include "device/mouse/mouse_lighting.h"
#include "device/mouse/mouse_page_rules.h"

#include <gtest/gtest.h>

#include <array>
#include <vector>

namespace talven::mouse {
namespace {

TEST(MousePageRules, TypedDpiBecomesTheSliderStep) {
    const MouseCapabilities caps{11, 0, 100, 50, 100};
    const std::pair<unsigned, unsigned> cases[] = {{0, 0}, {50, 0}, {100, 0}, {101, 0}, {200, 1},
                                                   {1650, 15}, {5100, 50}, {99999, 50}};
    for (const auto& [typed, index] : cases) EXPECT_EQ(sliderIndexForTypedDpi(typed, caps), index) << typed;
    EXPECT_EQ(sliderIndexForTypedDpi(800, MouseCapabilities{}), std::nullopt) << "no step read yet";
}

TEST(MousePageRules, OnlyTheLastEnabledStageIsLocked) {
    EXPECT_EQ(lockedStage(std::array{false, false, true, false, false}), 2u);
    EXPECT_EQ(lockedStage(std::array{true, false, true, false, false}), std::nullopt);
    EXPECT_EQ(lockedStage(std::array{false, false, false, false, false}), std::nullopt);
}

TEST(MousePageRules, OptionsOutsideTheirRowSelectTheFirst) {
    const std::array<std::pair<int, int>, 4> polling = {{{0, 0}, {4, 4}, {7, 0}, {-1, 0}}};
    for (const auto& [in, out] : polling) EXPECT_EQ(pollingRateOption(in), out) << in;
    EXPECT_EQ(liftOffOption(1), 1);
    EXPECT_EQ(liftOffOption(2), 0);
}

TEST(MousePageRules, ButtonFunctionNames) {
    const KeyCode back{0x10, 0x08, 0x00};
    struct Case {
        KeyCode current;
        std::string_view name;
    };
    const Case cases[] = {
        {back, "mouse_key_back_g"},                  // its own function
        {{0x10, 0x01, 0x00}, "mouse_key_left"},      // the left button's
        {{0x20, 0x00, 0x28}, "keyboard_key_Enter"},  // a key
        {{0x30, 0xCD, 0x00}, "keyboard_key_Media Play Pause"},
        {{0x12, 0x31, 0x05}, "keyset_cat_wheel"},
        {{0xA0, 0x00, 0x00}, "keyset_cat_disable"},
        {{0x70, 0x02, 0x01}, "keyset_cat_macro"},
    };
    for (const Case& c : cases) EXPECT_EQ(buttonFunctionName(4, c.current, back), c.name);
}

TEST(MouseLighting, SpeedThresholdsAndModesAboveEight) {
    // 5, 4, 3, 2 and 1 counts of a 16 ms system tick; another level steps on
    // every 1 ms pass.
    const std::array<std::pair<uint8_t, uint32_t>, 7> periods = {
        {{0, 80}, {1, 64}, {2, 48}, {3, 32}, {4, 16}, {5, 1}, {9, 1}}};
    for (const auto& [speed, ms] : periods) EXPECT_EQ(stepPeriodMs(speed), ms) << int(speed);
    std::vector<uint32_t> frame(8, 0x12345678);
    lighting::LightParams params;
    params.light = 4, params.red = 10;
    lighting::AnimationState state;
    lighting::RippleState ripple;
    EXPECT_FALSE(stepMouseLightMode(9, frame, params, state, ripple, false, 0));
    EXPECT_EQ(frame[0], 0x12345678u) << "a custom set's frame is left alone";
    // Mode 4 is the static colour at level 4 (255), mode 7 all dark.
    EXPECT_TRUE(stepMouseLightMode(4, frame, params, state, ripple, false, 0));
    EXPECT_EQ(frame[7], 0xFF00000Au);
    EXPECT_TRUE(stepMouseLightMode(7, frame, params, state, ripple, false, 0));
    EXPECT_EQ(frame[7], 0u);
}

}  // namespace
}  // namespace talven::mouse
