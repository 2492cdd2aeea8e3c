// The panel state to key-function records and back. Expected bytes are
// written out by hand from the function table of the key-function codes.

#include "device/key_assignment.h"

#include <gtest/gtest.h>

namespace talven::keyfn {
namespace {

using C = Category;

const KeyRecord kDefaultA{0x41, {0x20, 0x00, 0x04}};

AssignmentState in(C category) {
    AssignmentState s;
    s.category = category;
    return s;
}

struct EncodeCase {
    const char* what;
    AssignmentState state;
    KeyRecord expected;
};

std::vector<EncodeCase> encodeCases() {
    std::vector<EncodeCase> cases;
    auto add = [&](const char* what, C category, auto edit, KeyRecord expected) {
        AssignmentState s = in(category);
        edit(s);
        cases.push_back({what, s, expected});
    };
    auto none = [](AssignmentState&) {};
    add("default shows the default record", C::Default, none, kDefaultA);
    add("mouse button row 2 is right", C::MouseButton, [](auto& s) { s.mouseButton = 2; }, {0, {0x10, 0x02, 0x00}});
    add("mouse button row 3 is forward", C::MouseButton, [](auto& s) { s.mouseButton = 3; }, {0, {0x10, 0x10, 0x00}});
    add("swing count 3 delay 5 speed 100", C::Swing, [](auto& s) { s.swing = {0, 3, 5, 100}; },
        {0, {0x11, 0x35, 0x64}});
    add("swing direction 1 sets bit 7", C::Swing, [](auto& s) { s.swing = {1, 3, 5, 100}; }, {0, {0x11, 0x35, 0xE4}});
    add("swing count 20 keeps its low nibble", C::Swing, [](auto& s) { s.swing = {0, 20, 1, 0}; },
        {0, {0x11, 0x41, 0x00}});
    add("swing speed above 127 direction 0 drops bit 7", C::Swing, [](auto& s) { s.swing = {0, 0, 0, 200}; },
        {0, {0x11, 0x00, 0x48}});
    add("wheel direction 0 amount 3", C::Wheel, [](auto& s) { s.wheel = {0, 2, 15, 3}; }, {0, {0x12, 0x2F, 0x03}});
    add("wheel direction 1 amount 1 is -1", C::Wheel, [](auto& s) { s.wheel = {1, 0, 0, 1}; },
        {0, {0x12, 0x00, 0xFF}});
    add("wheel direction 1 amount 5 is -5", C::Wheel, [](auto& s) { s.wheel = {1, 1, 1, 5}; },
        {0, {0x12, 0x11, 0xFB}});
    add("DPI row 2 is function 3", C::Dpi, [](auto& s) { s.dpi = 2; }, {0, {0x13, 0x03, 0x00}});
    add("fire truncates to 8 bits", C::Fire, [](auto& s) { s.fireInterval = 300, s.fireCount = 7; },
        {0, {0x14, 0x2C, 0x07}});
    add("key B without modifier", C::Key, [](auto& s) { s.key = capturedKey(0x42, 0x05); }, {0x42, {0x20, 0x00, 0x05}});
    add("key B with option 3 (LAlt)", C::Key,
        [](auto& s) { s.key = capturedKey(0x42, 0x05), s.modifierOption = 3; }, {0x42, {0x20, 0x04, 0x05}});
    add("empty box with option 4 is LWin alone", C::Key, [](auto& s) { s.modifierOption = 4; },
        {0, {0x20, 0x08, 0x00}});
    add("captured RCtrl keeps its modifier bit", C::Key, [](auto& s) { s.key = capturedKey(0xA3, 0x00); },
        {0xA3, {0x20, 0x10, 0x00}});
    add("media row 1 is play/pause", C::Media, [](auto& s) { s.media = 1; }, {0, {0x30, 0xCD, 0x00}});
    add("media row 8 is the browser home", C::Media, [](auto& s) { s.media = 8; }, {0, {0x30, 0x23, 0x02}});
    add("system row 1 is sleep", C::System, [](auto& s) { s.system = 1; }, {0, {0x40, 0x02, 0x00}});
    add("macro 2 run mode 1", C::Macro, [](auto& s) { s.macro = 2, s.macroRunMode = 1; }, {0, {0x70, 0x02, 0x01}});
    add("macro 3 repeated 0 times", C::Macro, [](auto& s) { s.macro = 3, s.macroRunMode = 4, s.macroRepeat = 0; },
        {0, {0x71, 0x03, 0x00}});
    add("macro repeat count truncates", C::Macro,
        [](auto& s) { s.macro = 1, s.macroRunMode = 4, s.macroRepeat = 258; }, {0, {0x71, 0x01, 0x02}});
    add("gun key 2", C::GunKey, [](auto& s) { s.gunKey = 2; }, {0, {0x72, 0x02, 0x00}});
    add("combination row 4 is Ctrl+C", C::Combination, [](auto& s) { s.combination = 4; },
        {0, {0x20, 0x01, 0x06}});
    add("disable", C::Disable, none, {0, {0xA0, 0x00, 0x00}});
    return cases;
}

TEST(KeyAssignment, EncodesEachCategory) {
    for (const EncodeCase& c : encodeCases()) {
        const auto record = encodeAssignment(c.state, kDefaultA);
        ASSERT_TRUE(record.has_value()) << c.what;
        EXPECT_EQ(*record, c.expected) << c.what;
    }
}

TEST(KeyAssignment, AComboWithoutARowEncodesNothing) {
    const std::pair<C, void (*)(AssignmentState&)> cases[] = {
        {C::MouseButton, [](AssignmentState& s) { s.mouseButton = -1; }},
        {C::MouseButton, [](AssignmentState& s) { s.mouseButton = 5; }},
        {C::Dpi, [](AssignmentState& s) { s.dpi = 3; }},
        {C::Media, [](AssignmentState& s) { s.media = 18; }},
        {C::System, [](AssignmentState& s) { s.system = -1; }},
        {C::Combination, [](AssignmentState& s) { s.combination = 11; }},
        {C::Macro, [](AssignmentState& s) { s.macro = -1; }},
        {C::Macro, [](AssignmentState& s) { s.macroRunMode = 5; }},
        {C::GunKey, [](AssignmentState& s) { s.gunKey = -1; }},
    };
    for (const auto& [category, edit] : cases) {
        AssignmentState s = in(category);
        edit(s);
        EXPECT_FALSE(encodeAssignment(s, kDefaultA).has_value()) << static_cast<int>(category);
    }
}

struct DecodeCase {
    const char* what;
    KeyCode code;
    AssignmentState expected;
};

std::vector<DecodeCase> decodeCases() {
    std::vector<DecodeCase> cases;
    auto add = [&](const char* what, KeyCode code, C category, auto edit) {
        AssignmentState s = in(category);
        edit(s);
        cases.push_back({what, code, s});
    };
    add("forward button", {0x10, 0x10, 0x00}, C::MouseButton, [](auto& s) { s.mouseButton = 3; });
    add("a button bit no row has", {0x10, 0x20, 0x00}, C::MouseButton, [](auto& s) { s.mouseButton = -1; });
    add("swing", {0x11, 0x35, 0xE4}, C::Swing, [](auto& s) { s.swing = {1, 3, 5, 100}; });
    add("wheel -1", {0x12, 0x00, 0xFF}, C::Wheel, [](auto& s) { s.wheel = {1, 0, 0, 1}; });
    add("wheel +3", {0x12, 0x2F, 0x03}, C::Wheel, [](auto& s) { s.wheel = {0, 2, 15, 3}; });
    add("DPI 2", {0x13, 0x02, 0x00}, C::Dpi, [](auto& s) { s.dpi = 1; });
    add("fire", {0x14, 0x2C, 0x07}, C::Fire, [](auto& s) { s.fireInterval = 44, s.fireCount = 7; });
    add("LCtrl + C is a combination", {0x20, 0x01, 0x06}, C::Combination, [](auto& s) { s.combination = 4; });
    add("LShift + C is a key with option 2", {0x20, 0x02, 0x06}, C::Key, [](auto& s) {
        s.key = {true, 0x43, 0x06, 0}, s.modifierOption = 2;
    });
    add("RCtrl + C keeps RCtrl with the key", {0x20, 0x10, 0x06}, C::Key,
        [](auto& s) { s.key = {true, 0x43, 0x06, 0x10}; });
    add("LAlt alone is the LAlt key", {0x20, 0x04, 0x00}, C::Key, [](auto& s) { s.key = {true, 0x43, 0x00, 0x04}; });
    add("mute", {0x30, 0xE2, 0x00}, C::Media, [](auto& s) { s.media = 7; });
    add("wake", {0x40, 0x04, 0x00}, C::System, [](auto& s) { s.system = 2; });
    add("macro run mode 3", {0x70, 0x05, 0x03}, C::Macro, [](auto& s) { s.macro = 5, s.macroRunMode = 3; });
    add("macro repeated 9 times", {0x71, 0x01, 0x09}, C::Macro,
        [](auto& s) { s.macro = 1, s.macroRunMode = 4, s.macroRepeat = 9; });
    add("gun key 3", {0x72, 0x03, 0x00}, C::GunKey, [](auto& s) { s.gunKey = 3; });
    add("disabled", {0xA0, 0x00, 0x00}, C::Disable, [](auto&) {});
    add("a type without a category", {0xD0, 0xA2, 0x01}, C::Default, [](auto&) {});
    return cases;
}

TEST(KeyAssignment, DecodesEachType) {
    for (const DecodeCase& c : decodeCases())
        EXPECT_EQ(decodeAssignment({0x43, c.code}, kDefaultA), c.expected) << c.what;
}

TEST(KeyAssignment, ARecordEqualToTheDefaultShowsCategoryZeroWhateverItsType) {
    for (const KeyRecord& record : {KeyRecord{0x41, {0x20, 0x00, 0x04}}, KeyRecord{0, {0x71, 0x02, 0x03}},
                                    KeyRecord{0, {0xA0, 0x00, 0x00}}, KeyRecord{0, {0x12, 0x00, 0xFF}}}) {
        EXPECT_EQ(decodeAssignment(record, record).category, C::Default);
    }
    // The virtual key is part of the record: the same code from another key is not the default.
    EXPECT_EQ(decodeAssignment({0x42, {0x20, 0x00, 0x04}}, kDefaultA).category, C::Key);
}

TEST(KeyAssignment, WhatIsShownSavesAsTheSameRecord) {
    const KeyRecord records[] = {
        {0, {0x12, 0x00, 0xFF}}, {0, {0x11, 0xF0, 0x80}}, {0x43, {0x20, 0x30, 0x06}},
        {0xA5, {0x20, 0x40, 0x00}}, {0, {0x71, 0x07, 0x00}}, {0, {0x30, 0x26, 0x02}},
    };
    for (const KeyRecord& record : records) {
        const auto again = encodeAssignment(decodeAssignment(record, kDefaultA), kDefaultA);
        ASSERT_TRUE(again.has_value());
        EXPECT_EQ(*again, record) << int(record.code[0]) << " " << int(record.code[1]) << " " << int(record.code[2]);
    }
}

TEST(KeyAssignment, CapturedKeysNameTheirRow) {
    EXPECT_EQ(capturedKeyRow(capturedKey(0x42, 0x05)), std::optional<size_t>(9));    // B
    EXPECT_EQ(capturedKeyRow(capturedKey(0xA5, 0x00)), std::optional<size_t>(6));    // RAlt
    EXPECT_EQ(capturedKeyRow(capturedKey(0x101, 0x58)), std::optional<size_t>(91));  // Num Enter
    EXPECT_EQ(capturedKeyRow(CapturedKey{}), std::nullopt);
    EXPECT_EQ(capturedKeyRow(capturedKey(0x07, 0xF0)), std::nullopt);
}

TEST(KeyAssignment, SixByteRecords) {
    const RecordBytes bytes{0x01, 0x01, 0x20, 0x00, 0x58, 0x00};
    const KeyRecord record{0x101, {0x20, 0x00, 0x58}};
    EXPECT_EQ(recordBytes(record), bytes);
    EXPECT_EQ(recordFromBytes(bytes), record);
}

}  // namespace
}  // namespace talven::keyfn
