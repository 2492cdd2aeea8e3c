#include "device/key_functions.h"

#include <algorithm>

namespace talven::keyfn {

namespace {

constexpr KeyFunction modifier(std::string_view name, uint16_t virtualKey, uint8_t mask) {
    return {name, {virtualKey, keyCode(mask, 0)}};
}
constexpr KeyFunction key(std::string_view name, uint16_t virtualKey, uint8_t usage) {
    return {name, {virtualKey, keyCode(0, usage)}};
}
constexpr KeyFunction consumer(std::string_view name, uint16_t virtualKey, uint16_t usage) {
    return {name, {virtualKey, consumerCode(usage)}};
}
constexpr KeyFunction coded(std::string_view name, uint16_t virtualKey, KeyCode code) {
    return {name, {virtualKey, code}};
}
// Rows the skin's combo items name.
constexpr KeyFunction unnamed(KeyCode code) { return {{}, {kNoVirtualKey, code}}; }
constexpr KeyFunction ctrlWith(uint8_t usage) { return unnamed(keyCode(kModLCtrl, usage)); }

// Virtual keys above 0xFF are not keys of the desktop's own: the keypad's
// Enter (told apart from the main Enter) and the three system controls.
constexpr uint16_t kVkNumEnter = 0x101;
constexpr uint16_t kVkPower = 0x103;
constexpr uint16_t kVkSleep = 0x104;
constexpr uint16_t kVkWake = 0x105;
constexpr uint16_t kVkNone = kUnmappedVirtualKey;

}  // namespace

// std::to_array fixes each table's length by its rows, so a missing or extra
// row fails to compile instead of leaving a zero row behind.
const std::array<KeyFunction, kKeyboardKeyCount> kKeyboardKeys = std::to_array<KeyFunction>({
    modifier("keyboard_key_LCtrl", 0xA2, kModLCtrl), modifier("keyboard_key_LShift", 0xA0, kModLShift),
    modifier("keyboard_key_LAlt", 0xA4, kModLAlt), modifier("keyboard_key_LWin", 0x5B, kModLWin),
    modifier("keyboard_key_RCtrl", 0xA3, kModRCtrl), modifier("keyboard_key_RShift", 0xA1, kModRShift),
    modifier("keyboard_key_RAlt", 0xA5, kModRAlt), modifier("keyboard_key_RWin", 0x5C, kModRWin),
    // letters: virtual keys 'A'..'Z', usages 0x04..0x1D
    key("keyboard_key_A", 0x41, 0x04), key("keyboard_key_B", 0x42, 0x05), key("keyboard_key_C", 0x43, 0x06),
    key("keyboard_key_D", 0x44, 0x07), key("keyboard_key_E", 0x45, 0x08), key("keyboard_key_F", 0x46, 0x09),
    key("keyboard_key_G", 0x47, 0x0A), key("keyboard_key_H", 0x48, 0x0B), key("keyboard_key_I", 0x49, 0x0C),
    key("keyboard_key_J", 0x4A, 0x0D), key("keyboard_key_K", 0x4B, 0x0E), key("keyboard_key_L", 0x4C, 0x0F),
    key("keyboard_key_M", 0x4D, 0x10), key("keyboard_key_N", 0x4E, 0x11), key("keyboard_key_O", 0x4F, 0x12),
    key("keyboard_key_P", 0x50, 0x13), key("keyboard_key_Q", 0x51, 0x14), key("keyboard_key_R", 0x52, 0x15),
    key("keyboard_key_S", 0x53, 0x16), key("keyboard_key_T", 0x54, 0x17), key("keyboard_key_U", 0x55, 0x18),
    key("keyboard_key_V", 0x56, 0x19), key("keyboard_key_W", 0x57, 0x1A), key("keyboard_key_X", 0x58, 0x1B),
    key("keyboard_key_Y", 0x59, 0x1C), key("keyboard_key_Z", 0x5A, 0x1D),
    // digits: 1..9 then 0, usages 0x1E..0x27
    key("keyboard_key_1", 0x31, 0x1E), key("keyboard_key_2", 0x32, 0x1F), key("keyboard_key_3", 0x33, 0x20),
    key("keyboard_key_4", 0x34, 0x21), key("keyboard_key_5", 0x35, 0x22), key("keyboard_key_6", 0x36, 0x23),
    key("keyboard_key_7", 0x37, 0x24), key("keyboard_key_8", 0x38, 0x25), key("keyboard_key_9", 0x39, 0x26),
    key("keyboard_key_0", 0x30, 0x27),
    key("keyboard_key_Enter", 0x0D, 0x28), key("keyboard_key_Esc", 0x1B, 0x29),
    key("keyboard_key_BackSpace", 0x08, 0x2A), key("keyboard_key_Tab", 0x09, 0x2B),
    key("keyboard_key_Space", 0x20, 0x2C), key("keyboard_key_-", 0xBD, 0x2D), key("keyboard_key_=", 0xBB, 0x2E),
    key("keyboard_key_[", 0xDB, 0x2F), key("keyboard_key_]", 0xDD, 0x30), key("keyboard_key_xiegang", 0xDC, 0x31),
    key("keyboard_key_;", 0xBA, 0x33), key("keyboard_key_'", 0xDE, 0x34), key("keyboard_key_`", 0xC0, 0x35),
    key("keyboard_key_<", 0xBC, 0x36), key("keyboard_key_.", 0xBE, 0x37), key("keyboard_key_/", 0xBF, 0x38),
    key("keyboard_key_Caplk", 0x14, 0x39),
    key("keyboard_key_F1", 0x70, 0x3A), key("keyboard_key_F2", 0x71, 0x3B), key("keyboard_key_F3", 0x72, 0x3C),
    key("keyboard_key_F4", 0x73, 0x3D), key("keyboard_key_F5", 0x74, 0x3E), key("keyboard_key_F6", 0x75, 0x3F),
    key("keyboard_key_F7", 0x76, 0x40), key("keyboard_key_F8", 0x77, 0x41), key("keyboard_key_F9", 0x78, 0x42),
    key("keyboard_key_F10", 0x79, 0x43), key("keyboard_key_F11", 0x7A, 0x44), key("keyboard_key_F12", 0x7B, 0x45),
    key("keyboard_key_Print Scr", 0x2C, 0x46), key("keyboard_key_Scroll Lock", 0x91, 0x47),
    key("keyboard_key_Pause", 0x13, 0x48), key("keyboard_key_Insert", 0x2D, 0x49),
    key("keyboard_key_Home", 0x24, 0x4A), key("keyboard_key_Page Up", 0x21, 0x4B),
    key("keyboard_key_Delete", 0x2E, 0x4C), key("keyboard_key_End", 0x23, 0x4D),
    key("keyboard_key_Page Down", 0x22, 0x4E), key("keyboard_key_Right", 0x27, 0x4F),
    key("keyboard_key_Left", 0x25, 0x50), key("keyboard_key_Down", 0x28, 0x51), key("keyboard_key_Up", 0x26, 0x52),
    // keypad
    key("keyboard_key_Num Lock", 0x90, 0x53), key("keyboard_key_Num /", 0x6F, 0x54),
    key("keyboard_key_Num *", 0x6A, 0x55), key("keyboard_key_Num -", 0x6D, 0x56),
    key("keyboard_key_Num +", 0x6B, 0x57), key("keyboard_key_Num Enter", kVkNumEnter, 0x58),
    key("keyboard_key_Num 1", 0x61, 0x59), key("keyboard_key_Num 2", 0x62, 0x5A),
    key("keyboard_key_Num 3", 0x63, 0x5B), key("keyboard_key_Num 4", 0x64, 0x5C),
    key("keyboard_key_Num 5", 0x65, 0x5D), key("keyboard_key_Num 6", 0x66, 0x5E),
    key("keyboard_key_Num 7", 0x67, 0x5F), key("keyboard_key_Num 8", 0x68, 0x60),
    key("keyboard_key_Num 9", 0x69, 0x61), key("keyboard_key_Num 0", 0x60, 0x62),
    key("keyboard_key_Decimal", 0x6E, 0x63), key("keyboard_key_App", 0x5D, 0x65),
    // keys of national layouts, by their position numbers
    key("keyboard_key_K45", 0xE2, 0x64), key("keyboard_key_K56", 0xC1, 0x87), key("keyboard_key_K14", kVkNone, 0x89),
    key("keyboard_key_K107", 0xC2, 0x85), key("keyboard_key_K131", 0xEB, 0x8B),
    key("keyboard_key_K132", kVkNone, 0x8A), key("keyboard_key_K133", kVkNone, 0x88),
    key("keyboard_key_K150", 0xE9, 0x91), key("keyboard_key_K151", kVkNone, 0x90),
    // consumer controls
    consumer("keyboard_key_Launch App2", 0xB7, 0x0192), consumer("keyboard_key_Browaer Home", 0xAC, 0x0223),
    consumer("keyboard_key_Media Play Pause", 0xB3, 0x00CD), consumer("keyboard_key_Browser Search", 0xAA, 0x0221),
    consumer("keyboard_key_Launch Mail", 0xB4, 0x018A), consumer("keyboard_key_Volume Up", 0xAF, 0x00E9),
    consumer("keyboard_key_Volume Mute", 0xAD, 0x00E2), consumer("keyboard_key_Media Stop", 0xB2, 0x00B7),
    consumer("keyboard_key_Volume Down", 0xAE, 0x00EA), consumer("keyboard_key_Browser Favorites", 0xAB, 0x022A),
    consumer("keyboard_key_Browser ForWard", 0xA7, 0x0225), consumer("keyboard_key_Browser Back", 0xA6, 0x0224),
    consumer("keyboard_key_Media Prev Track", 0xB1, 0x00B6), consumer("keyboard_key_Media Next Track", 0xB0, 0x00B5),
    consumer("keyboard_key_Computer", 0xB6, 0x0194), consumer("keyboard_key_Browser Refresh", 0xA8, 0x0227),
    // shares its language key with the media table's row
    consumer("wed_stop", 0xA9, 0x0226),
    consumer("keyboard_key_Launch Media Select", 0xB5, 0x0183),
    // system controls
    coded("keyboard_key_Power", kVkPower, {kTypeSystem, 0x01, 0x00}),
    coded("keyboard_key_Sleep", kVkSleep, {kTypeSystem, 0x02, 0x00}),
    coded("keyboard_key_Wakeup", kVkWake, {kTypeSystem, 0x04, 0x00}),
    // macro keys
    coded("keyboard_key_M1", kNoVirtualKey, {kTypeMacroKey, kMacroKeyMarker, 1}),
    coded("keyboard_key_M2", kNoVirtualKey, {kTypeMacroKey, kMacroKeyMarker, 2}),
    coded("keyboard_key_M3", kNoVirtualKey, {kTypeMacroKey, kMacroKeyMarker, 3}),
    coded("keyboard_key_M4", kNoVirtualKey, {kTypeMacroKey, kMacroKeyMarker, 4}),
    coded("keyboard_key_M5", kNoVirtualKey, {kTypeMacroKey, kMacroKeyMarker, 5}),
    // special keys
    coded("keyboard_key_FN", kNoVirtualKey, {kTypeSpecial, 0x01, 0x00}),
    coded("keyboard_key_GM", kNoVirtualKey, {kTypeSpecial, 0x1B, 0x00}),
    coded("keyboard_key_COLOR", kNoVirtualKey, {kTypeSpecial, 0x24, 0x00}),
});

const std::array<KeyFunction, 5> kMouseButtons = std::to_array<KeyFunction>({
    unnamed({kTypeMouseButton, kButtonLeft, 0}),
    unnamed({kTypeMouseButton, kButtonMiddle, 0}),
    unnamed({kTypeMouseButton, kButtonRight, 0}),
    unnamed({kTypeMouseButton, kButtonForward, 0}),
    unnamed({kTypeMouseButton, kButtonBack, 0}),
});

const std::array<KeyFunction, 3> kDpiFunctions = std::to_array<KeyFunction>({
    unnamed({kTypeDpi, 1, 0}),
    unnamed({kTypeDpi, 2, 0}),
    unnamed({kTypeDpi, 3, 0}),
});

const std::array<KeyFunction, 18> kMediaFunctions = std::to_array<KeyFunction>({
    consumer("media_text", kNoVirtualKey, 0x0183), consumer("media_play", kNoVirtualKey, 0x00CD),
    consumer("media_stop", kNoVirtualKey, 0x00B7), consumer("media_prev", kNoVirtualKey, 0x00B6),
    consumer("media_next", kNoVirtualKey, 0x00B5), consumer("media_vol_sub", kNoVirtualKey, 0x00EA),
    consumer("media_vol_add", kNoVirtualKey, 0x00E9), consumer("media_mute", kNoVirtualKey, 0x00E2),
    consumer("web_text", kNoVirtualKey, 0x0223), consumer("web_refresh", kNoVirtualKey, 0x0227),
    consumer("wed_stop", kNoVirtualKey, 0x0226), consumer("wed_back", kNoVirtualKey, 0x0224),
    consumer("wed_forward", kNoVirtualKey, 0x0225), consumer("wed_favorite", kNoVirtualKey, 0x022A),
    consumer("web_search", kNoVirtualKey, 0x0221), consumer("media_mypc", kNoVirtualKey, 0x0194),
    consumer("media_calc", kNoVirtualKey, 0x0192), consumer("media_mail", kNoVirtualKey, 0x018A),
});

const std::array<KeyFunction, 3> kSystemFunctions = std::to_array<KeyFunction>({
    unnamed({kTypeSystem, 0x01, 0}),
    unnamed({kTypeSystem, 0x02, 0}),
    unnamed({kTypeSystem, 0x04, 0}),
});

// O, N, Z, S, C, X, V, F, A, minus, equals.
const std::array<KeyFunction, 11> kKeyCombinations = std::to_array<KeyFunction>({
    ctrlWith(0x12), ctrlWith(0x11), ctrlWith(0x1D), ctrlWith(0x16), ctrlWith(0x06), ctrlWith(0x1B),
    ctrlWith(0x19), ctrlWith(0x09), ctrlWith(0x04), ctrlWith(0x2D), ctrlWith(0x2E),
});

namespace {

template <typename Match>
std::optional<size_t> findRow(std::span<const KeyFunction> table, Match match) {
    const auto it = std::find_if(table.begin(), table.end(), match);
    if (it == table.end()) return std::nullopt;
    return static_cast<size_t>(it - table.begin());
}

}  // namespace

std::optional<size_t> findCode(std::span<const KeyFunction> table, const KeyCode& code) {
    return findRow(table, [&](const KeyFunction& row) { return row.record.code == code; });
}

std::optional<size_t> findName(std::span<const KeyFunction> table, std::string_view name) {
    if (name.empty()) return std::nullopt;
    return findRow(table, [&](const KeyFunction& row) { return row.name == name; });
}

std::optional<size_t> findVirtualKey(std::span<const KeyFunction> table, uint16_t virtualKey) {
    if (virtualKey == kNoVirtualKey || virtualKey == kUnmappedVirtualKey) return std::nullopt;
    return findRow(table, [&](const KeyFunction& row) { return row.record.virtualKey == virtualKey; });
}

const KeyFunction* keyboardKey(const KeyCode& code) {
    const auto row = findCode(kKeyboardKeys, code);
    return row ? &kKeyboardKeys[*row] : nullptr;
}

}  // namespace talven::keyfn
