#include "device/key_assignment.h"

namespace talven::keyfn {

namespace {

uint8_t low8(int value) { return static_cast<uint8_t>(value); }

uint8_t nibbles(const MotionState& m) { return low8((m.count & 0x0F) << 4 | (m.delay & 0x0F)); }

KeyRecord plain(KeyCode code) { return {kNoVirtualKey, code}; }

std::optional<KeyRecord> tableRow(std::span<const KeyFunction> table, int row) {
    if (row < 0 || static_cast<size_t>(row) >= table.size()) return std::nullopt;
    return table[static_cast<size_t>(row)].record;
}

// The bit of modifier option 1..4; option 0 (and anything else) adds none.
uint8_t optionBit(int option) {
    return option >= 1 && option < kModifierOptionCount ? low8(1 << (option - 1)) : 0;
}

std::optional<KeyRecord> encodeKey(const AssignmentState& s) {
    const uint8_t usage = s.key.present ? s.key.usage : 0;
    const uint8_t ownModifiers = s.key.present ? s.key.modifiers : 0;
    const uint16_t virtualKey = s.key.present ? s.key.virtualKey : kNoVirtualKey;
    return KeyRecord{virtualKey, keyCode(ownModifiers | optionBit(s.modifierOption), usage)};
}

std::optional<KeyRecord> encodeMacro(const AssignmentState& s) {
    if (s.macro < 0 || s.macroRunMode < 0 || s.macroRunMode >= kMacroRunModeCount) return std::nullopt;
    if (s.macroRunMode == kMacroRepeatMode) return plain({kTypeMacroRepeat, low8(s.macro), low8(s.macroRepeat)});
    return plain({kTypeMacro, low8(s.macro), low8(s.macroRunMode)});
}

// Rows match on the two parameters; -1 when none does.
int rowByParameters(std::span<const KeyFunction> table, const KeyCode& code) {
    for (size_t i = 0; i < table.size(); ++i) {
        const KeyCode& row = table[i].record.code;
        if (row[1] == code[1] && row[2] == code[2]) return static_cast<int>(i);
    }
    return -1;
}

MotionState decodeMotion(const KeyCode& code, bool signedAmount) {
    MotionState m;
    m.count = code[1] >> 4;
    m.delay = code[1] & 0x0F;
    m.direction = code[2] >> 7;
    const int magnitude = code[2] & 0x7F;
    m.amount = signedAmount && m.direction ? 128 - magnitude : magnitude;
    return m;
}

// A single modifier bit an option offers becomes that option; other bits
// stay with the key, so showing and saving again keeps them.
void decodeKey(const KeyRecord& record, AssignmentState& s) {
    const uint8_t modifiers = record.code[1];
    const uint8_t usage = record.code[2];
    s.key = {true, record.virtualKey, usage, 0};
    s.modifierOption = 0;
    if (usage == 0) {
        s.key.modifiers = modifiers;
        return;
    }
    for (int option = 1; option < kModifierOptionCount; ++option) {
        if (modifiers == optionBit(option)) {
            s.modifierOption = option;
            return;
        }
    }
    s.key.modifiers = modifiers;
}

}  // namespace

std::optional<KeyRecord> encodeAssignment(const AssignmentState& s, const KeyRecord& defaultRecord) {
    switch (s.category) {
    case Category::MouseButton: return tableRow(kMouseButtons, s.mouseButton);
    case Category::Swing: {
        const uint8_t speed = s.swing.direction ? low8(s.swing.amount | 0x80) : low8(s.swing.amount & 0x7F);
        return plain({kTypeMouseSwing, nibbles(s.swing), speed});
    }
    case Category::Wheel: {
        const uint8_t amount = s.wheel.direction ? low8((128 - s.wheel.amount) | 0x80) : low8(s.wheel.amount & 0x7F);
        return plain({kTypeMouseWheel, nibbles(s.wheel), amount});
    }
    case Category::Dpi: return tableRow(kDpiFunctions, s.dpi);
    case Category::Fire: return plain({kTypeFire, low8(s.fireInterval), low8(s.fireCount)});
    case Category::Key: return encodeKey(s);
    case Category::Media: return tableRow(kMediaFunctions, s.media);
    case Category::System: return tableRow(kSystemFunctions, s.system);
    case Category::Macro: return encodeMacro(s);
    case Category::GunKey:
        if (s.gunKey < 0) return std::nullopt;
        return plain({kTypeGunKey, low8(s.gunKey), 0});
    case Category::Combination: return tableRow(kKeyCombinations, s.combination);
    case Category::Disable: return plain({kTypeSpecial, 0x00, 0x00});
    case Category::Default: break;
    }
    return defaultRecord;
}

AssignmentState decodeAssignment(const KeyRecord& current, const KeyRecord& defaultRecord) {
    AssignmentState s;
    if (current == defaultRecord) return s;
    const KeyCode& code = current.code;
    switch (code[0]) {
    case kTypeMouseButton:
        s.category = Category::MouseButton;
        s.mouseButton = rowByParameters(kMouseButtons, code);
        break;
    case kTypeMouseSwing:
        s.category = Category::Swing;
        s.swing = decodeMotion(code, false);
        break;
    case kTypeMouseWheel:
        s.category = Category::Wheel;
        s.wheel = decodeMotion(code, true);
        break;
    case kTypeDpi:
        s.category = Category::Dpi;
        s.dpi = rowByParameters(kDpiFunctions, code);
        break;
    case kTypeFire:
        s.category = Category::Fire;
        s.fireInterval = code[1];
        s.fireCount = code[2];
        break;
    case kTypeKey:
        if (const int row = rowByParameters(kKeyCombinations, code); row >= 0) {
            s.category = Category::Combination;
            s.combination = row;
        } else {
            s.category = Category::Key;
            decodeKey(current, s);
        }
        break;
    case kTypeConsumer:
        s.category = Category::Media;
        s.media = rowByParameters(kMediaFunctions, code);
        break;
    case kTypeSystem:
        s.category = Category::System;
        s.system = rowByParameters(kSystemFunctions, code);
        break;
    case kTypeMacro:
        s.category = Category::Macro;
        s.macro = code[1];
        s.macroRunMode = code[2];
        break;
    case kTypeMacroRepeat:
        s.category = Category::Macro;
        s.macro = code[1];
        s.macroRunMode = kMacroRepeatMode;
        s.macroRepeat = code[2];
        break;
    case kTypeGunKey:
        s.category = Category::GunKey;
        s.gunKey = code[1];
        break;
    case kTypeSpecial: s.category = Category::Disable; break;
    default: break;
    }
    return s;
}

CapturedKey capturedKey(uint16_t virtualKey, uint8_t usage) {
    CapturedKey key{true, virtualKey, usage, 0};
    if (usage != 0) return key;
    if (const auto row = findVirtualKey(kKeyboardKeys, virtualKey); row && *row < kModifierRows)
        key.modifiers = kKeyboardKeys[*row].record.code[1];
    return key;
}

std::optional<size_t> capturedKeyRow(const CapturedKey& key) {
    if (!key.present) return std::nullopt;
    if (key.usage != 0) return findCode(kKeyboardKeys, keyCode(0, key.usage));
    return findCode(kKeyboardKeys, keyCode(key.modifiers, 0));
}

KeyRecord storedRecord(const KeyCode& code) {
    const KeyFunction* row = keyboardKey(code);
    return {row ? row->record.virtualKey : kNoVirtualKey, code};
}

RecordBytes recordBytes(const KeyRecord& record) {
    return {low8(record.virtualKey), low8(record.virtualKey >> 8), record.code[0], record.code[1], record.code[2], 0};
}

KeyRecord recordFromBytes(const RecordBytes& bytes) {
    return {static_cast<uint16_t>(bytes[0] | bytes[1] << 8), {bytes[2], bytes[3], bytes[4]}};
}

}  // namespace talven::keyfn
