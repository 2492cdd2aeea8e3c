// Pointer speed and precision as the X server's core pointer acceleration.
// Built only when Xlib is available (platform/CMakeLists.txt).
//
// The server multiplies the part of a motion beyond `threshold` pixels by
// numerator / denominator:
//   speed s      -> factor s / 10 (numerator s, denominator 10), 1.0 at 10;
//   precision 1  -> threshold 4: slow motions move one to one, fast ones are
//                   scaled, which is the acceleration the setting turns on;
//   precision 0  -> threshold 1: nearly every motion gets the same factor, a
//                   constant speed without acceleration.
// Read back, a factor becomes the nearest speed and any threshold but 1
// counts as acceleration (0 asks the server for its own curve).
// The server keeps no wheel lines or double-click time.

#include "platform/pointer_settings.h"

#include "platform/debug_output.h"
#include "platform/xlib_connection.h"

#include <algorithm>
#include <cmath>

namespace talven {

namespace {

constexpr int kSpeedDenominator = 10;
constexpr int kAcceleratedThreshold = 4;
constexpr int kConstantThreshold = 1;

struct PointerControl {
    int numerator = 0;
    int denominator = 0;
    int threshold = 0;
};

std::optional<PointerControl> readControl(const XConnection& x) {
    PointerControl control;
    XGetPointerControl(x.get(), &control.numerator, &control.denominator, &control.threshold);
    if (!x.syncedWithoutError()) return std::nullopt;
    return control;
}

class X11PointerDesktop final : public PointerDesktop {
public:
    explicit X11PointerDesktop(std::string displayName) : displayName_(std::move(displayName)) {}

    std::string_view name() const override { return "x11"; }

    bool handles(PointerSetting setting) const override {
        return setting == PointerSetting::Speed || setting == PointerSetting::Precision;
    }

    bool read(PointerValues& values) const override {
        XConnection x(displayName_, false);
        if (x.get() == nullptr) return false;
        const auto control = readControl(x);
        if (!control || control->denominator <= 0) return false;
        const long speed = std::lround(static_cast<double>(control->numerator) * kSpeedDenominator /
                                       control->denominator);
        values.speed = static_cast<uint32_t>(std::clamp<long>(speed, kMinPointerSpeed, kMaxPointerSpeed));
        values.precision = control->threshold == kConstantThreshold ? 0 : 1;
        return true;
    }

    // The server takes factor and threshold together; both follow `values`.
    bool write(PointerSetting setting, const PointerValues& values) override {
        if (!handles(setting)) return false;
        XConnection x(displayName_, false);
        if (x.get() == nullptr) {
            debugOutputf("pointer settings: cannot open display %s", displayName_.c_str());
            return false;
        }
        const int threshold = values.precision == 1 ? kAcceleratedThreshold : kConstantThreshold;
        XChangePointerControl(x.get(), True, True, static_cast<int>(clampPointerSpeed(values.speed)),
                              kSpeedDenominator, threshold);
        if (!x.syncedWithoutError()) {
            debugOutputf("pointer settings: display %s refused the pointer control", displayName_.c_str());
            return false;
        }
        return true;
    }

private:
    std::string displayName_;
};

}  // namespace

std::unique_ptr<PointerDesktop> openX11PointerDesktop(const std::string& displayName) {
    {
        XConnection x(displayName, false);
        if (x.get() == nullptr) return nullptr;
    }
    return std::make_unique<X11PointerDesktop>(displayName);
}

}  // namespace talven
