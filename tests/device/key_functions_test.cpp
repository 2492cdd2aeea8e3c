#include "device/key_functions.h"
#include "device/keyboard/keyboard_layout.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>
#include <vector>

namespace talven::keyfn {
namespace {

struct NamedTable {
    const char* label;
    std::span<const KeyFunction> rows;
};

const std::vector<NamedTable>& allTables() {
    static const std::vector<NamedTable> tables = {
        {"keyboard", kKeyboardKeys},    {"mouse buttons", kMouseButtons}, {"DPI", kDpiFunctions},
        {"media", kMediaFunctions},     {"system", kSystemFunctions},     {"combinations", kKeyCombinations},
    };
    return tables;
}

TEST(KeyFunctionsTest, KeyboardRowsFallIntoTheirGroups) {
    ASSERT_EQ(kKeyboardKeys.size(), 142u);
    for (size_t i = 0; i < kKeyboardKeys.size(); ++i) {
        const KeyCode& code = kKeyboardKeys[i].record.code;
        SCOPED_TRACE(i);
        if (i < kModifierRows) {
            EXPECT_EQ(code, keyCode(static_cast<uint8_t>(1u << i), 0));
        } else if (i <= 112) {
            EXPECT_EQ(code[0], kTypeKey);
            EXPECT_EQ(code[1], 0);
            EXPECT_NE(code[2], 0);
        } else if (i <= 130) {
            EXPECT_EQ(code[0], kTypeConsumer);
        } else if (i <= 133) {
            EXPECT_EQ(code[0], kTypeSystem);
        } else if (i <= 138) {
            EXPECT_EQ(code, (KeyCode{kTypeMacroKey, kMacroKeyMarker, static_cast<uint8_t>(i - 133)}));
        } else {
            EXPECT_EQ(code[0], kTypeSpecial);
        }
        // Every keyboard row is a language key of the family, but one.
        if (kKeyboardKeys[i].name != "wed_stop") {
            EXPECT_TRUE(kKeyboardKeys[i].name.starts_with("keyboard_key_"));
        }
    }
}

TEST(KeyFunctionsTest, RowsCarryTheirVirtualKeysAndCodes) {
    struct Case {
        size_t row;
        std::string_view name;
        uint16_t virtualKey;
        KeyCode code;
    };
    const Case cases[] = {
        {0, "keyboard_key_LCtrl", 0xA2, {0x20, 0x01, 0x00}},
        {7, "keyboard_key_RWin", 0x5C, {0x20, 0x80, 0x00}},
        {8, "keyboard_key_A", 0x41, {0x20, 0x00, 0x04}},
        {33, "keyboard_key_Z", 0x5A, {0x20, 0x00, 0x1D}},
        {43, "keyboard_key_0", 0x30, {0x20, 0x00, 0x27}},
        {53, "keyboard_key_xiegang", 0xDC, {0x20, 0x00, 0x31}},
        {57, "keyboard_key_<", 0xBC, {0x20, 0x00, 0x36}},
        {91, "keyboard_key_Num Enter", 0x101, {0x20, 0x00, 0x58}},
        {101, "keyboard_key_Num 0", 0x60, {0x20, 0x00, 0x62}},
        {103, "keyboard_key_App", 0x5D, {0x20, 0x00, 0x65}},
        {104, "keyboard_key_K45", 0xE2, {0x20, 0x00, 0x64}},
        {106, "keyboard_key_K14", kUnmappedVirtualKey, {0x20, 0x00, 0x89}},
        {112, "keyboard_key_K151", kUnmappedVirtualKey, {0x20, 0x00, 0x90}},
        {113, "keyboard_key_Launch App2", 0xB7, {0x30, 0x92, 0x01}},
        {129, "wed_stop", 0xA9, {0x30, 0x26, 0x02}},
        {130, "keyboard_key_Launch Media Select", 0xB5, {0x30, 0x83, 0x01}},
        {131, "keyboard_key_Power", 0x103, {0x40, 0x01, 0x00}},
        {133, "keyboard_key_Wakeup", 0x105, {0x40, 0x04, 0x00}},
        {139, "keyboard_key_FN", kNoVirtualKey, {0xA0, 0x01, 0x00}},
        {141, "keyboard_key_COLOR", kNoVirtualKey, {0xA0, 0x24, 0x00}},
    };
    for (const Case& c : cases) {
        const KeyFunction& row = kKeyboardKeys[c.row];
        EXPECT_EQ(row.name, c.name) << c.row;
        EXPECT_EQ(row.record, (KeyRecord{c.virtualKey, c.code})) << c.name;
    }
    EXPECT_EQ(kMouseButtons[1].record.code, (KeyCode{0x10, 0x04, 0x00}));  // middle before right
    EXPECT_EQ(kMouseButtons[4].record.code, (KeyCode{0x10, 0x08, 0x00}));
    EXPECT_EQ(kMediaFunctions[0].record.code, (KeyCode{0x30, 0x83, 0x01}));
    EXPECT_EQ(kMediaFunctions[5].record.code, (KeyCode{0x30, 0xEA, 0x00}));
    EXPECT_EQ(kKeyCombinations[10].record, (KeyRecord{kNoVirtualKey, {0x20, 0x01, 0x2E}}));
}

TEST(KeyFunctionsTest, CodesNamesAndVirtualKeysIdentifyOneRowOfTheirTable) {
    for (const auto& [label, rows] : allTables()) {
        std::set<KeyCode> codes;
        std::set<std::string_view> names;
        std::set<uint16_t> virtualKeys;
        for (const KeyFunction& row : rows) {
            EXPECT_TRUE(codes.insert(row.record.code).second) << label << ": code of " << row.name;
            if (!row.name.empty()) {
                EXPECT_TRUE(names.insert(row.name).second) << label << ": " << row.name;
            }
            const uint16_t vk = row.record.virtualKey;
            if (vk != kNoVirtualKey && vk != kUnmappedVirtualKey) {
                EXPECT_TRUE(virtualKeys.insert(vk).second) << label << ": virtual key of " << row.name;
            }
        }
    }
}

TEST(KeyFunctionsTest, LookupsFindEveryRowAndNothingElse) {
    for (const auto& [label, rows] : allTables()) {
        for (size_t i = 0; i < rows.size(); ++i) {
            const KeyFunction& row = rows[i];
            EXPECT_EQ(findCode(rows, row.record.code), i) << label << " " << i;
            if (!row.name.empty()) {
                EXPECT_EQ(findName(rows, row.name), i) << label << " " << i;
            }
            const uint16_t vk = row.record.virtualKey;
            if (vk != kNoVirtualKey && vk != kUnmappedVirtualKey) {
                EXPECT_EQ(findVirtualKey(rows, vk), i) << label << " " << i;
            }
        }
    }
    EXPECT_EQ(findCode(kKeyboardKeys, keyboard::kEmptyCode), std::nullopt);
    EXPECT_EQ(findCode(kKeyboardKeys, keyCode(kModLCtrl, 0x06)), std::nullopt);  // combinations are their own table
    EXPECT_EQ(findName(kKeyboardKeys, "keyboard_key_a"), std::nullopt);         // language keys keep their case
    EXPECT_EQ(findName(kMouseButtons, ""), std::nullopt);
    EXPECT_EQ(findVirtualKey(kKeyboardKeys, kUnmappedVirtualKey), std::nullopt);
    EXPECT_EQ(findVirtualKey(kMediaFunctions, kNoVirtualKey), std::nullopt);
    EXPECT_EQ(findVirtualKey(kKeyboardKeys, 0x0E), std::nullopt);

    ASSERT_NE(keyboardKey({0xD0, 0xA2, 0x03}), nullptr);
    EXPECT_EQ(keyboardKey({0xD0, 0xA2, 0x03})->name, "keyboard_key_M3");
    EXPECT_EQ(keyboardKey({0xD0, 0xA2, 0x06}), nullptr);
}

TEST(KeyFunctionsTest, EveryOnScreenKeyHasANameForItsFactoryCode) {
    for (size_t key = 0; key < keyboard::kOnScreenKeys; ++key) {
        const KeyCode& code = keyboard::kDefaultCodes[key];
        if (code == keyboard::kEmptyCode) continue;
        EXPECT_NE(keyboardKey(code), nullptr) << "key " << key;
    }
}

TEST(KeyFunctionsTest, ShortTablesAgreeWithTheKeyboardRows) {
    // Media, web and system functions are the keyboard's consumer and system
    // rows in another order, so an assigned one always has a keyboard name.
    for (const auto& table : {std::span<const KeyFunction>(kMediaFunctions), std::span<const KeyFunction>(kSystemFunctions)}) {
        for (const KeyFunction& row : table) {
            const auto found = findCode(kKeyboardKeys, row.record.code);
            ASSERT_TRUE(found) << row.name;
            EXPECT_GE(*found, 113u);
        }
    }
    EXPECT_EQ(findName(kKeyboardKeys, "wed_stop"), findCode(kKeyboardKeys, kMediaFunctions[10].record.code));
    const char* combined[] = {"O", "N", "Z", "S", "C", "X", "V", "F", "A", "-", "="};
    for (size_t i = 0; i < kKeyCombinations.size(); ++i) {
        const auto key = findName(kKeyboardKeys, std::string("keyboard_key_") + combined[i]);
        ASSERT_TRUE(key) << combined[i];
        EXPECT_EQ(kKeyCombinations[i].record.code, keyCode(kModLCtrl, kKeyboardKeys[*key].record.code[2]));
    }
}

// --- language files ------------------------------------------------------------

std::string decodeEntities(std::string_view text) {
    static const std::map<std::string, char> entities = {
        {"lt", '<'}, {"gt", '>'}, {"amp", '&'}, {"quot", '"'}, {"apos", '\''}};
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        const size_t end = text[i] == '&' ? text.find(';', i) : std::string_view::npos;
        const auto entity = end == std::string_view::npos ? entities.end()
                                                          : entities.find(std::string(text.substr(i + 1, end - i - 1)));
        if (entity == entities.end()) {
            out += text[i];
        } else {
            out += entity->second;
            i = end;
        }
    }
    return out;
}

// The value of attribute `name` inside one element's text, entities decoded.
std::optional<std::string> attribute(std::string_view element, std::string_view name) {
    const size_t at = element.find(" " + std::string(name) + "=");
    if (at == std::string_view::npos) return std::nullopt;
    const size_t open = at + name.size() + 2;
    const char quote = element[open];
    const size_t close = element.find(quote, open + 1);
    if (close == std::string_view::npos) return std::nullopt;
    return decodeEntities(element.substr(open + 1, close - open - 1));
}

std::map<std::string, std::string> languageTexts(const std::string& file) {
    const std::string text = test::readFile(test::testDataPath("../../resources/skin/" + file));
    std::map<std::string, std::string> texts;
    for (size_t at = text.find("<Text "); at != std::string::npos; at = text.find("<Text ", at + 1)) {
        const std::string_view element = std::string_view(text).substr(at, text.find("/>", at) - at);
        const auto id = attribute(element, "id");
        const auto value = attribute(element, "value");
        if (id && value) texts[*id] = *value;
    }
    return texts;
}

TEST(KeyFunctionsTest, EveryNameHasATextInBothLanguages) {
    for (const char* file : {"lan_en.xml", "lan_cn.xml"}) {
        const auto texts = languageTexts(file);
        ASSERT_GT(texts.size(), 142u) << file;
        for (const auto& [label, rows] : allTables()) {
            for (const KeyFunction& row : rows) {
                if (row.name.empty()) continue;
                const auto text = texts.find(std::string(row.name));
                ASSERT_NE(text, texts.end()) << file << ": " << row.name;
                EXPECT_FALSE(text->second.empty()) << file << ": " << row.name;
            }
        }
    }
}

}  // namespace
}  // namespace talven::keyfn
