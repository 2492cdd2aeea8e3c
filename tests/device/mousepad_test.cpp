// The mouse pad: its settings block on the wire, its transactions against
// the simulated pad (memory read back from the pad's side), and its effect
// steps and step periods worked out by hand from the pad's formulas.

#include "device/lighting/led_frame.h"
#include "device/mousepad/mousepad_lighting.h"
#include "device/mousepad/mousepad_protocol.h"

#include "support/sim_fixture.h"

#include <gtest/gtest.h>

#include <vector>

namespace talven::mousepad {
namespace {

using namespace channel_result;
using lighting::makeLed;
using sim::Area;

// ---- the block on the wire ---------------------------------------------------------------

TEST(MousePadBlock, SpeedIsStoredAsFourMinusTheLevelBothWays) {
    struct Case {
        uint8_t level, stored;
    };
    for (const Case c : {Case{0, 4}, Case{1, 3}, Case{2, 2}, Case{3, 1}, Case{4, 0}}) {
        SettingsBlock block{};
        block[3] = c.level;
        EXPECT_EQ(toWire(block)[3], c.stored) << int(c.level);
        std::array<uint8_t, kBlockSize> wire{};
        wire[3] = c.stored;
        EXPECT_EQ(fromWire(wire)[3], c.level) << int(c.stored);
    }
}

TEST(MousePadBlock, LightingFieldsLandInTheirBytesAndTheRestStays) {
    SettingsBlock block{};
    for (size_t i = 0; i < block.size(); ++i) block[i] = static_cast<uint8_t>(0xA0 + i);
    LightSettings light;
    light.selectItem = 6, light.light = 3, light.speed = 1, light.fx = 1, light.multiColor = 0;
    light.red = 10, light.green = 20, light.blue = 30;
    storeLight(block, light);
    const std::array<uint8_t, kWrittenBytes> wire = toWire(block);
    const std::array<uint8_t, 9> head = {0xA0, 6, 3, 3, 1, 0, 10, 20, 30};
    for (size_t i = 0; i < head.size(); ++i) EXPECT_EQ(wire[i], head[i]) << i;
    for (size_t i = 9; i < kWrittenBytes; ++i) EXPECT_EQ(wire[i], 0xA0 + i) << "byte " << i << " kept";
    EXPECT_EQ(lightOf(block), light);
}

TEST(MousePadBlock, ReadPackedWrittenInWindows) {
    EXPECT_EQ(readOffset(0), 0);
    EXPECT_EQ(readOffset(1), 25);
    EXPECT_EQ(readOffset(4), 100);
    EXPECT_EQ(writeOffset(1), 64);
    EXPECT_EQ(writeOffset(4), 256);
}

// ---- transactions against the simulated pad ----------------------------------------------

class MousePadProtocolTest : public ::testing::Test {
protected:
    void SetUp() override {
        product.bind(channel);
        model().clearRequests();
    }
    sim::FirmwareModel& model() { return product.model(); }
    uint8_t memory(size_t at) { return model().area(Area::Config).at(at); }
    std::vector<std::pair<int, int>> chunks(uint8_t command) {
        std::vector<std::pair<int, int>> out;
        for (const sim::Frame& f : model().requests())
            if (sim::frameCommand(f) == command) out.emplace_back(sim::frameLength(f), sim::frameOffset(f));
        return out;
    }

    test::SimulatedProduct product{"mousepad"};
    CommandChannel channel;
    MousePadProtocol pad{channel};
};

TEST_F(MousePadProtocolTest, AttachReadsTheCapabilityRecordInsideOneTransaction) {
    ASSERT_EQ(pad.attach(), Success);
    std::vector<uint8_t> commands;
    for (const sim::Frame& f : model().requests()) commands.push_back(sim::frameCommand(f));
    EXPECT_EQ(commands, (std::vector<uint8_t>{0x01, 0x03, 0x02}));
    EXPECT_EQ(pad.info()[2], 3) << "device type: mouse pad";
    EXPECT_EQ(pad.info()[4], 15) << "fifteen LEDs";
}

TEST_F(MousePadProtocolTest, ProfileOneIsReadAtOffset25WithItsSpeedAsALevel) {
    const std::vector<uint8_t> active = {1};
    ASSERT_TRUE(model().write(Area::Config, 0, active));
    const std::vector<uint8_t> record = {9, 6, 2, 3, 1, 0, 11, 22, 33};
    ASSERT_TRUE(model().write(Area::Config, 25, record));
    const SettingsReading reading = pad.readSettings();
    ASSERT_EQ(reading.result, Success);
    EXPECT_EQ(chunks(0x05), (std::vector<std::pair<int, int>>{{1, 0}, {25, 25}}));
    EXPECT_EQ(reading.activeProfile, 1);
    EXPECT_EQ(reading.block[0], 1) << "byte 0 is the active profile, not the record's own byte";
    EXPECT_EQ(reading.block[3], 1) << "stored 3 reads as speed 1";
    EXPECT_EQ(reading.block[1], 6);
    EXPECT_EQ(reading.block[8], 33);
}

TEST_F(MousePadProtocolTest, WriteSendsBytes0To20AtProfileTimes64) {
    SettingsBlock block{};
    block[1] = 7, block[2] = 4, block[3] = 1, block[6] = 0x12, block[20] = 0x55, block[21] = 0x99;
    ASSERT_EQ(pad.writeSettings(0, block), Success);
    EXPECT_EQ(chunks(0x06), (std::vector<std::pair<int, int>>{{21, 0}}));
    EXPECT_EQ(memory(3), 3) << "speed 1 goes out as 3";
    EXPECT_EQ(memory(1), 7);
    EXPECT_EQ(memory(20), 0x55);
    EXPECT_NE(memory(21), 0x99) << "byte 21 is not written";
    EXPECT_EQ(model().beginCount(), 1u);
    EXPECT_EQ(model().endCount(), 1u);

    model().clearRequests();
    ASSERT_EQ(pad.writeSettings(1, block), Success);
    EXPECT_EQ(chunks(0x06), (std::vector<std::pair<int, int>>{{21, 64}}));
    EXPECT_EQ(memory(25 + 1), 7) << "the window of profile 1 is the block read at 25";
    EXPECT_EQ(memory(25 + 3), 3);
}

TEST_F(MousePadProtocolTest, ARefusedWriteIsNotReportedAsWritten) {
    model().setFault(sim::FaultKind::StatusFF, 0);
    EXPECT_NE(pad.writeSettings(0, SettingsBlock{}), Success);
    model().clearFault();
    channel.setConnected(false);
    EXPECT_EQ(pad.writeSettings(0, SettingsBlock{}), Refused);
}

TEST_F(MousePadProtocolTest, AFailedReadKeepsNothing) {
    model().setFault(sim::FaultKind::StatusFF, 0);
    EXPECT_NE(pad.readSettings().result, Success);
}

// ---- effects and periods -----------------------------------------------------------------

TEST(MousePadLighting, ModesMapToTheirEffects) {
    const std::vector<std::pair<uint8_t, PadEffect>> table = {
        {0, PadEffect::Wave},        {1, PadEffect::SpectrumCycle}, {2, PadEffect::BreathingSpectrum},
        {3, PadEffect::Static},      {4, PadEffect::Blink},         {5, PadEffect::Custom},
        {6, PadEffect::RippleDown},  {7, PadEffect::RippleAcross},  {8, PadEffect::Off},
        {9, PadEffect::Custom},      {200, PadEffect::Custom}};
    for (const auto& [mode, effect] : table) EXPECT_EQ(effectForMode(mode), effect) << int(mode);
}

// A pass is a 1 ms wait and a 1 ms sleep.
TEST(MousePadLighting, StepPeriodsAreThePassCountsOf2Ms) {
    const std::vector<std::pair<uint8_t, uint32_t>> table = {{0, 56}, {1, 46}, {2, 36}, {3, 26}, {4, 14}, {5, 2}, {255, 2}};
    for (const auto& [speed, ms] : table) EXPECT_EQ(stepPeriodMs(speed), ms) << int(speed);
}

TEST(MousePadLighting, SpectrumWaveOfModeZeroPutsLedsSevenColoursApart) {
    std::vector<uint32_t> frame(kPadLeds);
    lighting::LightParams params;
    params.light = 4, params.fx = 1, params.multiColor = 1;
    lighting::AnimationState state;
    lighting::RippleState ripple;
    state.step = 10;
    stepPadEffect(PadEffect::Wave, frame, params, state, ripple, 0);
    EXPECT_EQ(state.step, 11);
    // LED 2: spectrum[(11 + 1 + 14) mod 192] = entry 26, in the red-to-green
    // segment (red full, green rising); LED 14: entry 11 + 1 + 98 = 110, in
    // green-to-blue (green falling, blue rising; red 0).
    EXPECT_EQ(lighting::ledRed(frame[2]), 255);
    EXPECT_EQ(lighting::ledBlue(frame[2]), 0);
    EXPECT_EQ(lighting::ledRed(frame[14]), 0);
    EXPECT_GT(lighting::ledBlue(frame[14]), 0);
    EXPECT_EQ(lighting::ledBrightness(frame[14]), 255);
}

TEST(MousePadLighting, UserColourWaveUsesLevelTimesWaveOver256) {
    std::vector<uint32_t> frame(kPadLeds);
    lighting::LightParams params;
    params.light = 2, params.fx = 1, params.multiColor = 0, params.red = 1, params.green = 2, params.blue = 3;
    lighting::AnimationState state;
    lighting::RippleState ripple;
    stepPadEffect(PadEffect::Wave, frame, params, state, ripple, 0);
    ASSERT_EQ(state.step, 1);
    // wave = breathing entries 16..63 rising, then falling. LED 0: index 2 →
    // breathing[18] = 27, 135 × 27 / 256 = 14. LED 7: index 51 → falling
    // half, entry 95 − 51 = 44 of the rise → breathing[60] = 234,
    // 135 × 234 / 256 = 123.
    EXPECT_EQ(frame[0], makeLed(1, 2, 3, 14));
    EXPECT_EQ(frame[7], makeLed(1, 2, 3, 123));
    // Backward from 0 the phase goes to 95: LED 0 reads index 96 mod 96 = 0,
    // breathing[16] = 22 → 135 × 22 / 256 = 11.
    params.fx = 0;
    state.step = 0;
    stepPadEffect(PadEffect::Wave, frame, params, state, ripple, 0);
    EXPECT_EQ(state.step, 95);
    EXPECT_EQ(frame[0], makeLed(1, 2, 3, 11));
}

// The ripple enters at the first pair and moves one pair every second step.
TEST(MousePadLighting, RippleCrossesThePadPairByPair) {
    std::vector<uint32_t> frame(kPadLeds);
    lighting::LightParams params;
    params.light = 4, params.fx = 1, params.red = 200;
    lighting::AnimationState state;
    lighting::RippleState ripple;
    auto lit = [&](uint8_t led) { return lighting::ledBrightness(frame[led]) > 0; };
    stepPadEffect(PadEffect::RippleDown, frame, params, state, ripple, 0);
    EXPECT_FALSE(lit(0)) << "the first step only counts";
    stepPadEffect(PadEffect::RippleDown, frame, params, state, ripple, 0);
    // Hit at position 0, full then one fast decay: 255 − 40 = 215 at level 255.
    EXPECT_EQ(frame[0], makeLed(200, 0, 0, 255 * 215 / 256));
    EXPECT_FALSE(lit(1));
    stepPadEffect(PadEffect::RippleDown, frame, params, state, ripple, 0);
    stepPadEffect(PadEffect::RippleDown, frame, params, state, ripple, 0);
    EXPECT_TRUE(lit(1));
    EXPECT_TRUE(lit(14)) << "LED 1 and LED 14 face each other";
    EXPECT_EQ(frame[1], frame[14]);
    EXPECT_FALSE(lit(2));

    // Backward the same ripple enters at the last pair (LEDs 7 and 8).
    state = {};
    ripple = {};
    params.fx = 0;
    std::fill(frame.begin(), frame.end(), 0);
    stepPadEffect(PadEffect::RippleAcross, frame, params, state, ripple, 0);
    stepPadEffect(PadEffect::RippleAcross, frame, params, state, ripple, 0);
    EXPECT_TRUE(lit(4)) << "the right edge's column first";
    EXPECT_FALSE(lit(12));
}

TEST(MousePadLighting, CustomSetPlaysEachStepForItsTime) {
    std::vector<uint32_t> frame(kPadLeds);
    CustomLightPlayer player;
    LedEffect red{3, 4, 0, 0, 0, 255, 0, 0, 100, 0};
    LedEffect off{8, 4, 4, 0, 0, 0, 0, 0, 50, 0};
    player.setSteps({red, off}, 1000);
    player.step(frame, 1000);
    EXPECT_EQ(frame[5], makeLed(255, 0, 0, 255));
    EXPECT_EQ(player.periodMs(), 56u);
    player.step(frame, 1099);
    EXPECT_EQ(player.currentStep(), 0u);
    player.step(frame, 1100);
    EXPECT_EQ(player.currentStep(), 1u);
    EXPECT_EQ(frame[5], 0u);
    EXPECT_EQ(player.periodMs(), 14u);
    player.step(frame, 1150);
    EXPECT_EQ(player.currentStep(), 0u) << "round and round";
    // A set whose step is itself a custom set shows dark.
    player.setSteps({LedEffect{9, 4, 0, 0, 0, 255, 255, 255, 100, 0}}, 0);
    frame.assign(kPadLeds, 0xFFFFFFFF);
    player.step(frame, 0);
    EXPECT_EQ(frame[0], 0u);
}

TEST(MousePadLighting, TheEdgeAreaSetsEveryLed) {
    std::vector<uint32_t> frame(kPadLeds, makeLed(1, 1, 1, 1));
    LedEntry edge{};
    edge.mode = 0, edge.present = 1;
    applyAreaSettings(frame, std::vector<LedEntry>{edge});
    EXPECT_EQ(frame[3], makeLed(1, 1, 1, 1)) << "a running effect is left alone";
    edge.mode = 3, edge.brightness = 1, edge.red = 9, edge.green = 8, edge.blue = 7;
    applyAreaSettings(frame, std::vector<LedEntry>{edge});
    EXPECT_EQ(frame[14], makeLed(9, 8, 7, 60));
    edge.mode = 8;
    applyAreaSettings(frame, std::vector<LedEntry>{edge});
    EXPECT_EQ(frame[0], 0u);
}

}  // namespace
}  // namespace talven::mousepad
