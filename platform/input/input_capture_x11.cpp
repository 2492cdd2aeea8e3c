// Input capture on an X server, on a connection of its own.
//
// Keys: a passive grab of every key on the root window with the keyboard in
// synchronous mode. Each key press then comes to us first with the keyboard
// frozen; a lock key is replayed to whoever would have had it (the server
// already toggled the lock, so it toggles exactly once), every other key is
// kept and the keyboard thawed. Where another client already holds a
// passive grab on the root window (a window manager's shortcuts), the
// server refuses ours; we then take an active keyboard grab instead, under
// which the server still toggles the locks but no program sees the key.
//
// Lock keys are reported like any other key: the press as we replay it, the
// release (which goes to the other program) from the raw key events.
//
// Mouse: raw button events of the input extension, which arrive whatever
// window the pointer is over and take nothing from anyone.

#include "platform/input/input_capture.h"

#include "platform/debug_output.h"
#include "platform/input/key_tables.h"

#include <X11/Xlib.h>
#include <X11/extensions/XInput2.h>

namespace talven::input {

namespace {

// Xlib reports protocol errors through one process-wide handler whose
// default ends the process; around our requests we install one that only
// notes the error.
int g_lastXError = 0;
int noteXError(Display*, XErrorEvent* event) {
    g_lastXError = event->error_code;
    return 0;
}

class ErrorTrap {
public:
    explicit ErrorTrap(Display* display) : display_(display), previous_(XSetErrorHandler(noteXError)) {
        g_lastXError = 0;
    }
    ~ErrorTrap() { XSetErrorHandler(previous_); }
    ErrorTrap(const ErrorTrap&) = delete;
    ErrorTrap& operator=(const ErrorTrap&) = delete;
    // Waits until the server has handled every request so far.
    bool ok() {
        XSync(display_, False);
        return g_lastXError == 0;
    }

private:
    Display* display_;
    XErrorHandler previous_;
};

enum class KeyGrab { Off, Passive, Whole };

class X11Capture final : public InputCapture {
public:
    X11Capture(Display* display, int xiOpcode) : display_(display), root_(DefaultRootWindow(display)), xiOpcode_(xiOpcode) {}
    ~X11Capture() override {
        stop();
        XCloseDisplay(display_);
    }

    std::string_view name() const override { return "x11"; }
    int eventFd() const override { return ConnectionNumber(display_); }
    bool keyboardCaptured() const override { return keyGrab_ != KeyGrab::Off; }

    bool start(bool keyboard, bool mouse) override {
        stop();
        if (keyboard && !grabKeys()) return false;
        selectRawEvents(mouse, keyGrab_ == KeyGrab::Passive);
        return true;
    }

    void stop() override {
        ErrorTrap trap(display_);
        if (keyGrab_ == KeyGrab::Passive) XUngrabKey(display_, AnyKey, AnyModifier, root_);
        // A passive grab turns active while its key is held.
        if (keyGrab_ != KeyGrab::Off) XUngrabKeyboard(display_, CurrentTime);
        if (watchingButtons_ || watchingLockReleases_) selectRawEvents(false, false);
        keyGrab_ = KeyGrab::Off;
        replayedLock_ = 0;
        trap.ok();
        keys_.reset();
    }

    void dispatch(InputSink& sink) override {
        while (XPending(display_) > 0) {
            XEvent event;
            XNextEvent(display_, &event);
            if (event.type == KeyPress || event.type == KeyRelease) {
                onKey(event.xkey, sink);
            } else if (event.type == GenericEvent && event.xcookie.extension == xiOpcode_) {
                onRawEvent(event.xcookie, sink);
            }
        }
    }

private:
    bool grabKeys() {
        {
            ErrorTrap trap(display_);
            XGrabKey(display_, AnyKey, AnyModifier, root_, False, GrabModeAsync, GrabModeSync);
            if (trap.ok()) {
                keyGrab_ = KeyGrab::Passive;
                return true;
            }
        }
        debugOutput("input capture: the root window's keys are taken, grabbing the keyboard");
        ErrorTrap trap(display_);
        const int result = XGrabKeyboard(display_, root_, False, GrabModeAsync, GrabModeAsync, CurrentTime);
        if (!trap.ok() || result != GrabSuccess) {
            debugOutputf("input capture: keyboard grab refused (%d)", result);
            return false;
        }
        keyGrab_ = KeyGrab::Whole;
        return true;
    }

    void selectRawEvents(bool buttons, bool lockReleases) {
        if (xiOpcode_ < 0) return;
        unsigned char bits[XIMaskLen(XI_LASTEVENT)] = {};
        if (buttons) {
            XISetMask(bits, XI_RawButtonPress);
            XISetMask(bits, XI_RawButtonRelease);
        }
        if (lockReleases) XISetMask(bits, XI_RawKeyRelease);
        XIEventMask mask{XIAllMasterDevices, static_cast<int>(sizeof bits), bits};
        XISelectEvents(display_, root_, &mask, 1);
        // A round trip, not a flush: the server handles another client's
        // input (a click right after start) in its own order, so only once it
        // has handled the selection is no button missed.
        XSync(display_, False);
        watchingButtons_ = buttons;
        watchingLockReleases_ = lockReleases;
    }

    void onKey(const XKeyEvent& key, InputSink& sink) {
        const bool pressed = key.type == KeyPress;
        const uint16_t linuxKey = static_cast<uint16_t>(key.keycode - kXKeycodeOffset);
        if (pressed && keyGrab_ == KeyGrab::Passive) {
            // The keyboard is frozen on this press until we say what to do.
            const bool lock = isLockLinuxKey(linuxKey);
            XAllowEvents(display_, lock ? ReplayKeyboard : AsyncKeyboard, key.time);
            XFlush(display_);
            if (lock) replayedLock_ = linuxKey;
        }
        if (keyGrab_ == KeyGrab::Off) return;  // left over from a capture just stopped
        if (const auto event = keys_.translate(linuxKey, pressed)) sink.key(*event);
    }

    void onRawEvent(XGenericEventCookie& cookie, InputSink& sink) {
        if (!XGetEventData(display_, &cookie)) return;
        const int type = cookie.evtype;
        const int detail = static_cast<const XIRawEvent*>(cookie.data)->detail;
        XFreeEventData(display_, &cookie);
        if (type == XI_RawKeyRelease) {
            onLockRelease(detail, sink);
        } else if (type == XI_RawButtonPress || type == XI_RawButtonRelease) {
            onButton(detail, type == XI_RawButtonPress, sink);
        }
    }

    // Under the passive grab a lock key's release goes to the program the
    // press was replayed to; every other release comes through the grab.
    void onLockRelease(int keycode, InputSink& sink) {
        const uint16_t linuxKey = static_cast<uint16_t>(keycode - kXKeycodeOffset);
        if (!watchingLockReleases_ || linuxKey != replayedLock_) return;
        replayedLock_ = 0;
        if (const auto event = keys_.translate(linuxKey, false)) sink.key(*event);
    }

    void onButton(int number, bool pressed, InputSink& sink) {
        const auto button = buttonForXButton(static_cast<unsigned>(number));
        if (!watchingButtons_ || !button) return;
        ButtonEvent event = buttonEvent(*button, pressed);
        Window rootReturn = 0, child = 0;
        int winX = 0, winY = 0;
        unsigned int state = 0;
        event.hasPoint = XQueryPointer(display_, root_, &rootReturn, &child, &event.x, &event.y, &winX, &winY, &state);
        sink.button(event);
    }

    Display* display_;
    Window root_;
    int xiOpcode_;
    KeyGrab keyGrab_ = KeyGrab::Off;
    bool watchingButtons_ = false;
    bool watchingLockReleases_ = false;
    uint16_t replayedLock_ = 0;  // the lock key whose release we still wait for
    KeyMessageState keys_;
};

// The opcode of the input extension when it speaks version 2.1 or later
// (raw events for everyone, whatever grabs), else -1.
int rawEventOpcode(Display* display) {
    int opcode = 0, event = 0, error = 0;
    if (!XQueryExtension(display, "XInputExtension", &opcode, &event, &error)) return -1;
    int major = 2, minor = 1;
    if (XIQueryVersion(display, &major, &minor) != Success || (major == 2 && minor < 1)) return -1;
    return opcode;
}

}  // namespace

std::unique_ptr<InputCapture> openX11Capture(const std::string& displayName) {
    Display* display = XOpenDisplay(displayName.empty() ? nullptr : displayName.c_str());
    if (display == nullptr) return nullptr;
    const int opcode = rawEventOpcode(display);
    if (opcode < 0) debugOutput("input capture: the X server has no raw button events, mouse buttons are not seen");
    return std::make_unique<X11Capture>(display, opcode);
}

}  // namespace talven::input
