// The simulated keyboards' factory facts, checked against the wire tables
// by hand and, as a cross-check that neither side was mistyped, against the
// application's own table of default codes.

#include "device/keyboard/keyboard_layout.h"
#include "sim/keyboard_firmware.h"
#include "sim/sim_products.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace talven::sim {
namespace {

std::unique_ptr<FirmwareModel> makeProduct(std::string_view name) {
    const ProductSpec* spec = findSimProduct(name);
    return spec->makeModel(spec->firmware());
}

struct KeyCase {
    uint8_t key;
    KeyCodeBytes code;
};

// Entries of the default-code table, typed here from the table itself.
constexpr KeyCase kHandWritten[] = {
    {0, {0x20, 0x00, 0x29}},   {16, {0xA0, 0x1B, 0x00}},  {17, {0xA0, 0x24, 0x00}}, {18, {0x20, 0x00, 0x00}},
    {64, {0x20, 0x00, 0x04}},  {84, {0x20, 0x02, 0x00}},  {95, {0x20, 0x20, 0x00}}, {103, {0x20, 0x00, 0x85}},
    {110, {0xA0, 0x01, 0x00}}, {120, {0xD0, 0xA2, 0x01}}, {124, {0xD0, 0xA2, 0x05}}, {125, {0x20, 0x80, 0x00}},
};

TEST(KeyboardFirmwareTest, FactoryCodesAreTheTablesCodes) {
    for (const KeyCase& c : kHandWritten) {
        SCOPED_TRACE(int(c.key));
        EXPECT_EQ(kFactoryKeyCodes[c.key], c.code) << "simulator";
        EXPECT_EQ(keyboard::kDefaultCodes[c.key], c.code) << "application";
    }
}

// Only a cross-check that both copies were typed alike; what they must hold
// is the test above.
TEST(KeyboardFirmwareTest, SimulatorAndApplicationAgreeOnEveryFactoryCode) {
    ASSERT_EQ(kFactoryKeyCodes.size(), keyboard::kDefaultCodes.size());
    for (size_t key = 0; key < kMatrixKeys; ++key) {
        SCOPED_TRACE(key);
        const KeyCode& theirs = keyboard::kDefaultCodes[key];
        EXPECT_EQ(kFactoryKeyCodes[key], (KeyCodeBytes{theirs[0], theirs[1], theirs[2]}));
    }
}

TEST(KeyboardFirmwareTest, OnlyTheCompactBoardReportsTheCompactLayout) {
    struct Case {
        const char* product;
        uint8_t keys;
        uint8_t layoutLow, layoutHigh;
    };
    for (const Case c : {Case{"keyboard", 126, 0, 0}, Case{"keyboard7440", 126, 0, 0},
                         Case{"keyboard-compact", 84, 0x78, 0x10}}) {  // 4216 = 0x1078
        SCOPED_TRACE(c.product);
        const auto info = makeProduct(c.product)->area(Area::Info);
        EXPECT_EQ(info[4], c.keys) << "LED count";
        EXPECT_EQ(info[5], c.keys) << "key count";
        EXPECT_EQ(info[8], c.layoutLow);
        EXPECT_EQ(info[9], c.layoutHigh);
    }
}

TEST(KeyboardFirmwareTest, CompactBoardScansItsKeysRowByRow) {
    auto board = makeProduct("keyboard-compact");
    const auto table = board->area(Area::KeyTable);
    const auto light = board->area(Area::LightPositions);
    // Table position: key number and code (light bit = key number).
    struct Place {
        size_t position;
        uint8_t key;
        KeyCodeBytes code;
    };
    for (const Place p : {Place{0, 0, {0x20, 0x00, 0x29}}, Place{17, 17, {0xA0, 0x24, 0x00}},
                          Place{18, 21, {0x20, 0x00, 0x35}}, Place{46, 63, {0x20, 0x00, 0x39}},
                          Place{59, 84, {0x20, 0x02, 0x00}}, Place{71, 96, {0x20, 0x00, 0x52}},
                          Place{72, 105, {0x20, 0x01, 0x00}}, Place{82, 115, {0x20, 0x00, 0x4F}},
                          Place{83, 125, {0x20, 0x80, 0x00}}}) {
        SCOPED_TRACE(p.position);
        EXPECT_EQ((KeyCodeBytes{table[3 * p.position], table[3 * p.position + 1], table[3 * p.position + 2]}),
                  p.code);
        EXPECT_EQ(light[p.position], p.key);
    }
    EXPECT_TRUE(std::all_of(table.begin() + 3 * 84, table.end(), [](uint8_t b) { return b == 0; }));
    EXPECT_TRUE(std::all_of(light.begin() + 84, light.end(), [](uint8_t b) { return b == 0; }));
}

TEST(KeyboardFirmwareTest, VariantsAreSimulatedOnlyWhenNamed) {
    for (const ProductSpec& p : simProducts()) EXPECT_NE(p.name, "keyboard-compact");
    const ProductSpec* compact = findSimProduct("keyboard-compact");
    ASSERT_NE(compact, nullptr);
    // Sold under the flagship's IDs.
    EXPECT_EQ(compact->vendorId, 0x320F);
    EXPECT_EQ(compact->productId, 0x5029);
}

}  // namespace
}  // namespace talven::sim
