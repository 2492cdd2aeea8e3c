#include "profile/macro_recorder.h"

#include "device/key_functions.h"
#include "platform/input/input_events.h"
#include "platform/input/key_tables.h"

#include <algorithm>
#include <array>
#include <charconv>

namespace talven {

namespace {

constexpr const char* kActionDown = "down";
constexpr const char* kActionUp = "up";

// The first HID usage of the modifier keys (LCtrl); E0..E7 are the eight
// modifier bits in order.
constexpr int kFirstModifierUsage = 0xE0;

// The names the editor shows for the mouse buttons, by button bit.
struct MouseName {
    int bit;
    const char* nameKey;
};
constexpr auto kMouseNames = std::to_array<MouseName>({
    {keyfn::kButtonLeft, "ks_mouse_left"},
    {keyfn::kButtonMiddle, "ks_mouse_middle"},
    {keyfn::kButtonRight, "ks_mouse_right"},
    {keyfn::kButtonForward, "ks_mouse_forward"},
    {keyfn::kButtonBack, "ks_mouse_back"},
});

// Move names by kind and direction ("down" first).
constexpr const char* kMoveNames[2][2] = {{"macro_move_left", "macro_move_right"},
                                          {"macro_move_up", "macro_move_down"}};

bool isPress(uint32_t message) { return message == input::kWmKeyDown || message == input::kWmSysKeyDown; }

// The keyboard table row of a HID usage: a modifier row (usage 0, its bit)
// for E0..E7, else the ordinary key row with that usage.
const keyfn::KeyFunction* keyboardRowForUsage(uint8_t usage) {
    if (usage >= kFirstModifierUsage && usage < kFirstModifierUsage + static_cast<int>(keyfn::kModifierRows))
        return &keyfn::kKeyboardKeys[static_cast<size_t>(usage - kFirstModifierUsage)];
    return keyfn::keyboardKey(keyfn::keyCode(0, usage));
}

MacroEvent keyEventOfRow(const keyfn::KeyFunction& row, bool down) {
    const KeyCode& code = row.record.code;
    if (code[2] != 0) return {down, macroevent::kKey, code[2]};
    return {down, macroevent::kModifier, code[1]};
}

std::string keyNameKey(const MacroEvent& event) {
    const auto& keys = keyfn::kKeyboardKeys;
    const auto first = event.type == macroevent::kModifier ? keys.begin() : keys.begin() + keyfn::kModifierRows;
    const auto last = event.type == macroevent::kModifier ? keys.begin() + keyfn::kModifierRows : keys.end();
    const auto row = std::find_if(first, last, [&](const keyfn::KeyFunction& f) {
        const KeyCode& code = f.record.code;
        if (code[0] != keyfn::kTypeKey) return false;
        return event.type == macroevent::kModifier ? code[1] == event.button
                                                   : code[1] == 0 && code[2] == event.button;
    });
    return row == last ? std::string() : std::string(row->name);
}

}  // namespace

Json::Value macroEventObject(const MacroEvent& event, uint16_t delay) {
    Json::Value object(Json::objectValue);
    object["Action"] = event.down ? kActionDown : kActionUp;
    object["Type"] = event.type;
    object["Button"] = event.button;
    object["Delay"] = std::to_string(delay);
    return object;
}

MacroEvent macroEventOf(const Json::Value& object) {
    if (!object.isObject()) return {};
    const Json::Value& action = object["Action"];
    const Json::Value& type = object["Type"];
    const Json::Value& button = object["Button"];
    return {action.isString() && action.asString() == kActionDown, type.isIntegral() ? type.asInt() : 0,
            button.isIntegral() ? button.asInt() : 0};
}

uint16_t storedDelay(const Json::Value& object) {
    if (!object.isObject() || !object["Delay"].isString()) return 0;
    // Leading digits, like the readers' decimal conversion; a longer run
    // of digits than any delay is simply too large.
    const std::string text = object["Delay"].asString();
    const size_t digits = std::find_if(text.begin(), text.end(), [](char c) { return c < '0' || c > '9'; }) -
                          text.begin();
    if (digits == 0) return 0;
    return parseMacroDelay(std::string_view(text).substr(0, digits)).value_or(kMaxMacroDelay);
}

std::optional<MacroEvent> keyMacroEvent(uint32_t message, uint16_t scanCode, bool extended) {
    const auto linuxKey = input::linuxKeyForScanCode(scanCode, extended);
    if (!linuxKey) return std::nullopt;
    const auto usage = input::hidUsageForLinuxKey(*linuxKey);
    if (!usage) return std::nullopt;
    const keyfn::KeyFunction* row = keyboardRowForUsage(*usage);
    if (!row) return std::nullopt;
    return keyEventOfRow(*row, isPress(message));
}

std::optional<MacroEvent> buttonMacroEvent(uint32_t message, uint16_t xButton) {
    struct ButtonMessage {
        uint32_t down, up;
        int bit;
    };
    static constexpr ButtonMessage kButtons[] = {
        {input::kWmLButtonDown, input::kWmLButtonUp, keyfn::kButtonLeft},
        {input::kWmRButtonDown, input::kWmRButtonUp, keyfn::kButtonRight},
        {input::kWmMButtonDown, input::kWmMButtonUp, keyfn::kButtonMiddle},
    };
    for (const ButtonMessage& b : kButtons) {
        if (message == b.down || message == b.up) return MacroEvent{message == b.down, macroevent::kMouseButton, b.bit};
    }
    if (message != input::kWmXButtonDown && message != input::kWmXButtonUp) return std::nullopt;
    const bool down = message == input::kWmXButtonDown;
    if (xButton == input::kXButtonForward) return MacroEvent{down, macroevent::kMouseButton, keyfn::kButtonForward};
    if (xButton == input::kXButtonBack) return MacroEvent{down, macroevent::kMouseButton, keyfn::kButtonBack};
    return std::nullopt;
}

MacroEvent moveMacroEvent(int direction, int distance) {
    const bool horizontal = direction == 0 || direction == 1;
    const bool down = direction == 0 || direction == 2;
    return {down, horizontal ? macroevent::kMoveX : macroevent::kMoveY, distance & 0xFF};
}

MacroEventLabel macroEventLabel(const MacroEvent& event) {
    switch (event.type) {
    case macroevent::kKey:
    case macroevent::kModifier:
        return {keyNameKey(event), false, false};
    case macroevent::kMouseButton: {
        const auto row = std::find_if(kMouseNames.begin(), kMouseNames.end(),
                                      [&](const MouseName& m) { return m.bit == event.button; });
        return {row == kMouseNames.end() ? std::string() : std::string(row->nameKey), true, false};
    }
    case macroevent::kMoveX:
    case macroevent::kMoveY:
        return {kMoveNames[event.type - macroevent::kMoveX][event.down ? 0 : 1], true, true};
    default:
        // Kinds 2 and 3 (and anything else) are mouse steps without a name.
        return {{}, true, false};
    }
}

std::optional<uint16_t> parseMacroDelay(std::string_view text) {
    if (text.empty() || !std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return std::nullopt;
    unsigned long long value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error == std::errc::result_out_of_range || value > kMaxMacroDelay) return kMaxMacroDelay;
    return static_cast<uint16_t>(value);
}

// ---- the recorder ---------------------------------------------------------------

void MacroRecorder::start(MacroDelayMode mode, MacroInsertion where, uint16_t constantDelay, uint32_t nowMs) {
    mode_ = mode;
    where_ = where;
    constantDelay_ = constantDelay;
    lastTick_ = nowMs;
    // A key still held when the last recording stopped never sent its
    // release to us; remembered, its next press would be taken for a
    // repeat and lost.
    pressed_.reset();
}

std::optional<MacroRecorder::Change> MacroRecorder::recordKey(MacroStepList& list, uint32_t message, uint16_t scanCode,
                                                              bool extended, uint32_t nowMs) {
    const bool down = isPress(message);
    const bool same = pressed_ && pressed_->scanCode == scanCode && pressed_->extended == extended;
    if (down) {
        // A held key repeats its press; only the first counts.
        if (same) return std::nullopt;
        pressed_ = PressedKey{scanCode, extended};
    } else if (same) {
        pressed_.reset();
    }
    const auto event = keyMacroEvent(message, scanCode, extended);
    if (!event) return std::nullopt;
    return record(list, *event, nowMs);
}

std::optional<MacroRecorder::Change> MacroRecorder::recordButton(MacroStepList& list, uint32_t message,
                                                                 uint16_t xButton, int x, int y,
                                                                 const Area& stopButton, uint32_t nowMs) {
    const auto event = buttonMacroEvent(message, xButton);
    if (!event) return std::nullopt;
    // The click that ends the recording is not part of it.
    if (event->button == keyfn::kButtonLeft && stopButton.contains(x, y)) return std::nullopt;
    return record(list, *event, nowMs);
}

size_t MacroRecorder::insertionPoint(const MacroStepList& list) const {
    const size_t count = list.steps.size();
    const bool selected = list.selected >= 0 && static_cast<size_t>(list.selected) < count;
    if (where_ == MacroInsertion::Append || !selected) return count;
    return static_cast<size_t>(list.selected) + (where_ == MacroInsertion::After ? 1 : 0);
}

std::optional<MacroRecorder::Change> MacroRecorder::record(MacroStepList& list, const MacroEvent& event,
                                                           uint32_t nowMs) {
    if (list.steps.size() >= kMaxMacroSteps) return std::nullopt;
    uint16_t delay = 0;
    if (mode_ == MacroDelayMode::Constant) {
        delay = constantDelay_;
    } else if (mode_ == MacroDelayMode::Record) {
        delay = static_cast<uint16_t>(std::min<uint32_t>(nowMs - lastTick_, kMaxMacroDelay));
        lastTick_ = nowMs;
    }
    const size_t at = insertionPoint(list);
    const bool onlyStep = list.steps.empty();
    // A new step waits for the next one; the step before it now knows how
    // long until this one.
    const uint16_t own = !onlyStep && mode_ == MacroDelayMode::Constant ? constantDelay_ : 0;
    list.steps.insert(list.steps.begin() + static_cast<std::ptrdiff_t>(at), MacroStep{macroEventObject(event, own), own});
    Change change{at, std::nullopt};
    if (!onlyStep && recordedBefore_ && at > 0) {
        MacroStep& before = list.steps[at - 1];
        before.delay = delay;
        before.event["Delay"] = std::to_string(delay);
        change.retimed = at - 1;
    }
    recordedBefore_ = true;
    // Inserting before keeps the selection on the step it was on, so the
    // next event again goes in front of it.
    list.selected = static_cast<int>(where_ == MacroInsertion::Before && at + 1 < list.steps.size() ? at + 1 : at);
    return change;
}

bool MacroRecorder::replaceSelected(MacroStepList& list, const MacroEvent& with) {
    if (list.selected < 0 || static_cast<size_t>(list.selected) >= list.steps.size()) return false;
    Json::Value& event = list.steps[static_cast<size_t>(list.selected)].event;
    if (!event.isObject()) event = macroEventObject(with, 0);
    event["Type"] = with.type;
    event["Button"] = with.button;
    return true;
}

}  // namespace talven
