// The keyboard's transactions against the simulated keyboard: the frames on
// the wire and what ends up in the keyboard's memory.

#include "device/keyboard/keyboard_protocol.h"

#include "device/keyboard/keyboard_lighting.h"
#include "support/sim_fixture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

namespace talven::keyboard {
namespace {

using namespace channel_result;
using sim::Area;
using sim::FaultKind;
using test::SimulatedProduct;

std::string head(const Frame& f, size_t n = 8) {
    std::string out;
    char cell[4];
    for (size_t i = 0; i < n; ++i) {
        std::snprintf(cell, sizeof cell, "%02x", f[i]);
        out += (i ? " " : "") + std::string(cell);
    }
    return out;
}

size_t columnPosition(size_t key) { return (key % kColumns) * kRows + key / kColumns; }

class KeyboardProtocolTest : public ::testing::Test {
protected:
    explicit KeyboardProtocolTest(const std::string& name = "keyboard") : product(name) {}
    void SetUp() override {
        product.bind(channel);
        product.model().clearRequests();
    }
    sim::FirmwareModel& model() { return product.model(); }
    std::vector<Frame> sent() { return model().requests(); }
    std::vector<uint8_t> commands() {
        std::vector<uint8_t> out;
        for (const Frame& f : sent()) out.push_back(frameCommand(f));
        return out;
    }
    void readFirst() {
        ASSERT_EQ(kb.readKeyboardData(), Success);
        model().clearRequests();
    }

    SimulatedProduct product;
    CommandChannel channel;
    KeyboardProtocol kb{channel};
};

TEST_F(KeyboardProtocolTest, ReadKeyboardDataFrames) {
    ASSERT_EQ(kb.readKeyboardData(), Success);
    const std::vector<uint8_t> expected = {cmd::Begin, cmd::ReadInfo, 7, 7, 7, 7, 7, 7, 7, 0x1B, 0x1B, 0x1B, cmd::End};
    ASSERT_EQ(commands(), expected);
    const auto f = sent();
    EXPECT_EQ(head(f[0], 12), "04 01 00 01 00 00 00 00 00 00 00 00");
    EXPECT_EQ(head(f[1]), "04 25 00 03 22 00 00 00");
    EXPECT_EQ(head(f[2]), "04 3f 00 07 38 00 00 00");
    EXPECT_EQ(head(f[8]), "04 82 00 07 2a 50 01 00");  // 378 bytes: the last 42 at 336
    EXPECT_EQ(head(f[11]), "04 99 00 1b 0e 70 00 00");  // 126 light bytes: the last 14 at 112
    EXPECT_EQ(head(f[12]), "04 02 00 02 00 00 00 00");
    EXPECT_EQ(channel.tableSize(), 378);
    EXPECT_EQ(kb.keyCount(), 126);
    EXPECT_EQ(kb.macroCapacity(), 32u * 128u);
    EXPECT_EQ(kb.maps().keyPosition[1], 6);
    EXPECT_EQ(kb.maps().lightPosition[1], 1);
    EXPECT_EQ(kb.maps().keyPosition[104], columnPosition(18));
    EXPECT_EQ(kb.maps().lightPosition[103], 100);
}

TEST_F(KeyboardProtocolTest, NothingHappensWhileDisconnected) {
    channel.setConnected(false);
    EXPECT_EQ(kb.readKeyboardData(), Refused);
    StatusRecord status{};
    EXPECT_EQ(kb.readStatus(status), Refused);
    EXPECT_EQ(kb.readProfileRecord().result, Refused);
    EXPECT_EQ(kb.writeProfileRecord(0, 0, {}, {}), Refused);
    EXPECT_EQ(kb.writeKeyTable(0, {}), Refused);
    EXPECT_TRUE(sent().empty());
}

TEST_F(KeyboardProtocolTest, KeyCountAboveTheTableSizeStopsReading) {
    readFirst();
    const KeyMaps before = kb.maps();
    for (uint8_t count : {171, 255}) {
        SCOPED_TRACE(int(count));
        ASSERT_TRUE(model().write(Area::Info, sim::kInfoKeyCount, std::vector<uint8_t>{count}));
        EXPECT_EQ(kb.readKeyboardData(), kTableTooLarge);
        // The transaction is closed again; no table is asked for.
        EXPECT_EQ(commands(), (std::vector<uint8_t>{cmd::Begin, cmd::ReadInfo, cmd::End}));
        EXPECT_EQ(kb.maps(), before);
        EXPECT_FALSE(model().inTransaction());
        model().clearRequests();
    }
    ASSERT_TRUE(model().write(Area::Info, sim::kInfoKeyCount, std::vector<uint8_t>{170}));
    EXPECT_EQ(kb.readKeyboardData(), Success);
    EXPECT_EQ(channel.tableSize(), 510);
}

TEST_F(KeyboardProtocolTest, AFailedInformationReadKeepsTheMaps) {
    readFirst();
    const KeyMaps before = kb.maps();
    const DeviceInfo info = kb.info();
    model().setFault(FaultKind::StatusFF, 2);  // begin and the information read
    EXPECT_EQ(kb.readKeyboardData(), StatusFailed);
    EXPECT_EQ(commands(), (std::vector<uint8_t>{cmd::Begin, cmd::ReadInfo, cmd::End}));
    EXPECT_FALSE(model().inTransaction()) << "the keyboard is not left inside the transaction";
    EXPECT_EQ(kb.maps(), before);
    EXPECT_EQ(kb.info(), info);
}

TEST_F(KeyboardProtocolTest, KeyTableGoesToTheKeysPositions) {
    readFirst();
    const auto factory = model().area(Area::KeyTable);
    std::vector<KeyCode> codes(kDefaultCodes.begin(), kDefaultCodes.end());
    codes[64] = {0x20, 0x00, 0x05};  // A sends B
    EXPECT_EQ(kb.writeKeyTable(0, codes), Success);
    EXPECT_EQ(commands(), (std::vector<uint8_t>{cmd::ReadInfo, cmd::Begin, 9, 9, 9, 9, 9, 9, 9, cmd::End}));
    // A sits in the first chunk: its checksum is one above the factory table's.
    EXPECT_EQ(head(sent()[2]), "04 a5 04 09 38 00 00 00");
    auto expected = factory;
    expected[3 * columnPosition(64) + 2] = 0x05;
    for (size_t key : {19, 20, 62, 104}) expected[3 * columnPosition(key)] = 0;  // see below
    EXPECT_EQ(model().area(Area::KeyAssignments), expected);

    // The keyboard still reports its factory table, so the keys are found
    // at the same positions on the next connection.
    const KeyMaps maps = kb.maps();
    ASSERT_EQ(kb.readKeyboardData(), Success);
    EXPECT_EQ(kb.maps(), maps);
}

// The flagship scans column by column (position = column x 6 + row). Its
// blank keys 18, 19, 20, 62 and 104 all match the first empty entry, 108
// (key 18); the places of the other four, 114, 120, 122 and 124, belong to
// no key and go out empty.
TEST_F(KeyboardProtocolTest, PlacesNoKeyMapsToAreWrittenEmpty) {
    readFirst();
    std::vector<KeyCode> codes(kDefaultCodes.begin(), kDefaultCodes.end());
    codes[64] = {0x20, 0x00, 0x05};  // A sends B
    ASSERT_EQ(kb.writeKeyTable(0, codes), Success);
    const std::vector<uint8_t> written = model().area(Area::KeyAssignments);
    struct Place { size_t position; std::vector<uint8_t> code; };
    const Place places[] = {
        {0, {0x20, 0x00, 0x29}},    // Esc
        {4, {0x20, 0x02, 0x00}},    // left Shift (key 84): column 0, row 4
        {5, {0x20, 0x01, 0x00}},    // left Ctrl: column 0, row 5
        {9, {0x20, 0x00, 0x05}},    // A: column 1, row 3, as assigned
        {95, {0xD0, 0xA2, 0x01}},   // key 120: column 15, row 5
        {96, {0xA0, 0x1B, 0x00}},   // key 16: column 16, row 0
        {108, {0x20, 0x00, 0x00}},  // the blanks' shared place
        {114, {0x00, 0x00, 0x00}},
        {120, {0x00, 0x00, 0x00}},
        {122, {0x00, 0x00, 0x00}},
        {124, {0x00, 0x00, 0x00}},
        {125, {0x20, 0x80, 0x00}},  // right GUI: column 20, row 5
    };
    for (const Place& p : places) {
        SCOPED_TRACE(p.position);
        EXPECT_EQ(std::vector<uint8_t>(written.begin() + 3 * p.position, written.begin() + 3 * p.position + 3), p.code);
    }
    EXPECT_TRUE(std::all_of(written.begin() + 378, written.end(), [](uint8_t b) { return b == 0; }));
}

TEST_F(KeyboardProtocolTest, KeyTableForAnotherProfileSendsNoTable) {
    readFirst();
    const auto before = model().area(Area::KeyAssignments);
    std::vector<KeyCode> codes(kOnScreenKeys, KeyCode{0x20, 0x00, 0x05});
    EXPECT_EQ(kb.writeKeyTable(2, codes), BadTableIndex);
    EXPECT_EQ(commands(), (std::vector<uint8_t>{cmd::ReadInfo, cmd::Begin, cmd::End}));
    EXPECT_EQ(model().area(Area::KeyAssignments), before);
}

std::vector<EncodedMacro> threeAndFive() {
    std::vector<EncodedMacro> macros(2);
    macros[0].assign(3, MacroEventBytes{0x2C, 0x01, 0x81, 0x04});
    macros[1].assign(5, MacroEventBytes{0x0A, 0x00, 0x0A, 0x04});
    return macros;
}

TEST_F(KeyboardProtocolTest, MacrosAreOneBlobInOneTransaction) {
    EXPECT_EQ(kb.writeMacros(threeAndFive()), 0);
    EXPECT_EQ(commands(), (std::vector<uint8_t>{cmd::ReadInfo, cmd::Begin, 0x15, 0x15, cmd::End}));
    EXPECT_EQ(head(sent()[2], 12), "04 40 04 15 38 00 00 00 aa 55 3c 00");
    EXPECT_EQ(head(sent()[3]), "04 69 00 15 04 38 00 00");
    const auto memory = model().area(Area::Macro);
    const std::vector<uint8_t> first = {0xAA, 0x55, 60, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
                                        20, 0, 36, 0, 3, 0, 0, 0, 0x2C, 0x01, 0x81, 0x04};
    EXPECT_EQ(std::vector<uint8_t>(memory.begin(), memory.begin() + 28), first);
    EXPECT_EQ(memory[36], 5);
    EXPECT_EQ(std::vector<uint8_t>(memory.begin() + 56, memory.begin() + 61),
              (std::vector<uint8_t>{0x0A, 0x00, 0x0A, 0x04, 0x00}));
}

TEST_F(KeyboardProtocolTest, MacrosThatDoNotFitSendNothing) {
    ASSERT_TRUE(model().write(Area::Info, sim::kInfoMacroUnits, std::vector<uint8_t>{0}));
    EXPECT_EQ(kb.writeMacros(threeAndFive()), 60 / 4 + 1);
    EXPECT_EQ(commands(), (std::vector<uint8_t>{cmd::ReadInfo}));
    model().clearRequests();
    // Nothing to send is not an overflow.
    EXPECT_EQ(kb.writeMacros({}), 0);
    EXPECT_EQ(commands(), (std::vector<uint8_t>{cmd::ReadInfo}));
}

TEST_F(KeyboardProtocolTest, MacrosTheKeyboardDoesNotTakeAreReported) {
    readFirst();  // the capacity is known; the image fits
    // Only the image refused: the download is reported, begin and end still sent.
    model().setFault(FaultKind::StatusFF, 1, 2);
    EXPECT_EQ(kb.writeMacros(threeAndFive()), kMacrosNotWritten);
    EXPECT_EQ(commands(), (std::vector<uint8_t>{cmd::ReadInfo, cmd::Begin, 0x15, cmd::End}));
    // The information refused: the capacity is not known, nothing is sent.
    model().clearRequests();
    model().setFault(FaultKind::StatusFF, 1);
    EXPECT_EQ(kb.writeMacros(threeAndFive()), kMacrosNotWritten);
    EXPECT_EQ(commands(), (std::vector<uint8_t>{cmd::ReadInfo}));
    // Only the end refused: the keyboard may not have kept the image.
    model().clearRequests();
    model().setFault(FaultKind::StatusFE, 1, 3);
    EXPECT_EQ(kb.writeMacros(threeAndFive()), kMacrosNotWritten);
    model().clearFault();
    model().clearRequests();
    channel.setConnected(false);
    EXPECT_EQ(kb.writeMacros(threeAndFive()), kMacrosNotWritten) << "nothing reached the keyboard";
    EXPECT_EQ(kb.writeMacros({}), 0) << "nothing to send";
    EXPECT_TRUE(sent().empty());
}

TEST_F(KeyboardProtocolTest, ProfileRecordAtItsOffset) {
    LightSettings light;
    light.selectItem = 21;  // a preview-only mode
    light.light = 2;
    light.speed = 3;
    light.red = 0x80;
    EXPECT_EQ(kb.writeProfileRecord(2, 0, light, {1, 0, 1, 3}), Success);
    EXPECT_EQ(commands(), (std::vector<uint8_t>{cmd::Begin, cmd::WriteBlock, cmd::End}));
    const Frame f = sent()[1];
    EXPECT_EQ(head(f, 8 + 25), "04 d9 00 06 19 32 00 00 00 00 02 01 00 00 80 00 00 "
                               "00 00 00 00 00 00 00 00 00 00 01 00 01 03 00 00");
    const auto stored = model().read(Area::Config, 50, 25);
    ASSERT_TRUE(stored);
    EXPECT_EQ(std::vector<uint8_t>(f.begin() + 8, f.begin() + 33), *stored);
}

TEST_F(KeyboardProtocolTest, ProfileRecordOfTheActiveProfile) {
    ASSERT_TRUE(model().write(Area::Config, 0, std::vector<uint8_t>{3}));
    channel.setPaused(true);
    const ProfileReading reading = kb.readProfileRecord();
    EXPECT_FALSE(channel.paused());
    EXPECT_EQ(reading.result, Success);
    EXPECT_EQ(reading.activeProfile, 3);
    EXPECT_EQ(reading.decoded.light.selectItem, 4);  // the simulated record 3
    EXPECT_EQ(reading.decoded.light.speed, 2);
    const auto f = sent();
    ASSERT_EQ(f.size(), 2u);
    EXPECT_EQ(head(f[0]), "04 06 00 05 01 00 00 00");
    EXPECT_EQ(head(f[1]), "04 69 00 05 19 4b 00 00");  // 25 bytes at 75

    // A failed read keeps index and record together.
    const ProfileRecord known = kb.record();
    ASSERT_TRUE(model().write(Area::Config, 0, std::vector<uint8_t>{1}));
    model().setFault(FaultKind::StatusFE, 1);
    EXPECT_EQ(kb.readProfileRecord().result, StatusRejected);
    EXPECT_EQ(kb.activeProfile(), 3);
    EXPECT_EQ(kb.record(), known);
    EXPECT_EQ(kb.previousRecord(), known);
}

TEST_F(KeyboardProtocolTest, StatusCarriesTheLinkFlag) {
    ASSERT_TRUE(model().write(Area::Status, 0, std::vector<uint8_t>{77, 1, 2, 9, 5, 6}));
    StatusRecord status{};
    EXPECT_EQ(kb.readStatus(status), Success);
    EXPECT_EQ(status, (StatusRecord{77, 1, 2, 0, 5, 6}));
    EXPECT_EQ(head(sent()[0]), "04 20 00 1a 06 00 00 00");
    channel.setSlowLink(true);
    EXPECT_EQ(kb.readStatus(status), Success);
    EXPECT_EQ(status[3], 1);
}

TEST_F(KeyboardProtocolTest, CustomBitsOneByteAtATime) {
    EXPECT_EQ(kb.writeCustomBit(100, true), Success);
    EXPECT_EQ(kb.writeCustomBit(16, true), Success);  // same byte, bit 0
    auto f = sent();
    ASSERT_EQ(f.size(), 2u);
    EXPECT_EQ(head(f[0], 9), "04 2c 00 0b 01 10 00 00 10");
    EXPECT_EQ(head(f[1], 9), "04 2d 00 0b 01 10 00 00 11");
    EXPECT_EQ(model().read(Area::Short, 16, 1), std::vector<uint8_t>{0x11});
    EXPECT_EQ(kb.writeCustomBit(kNoPosition, true), Refused);
    EXPECT_EQ(sent().size(), 2u);

    model().clearRequests();
    EXPECT_EQ(kb.setAllCustomBits(true), Success);
    f = sent();
    ASSERT_EQ(f.size(), 1u);
    EXPECT_EQ(head(f[0]), "04 0b 15 0b 15 00 00 00");  // 0x0B + 21 + 21 x 0xFF
    EXPECT_EQ(model().read(Area::Short, 0, 21), std::vector<uint8_t>(21, 0xFF));
    CustomBitmap one{};
    one[0] = 1;
    EXPECT_EQ(kb.writeCustomBitmap(one), Success);
    EXPECT_EQ(kb.customBitmap(), one);
    EXPECT_EQ(model().read(Area::Short, 0, 2), (std::vector<uint8_t>{1, 0}));
}

// The compact board: 84 keys scanned row by row (the function row's keys
// 0-17, 21-34, 42-55, 63-75, 84-96, 105-115 and 125), each lit by the bit of
// its key number; layout code 4216 in information bytes 8-9.
class CompactKeyboardTest : public KeyboardProtocolTest {
protected:
    CompactKeyboardTest() : KeyboardProtocolTest("keyboard-compact") {}
};

TEST_F(CompactKeyboardTest, KeysFindTheirPlacesAndOnlyKeysBelowTheKeyCountGetLight) {
    ASSERT_EQ(kb.readKeyboardData(), Success);
    ASSERT_EQ(kb.keyCount(), 84);
    EXPECT_EQ(channel.tableSize(), 252);
    struct Case { size_t key; uint8_t position, lightBit; };
    const Case cases[] = {
        {0, 0, 0},      {17, 17, 17},   {21, 18, 21},   {64, 47, 64},   {75, 58, 75},
        // From key 84 on the key numbers reach the key count: placed, not lit.
        {84, 59, kNoPosition}, {96, 71, kNoPosition}, {105, 72, kNoPosition}, {125, 83, kNoPosition},
        // Not on the board; no empty entry for the blanks either.
        {18, kNoPosition, kNoPosition}, {35, kNoPosition, kNoPosition}, {83, kNoPosition, kNoPosition},
        {120, kNoPosition, kNoPosition},
        {103, kNoPosition, 100},  // always
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.key);
        EXPECT_EQ(kb.maps().keyPosition[c.key], c.position);
        EXPECT_EQ(kb.maps().lightPosition[c.key], c.lightBit);
    }
}

TEST_F(CompactKeyboardTest, CustomBitmapHasNoBitsForUnlitKeys) {
    ASSERT_EQ(kb.readKeyboardData(), Success);
    std::vector<bool> lit(kOnScreenKeys, false);
    for (size_t key : {0, 75, 84, 125}) lit[key] = true;
    ASSERT_EQ(kb.writeCustomBitmap(buildCustomBitmap(kb.maps(), lit)), Success);
    // Bit 0: byte 0, bit 0. Bit 75: byte 75 mod 21 = 12, bit 75 / 21 = 3.
    std::vector<uint8_t> expected(21, 0);
    expected[0] = 0x01;
    expected[12] = 0x08;
    EXPECT_EQ(model().read(Area::Short, 0, 21), expected);
}

TEST_F(CompactKeyboardTest, LayoutCodeComesFromTheInformationRecord) {
    EXPECT_EQ(kb.layoutCode(), 0) << "nothing read yet";
    ASSERT_EQ(kb.readKeyboardData(), Success);
    EXPECT_EQ(kb.layoutCode(), 4216);

    SimulatedProduct flagship("keyboard");
    CommandChannel flagshipChannel;
    flagship.bind(flagshipChannel);
    KeyboardProtocol full{flagshipChannel};
    ASSERT_EQ(full.readKeyboardData(), Success);
    EXPECT_NE(full.layoutCode(), 4216);
}

// Mode 19 runs its bar over the rows on the compact board and over the
// columns on the full ones: it starts on the top row (F1 lit, left Ctrl on
// the bottom row dark) or on the first column (macro key 120 lit, F1 dark).
TEST_F(CompactKeyboardTest, PreviewTakesTheCompactBoardsModeNineteen) {
    ASSERT_EQ(kb.readKeyboardData(), Success);
    struct Case { uint16_t layoutCode; int lit, dark; };
    for (const Case c : {Case{kb.layoutCode(), 1, 105}, Case{0, 120, 1}}) {
        SCOPED_TRACE(c.layoutCode);
        lighting::LightingEngine engine;
        engine.setLedCount(static_cast<int>(kOnScreenKeys));
        KeyboardPreview preview{engine};
        preview.setLayoutCode(c.layoutCode);
        LightSettings light;
        light.selectItem = 19;
        light.light = 4;
        light.red = 255;
        engine.lightParams() = light;
        preview.enterMode(1000);
        EXPECT_GT(lighting::ledBrightness(engine.getLedColour(c.lit)), 0);
        EXPECT_EQ(lighting::ledBrightness(engine.getLedColour(c.dark)), 0);
    }
}

}  // namespace
}  // namespace talven::keyboard
