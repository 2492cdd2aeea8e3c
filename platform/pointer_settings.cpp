#include "platform/pointer_settings.h"

#include "platform/app_paths.h"
#include "platform/debug_output.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace talven {

namespace {

constexpr uint32_t kMiddleSpeed = 10;

void readStored(const SettingsStore& store, std::string_view name, uint32_t min, uint32_t max, uint32_t& value) {
    const auto text = store.get(name);
    const auto number = parseStoredNumber(text, max);
    if (number && *number >= min) {
        value = *number;
    } else if (text) {
        debugOutputf("pointer settings: ignoring stored %s \"%s\"", std::string(name).c_str(), text->c_str());
    }
}

bool inRange(uint32_t value, uint32_t min, uint32_t max) { return value >= min && value <= max; }

}  // namespace

uint32_t clampPointerSpeed(uint32_t speed) { return std::clamp(speed, kMinPointerSpeed, kMaxPointerSpeed); }

double pointerSpeedToUnit(uint32_t speed) {
    return (static_cast<double>(clampPointerSpeed(speed)) - kMiddleSpeed) / kMiddleSpeed;
}

uint32_t pointerSpeedFromUnit(double unit) {
    if (!std::isfinite(unit)) return kMiddleSpeed;
    const long speed = std::lround(unit * kMiddleSpeed + kMiddleSpeed);
    return static_cast<uint32_t>(std::clamp<long>(speed, kMinPointerSpeed, kMaxPointerSpeed));
}

PointerDesktopKind choosePointerDesktop(std::string_view currentDesktop, bool gsettingsSchema, bool displayAnswers) {
    // $XDG_CURRENT_DESKTOP is a colon-separated list, e.g. "ubuntu:GNOME".
    size_t start = 0;
    while (start <= currentDesktop.size()) {
        const size_t end = std::min(currentDesktop.find(':', start), currentDesktop.size());
        if (currentDesktop.substr(start, end - start) == "KDE") return PointerDesktopKind::Kde;
        start = end + 1;
    }
    if (!currentDesktop.empty() && gsettingsSchema) return PointerDesktopKind::GSettings;
    if (displayAnswers) return PointerDesktopKind::X11;
    return PointerDesktopKind::None;
}

// --- PointerSettings ---------------------------------------------------------------

PointerSettings::PointerSettings(std::unique_ptr<PointerDesktop> desktop, SettingsStore store)
    : desktop_(std::move(desktop)), store_(std::move(store)) {}

std::string_view PointerSettings::backendName() const { return desktop_ ? desktop_->name() : "stored"; }

bool PointerSettings::appliesToDesktop(PointerSetting setting) const {
    return desktop_ != nullptr && desktop_->handles(setting);
}

PointerValues PointerSettings::storedValues() const {
    PointerValues v;
    readStored(store_, kPointerSpeedSetting, kMinPointerSpeed, kMaxPointerSpeed, v.speed);
    readStored(store_, kPointerPrecisionSetting, 0, 1, v.precision);
    readStored(store_, kWheelLinesSetting, 1, kMaxWheelLines, v.wheelLines);
    uint32_t page = v.pageScroll ? 1 : 0;
    readStored(store_, kWheelPageSetting, 0, 1, page);
    v.pageScroll = page == 1;
    readStored(store_, kDoubleClickSetting, kMinDoubleClickMs, kMaxDoubleClickMs, v.doubleClickMs);
    return v;
}

PointerValues PointerSettings::values() const {
    PointerValues v = storedValues();
    if (desktop_ && !desktop_->read(v)) {
        debugOutputf("pointer settings: %s did not answer; showing the stored values",
                     std::string(desktop_->name()).c_str());
    }
    return v;
}

PointerApplied PointerSettings::setSpeed(uint32_t speed) {
    PointerValues next = values();
    next.speed = clampPointerSpeed(speed);
    return apply(PointerSetting::Speed, next);
}

PointerApplied PointerSettings::setPrecision(uint32_t precision) {
    if (precision > 1) {
        debugOutputf("pointer settings: precision %u is neither 0 nor 1", precision);
        return PointerApplied::Refused;
    }
    PointerValues next = values();
    next.precision = precision;
    return apply(PointerSetting::Precision, next);
}

PointerApplied PointerSettings::setWheel(uint32_t lines, bool pageScroll) {
    if (!inRange(lines, 1, kMaxWheelLines)) {
        debugOutputf("pointer settings: %u wheel lines are beyond 1..%u", lines, kMaxWheelLines);
        return PointerApplied::Refused;
    }
    PointerValues next = values();
    next.wheelLines = lines;
    next.pageScroll = pageScroll;
    return apply(PointerSetting::Wheel, next);
}

PointerApplied PointerSettings::setDoubleClickMs(uint32_t milliseconds) {
    if (!inRange(milliseconds, kMinDoubleClickMs, kMaxDoubleClickMs)) {
        debugOutputf("pointer settings: double-click time %u ms is beyond %u..%u", milliseconds,
                     kMinDoubleClickMs, kMaxDoubleClickMs);
        return PointerApplied::Refused;
    }
    PointerValues next = values();
    next.doubleClickMs = milliseconds;
    return apply(PointerSetting::DoubleClick, next);
}

bool PointerSettings::store(PointerSetting setting, const PointerValues& next) {
    switch (setting) {
    case PointerSetting::Speed: return store_.set(kPointerSpeedSetting, std::to_string(next.speed));
    case PointerSetting::Precision: return store_.set(kPointerPrecisionSetting, std::to_string(next.precision));
    case PointerSetting::Wheel:
        return store_.set(kWheelLinesSetting, std::to_string(next.wheelLines)) &&
               store_.set(kWheelPageSetting, next.pageScroll ? "1" : "0");
    case PointerSetting::DoubleClick: return store_.set(kDoubleClickSetting, std::to_string(next.doubleClickMs));
    }
    return false;
}

PointerApplied PointerSettings::apply(PointerSetting setting, const PointerValues& next) {
    const bool stored = store(setting, next);
    if (appliesToDesktop(setting) && desktop_->write(setting, next)) return PointerApplied::Desktop;
    if (appliesToDesktop(setting)) {
        debugOutputf("pointer settings: %s did not take the change", std::string(desktop_->name()).c_str());
    }
    return stored ? PointerApplied::ThisProgramOnly : PointerApplied::Refused;
}

// --- choice of backend -------------------------------------------------------------

namespace {

std::unique_ptr<PointerDesktop> openDesktop(PointerDesktopKind kind, const std::string& display) {
    switch (kind) {
    case PointerDesktopKind::Kde: return openKdePointerDesktop(paths::configHome());
#ifdef TALVEN_HAVE_GIO
    case PointerDesktopKind::GSettings: return openGSettingsPointerDesktop();
#endif
#ifdef TALVEN_HAVE_X11
    case PointerDesktopKind::X11: return openX11PointerDesktop(display);
#endif
    default: return nullptr;
    }
}

}  // namespace

std::unique_ptr<PointerSettings> openPointerSettings() {
    const char* desktopEnv = std::getenv("XDG_CURRENT_DESKTOP");
    const char* displayEnv = std::getenv("DISPLAY");
    const std::string desktop = desktopEnv ? desktopEnv : "";
    const std::string display = displayEnv ? displayEnv : "";
    bool schema = false;
#ifdef TALVEN_HAVE_GIO
    schema = gsettingsMouseSchemaInstalled();
#endif
    bool displayAnswers = false;
#ifdef TALVEN_HAVE_X11
    displayAnswers = !display.empty() && openX11PointerDesktop(display) != nullptr;
#endif
    auto backend = openDesktop(choosePointerDesktop(desktop, schema, displayAnswers), display);
    if (!backend) debugOutputf("pointer settings: no desktop to apply them to; keeping them in the settings file");
    return std::make_unique<PointerSettings>(std::move(backend), SettingsStore());
}

}  // namespace talven
