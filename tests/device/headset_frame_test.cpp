// The headset's lighting frame: twelve 17-byte reports in their order, the
// LED halves of each component, the brightness scaling and the 247 cap.

#include "device/headset/headset_frame.h"
#include "device/lighting/led_frame.h"

#include <gtest/gtest.h>

#include <vector>

namespace talven::headset {
namespace {

using lighting::makeLed;

TEST(HeadsetFrame, TwelveReportsInTagAndCommandOrder) {
    const std::vector<uint32_t> leds(13, makeLed(10, 20, 30, 255));
    const FrameReports reports = buildFrameReports(leds);
    const uint8_t order[12][2] = {{0x22, 0xAA}, {0x22, 0xAD}, {0x44, 0xAA}, {0x44, 0xAD},
                                  {0x22, 0xAB}, {0x22, 0xAE}, {0x44, 0xAB}, {0x44, 0xAE},
                                  {0x22, 0xAC}, {0x22, 0xAF}, {0x44, 0xAC}, {0x44, 0xAF}};
    for (size_t i = 0; i < 12; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(reports[i].size(), 17u);
        EXPECT_EQ(reports[i][0], 0xFF);
        EXPECT_EQ(reports[i][1], order[i][0]);
        EXPECT_EQ(reports[i][2], order[i][1]);
        EXPECT_EQ(reports[i][3], 0);
    }
}

TEST(HeadsetFrame, ComponentsScaledSplitAndCapped) {
    std::vector<uint32_t> leds(13, 0);
    for (int i = 0; i < 13; ++i) leds[i] = makeLed(static_cast<uint8_t>(10 * i), 200, 255, 128);
    leds[12] = makeLed(255, 255, 255, 255);  // 255 × 255 / 256 = 254 → 247
    leds[0] = makeLed(248, 0, 0, 255);       // 247 exactly
    const FrameReports r = buildFrameReports(leds);
    // Red, LEDs 0..6 (0xAA): 10i × 128 / 256 = 5i, LED 0 248 × 255 / 256 = 247.
    const std::vector<uint8_t> redFirst = {247, 5, 10, 15, 20, 25, 30};
    EXPECT_EQ(std::vector<uint8_t>(r[0].begin() + 4, r[0].begin() + 11), redFirst);
    // Red, LEDs 7..12 (0xAD): six values, then padding.
    const std::vector<uint8_t> redSecond = {35, 40, 45, 50, 55, 247, 0, 0, 0, 0, 0, 0, 0};
    EXPECT_EQ(std::vector<uint8_t>(r[1].begin() + 4, r[1].end()), redSecond);
    EXPECT_EQ(r[2], (FrameReport{0xFF, 0x44, 0xAA, 0, 247, 5, 10, 15, 20, 25, 30}));
    // Green 200 × 128 / 256 = 100; blue 255 × 128 / 256 = 127; LED 0 has 0.
    EXPECT_EQ(r[4][4], 0);
    EXPECT_EQ(r[4][5], 100);
    EXPECT_EQ(r[9][4 + 4], 127);  // blue, LED 11
    EXPECT_EQ(r[9][4 + 5], 247);  // blue, LED 12 capped
}

TEST(HeadsetFrame, MissingLedsAreDark) {
    const std::vector<uint32_t> leds = {makeLed(255, 0, 0, 128)};
    const FrameReports r = buildFrameReports(leds);
    EXPECT_EQ(r[0][4], 127);
    for (size_t i = 5; i < 17; ++i) EXPECT_EQ(r[0][i], 0) << i;
    EXPECT_EQ(r[1], (FrameReport{0xFF, 0x22, 0xAD, 0}));
}

}  // namespace
}  // namespace talven::headset
