// The mouse's transactions against the simulated mice: the frames on the
// wire and what ends up in the mouse's memory, read from the mouse's side.

#include "device/mouse/mouse_protocol.h"

#include "support/macro_image.h"
#include "support/sim_fixture.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace talven::mouse {
namespace {

using namespace channel_result;
using sim::Area;
using test::SimulatedProduct;

// The simulated mouse's factory order: back before forward, the DPI cycle
// before the G key, and an unassigned twelfth slot.
const ButtonMap kSimMap = {0, 1, 2, 4, 3, 5, 6, 8, 7, 9, 10};
constexpr size_t kSimSlots = 12;

class MouseProtocolTest : public ::testing::Test {
protected:
    explicit MouseProtocolTest(const std::string& name = "mouse") : product(name) {}
    void SetUp() override {
        product.bind(channel);
        model().clearRequests();
    }
    sim::FirmwareModel& model() { return product.model(); }
    std::vector<uint8_t> commands() {
        std::vector<uint8_t> out;
        for (const Frame& f : model().requests()) out.push_back(frameCommand(f));
        return out;
    }
    // Chunk lengths and offsets of the frames with `command`.
    std::vector<std::pair<int, int>> chunks(uint8_t command) {
        std::vector<std::pair<int, int>> out;
        for (const Frame& f : model().requests())
            if (frameCommand(f) == command) out.emplace_back(frameLength(f), frameOffset(f));
        return out;
    }
    void attachFirst() {
        ASSERT_EQ(mouse.attach(), Success);
        model().clearRequests();
    }
    // Macros of the given event counts, each event "delay 5, type 1, down, button n".
    static std::vector<EncodedMacro> macros(const std::vector<size_t>& counts) {
        std::vector<EncodedMacro> out;
        for (size_t m = 0; m < counts.size(); ++m)
            out.emplace_back(counts[m], MacroEventBytes{5, 0, 0x81, static_cast<uint8_t>(m)});
        return out;
    }

    SimulatedProduct product;
    CommandChannel channel;
    MouseProtocol mouse{channel};
};

TEST_F(MouseProtocolTest, AttachReadsCapabilitiesAndButtonsInOneTransaction) {
    ASSERT_EQ(mouse.attach(), Success);
    EXPECT_EQ(commands(), (std::vector<uint8_t>{0x01, 0x03, 0x07, 0x02}));
    EXPECT_EQ(chunks(0x07), (std::vector<std::pair<int, int>>{{36, 0}}));
    EXPECT_EQ(channel.tableSize(), kSimSlots * 3);
    EXPECT_EQ(mouse.buttonMap(), kSimMap);
    EXPECT_TRUE(mouse.attached());
    EXPECT_EQ(mouse.capabilities().macroCapacity, 16u * 128u);
}

TEST_F(MouseProtocolTest, AttachRefusesATableAbove512BytesAndStillEndsTheTransaction) {
    ASSERT_TRUE(model().write(Area::Info, 5, std::vector<uint8_t>{171}));  // 513 bytes
    EXPECT_EQ(mouse.attach(), kTableTooLarge);
    EXPECT_EQ(commands(), (std::vector<uint8_t>{0x01, 0x03, 0x02}));
    EXPECT_FALSE(mouse.attached());
}

TEST_F(MouseProtocolTest, ButtonsGoToTheirSlotsAndUnmappedSlotsAreZero) {
    // No M8 in this mouse's table: its assignment must never be sent.
    ASSERT_TRUE(model().write(Area::KeyTable, 30, std::vector<uint8_t>{0, 0, 0}));
    attachFirst();
    EXPECT_EQ(mouse.buttonMap()[10], kNotPresent);
    std::vector<KeyCode> assignments;
    for (uint8_t j = 0; j < kLogicalButtons; ++j) assignments.push_back({0x20, static_cast<uint8_t>(0x04 + j), 0x00});
    ASSERT_EQ(mouse.writeButtons(0, assignments), Success);
    EXPECT_EQ(commands(), (std::vector<uint8_t>{0x03, 0x01, 0x09, 0x02}));
    EXPECT_EQ(chunks(0x09), (std::vector<std::pair<int, int>>{{36, 0}}));
    const std::vector<uint8_t> expected = {
        0x20, 0x04, 0, 0x20, 0x05, 0, 0x20, 0x06, 0, 0x20, 0x08, 0,  // left, right, middle, back
        0x20, 0x07, 0, 0x20, 0x09, 0, 0x20, 0x0A, 0, 0x20, 0x0C, 0,  // forward, DPI+, DPI-, DPI cycle
        0x20, 0x0B, 0, 0x20, 0x0D, 0, 0, 0, 0, 0, 0, 0,              // G, game mode, (M8 absent), unassigned
    };
    EXPECT_EQ(*model().read(Area::KeyAssignments, 0, 36), expected);
    // The factory codes stay readable for the next attach.
    EXPECT_EQ(*model().read(Area::KeyTable, 0, 3), (std::vector<uint8_t>{0x10, 0x01, 0x00}));
}

TEST_F(MouseProtocolTest, ButtonsAreNotWrittenWithoutTheMapOrForAnotherProfile) {
    const std::vector<KeyCode> none;
    EXPECT_EQ(mouse.writeButtons(0, none), Refused);
    EXPECT_TRUE(model().requests().empty());
    attachFirst();
    EXPECT_EQ(mouse.writeButtons(1, none), BadTableIndex);
    EXPECT_EQ(commands(), (std::vector<uint8_t>{0x03, 0x01, 0x02}));
}

TEST_F(MouseProtocolTest, ReadSettingsOfProfileTwoReads75BytesAt256) {
    const std::vector<uint8_t> block = {7, 5, 2, 1, 0, 1, 0x11, 0x22, 0x33, 0, 0, 4, 3, 1};
    ASSERT_TRUE(model().write(Area::Config, 256, block));
    ASSERT_TRUE(model().write(Area::Config, 0, std::vector<uint8_t>{2}));
    channel.setPaused(true);
    const SettingsReading r = mouse.readSettings();
    ASSERT_EQ(r.result, Success);
    EXPECT_FALSE(channel.paused());
    EXPECT_EQ(chunks(0x05), (std::vector<std::pair<int, int>>{{1, 0}, {56, 256}, {19, 312}}));
    EXPECT_EQ(r.activeProfile, 2);
    EXPECT_EQ(r.decoded.profile, 2);  // not the 7 the block holds
    EXPECT_EQ(r.decoded.light.selectItem, 5);
    EXPECT_EQ(r.decoded.light.speed, 3);
    EXPECT_EQ(r.decoded.light.green, 0x22);
    EXPECT_EQ(r.decoded.activeStage, 3);
    EXPECT_EQ(mouse.settingsBlock()[0], 2);
}

TEST_F(MouseProtocolTest, AFailedReadKeepsTheLastGoodBlock) {
    ASSERT_EQ(mouse.readSettings().result, Success);
    const SettingsBlock before = mouse.settingsBlock();
    model().setFault(sim::FaultKind::StatusFF, 2);
    ASSERT_TRUE(model().write(Area::Config, 1, std::vector<uint8_t>{8}));
    EXPECT_EQ(mouse.readSettings().result, StatusFailed);
    EXPECT_EQ(mouse.settingsBlock(), before);
}

TEST_F(MouseProtocolTest, SettingsBlockWrites70BytesAtTheProfileAndKeepsTheReadOnlyTail) {
    MouseSettings s;
    s.light.selectItem = 9;
    s.light.light = 2;
    s.light.speed = 1;
    s.stages = {{1, 0, 6, 6, 1, 2, 3}};
    const std::vector<uint8_t> tailBefore = *model().read(Area::Config, 128 + 70, 5);
    ASSERT_EQ(mouse.writeSettings(1, 0, s, {1, 1920, 1080}), Success);
    EXPECT_EQ(commands(), (std::vector<uint8_t>{0x01, 0x06, 0x06, 0x02}));
    EXPECT_EQ(chunks(0x06), (std::vector<std::pair<int, int>>{{56, 128}, {14, 184}}));
    const std::vector<uint8_t> written = *model().read(Area::Config, 128, 70);
    const std::vector<uint8_t> head = {0, 0, 2, 3, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 0, 6, 0, 6, 0, 1, 2, 3};
    EXPECT_EQ(std::vector<uint8_t>(written.begin(), written.begin() + 23), head);
    EXPECT_EQ(std::vector<uint8_t>(written.begin() + 23, written.begin() + 59), std::vector<uint8_t>(36, 0));
    EXPECT_EQ(std::vector<uint8_t>(written.begin() + 59, written.begin() + 64),
              (std::vector<uint8_t>{1, 0x80, 0x07, 0x38, 0x04}));
    EXPECT_EQ(*model().read(Area::Config, 128 + 70, 5), tailBefore);
}

TEST_F(MouseProtocolTest, MacroImageOfExactlyTheCapacityIsSentOneEventMoreIsNot) {
    attachFirst();
    // 16 + 6 x 2 + 4 x 505 = 2048, the mouse's sixteen units of 128.
    ASSERT_EQ(mouse.writeMacros(macros({250, 255})), 0);
    EXPECT_EQ(commands().front(), 0x03);
    EXPECT_EQ(chunks(0x15).size(), 37u);  // 2048 bytes in chunks of 56
    std::string why;
    const auto image = test::decodeMacroImage(model().area(Area::Macro), &why);
    ASSERT_TRUE(image) << why;
    EXPECT_EQ(image->length, 2048u);
    ASSERT_EQ(image->macros.size(), 2u);
    EXPECT_EQ(image->macros[1].size(), 255u);
    EXPECT_EQ(image->macros[1][0], (test::ImageEvent{5, 1, true, 1}));

    model().clearRequests();
    EXPECT_EQ(mouse.writeMacros(macros({250, 256})), 2);
    EXPECT_EQ(commands(), (std::vector<uint8_t>{0x03}));
    model().clearRequests();
    EXPECT_EQ(mouse.writeMacros({}), 0);
    EXPECT_TRUE(model().requests().empty());
}

TEST_F(MouseProtocolTest, NothingIsSentWhileDisconnected) {
    channel.setConnected(false);
    EXPECT_EQ(mouse.attach(), Refused);
    EXPECT_EQ(mouse.readSettings().result, Refused);
    EXPECT_EQ(mouse.writeSettings(0, 0, {}, {}), Refused);
    EXPECT_EQ(mouse.writeMacros(macros({1})), kMacrosNotWritten);
    EXPECT_TRUE(model().requests().empty());
}

class WirelessMouseTest : public MouseProtocolTest {
protected:
    WirelessMouseTest() : MouseProtocolTest("mouse-wireless") {}
    void SetUp() override {
        MouseProtocolTest::SetUp();
        channel.setSlowLink(true);
    }
    void setLink(const char* state) {
        ASSERT_EQ(product.device().control({"link", "mouse-wireless", state}), std::optional<std::string>("ok"));
    }
};

TEST_F(WirelessMouseTest, EveryCommandHasItsOwnLinkCheck) {
    ASSERT_EQ(mouse.attach(), Success);
    EXPECT_EQ(commands(), (std::vector<uint8_t>{0xAA, 0x01, 0xAA, 0x03, 0xAA, 0x07, 0xAA, 0x02}));
    model().clearRequests();
    MouseSettings s;
    s.light.speed = 1;
    ASSERT_EQ(mouse.writeSettings(0, 0, s, {}), Success);
    EXPECT_EQ(commands(), (std::vector<uint8_t>{0xAA, 0x01, 0xAA, 0x06, 0x06, 0xAA, 0x02}));
    EXPECT_EQ(*model().read(Area::Config, 3, 1), std::vector<uint8_t>{1});  // the speed as it is
}

TEST_F(WirelessMouseTest, AMouseOutOfReachMakesEveryStepFailAfterItsCheck) {
    ASSERT_EQ(mouse.attach(), Success);
    const auto before = model().area(Area::Config);
    setLink("down");
    model().clearRequests();
    const std::vector<uint8_t> checkOnly = {0xAA};
    EXPECT_EQ(mouse.attach(), Refused);
    EXPECT_EQ(commands(), checkOnly);
    model().clearRequests();
    EXPECT_EQ(mouse.readSettings().result, Refused);
    EXPECT_EQ(commands(), checkOnly);
    model().clearRequests();
    EXPECT_EQ(mouse.writeButtons(0, std::vector<KeyCode>{}), Refused);
    EXPECT_EQ(commands(), checkOnly);
    model().clearRequests();
    EXPECT_EQ(mouse.writeSettings(0, 0, {}, {}), Refused);
    EXPECT_EQ(commands(), checkOnly);
    model().clearRequests();
    EXPECT_EQ(mouse.writeMacros(macros({3})), kMacrosNotWritten);
    EXPECT_EQ(commands(), checkOnly);
    EXPECT_EQ(model().area(Area::Config), before);
    setLink("up");
    EXPECT_EQ(mouse.writeSettings(0, 0, {}, {}), Success);
}

}  // namespace
}  // namespace talven::mouse
