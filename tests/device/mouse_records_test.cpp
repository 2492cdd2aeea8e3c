// The mouse's byte encodings, with vectors written from the wire tables.

#include "device/mouse/mouse_records.h"

#include <gtest/gtest.h>

#include <vector>

namespace talven::mouse {
namespace {

// The eleven factory codes, written out from the button table.
const std::vector<std::vector<uint8_t>> kFactory = {
    {0x10, 0x01, 0x00}, {0x10, 0x02, 0x00}, {0x10, 0x04, 0x00}, {0x10, 0x10, 0x00},
    {0x10, 0x08, 0x00}, {0x13, 0x01, 0x00}, {0x13, 0x02, 0x00}, {0xD0, 0x00, 0x00},
    {0x13, 0x03, 0x00}, {0xA0, 0x1B, 0x00}, {0x16, 0x90, 0x01},
};

std::vector<uint8_t> tableOf(const std::vector<std::vector<uint8_t>>& slots) {
    std::vector<uint8_t> t;
    for (const auto& s : slots) t.insert(t.end(), s.begin(), s.end());
    return t;
}

TEST(MouseCapabilities, ReadsSlotsMacroMemoryAndDpiScale) {
    DeviceInfo info{};
    info[5] = 12;
    info[6] = 16;
    info[11] = 50;
    info[12] = 0x07;  // 519 steps
    info[13] = 0x02;
    info[14] = 100;
    const MouseCapabilities caps = decodeCapabilities(info);
    EXPECT_EQ(caps.keySlots, 12u);
    EXPECT_EQ(caps.macroCapacity, 2048u);
    EXPECT_EQ(caps.dpiStep, 50u);
    EXPECT_EQ(caps.dpiStepCount, 519u);
    EXPECT_EQ(caps.dpiBase, 100u);
    EXPECT_EQ(caps.dpiForIndex(6), 400u);
    EXPECT_EQ(caps.dpiMaximum(), 519u * 50u + 100u);
}

TEST(MouseButtonMap, EachButtonTakesTheFirstSlotWithItsFactoryCode) {
    // Slots in an order of the mouse's own, a duplicate of "left" after it,
    // and a code no button has.
    auto slots = kFactory;
    std::swap(slots[0], slots[10]);
    slots.push_back({0x10, 0x01, 0x00});
    slots.push_back({0x55, 0x66, 0x77});
    const ButtonMap map = buildButtonMap(tableOf(slots), static_cast<unsigned>(slots.size()));
    const ButtonMap expected = {10, 1, 2, 3, 4, 5, 6, 7, 8, 9, 0};
    EXPECT_EQ(map, expected);
}

TEST(MouseButtonMap, MissingButtonsAndSlotsPastTheCountAreNotPresent) {
    auto slots = kFactory;
    slots.pop_back();                     // no M8 in the table
    slots.push_back({0x00, 0x00, 0x00});
    ButtonMap map = buildButtonMap(tableOf(slots), static_cast<unsigned>(slots.size()));
    EXPECT_EQ(map[10], kNotPresent);
    EXPECT_EQ(map[9], 9);
    // The table says 4 slots: the fifth button on is not looked for further.
    map = buildButtonMap(tableOf(kFactory), 4);
    EXPECT_EQ(map[3], 3);
    EXPECT_EQ(map[4], kNotPresent);
    // A table shorter than its count.
    map = buildButtonMap(std::vector<uint8_t>{0x10, 0x01, 0x00, 0x10}, 11);
    EXPECT_EQ(map[0], 0);
    EXPECT_EQ(map[1], kNotPresent);
}

TEST(MouseButtonTable, AssignmentsGoToTheirSlotsAndOtherSlotsAreZero) {
    ButtonMap map;
    map.fill(kNotPresent);
    map[0] = 3;  // left in slot 3
    map[1] = 0;  // right in slot 0
    std::vector<KeyCode> assignments(kLogicalButtons, KeyCode{0x20, 0x04, 0x00});
    assignments[0] = {0x10, 0x02, 0x00};
    assignments[1] = {0x10, 0x01, 0x00};
    assignments[10] = {0x99, 0x99, 0x99};  // M8, not present: never sent
    const std::vector<uint8_t> expected = {0x10, 0x01, 0x00, 0, 0, 0, 0, 0, 0, 0x10, 0x02, 0x00, 0, 0, 0};
    EXPECT_EQ(buildButtonTable(map, assignments, 5), expected);
}

TEST(MouseButtonTable, AShortListSendsTheFactoryCodeAndSlotsPastTheCountAreSkipped) {
    ButtonMap map;
    map.fill(kNotPresent);
    map[0] = 0;
    map[10] = 1;
    map[2] = 7;  // beyond the two slots the mouse now reports
    const std::vector<KeyCode> one = {KeyCode{0x20, 0x05, 0x00}};
    const std::vector<uint8_t> expected = {0x20, 0x05, 0x00, 0x16, 0x90, 0x01};
    EXPECT_EQ(buildButtonTable(map, one, 2), expected);
}

MouseSettings sampleSettings() {
    MouseSettings s;
    s.light = {.selectItem = 3, .light = 4, .speed = 1, .fx = 1, .multiColor = 1, .red = 255, .green = 0, .blue = 0};
    s.stages = {{1, 0, 6, 6, 255, 0, 0}, {1, 1, 0x0102, 0x0304, 0, 255, 0}, {0, 0, 30, 30, 0, 0, 255}};
    s.activeStage = 2;
    s.pollingRate = 4;
    s.liftOff = 1;
    s.corrections = {{0, 0, 0, "off"}, {4, 2, 1, "low"}, {8, 4, 1, "medium"}};
    return s;
}

TEST(MouseSettingsBlock, FieldsSitWhereTheTableSays) {
    const SettingsBlock b = encodeSettingsBlock(0, sampleSettings(), {1, 2560, 1440}, false);
    const std::vector<uint8_t> head = {0, 3, 4, 3, 1, 1, 255, 0, 0, 0, 0, 4, 2, 1};
    EXPECT_EQ(std::vector<uint8_t>(b.begin(), b.begin() + 14), head);
    const std::vector<uint8_t> stages = {
        1, 0, 6, 0, 6, 0, 255, 0, 0,          // stage 0 at 14
        1, 1, 0x02, 0x01, 0x04, 0x03, 0, 255, 0,  // stage 1 at 23
        0, 0, 30, 0, 30, 0, 0, 0, 255,        // stage 2 at 32
    };
    EXPECT_EQ(std::vector<uint8_t>(b.begin() + 14, b.begin() + 41), stages);
    // Three stages in the profile: stages 3 and 4 go out as zeros.
    EXPECT_EQ(std::vector<uint8_t>(b.begin() + 41, b.begin() + 59), std::vector<uint8_t>(18, 0));
    const std::vector<uint8_t> tail = {1, 0x00, 0x0A, 0xA0, 0x05, 2, 4, 0, 0, 0, 0};
    EXPECT_EQ(std::vector<uint8_t>(b.begin() + 59, b.begin() + 70), tail);
    EXPECT_EQ(std::vector<uint8_t>(b.begin() + 70, b.end()), std::vector<uint8_t>(5, 0));
}

TEST(MouseSettingsBlock, ModeSpeedAndIndexEdges) {
    struct Case {
        uint8_t mode, speed;
        bool slow;
        uint8_t polling, stage, lift;
        uint8_t byte1, byte3, byte11, byte12, byte13;
    };
    const Case cases[] = {
        {8, 1, false, 0, 0, 0, 8, 3, 0, 0, 0},   // speed inverted
        {9, 1, true, 0, 0, 0, 0, 1, 0, 0, 0},    // mode 9 as 0; slow link: speed as it is
        {21, 0, false, 0, 0, 0, 0, 4, 0, 0, 0},
        {0, 7, false, 0, 0, 0, 0, 0, 0, 0, 0},   // a speed above 4 counts as 4
        {0, 7, true, 0, 0, 0, 0, 4, 0, 0, 0},
        {0, 2, false, 7, 5, 2, 0, 2, 0, 0, 0},   // indices the mouse lacks go out as 0
        {0, 2, false, 4, 4, 1, 0, 2, 4, 4, 1},
    };
    for (const Case& c : cases) {
        MouseSettings s;
        s.light.selectItem = c.mode;
        s.light.speed = c.speed;
        s.pollingRate = c.polling;
        s.activeStage = c.stage;
        s.liftOff = c.lift;
        const SettingsBlock b = encodeSettingsBlock(0, s, {}, c.slow);
        SCOPED_TRACE(::testing::Message() << "mode " << int(c.mode) << " speed " << int(c.speed) << " slow " << c.slow);
        EXPECT_EQ(b[1], c.byte1);
        EXPECT_EQ(b[3], c.byte3);
        EXPECT_EQ(b[11], c.byte11);
        EXPECT_EQ(b[12], c.byte12);
        EXPECT_EQ(b[13], c.byte13);
    }
}

TEST(MouseSettingsBlock, NoSelectedCorrectionAndSixStages) {
    MouseSettings s;
    s.corrections = {{5, 6, 0, "a"}, {7, 8, 0, "b"}};
    s.stages.assign(6, DpiStage{1, 0, 1, 1, 1, 1, 1});
    const SettingsBlock b = encodeSettingsBlock(7, s, {}, false);
    EXPECT_EQ(b[0], 7);
    EXPECT_EQ(b[64], 0);
    EXPECT_EQ(b[65], 0);
    EXPECT_EQ(b[14 + 9 * 4], 1);  // stage 4 written
    EXPECT_EQ(b[59], 0);          // the sixth stage does not spill into the screen bytes
}

TEST(MouseSettingsBlock, DecodesWhatTheMouseHolds) {
    SettingsBlock b{};
    const std::vector<uint8_t> head = {2, 5, 3, 1, 0, 1, 10, 20, 30, 0, 0, 2, 3, 1, 1, 1, 0x10, 0x00, 0x20, 0x00, 9, 8, 7};
    std::copy(head.begin(), head.end(), b.begin());
    DecodedMouseSettings d = decodeSettingsBlock(b, false);
    EXPECT_EQ(d.profile, 2);
    EXPECT_EQ(d.light.selectItem, 5);
    EXPECT_EQ(d.light.light, 3);
    EXPECT_EQ(d.light.speed, 3);  // 4 - 1
    EXPECT_EQ(d.light.multiColor, 1);
    EXPECT_EQ(d.light.red, 10);
    EXPECT_EQ(d.light.blue, 30);
    EXPECT_EQ(d.pollingRate, 2);
    EXPECT_EQ(d.activeStage, 3);
    EXPECT_EQ(d.liftOff, 1);
    EXPECT_EQ(d.stages[0], (DpiStage{1, 1, 0x10, 0x20, 9, 8, 7}));
    // Over a slow link the speed is kept as the receiver took it; damaged
    // bytes stay within the levels.
    EXPECT_EQ(decodeSettingsBlock(b, true).light.speed, 1);
    b[2] = 9;
    b[3] = 200;
    d = decodeSettingsBlock(b, false);
    EXPECT_EQ(d.light.light, 4);
    EXPECT_EQ(d.light.speed, 0);
}

}  // namespace
}  // namespace talven::mouse
