#pragma once
// What a capture reports: key and mouse-button events in the shape of the
// recorder's hook records (a message number, the key's virtual key, scan code
// and extended flag; a button message, the X-button number and the pointer's
// screen position), and the small state that picks the message of a key.

#include <cstdint>
#include <optional>

namespace talven::input {

// Message numbers of key and button events.
inline constexpr uint32_t kWmKeyDown = 0x0100;
inline constexpr uint32_t kWmKeyUp = 0x0101;
inline constexpr uint32_t kWmSysKeyDown = 0x0104;
inline constexpr uint32_t kWmSysKeyUp = 0x0105;
inline constexpr uint32_t kWmLButtonDown = 0x0201;
inline constexpr uint32_t kWmLButtonUp = 0x0202;
inline constexpr uint32_t kWmRButtonDown = 0x0204;
inline constexpr uint32_t kWmRButtonUp = 0x0205;
inline constexpr uint32_t kWmMButtonDown = 0x0207;
inline constexpr uint32_t kWmMButtonUp = 0x0208;
inline constexpr uint32_t kWmXButtonDown = 0x020B;
inline constexpr uint32_t kWmXButtonUp = 0x020C;
inline constexpr uint16_t kXButtonBack = 1;
inline constexpr uint16_t kXButtonForward = 2;

struct KeyEvent {
    uint32_t message = 0;
    uint16_t virtualKey = 0;
    uint16_t scanCode = 0;
    bool extended = false;
    uint16_t linuxKey = 0;
};

struct ButtonEvent {
    uint32_t message = 0;
    uint16_t xButton = 0;  // kXButtonBack / kXButtonForward for X buttons, else 0
    int32_t x = 0;
    int32_t y = 0;
    bool hasPoint = false;  // false: the backend does not know where the pointer is
};

enum class MouseButton { Left, Right, Middle, Back, Forward };

// Linux button codes (BTN_LEFT ...) and X button numbers (1 left, 2 middle,
// 3 right, 8 back, 9 forward); wheel steps and other buttons give nothing.
std::optional<MouseButton> buttonForLinuxCode(uint16_t code);
std::optional<MouseButton> buttonForXButton(unsigned number);
ButtonEvent buttonEvent(MouseButton button, bool pressed);

// Turns key presses and releases into key events. A key pressed or released
// while an Alt key is held, and Ctrl is not, is a "system" key, as are F10
// and Alt itself; a held key's repeats are presses again.
class KeyMessageState {
public:
    // Nothing for keys without a virtual key.
    std::optional<KeyEvent> translate(uint16_t linuxKey, bool pressed);
    void reset() { *this = {}; }

private:
    bool altDown_[2] = {false, false};
    bool ctrlDown_[2] = {false, false};
};

}  // namespace talven::input
