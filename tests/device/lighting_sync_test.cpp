// The sync tables and the sync animator, with values worked out by hand from
// the mode tables, the tick thresholds and the 192-colour wheel.

#include "device/hid_records.h"
#include "device/lighting/lighting_sync.h"

#include <gtest/gtest.h>

#include <optional>

namespace talven::lighting {
namespace {

struct ModeCase {
    uint16_t kind;
    uint8_t mode;
    std::optional<uint8_t> sync;
};

TEST(LightingSyncTest, EveryKindMapsItsModesToTheSharedOnes) {
    const ModeCase cases[] = {
        {kind::Keyboard, 4, 1},   {kind::Keyboard, 5, 0},   {kind::Keyboard, 17, 2}, {kind::Keyboard, 22, 4},
        {kind::Keyboard, 1, {}},  {kind::Keyboard, 3, {}},  {kind::Mouse, 1, 3},     {kind::Mouse, 3, 2},
        {kind::Mouse, 4, 1},      {kind::Mouse, 6, 0},      {kind::Mouse, 7, 4},     {kind::Mouse, 2, {}},
        {kind::WirelessMouse, 6, 0}, {kind::MousePad, 1, 3}, {kind::MousePad, 2, 0}, {kind::MousePad, 3, 1},
        {kind::MousePad, 4, 2},   {kind::MousePad, 8, 4},   {kind::MousePad, 5, {}}, {kind::Headset, 2, 0},
        {kind::Headset, 8, 4},    {kind::Headset, 6, {}},   {9, 1, {}},
    };
    for (const ModeCase& c : cases) EXPECT_EQ(syncModeOf(c.kind, c.mode), c.sync) << c.kind << " mode " << +c.mode;
}

TEST(LightingSyncTest, EveryListMapsTheSharedModesBackAndTheKeyboardHasNoColourCycle) {
    const ModeCase cases[] = {
        {kind::Keyboard, 0, 5}, {kind::Keyboard, 1, 4}, {kind::Keyboard, 2, 17}, {kind::Keyboard, 3, {}},
        {kind::Keyboard, 4, 22}, {kind::Mouse, 0, 6},   {kind::Mouse, 1, 4},     {kind::Mouse, 2, 3},
        {kind::Mouse, 3, 1},    {kind::Mouse, 4, 7},    {kind::MousePad, 0, 2},  {kind::MousePad, 1, 3},
        {kind::MousePad, 2, 4}, {kind::MousePad, 3, 1}, {kind::Headset, 4, 8},   {kind::Mouse, 5, {}},
    };
    for (const ModeCase& c : cases) EXPECT_EQ(pageModeOf(c.kind, c.mode), c.sync) << c.kind << " sync " << +c.mode;
}

TEST(LightingSyncTest, StepPeriodsFollowTheTickThresholds) {
    // 5, 4, 3, 2, 1 and 28, 23, 18, 13, 7 counts of a 16 ms system tick.
    const uint32_t breathing[] = {80, 64, 48, 32, 16};
    const uint32_t others[] = {448, 368, 288, 208, 112};
    for (uint8_t speed = 0; speed < 5; ++speed) {
        EXPECT_EQ(syncStepPeriodMs(sync_mode::Breathing, speed), breathing[speed]);
        for (uint8_t mode = 1; mode < 5; ++mode) EXPECT_EQ(syncStepPeriodMs(mode, speed), others[speed]);
    }
    EXPECT_EQ(syncStepPeriodMs(sync_mode::Static, 200), 112u) << "a stored speed past the table";
}

TEST(LightingSyncTest, StaticSendsTheColourAtItsBrightnessAndOffSendsNothing) {
    SyncSettings settings;
    settings.colour = {10, 20, 30};
    settings.brightness = 4;  // 255
    SyncAnimator animator;
    EXPECT_EQ(animator.step(settings, 0), 0xFF1E140Au);
    settings.brightness = 1;  // 60
    EXPECT_EQ(animator.step(settings, 5), 0x3C1E140Au);
    settings.mode = sync_mode::Off;
    EXPECT_EQ(animator.step(settings, 10), 0u);
}

TEST(LightingSyncTest, BreathingIsRedWithTheLevelTableScalingTheBrightness) {
    SyncSettings settings;
    settings.mode = sync_mode::Breathing;
    settings.brightness = 4;
    settings.breathStep = 9;
    SyncAnimator animator;
    animator.restart(settings, 0);
    // Level entries 10, 11, 12 are 10, 12, 14: 255 × level / 256.
    EXPECT_EQ(animator.step(settings, 1), 0x090000FFu);
    EXPECT_EQ(animator.step(settings, 2), 0x0B0000FFu);
    EXPECT_EQ(animator.step(settings, 3), 0x0D0000FFu);
    settings.brightness = 0;
    EXPECT_EQ(animator.step(settings, 4), 0x000000FFu) << "brightness level 0 is dark red";
}

TEST(LightingSyncTest, BlinkTogglesEveryPeriodAndStridesTheWheelByFourteen) {
    SyncSettings settings;
    settings.mode = sync_mode::Blink;
    settings.speed = 2;  // a toggle every 600 ms
    settings.brightness = 2;  // 135
    settings.wheel = true;
    SyncAnimator animator;
    animator.restart(settings, 1000);
    EXPECT_EQ(animator.step(settings, 1100), 0u) << "off until the first toggle";
    // Wheel position 14: red still full, green 26 + 55 × 6 / 8 = 67.
    EXPECT_EQ(animator.step(settings, 1600), 0x870043FFu);
    EXPECT_EQ(animator.step(settings, 1700), 0x870043FFu) << "no toggle within the period";
    EXPECT_EQ(animator.step(settings, 2200), 0u);
    EXPECT_EQ(animator.wheelPosition(), 28);

    settings.wheel = false;
    settings.colour = {1, 2, 3};
    EXPECT_EQ(animator.step(settings, 2800), 0x87030201u) << "the stored colour without the wheel";
    // 14 × 13 = 182 is the last position; the next stride starts over at 0.
    for (uint32_t t = 3400; animator.wheelPosition() != 182; t += 600) animator.step(settings, t);
    animator.step(settings, 100000);
    EXPECT_EQ(animator.wheelPosition(), 0);
}

TEST(LightingSyncTest, ColourCycleWalksTheWholeWheelAndStartsOver) {
    SyncSettings settings;
    settings.mode = sync_mode::ColourCycle;
    settings.brightness = 4;
    SyncAnimator animator;
    animator.restart(settings, 0);
    // Position 1: red full, green 1 + 25 × 1 / 8 = 4.
    EXPECT_EQ(animator.step(settings, 0), 0xFF0004FFu);
    for (int i = 1; i < 191; ++i) animator.step(settings, 0);
    EXPECT_EQ(animator.wheelPosition(), 191);
    // Position 0 is pure red: the fading channel starts at full, the rising one at 1.
    EXPECT_EQ(animator.step(settings, 0), 0xFF0001FFu);
}

}  // namespace
}  // namespace talven::lighting
