#include "profile/profile_records.h"

#include <gtest/gtest.h>

namespace talven {
namespace {

TEST(DoubleClickLevelTest, TimesReadAsLevelsWithinTheSlider) {
    // 10 - (ms - 200) / 70, the time kept to 200..900 ms first.
    const std::pair<uint32_t, uint16_t> cases[] = {{200, 10}, {269, 10}, {270, 9}, {500, 6}, {400, 8},
                                                   {900, 0}, {100, 10}, {0, 10}, {1100, 0}, {60000, 0}};
    for (auto [ms, level] : cases) EXPECT_EQ(doubleClickLevel(ms), level) << ms;
}

TEST(DoubleClickLevelTest, LevelsWriteAsTimes) {
    // (maximum - level + 1) x 100 ms; a level above the maximum counts as the maximum.
    struct Case {
        uint32_t maximum, level, ms;
    };
    for (const Case& c : {Case{10, 10, 100}, Case{10, 6, 500}, Case{10, 0, 1100}, Case{10, 14, 100},
                          Case{20, 5, 1600}}) {
        EXPECT_EQ(doubleClickMsFromLevel(c.maximum, c.level), c.ms) << c.maximum << ' ' << c.level;
    }
    // Both ends of the slider come back as themselves.
    EXPECT_EQ(doubleClickLevel(doubleClickMsFromLevel(10, 10)), 10);
    EXPECT_EQ(doubleClickLevel(doubleClickMsFromLevel(10, 0)), 0);
}

}  // namespace
}  // namespace talven
