// The keyboard's byte encodings, with vectors from the wire tables.

#include "device/keyboard/keyboard_notifications.h"
#include "device/keyboard/keyboard_records.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <numeric>

namespace talven::keyboard {
namespace {

// A key table in column order (as the flagship keyboard scans its matrix),
// with the light table naming each position's key number.
struct Tables {
    std::vector<uint8_t> keys;
    std::vector<uint8_t> light;
};

size_t columnPosition(size_t key) { return (key % kColumns) * kRows + key / kColumns; }

Tables columnOrderTables() {
    Tables t{std::vector<uint8_t>(kOnScreenKeys * 3), std::vector<uint8_t>(kOnScreenKeys)};
    for (size_t key = 0; key < kOnScreenKeys; ++key) {
        const size_t pos = columnPosition(key);
        std::copy(kDefaultCodes[key].begin(), kDefaultCodes[key].end(), t.keys.begin() + 3 * pos);
        t.light[pos] = static_cast<uint8_t>(key);
    }
    return t;
}

constexpr size_t kBlankKeys[] = {18, 19, 20, 62, 104};

TEST(KeyboardKeyMaps, EveryKeyFindsItsPositionAndLightBit) {
    const Tables t = columnOrderTables();
    const KeyMaps maps = buildKeyMaps(t.keys, t.light, kOnScreenKeys);
    // The blank keys share the first empty entry, which belongs to key 18
    // (column 18 comes before columns 20 and 41 of the others in scan order).
    const uint8_t firstEmpty = static_cast<uint8_t>(columnPosition(18));
    for (size_t key = 0; key < kOnScreenKeys; ++key) {
        SCOPED_TRACE(key);
        const bool blank = std::find(std::begin(kBlankKeys), std::end(kBlankKeys), key) != std::end(kBlankKeys);
        EXPECT_EQ(maps.keyPosition[key], blank ? firstEmpty : columnPosition(key));
        if (key == 103)
            EXPECT_EQ(maps.lightPosition[key], 100);
        else
            EXPECT_EQ(maps.lightPosition[key], blank ? 18 : key);
    }
}

TEST(KeyboardKeyMaps, OnlyTheFirstKeyCountPositionsAreSearched) {
    const Tables t = columnOrderTables();
    const KeyMaps maps = buildKeyMaps(t.keys, t.light, 12);  // columns 0 and 1
    EXPECT_EQ(maps.keyPosition[0], 0);    // Esc, column 0 row 0
    EXPECT_EQ(maps.keyPosition[105], 5);  // left Ctrl, column 0 row 5
    EXPECT_EQ(maps.keyPosition[1], 6);    // F1, column 1 row 0
    EXPECT_EQ(maps.keyPosition[2], kNoPosition);
    EXPECT_EQ(maps.lightPosition[2], kNoPosition);
    EXPECT_EQ(maps.keyPosition[18], kNoPosition);  // no empty entry among them
    EXPECT_EQ(maps.lightPosition[103], 100);       // whatever the table says
}

TEST(KeyboardKeyMaps, KeyTableGoesBackToTheKeyboardsOrder) {
    const Tables t = columnOrderTables();
    const KeyMaps maps = buildKeyMaps(t.keys, t.light, kOnScreenKeys);
    // Factory assignments rebuild the factory table, except the places of
    // the blanks that lost their entry to the first blank: no key maps
    // there, so they are empty (00 00 00).
    std::vector<KeyCode> codes(kDefaultCodes.begin(), kDefaultCodes.end());
    auto expected = t.keys;
    for (size_t key : {19, 20, 62, 104}) expected[3 * columnPosition(key)] = 0;
    EXPECT_EQ(buildKeyTable(maps, codes, kOnScreenKeys), expected);

    // A changed key lands at its own position only.
    codes[64] = {0x20, 0x00, 0x05};
    expected[3 * columnPosition(64) + 2] = 0x05;
    EXPECT_EQ(buildKeyTable(maps, codes, kOnScreenKeys), expected);

    // Keys missing from a short list keep their default code.
    codes.resize(65);
    EXPECT_EQ(buildKeyTable(maps, codes, kOnScreenKeys), expected);

    // Positions beyond a smaller key count are not written.
    const auto small = buildKeyTable(maps, codes, 4);
    EXPECT_EQ(small, std::vector<uint8_t>(t.keys.begin(), t.keys.begin() + 12));
}

// A board with fewer keys than the page shows: the light bits go to the key
// numbers below its key count only.
TEST(KeyboardKeyMaps, LightBitsOnlyForKeyNumbersBelowTheKeyCount) {
    // Four positions: Esc, A, left Shift and right GUI, lit as bits 9, 8, 7, 6.
    const std::vector<uint8_t> keys = {0x20, 0x00, 0x29, 0x20, 0x00, 0x04, 0x20, 0x02, 0x00, 0x20, 0x80, 0x00};
    const std::vector<uint8_t> light = {9, 8, 7, 6};
    const KeyMaps maps = buildKeyMaps(keys, light, 4);
    struct Case { size_t key; uint8_t position, lightBit; };
    for (const Case c : {Case{0, 0, 9}, Case{64, 1, kNoPosition}, Case{84, 2, kNoPosition},
                         Case{125, 3, kNoPosition}, Case{1, kNoPosition, kNoPosition}, Case{103, kNoPosition, 100}}) {
        SCOPED_TRACE(c.key);
        EXPECT_EQ(maps.keyPosition[c.key], c.position);
        EXPECT_EQ(maps.lightPosition[c.key], c.lightBit);
    }
}

LightSettings lighting(uint8_t mode, uint8_t speed) {
    LightSettings l;
    l.selectItem = mode;
    l.light = 3;
    l.speed = speed;
    l.fx = 1;
    l.multiColor = 1;
    l.red = 0x11;
    l.green = 0x22;
    l.blue = 0x33;
    return l;
}

TEST(KeyboardProfileRecord, EncodesEveryField) {
    const ProfileRecord r = encodeProfileRecord(2, lighting(7, 1), {1, 1, 0, 3});
    const ProfileRecord expected = {2, 7, 3, 3, 1, 1, 0x11, 0x22, 0x33, 0, 0, 0, 0,
                                    0, 0, 0, 0, 0, 0, 1, 1, 0, 3, 0, 0};
    EXPECT_EQ(r, expected);
}

TEST(KeyboardProfileRecord, ModesAndSpeedsAsTheKeyboardTakesThem) {
    struct Case { uint8_t mode, speed, storedMode, storedSpeed; };
    for (const Case c : {Case{0, 0, 0, 4}, Case{20, 4, 20, 0}, Case{21, 2, 0, 2}, Case{22, 3, 0, 1},
                         Case{255, 9, 0, 0}}) {
        SCOPED_TRACE(int(c.mode));
        const ProfileRecord r = encodeProfileRecord(0, lighting(c.mode, c.speed), {});
        EXPECT_EQ(r[1], c.storedMode);
        EXPECT_EQ(r[3], c.storedSpeed);
    }
}

TEST(KeyboardProfileRecord, DecodesAndKeepsLevelsInRange) {
    ProfileRecord r = encodeProfileRecord(1, lighting(5, 1), {1, 0, 1, 2});
    DecodedProfileRecord d = decodeProfileRecord(r);
    EXPECT_EQ(d.light, lighting(5, 1));
    EXPECT_EQ(d.switches, (KeyboardSwitches{1, 0, 1, 0}));  // the polling rate is not read back
    r[2] = 9;  // brightness
    r[3] = 200;  // stored speed
    d = decodeProfileRecord(r);
    EXPECT_EQ(d.light.light, 4);
    EXPECT_EQ(d.light.speed, 0);
}

TEST(KeyboardProfileRecord, SwitchesComeFromTheSystemWords) {
    const KeyboardSystemWords words = {31 | 1u << 16, 1 | 2u << 16, 0 | 1u << 16};
    EXPECT_EQ(switchesFromSystemWords(words), (KeyboardSwitches{0, 1, 1, 2}));
    const KeyboardSystemWords back = withFlags(words, {1, 0, 0, 3});
    EXPECT_EQ(back[0], words[0]);
    EXPECT_EQ(back[1], 0 | 2u << 16);  // polling rate kept
    EXPECT_EQ(back[2], 1u);
}

TEST(KeyboardCustomBitmap, PositionsAreRowBitsOfColumnBytes) {
    struct Case { uint8_t position; size_t byte; uint8_t mask; };
    for (const Case c : {Case{0, 0, 0x01}, Case{20, 20, 0x01}, Case{21, 0, 0x02}, Case{100, 16, 0x10},
                         Case{125, 20, 0x20}}) {
        SCOPED_TRACE(int(c.position));
        CustomBitmap b{};
        ASSERT_TRUE(setCustomBit(b, c.position, true));
        CustomBitmap expected{};
        expected[c.byte] = c.mask;
        EXPECT_EQ(b, expected);
        b[c.byte] |= 0x80;
        ASSERT_TRUE(setCustomBit(b, c.position, false));
        EXPECT_EQ(b[c.byte], 0x80);
    }
    CustomBitmap b{};
    EXPECT_FALSE(setCustomBit(b, 126, true));
    EXPECT_FALSE(setCustomBit(b, kNoPosition, true));
    EXPECT_EQ(b, CustomBitmap{});
}

TEST(KeyboardCustomBitmap, LitLedsGoThroughTheLightMap) {
    KeyMaps maps;
    maps.lightPosition[3] = 100;
    maps.lightPosition[4] = 0;
    std::vector<bool> lit(kOnScreenKeys, false);
    lit[3] = lit[5] = true;  // LED 5 has no light bit
    CustomBitmap expected{};
    expected[16] = 0x10;
    EXPECT_EQ(buildCustomBitmap(maps, lit), expected);
}

TEST(KeyboardMacroBlob, TwoMacrosOfThreeAndFiveEvents) {
    std::vector<EncodedMacro> macros(2);
    for (uint8_t i = 0; i < 3; ++i) macros[0].push_back({i, 0, 0x8A, 4});
    for (uint8_t i = 0; i < 5; ++i) macros[1].push_back({0x2C, 0x01, 0x81, i});
    ASSERT_EQ(macroBlobLength(macros), 60u);
    const auto blob = buildMacroBlob(macros);
    ASSERT_TRUE(blob);
    ASSERT_EQ(blob->size(), 60u);
    const std::vector<uint8_t> header = {0xAA, 0x55, 60, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 20, 0, 36, 0};
    EXPECT_EQ(std::vector<uint8_t>(blob->begin(), blob->begin() + 20), header);
    EXPECT_EQ(std::vector<uint8_t>(blob->begin() + 20, blob->begin() + 28),
              (std::vector<uint8_t>{3, 0, 0, 0, 0, 0, 0x8A, 4}));
    EXPECT_EQ(std::vector<uint8_t>(blob->begin() + 36, blob->begin() + 40), (std::vector<uint8_t>{5, 0, 0, 0}));
    EXPECT_EQ(std::vector<uint8_t>(blob->begin() + 56, blob->end()), (std::vector<uint8_t>{0x2C, 0x01, 0x81, 4}));
}

TEST(KeyboardMacroBlob, EmptyMacrosAndLimits) {
    const std::vector<EncodedMacro> empty(3);
    const auto blob = buildMacroBlob(empty);
    ASSERT_TRUE(blob);
    EXPECT_EQ(blob->size(), 34u);
    EXPECT_EQ((*blob)[16], 22);  // three offsets, then three 4-byte records
    EXPECT_EQ((*blob)[20], 30);
    // The length field has 16 bits.
    const std::vector<EncodedMacro> huge(1, EncodedMacro(16380));
    EXPECT_EQ(macroBlobLength(huge), 65542u);
    EXPECT_FALSE(buildMacroBlob(huge));
    // What must go for a blob to fit: whole events, one more than the excess.
    EXPECT_EQ(macroEventsToRemove(61, 0), 16);
    EXPECT_EQ(macroEventsToRemove(132, 128), 2);
    EXPECT_EQ(macroEventsToRemove(128, 128), 0);
}

TEST(KeyboardNotifications, CodesAndKeyEvents) {
    const Tables t = columnOrderTables();
    const KeyMaps maps = buildKeyMaps(t.keys, t.light, kOnScreenKeys);
    using K = NotificationKind;
    struct Case { uint16_t code; KeyboardNotification expected; };
    const Case cases[] = {
        {0x0401, {K::Synchronise}},
        {0x0403, {K::GameMode}},
        {0x0404, {K::Counter}},
        {0x0506, {K::KeyEvent, 1, 1}},
        {0x0606, {K::KeyEvent, 1, 2}},
        {0x0500, {K::KeyEvent, 0, 1}},
        {static_cast<uint16_t>(0x0500 + columnPosition(19)), {}},  // no key maps there
        {0x05FF, {}},
        {0x0402, {}},
        {0x0700, {}},
        {0x0000, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.code);
        EXPECT_EQ(decodeNotification(c.code, maps), c.expected);
    }
}

}  // namespace
}  // namespace talven::keyboard
