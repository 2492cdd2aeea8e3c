// The headset's HID side against the simulated headset: frames arrive as
// twelve 17-byte output reports (read raw from the headset's log), and the
// settings block is read packed and written in its profile window.

#include "device/headset/headset_protocol.h"
#include "device/lighting/led_frame.h"

#include "support/sim_fixture.h"

#include <gtest/gtest.h>

namespace talven::headset {
namespace {

using namespace channel_result;
using lighting::makeLed;
using sim::Area;

class HeadsetProtocolTest : public ::testing::Test {
protected:
    void SetUp() override {
        product.bind(channel);
        model().clearRequests();
    }
    sim::FirmwareModel& model() { return product.model(); }

    test::SimulatedProduct product{"headset"};
    CommandChannel channel;
    HeadsetProtocol link{channel};
};

TEST_F(HeadsetProtocolTest, AFrameIsTwelveOutputReportsOnTheHeadsetsInterface) {
    std::vector<uint32_t> leds(13, makeLed(0, 0, 0, 255));
    leds[0] = makeLed(128, 0, 0, 255);   // red 127 in (22 AA) and (44 AA), first value
    leds[12] = makeLed(0, 0, 255, 255);  // blue 254 → 247 in (22 AF) and (44 AF), sixth value
    ASSERT_EQ(link.sendFrame(leds), Success);
    // The headset answers in order: once this read is answered, the frame's
    // reports have all been taken.
    ASSERT_EQ(link.readSettings().result, Success);
    const auto reports = model().otherReports();
    ASSERT_EQ(reports.size(), 12u);
    for (const auto& r : reports) {
        EXPECT_EQ(r.size(), 17u);
        EXPECT_EQ(r[0], 0xFF);
    }
    EXPECT_EQ(reports[0][2], 0xAA);
    EXPECT_EQ(reports[0][4], 127);
    EXPECT_EQ(reports[2][1], 0x44);
    EXPECT_EQ(reports[2][4], 127);
    EXPECT_EQ(reports[9][1], 0x22);
    EXPECT_EQ(reports[9][2], 0xAF);
    EXPECT_EQ(reports[9][9], 247);
    EXPECT_EQ(reports[11][9], 247);
    for (const sim::Frame& f : model().requests()) EXPECT_EQ(sim::frameCommand(f), 0x05) << "only the read";
}

TEST_F(HeadsetProtocolTest, NothingIsSentWhileRefusedOrDisconnected) {
    const std::vector<uint32_t> leds(13, makeLed(255, 255, 255, 255));
    channel.setRefusal(true);
    EXPECT_EQ(link.sendFrame(leds), Refused);
    channel.setRefusal(false);
    channel.setConnected(false);
    EXPECT_EQ(link.sendFrame(leds), Refused);
    channel.setConnected(true);
    ASSERT_EQ(link.readSettings().result, Success);
    EXPECT_TRUE(model().otherReports().empty());
}

TEST_F(HeadsetProtocolTest, SettingsAreReadAtTwentyFiveAndWrittenAtSixtyFour) {
    const std::vector<uint8_t> one = {1};
    ASSERT_TRUE(model().write(Area::Config, 0, one));
    const std::vector<uint8_t> block1 = {9, 5, 2, 1, 1, 0, 10, 20, 30};  // speed 3 stored as 1
    ASSERT_TRUE(model().write(Area::Config, 25, block1));
    SettingsReading reading = link.readSettings();
    ASSERT_EQ(reading.result, Success);
    EXPECT_EQ(reading.activeProfile, 1);
    EXPECT_EQ(std::vector<uint8_t>(reading.block.begin(), reading.block.begin() + 9),
              (std::vector<uint8_t>{1, 5, 2, 3, 1, 0, 10, 20, 30}));
    reading.block[3] = 4;  // speed 4 goes out as 0
    ASSERT_EQ(link.writeSettings(1, reading.block), Success);
    EXPECT_EQ(model().read(Area::Config, 25, 9), (std::vector<uint8_t>{1, 5, 2, 0, 1, 0, 10, 20, 30}));
}

}  // namespace
}  // namespace talven::headset
