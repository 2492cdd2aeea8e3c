#include "rgbsdk/sdk_modes.h"

#include <gtest/gtest.h>

namespace talven::rgbsdk {
namespace {

constexpr uint32_t S = mode_flag::HasSpeed;
constexpr uint32_t D = mode_flag::HasDirectionLR;
constexpr uint32_t B = mode_flag::HasBrightness;
constexpr uint32_t C = mode_flag::HasModeSpecificColour;
constexpr uint32_t R = mode_flag::HasRandomColour;

ModeSource oneMode(int variant, int mode) {
    ModeSource source;
    source.names.assign(static_cast<size_t>(mode) + 1, "");
    source.visible.assign(static_cast<size_t>(mode) + 1, true);
    source.names.back() = "M";
    source.panelVariant = variant;
    return source;
}

// What the lighting panel lets the user change in a mode is what a client
// may change: mouse 2, pad 3, keyboard 1.
TEST(SdkModesTest, EachModeTakesTheParametersItsPanelOffers) {
    struct Case {
        int variant;
        int mode;
        uint32_t flags;
    };
    const Case cases[] = {
        // The mouse shows its speed slider only in mode 6.
        {2, 0, B},             {2, 3, B | C | R},     {2, 4, B | C},         {2, 6, S | B}, {2, 7, 0},
        {3, 0, S | D | B | C | R}, {3, 1, S | B},      {3, 3, B | C},         {1, 0, S | D | B},
        {1, 4, B},             {1, 6, B},             {1, 7, S | B},
    };
    for (const Case& c : cases) {
        const std::vector<SdkMode> modes = buildModes(oneMode(c.variant, c.mode), {});
        ASSERT_EQ(modes.size(), 1u) << c.variant << "/" << c.mode;
        EXPECT_EQ(modes[0].flags, c.flags) << c.variant << "/" << c.mode;
        EXPECT_EQ(modes[0].value, c.mode);
    }
}

TEST(SdkModesTest, DirectComesFirstAndHiddenOrNamelessModesAreLeftOut) {
    ModeSource source;
    source.names = {"Wave", "Hidden", "", "Static"};
    source.visible = {true, false, true, true};
    source.panelVariant = 3;
    source.direct = true;
    LightSettings current;
    current.selectItem = 3;
    current.light = 2;
    current.red = 0x11;
    current.blue = 0x33;
    const std::vector<SdkMode> modes = buildModes(source, current);
    ASSERT_EQ(modes.size(), 3u);
    EXPECT_EQ(modes[0].name, "Direct");
    EXPECT_EQ(modes[0].colourMode, colour_mode::PerLed);
    EXPECT_EQ(modes[1].name, "Wave");
    EXPECT_EQ(modes[2].name, "Static");
    EXPECT_EQ(modes[2].brightness, 2u);
    EXPECT_EQ(modes[2].colours, std::vector<uint32_t>{0x330011});
    EXPECT_EQ(activeModeIndex(modes, current, false), 2);
    EXPECT_EQ(activeModeIndex(modes, current, true), 0);
    current.selectItem = 1;  // hidden: not offered
    EXPECT_EQ(activeModeIndex(modes, current, false), 0);
}

TEST(SdkModesTest, AChoiceChangesOnlyWhatTheModeTakesWithinTheLevels) {
    ModeSource source = oneMode(3, 2);  // pad mode 2: speed, brightness, colour, spectrum; no direction
    source.direct = true;
    const std::vector<SdkMode> modes = buildModes(source, {});
    ModeUpdate u;
    u.index = 1;
    u.version = 3;
    u.mode.speed = 9;
    u.mode.brightness = 2;
    u.mode.direction = direction::Left;  // not taken in this mode
    u.mode.colourMode = colour_mode::ModeSpecific;
    u.mode.colours = {0x332211};
    auto choice = modeChoice(modes, u);
    ASSERT_TRUE(choice);
    EXPECT_FALSE(choice->direct);
    EXPECT_EQ(choice->change.mode, 2);
    EXPECT_EQ(choice->change.speed, 4) << "levels stop at 4";
    EXPECT_EQ(choice->change.brightness, 2);
    EXPECT_FALSE(choice->change.direction);
    EXPECT_EQ(choice->change.colour, (lighting::Rgb{0x11, 0x22, 0x33}));
    EXPECT_EQ(choice->change.spectrum, false);

    u.version = 2;  // no brightness in such a request
    u.mode.colourMode = colour_mode::Random;
    choice = modeChoice(modes, u);
    ASSERT_TRUE(choice);
    EXPECT_FALSE(choice->change.brightness);
    EXPECT_EQ(choice->change.spectrum, true);
    EXPECT_FALSE(choice->change.colour);

    u.index = 0;
    choice = modeChoice(modes, u);
    ASSERT_TRUE(choice);
    EXPECT_TRUE(choice->direct);
    for (int bad : {-1, 2}) {
        u.index = bad;
        EXPECT_FALSE(modeChoice(modes, u)) << bad;
    }
}

TEST(SdkModesTest, DirectionTravelsAsLeftOrRight) {
    const std::vector<SdkMode> pad = buildModes(oneMode(3, 0), {});
    LightSettings current;
    current.fx = 1;
    EXPECT_EQ(buildModes(oneMode(3, 0), current)[0].direction, direction::Left);
    ModeUpdate u;
    u.mode.direction = direction::Right;
    EXPECT_EQ(modeChoice(pad, u)->change.direction, 0);
    u.mode.direction = direction::Left;
    EXPECT_EQ(modeChoice(pad, u)->change.direction, 1);
}

}  // namespace
}  // namespace talven::rgbsdk
