// The keyboard repeat settings of an X server, through its keyboard extension.
// Built only when Xlib is available (platform/CMakeLists.txt).

#include "platform/input_settings.h"

#include "platform/debug_output.h"

#include <X11/XKBlib.h>
#include <X11/Xlib.h>

#include <mutex>

namespace talven {

namespace {

// Xlib reports protocol errors through one process-wide handler whose default
// ends the process. While we talk to the server we install our own that only
// notes the error; the lock keeps two of our calls from swapping handlers
// under each other.
std::mutex g_xlibLock;
int g_lastXError = 0;

int noteXError(Display*, XErrorEvent* event) {
    g_lastXError = event->error_code;
    return 0;
}

class XConnection {
public:
    explicit XConnection(const std::string& name)
        : lock_(g_xlibLock), previousHandler_(XSetErrorHandler(noteXError)) {
        g_lastXError = 0;
        display_ = XOpenDisplay(name.empty() ? nullptr : name.c_str());
        if (display_ == nullptr) return;
        int opcode = 0, event = 0, error = 0;
        int major = XkbMajorVersion, minor = XkbMinorVersion;
        if (!XkbQueryExtension(display_, &opcode, &event, &error, &major, &minor)) {
            XCloseDisplay(display_);
            display_ = nullptr;
        }
    }
    ~XConnection() {
        if (display_ != nullptr) XCloseDisplay(display_);
        XSetErrorHandler(previousHandler_);
    }
    XConnection(const XConnection&) = delete;
    XConnection& operator=(const XConnection&) = delete;

    Display* get() const { return display_; }
    // Waits for the server to have handled every request sent so far.
    bool syncedWithoutError() const {
        XSync(display_, False);
        return g_lastXError == 0;
    }

private:
    std::lock_guard<std::mutex> lock_;
    XErrorHandler previousHandler_;
    Display* display_ = nullptr;
};

struct XkbRepeat {
    unsigned delayMs = 0;
    unsigned intervalMs = 0;
};

std::optional<XkbRepeat> readRepeat(const XConnection& x) {
    XkbRepeat repeat;
    if (!XkbGetAutoRepeatRate(x.get(), XkbUseCoreKbd, &repeat.delayMs, &repeat.intervalMs) ||
        !x.syncedWithoutError()) {
        return std::nullopt;
    }
    return repeat;
}

class X11InputSettings final : public InputSettings {
public:
    explicit X11InputSettings(std::string displayName) : displayName_(std::move(displayName)) {}

    std::string_view backendName() const override { return "x11"; }

    std::optional<KeyboardRepeat> keyboardRepeat() const override {
        XConnection x(displayName_);
        if (x.get() == nullptr) return std::nullopt;
        const auto repeat = readRepeat(x);
        if (!repeat) return std::nullopt;
        return KeyboardRepeat{repeatSpeedFromInterval(repeat->intervalMs), repeatDelayFromMs(repeat->delayMs)};
    }

private:
    bool writeKeyboardSpeed(uint32_t speed) override {
        return change([&](XkbRepeat& repeat) { repeat.intervalMs = repeatIntervalMs(speed); });
    }
    bool writeKeyboardDelay(uint32_t delay) override {
        return change([&](XkbRepeat& repeat) { repeat.delayMs = repeatDelayMs(delay); });
    }

    // The server sets delay and interval together: read both, change one.
    template <typename Edit>
    bool change(Edit edit) {
        XConnection x(displayName_);
        if (x.get() == nullptr) {
            debugOutputf("input settings: cannot open display %s", displayName_.c_str());
            return false;
        }
        auto repeat = readRepeat(x);
        if (!repeat) return false;
        edit(*repeat);
        if (!XkbSetAutoRepeatRate(x.get(), XkbUseCoreKbd, repeat->delayMs, repeat->intervalMs) ||
            !x.syncedWithoutError()) {
            debugOutputf("input settings: display %s refused the repeat rate", displayName_.c_str());
            return false;
        }
        return true;
    }

    std::string displayName_;
};

}  // namespace

std::unique_ptr<InputSettings> openX11InputSettings(const std::string& displayName) {
    {
        XConnection x(displayName);
        if (x.get() == nullptr) return nullptr;
    }
    return std::make_unique<X11InputSettings>(displayName);
}

}  // namespace talven
