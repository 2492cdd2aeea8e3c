#pragma once
// CDeviceHook: the input hook of the key capture box and the macro recorder.
// While installed, every key pressed anywhere comes to the target window as
// the registered message of the capture mode, sent synchronously on the UI
// thread (wParam: the key message, lParam: a KeyHookRecord that lives for the
// call), and keys reach no other program except Caps Lock, Num Lock and
// Scroll Lock, which keep toggling. Mouse buttons are watched, not taken,
// and arrive as the mode's mouse message (lParam: a MouseHookRecord).
//
// Where the session offers no system-wide capture (no X server, no
// readable event devices) the hook watches the program's own windows only,
// and says so: systemWide() is false and kOwnWindowsOnlyText is the line the
// capture box shows.

#include "platform/input/input_capture.h"

#include <QtGlobal>

#include <cstddef>
#include <cstdint>
#include <memory>

namespace talven {

namespace ui {
class WindowImplBase;
}

// The records the hook messages point to; 32-bit fields in the layout the
// recorder has always read (the X-button number in the high word of
// mouseData, at offset 20).
struct KeyHookRecord {
    uint32_t vkCode = 0;
    uint32_t scanCode = 0;
    uint32_t flags = 0;  // kKeyHookExtended
    uint32_t time = 0;   // milliseconds, steady clock
    uint32_t extraInfo = 0;
};
inline constexpr uint32_t kKeyHookExtended = 0x01;

struct MouseHookRecord {
    int32_t x = 0;  // screen coordinates
    int32_t y = 0;
    uint32_t window = 0;
    uint32_t hitTestCode = 0;
    uint32_t extraInfo = 0;
    uint32_t mouseData = 0;  // high word: 1 back, 2 forward
};
static_assert(sizeof(KeyHookRecord) == 20);
static_assert(offsetof(MouseHookRecord, mouseData) == 20);

namespace hookmode {
inline constexpr int kSingleKey = 1;       // key capture box
inline constexpr int kHitKey = 2;
inline constexpr int kMacro = 4;           // recording, append
inline constexpr int kMacroPrevious = 8;   // recording, insert before
inline constexpr int kMacroLater = 16;     // recording, insert after
inline constexpr int kMacroSingle = 32;    // replace one step's key
inline constexpr int kMouseSingleKey = 256;
inline constexpr int kMouseHitKey = 512;
inline constexpr int kMouseMacro = 1024;
}  // namespace hookmode

// The registered numbers of a mode's messages; 0 for a mode outside the
// table, and for the mouse message of a mode that has none.
uint hookKeyboardMessage(int mode);
uint hookMouseMessage(int mode);

class CDeviceHook {
public:
    inline static constexpr char kOwnWindowsOnlyText[] = "keyset_capture_own_window";

    CDeviceHook();
    virtual ~CDeviceHook();
    CDeviceHook(const CDeviceHook&) = delete;
    CDeviceHook& operator=(const CDeviceHook&) = delete;

    // Replaces any capture in place. keyboard: take the keys; library:
    // watch the mouse buttons. 1 on success, 0 when the keys could not be
    // taken (another program holds the keyboard); then nothing is captured
    // and the stored mode and window stay as they were.
    int Install(int callerValue, int mode, ui::WindowImplBase* target, bool keyboard, bool library);
    // Releases everything; 1 when keys were captured, else 0.
    int Uninstall();

    bool installed() const;
    int mode() const { return mode_; }
    // Whether keys are captured from every program (asks the session on
    // first use).
    bool systemWide();
    // Where to look for the session's input; the first Install reads them.
    void setCaptureOptions(input::InputCaptureOptions options) { options_ = std::move(options); }

private:
    class Receiver;
    void ensureCapture();

    input::InputCaptureOptions options_;
    std::unique_ptr<Receiver> receiver_;
    int callerValue_ = 0;
    int mode_ = 0;
};

}  // namespace talven
