#include "platform/input/input_events.h"

#include "platform/input/key_tables.h"

#include <linux/input-event-codes.h>

namespace talven::input {

std::optional<MouseButton> buttonForLinuxCode(uint16_t code) {
    switch (code) {
    case BTN_LEFT: return MouseButton::Left;
    case BTN_RIGHT: return MouseButton::Right;
    case BTN_MIDDLE: return MouseButton::Middle;
    case BTN_SIDE: return MouseButton::Back;
    case BTN_EXTRA: return MouseButton::Forward;
    default: return std::nullopt;
    }
}

std::optional<MouseButton> buttonForXButton(unsigned number) {
    switch (number) {
    case 1: return MouseButton::Left;
    case 2: return MouseButton::Middle;
    case 3: return MouseButton::Right;
    case 8: return MouseButton::Back;
    case 9: return MouseButton::Forward;
    default: return std::nullopt;  // 4..7 are wheel steps
    }
}

ButtonEvent buttonEvent(MouseButton button, bool pressed) {
    ButtonEvent event;
    switch (button) {
    case MouseButton::Left: event.message = pressed ? kWmLButtonDown : kWmLButtonUp; break;
    case MouseButton::Right: event.message = pressed ? kWmRButtonDown : kWmRButtonUp; break;
    case MouseButton::Middle: event.message = pressed ? kWmMButtonDown : kWmMButtonUp; break;
    case MouseButton::Back:
    case MouseButton::Forward:
        event.message = pressed ? kWmXButtonDown : kWmXButtonUp;
        event.xButton = button == MouseButton::Back ? kXButtonBack : kXButtonForward;
        break;
    }
    return event;
}

std::optional<KeyEvent> KeyMessageState::translate(uint16_t linuxKey, bool pressed) {
    const bool isAlt = linuxKey == KEY_LEFTALT || linuxKey == KEY_RIGHTALT;
    const bool isCtrl = linuxKey == KEY_LEFTCTRL || linuxKey == KEY_RIGHTCTRL;
    const int side = (linuxKey == KEY_RIGHTALT || linuxKey == KEY_RIGHTCTRL) ? 1 : 0;
    // The Alt key's own press and release count as held, so both are
    // system keys; the state changes after the message is chosen.
    const bool alt = altDown_[0] || altDown_[1] || isAlt;
    const bool ctrl = ctrlDown_[0] || ctrlDown_[1];
    if (isAlt) altDown_[side] = pressed;
    if (isCtrl) ctrlDown_[side] = pressed;

    const auto key = winKeyForLinuxKey(linuxKey);
    if (!key) return std::nullopt;
    const bool system = (alt && !ctrl) || linuxKey == KEY_F10;
    KeyEvent event;
    event.message = pressed ? (system ? kWmSysKeyDown : kWmKeyDown) : (system ? kWmSysKeyUp : kWmKeyUp);
    event.virtualKey = key->virtualKey;
    event.scanCode = key->scanCode;
    event.extended = key->extended;
    event.linuxKey = linuxKey;
    return event;
}

}  // namespace talven::input
