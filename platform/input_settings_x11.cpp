// The keyboard repeat settings of an X server, through its keyboard extension.
// Built only when Xlib is available (platform/CMakeLists.txt).

#include "platform/input_settings.h"

#include "platform/debug_output.h"
#include "platform/xlib_connection.h"

#include <X11/XKBlib.h>
#include <X11/Xlib.h>

namespace talven {

namespace {

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
        XConnection x(displayName_, true);
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
        XConnection x(displayName_, true);
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
        XConnection x(displayName, true);
        if (x.get() == nullptr) return nullptr;
    }
    return std::make_unique<X11InputSettings>(displayName);
}

}  // namespace talven
