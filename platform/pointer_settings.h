#pragma once
// The desktop's pointer settings that the mouse page shows beside the mouse's
// own: pointer speed, pointer precision (acceleration), wheel lines or page
// scrolling, and the double-click time.
//
// The pages and profiles count them the way the mouse settings page has always
// shown them: speed 1..20 (10 is the desktop's middle), precision 0 or 1,
// wheel lines per notch or a whole page, the double-click time in ms (the
// profile turns it into the slider's level and back: doubleClickLevel and
// doubleClickMsFromLevel in profile/profile_records.h). Each desktop backend
// converts at its own boundary.
//
// Every value set is also kept in our settings file: a setting the desktop has
// no place for (wheel lines on most desktops, page scrolling everywhere) still
// reads back as set, and our own program applies it (ui/pointer_hints.h).

#include "platform/settings_store.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace talven {

inline constexpr uint32_t kMinPointerSpeed = 1;
inline constexpr uint32_t kMaxPointerSpeed = 20;
inline constexpr uint32_t kMaxWheelLines = 100;
inline constexpr uint32_t kMinDoubleClickMs = 100;
inline constexpr uint32_t kMaxDoubleClickMs = 5000;

// Setting names in the settings file.
inline constexpr std::string_view kPointerSpeedSetting = "MouseSpeed";
inline constexpr std::string_view kPointerPrecisionSetting = "PointerPrecision";
inline constexpr std::string_view kWheelLinesSetting = "WheelScrollLines";
inline constexpr std::string_view kWheelPageSetting = "WheelPageScroll";
inline constexpr std::string_view kDoubleClickSetting = "DoubleClickTime";

struct PointerValues {
    uint32_t speed = 10;          // 1..20
    uint32_t precision = 1;       // 0 or 1
    uint32_t wheelLines = 3;      // 1..100 lines a notch
    bool pageScroll = false;      // a notch scrolls a page; wheelLines is kept
    uint32_t doubleClickMs = 500;

    friend bool operator==(const PointerValues&, const PointerValues&) = default;
};

enum class PointerSetting { Speed, Precision, Wheel, DoubleClick };

// What became of a change, for the page to tell the user.
enum class PointerApplied {
    Desktop,          // the desktop and this program use it
    ThisProgramOnly,  // the desktop has no such setting or did not take it;
                      // kept in the settings file, used by this program
    Refused,          // a value beyond its range, or nothing could keep it
};

// --- conversions -------------------------------------------------------------------

// The page's speed as the desktop gets it: 0 goes up to 1, above 20 down to 20.
uint32_t clampPointerSpeed(uint32_t speed);

// Speed 1..20 on a scale of -1..1 where 0 is the desktop's default (speed 10):
// (speed - 10) / 10, and back to the nearest speed.
double pointerSpeedToUnit(uint32_t speed);
uint32_t pointerSpeedFromUnit(double unit);

// --- desktop backends -------------------------------------------------------------

class PointerDesktop {
public:
    virtual ~PointerDesktop() = default;
    virtual std::string_view name() const = 0;
    virtual bool handles(PointerSetting setting) const = 0;
    // Overwrites the settings it handles; false, with `values` untouched,
    // when the desktop could not be asked.
    virtual bool read(PointerValues& values) const = 0;
    // Writes `setting` from `values` (in range); false when the desktop refused.
    virtual bool write(PointerSetting setting, const PointerValues& values) = 0;
};

#ifdef TALVEN_HAVE_GIO
// True when the schema org.gnome.desktop.peripherals.mouse is installed.
bool gsettingsMouseSchemaInstalled();
// Speed, precision and double-click time through GSettings; nothing without the schema.
std::unique_ptr<PointerDesktop> openGSettingsPointerDesktop();
#endif

#ifdef TALVEN_HAVE_X11
// The X server's pointer acceleration on `displayName` (empty: $DISPLAY), as
// speed and precision; nothing when the display does not answer.
std::unique_ptr<PointerDesktop> openX11PointerDesktop(const std::string& displayName);
#endif

// Plasma's input and global settings files in `configHome` (kcminputrc,
// kdeglobals); after a write it announces the change on the session bus when
// there is one.
std::unique_ptr<PointerDesktop> openKdePointerDesktop(std::string configHome);

enum class PointerDesktopKind { Kde, GSettings, X11, None };

// Plasma when $XDG_CURRENT_DESKTOP names KDE; another named desktop that has
// the GSettings schema; else the X server when one answers; else none.
PointerDesktopKind choosePointerDesktop(std::string_view currentDesktop, bool gsettingsSchema,
                                        bool displayAnswers);

// --- the settings the page uses ------------------------------------------------

class PointerSettings {
public:
    // `desktop` may be null: then every value lives in the settings file only.
    PointerSettings(std::unique_ptr<PointerDesktop> desktop, SettingsStore store);

    // The desktop backend's name, or "stored".
    std::string_view backendName() const;
    bool appliesToDesktop(PointerSetting setting) const;

    // The file's values (defaults where missing or damaged) with the
    // desktop's own in their place where it handles a setting and answers.
    PointerValues values() const;

    PointerApplied setSpeed(uint32_t speed);           // clamped to 1..20
    PointerApplied setPrecision(uint32_t precision);   // 0 or 1, else refused
    PointerApplied setWheel(uint32_t lines, bool pageScroll);  // lines 1..100
    PointerApplied setDoubleClickMs(uint32_t milliseconds);    // 100..5000

private:
    PointerValues storedValues() const;
    PointerApplied apply(PointerSetting setting, const PointerValues& next);
    bool store(PointerSetting setting, const PointerValues& next);

    std::unique_ptr<PointerDesktop> desktop_;
    SettingsStore store_;
};

// The backend choosePointerDesktop picks for this session, over the user's
// settings file.
std::unique_ptr<PointerSettings> openPointerSettings();

}  // namespace talven
