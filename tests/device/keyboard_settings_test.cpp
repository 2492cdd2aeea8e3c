// The keyboard settings page's values: which option shows a value, and the
// profile words they travel in.

#include "device/keyboard/keyboard_settings.h"

#include <gtest/gtest.h>

namespace talven::keyboard {
namespace {

TEST(KeyboardSettingsTest, RepeatRateChecksCoverEightRatesEach) {
    const std::pair<uint16_t, std::optional<int>> cases[] = {
        {0, 0}, {7, 0}, {8, 1}, {23, 2}, {24, 3}, {31, 3}, {32, std::nullopt}, {0xFFFF, std::nullopt}};
    for (const auto& [rate, check] : cases) EXPECT_EQ(repeatRateCheck(rate), check) << rate;
    // The rate a check stands for shows that same check again.
    for (int check = 0; check < kSettingOptions; ++check) EXPECT_EQ(repeatRateCheck(repeatRateForCheck(check)), check);
}

TEST(KeyboardSettingsTest, OutOfRangeIndicesShowTheFirstOption) {
    const std::pair<uint16_t, int> cases[] = {{0, 0}, {3, 3}, {4, 0}, {7, 0}};
    for (const auto& [value, option] : cases) {
        EXPECT_EQ(pollingRateOption(value), option) << value;
        EXPECT_EQ(repeatDelayCheck(value), option) << value;
    }
    EXPECT_EQ(repeatDelayLabelMs(0), 250u);
    EXPECT_EQ(repeatDelayLabelMs(2), 750u);
    EXPECT_EQ(repeatDelayLabelMs(3), 1000u);
}

TEST(KeyboardSettingsTest, ProfileWordsHoldTheSixValuesInHalves) {
    const KeyboardSystemSettings settings{31, 2, 1, 3, 1, 0};
    const KeyboardSystemWords words = settings.toWords();
    EXPECT_EQ(words, (KeyboardSystemWords{31 | 2u << 16, 1 | 3u << 16, 1}));
    EXPECT_EQ(KeyboardSystemSettings::fromWords(words), settings);
    EXPECT_EQ(settings.switches(), (KeyboardSwitches{1, 1, 0, 3}));
}

}  // namespace
}  // namespace talven::keyboard
