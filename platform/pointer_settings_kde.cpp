// Pointer settings of Plasma sessions, kept in its configuration files:
//   kcminputrc [Mouse] XLbInptPointerAcceleration   speed as -1..1 (pointerSpeedToUnit)
//   kcminputrc [Mouse] X11LibInputXAccelProfileFlat "true" for precision 0
//   kdeglobals [KDE]   WheelScrollLines             lines a notch (no page scrolling)
//   kdeglobals [KDE]   DoubleClickInterval          milliseconds
// After a write the running session is told with the global settings signal
// (notifyChange, "settings changed" of the mouse category) when a session bus
// is there; without one the files take effect at the next login.

#include "platform/pointer_settings.h"

#include "platform/atomic_file.h"
#include "platform/debug_output.h"

#include <charconv>
#include <cstdlib>
#include <fstream>
#include <optional>
#include <sstream>
#include <vector>

#ifdef TALVEN_HAVE_GIO
#include <gio/gio.h>
#endif

namespace talven {

namespace {

constexpr const char* kInputFile = "kcminputrc";
constexpr const char* kGlobalsFile = "kdeglobals";
constexpr std::string_view kMouseGroup = "[Mouse]";
constexpr std::string_view kGlobalGroup = "[KDE]";
constexpr std::string_view kSpeedKey = "XLbInptPointerAcceleration";
constexpr std::string_view kFlatKey = "X11LibInputXAccelProfileFlat";
constexpr std::string_view kWheelKey = "WheelScrollLines";
constexpr std::string_view kDoubleClickKey = "DoubleClickInterval";

std::vector<std::string> readLines(const std::string& path) {
    std::vector<std::string> lines;
    std::ifstream in(path);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

bool isGroupLine(const std::string& line) { return !line.empty() && line.front() == '['; }

// The index of `key`'s line in `group`, or of the line where the group ends.
struct Place {
    std::optional<size_t> group;
    std::optional<size_t> key;
    size_t groupEnd = 0;
};

Place find(const std::vector<std::string>& lines, std::string_view group, std::string_view key) {
    Place place;
    for (size_t i = 0; i < lines.size(); ++i) {
        if (isGroupLine(lines[i])) {
            if (place.group) break;
            if (lines[i] == group) place.group = i;
            continue;
        }
        if (!place.group) continue;
        if (!lines[i].empty()) place.groupEnd = i + 1;
        const size_t eq = lines[i].find('=');
        if (eq != std::string::npos && std::string_view(lines[i]).substr(0, eq) == key) place.key = i;
    }
    if (place.group && place.groupEnd == 0) place.groupEnd = *place.group + 1;
    return place;
}

std::optional<std::string> value(const std::string& path, std::string_view group, std::string_view key) {
    const auto lines = readLines(path);
    const Place place = find(lines, group, key);
    if (!place.key) return std::nullopt;
    return lines[*place.key].substr(key.size() + 1);
}

// Sets one key and keeps every other line as it was.
bool setValue(const std::string& path, std::string_view group, std::string_view key, const std::string& text) {
    auto lines = readLines(path);
    const Place place = find(lines, group, key);
    const std::string line = std::string(key) + "=" + text;
    if (place.key) {
        lines[*place.key] = line;
    } else if (place.group) {
        lines.insert(lines.begin() + static_cast<long>(place.groupEnd), line);
    } else {
        if (!lines.empty() && !lines.back().empty()) lines.emplace_back();
        lines.emplace_back(group);
        lines.push_back(line);
    }
    std::ostringstream out;
    for (const auto& l : lines) out << l << '\n';
    const int error = writeFileAtomically(path, out.str());
    if (error != 0) debugOutputf("pointer settings: cannot write %s (errno %d)", path.c_str(), error);
    return error == 0;
}

template <typename Number>
std::optional<Number> parse(const std::optional<std::string>& text) {
    if (!text) return std::nullopt;
    Number number{};
    const auto [end, error] = std::from_chars(text->data(), text->data() + text->size(), number);
    if (error != std::errc() || end != text->data() + text->size()) return std::nullopt;
    return number;
}

std::string unitText(double unit) {
    char buffer[16];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, unit, std::chars_format::fixed, 1);
    return std::string(buffer, result.ptr);
}

void announceChange() {
#ifdef TALVEN_HAVE_GIO
    const char* address = std::getenv("DBUS_SESSION_BUS_ADDRESS");
    if (address == nullptr || *address == '\0') return;
    GError* error = nullptr;
    const auto flags = static_cast<GDBusConnectionFlags>(G_DBUS_CONNECTION_FLAGS_AUTHENTICATION_CLIENT |
                                                         G_DBUS_CONNECTION_FLAGS_MESSAGE_BUS_CONNECTION);
    GDBusConnection* bus = g_dbus_connection_new_for_address_sync(address, flags, nullptr, nullptr, &error);
    constexpr int kSettingsChanged = 3, kMouseCategory = 0;
    if (bus != nullptr &&
        g_dbus_connection_emit_signal(bus, nullptr, "/KGlobalSettings", "org.kde.KGlobalSettings", "notifyChange",
                                      g_variant_new("(ii)", kSettingsChanged, kMouseCategory), &error)) {
        g_dbus_connection_flush_sync(bus, nullptr, nullptr);
    }
    if (error != nullptr) {
        debugOutputf("pointer settings: cannot announce the change: %s", error->message);
        g_error_free(error);
    }
    if (bus != nullptr) g_object_unref(bus);
#endif
}

class KdePointerDesktop final : public PointerDesktop {
public:
    explicit KdePointerDesktop(std::string configHome)
        : input_(configHome + kInputFile), globals_(configHome + kGlobalsFile) {}

    std::string_view name() const override { return "kde"; }
    bool handles(PointerSetting) const override { return true; }

    bool read(PointerValues& values) const override {
        if (const auto unit = parse<double>(value(input_, kMouseGroup, kSpeedKey))) {
            values.speed = pointerSpeedFromUnit(*unit);
        }
        if (const auto flat = value(input_, kMouseGroup, kFlatKey)) values.precision = *flat == "true" ? 0 : 1;
        if (const auto lines = parse<uint32_t>(value(globals_, kGlobalGroup, kWheelKey));
            lines && *lines >= 1 && *lines <= kMaxWheelLines) {
            values.wheelLines = *lines;
        }
        if (const auto ms = parse<uint32_t>(value(globals_, kGlobalGroup, kDoubleClickKey)); ms && *ms > 0) {
            values.doubleClickMs = *ms;
        }
        return true;
    }

    bool write(PointerSetting setting, const PointerValues& values) override {
        const bool written = writeFile(setting, values);
        if (written) announceChange();
        // The desktop scrolls by lines only: page scrolling stays ours.
        return written && !(setting == PointerSetting::Wheel && values.pageScroll);
    }

private:
    bool writeFile(PointerSetting setting, const PointerValues& values) {
        switch (setting) {
        case PointerSetting::Speed:
            return setValue(input_, kMouseGroup, kSpeedKey, unitText(pointerSpeedToUnit(values.speed)));
        case PointerSetting::Precision:
            return setValue(input_, kMouseGroup, kFlatKey, values.precision == 0 ? "true" : "false");
        case PointerSetting::Wheel:
            return setValue(globals_, kGlobalGroup, kWheelKey, std::to_string(values.wheelLines));
        case PointerSetting::DoubleClick:
            return setValue(globals_, kGlobalGroup, kDoubleClickKey, std::to_string(values.doubleClickMs));
        }
        return false;
    }

    std::string input_;
    std::string globals_;
};

}  // namespace

std::unique_ptr<PointerDesktop> openKdePointerDesktop(std::string configHome) {
    if (!configHome.empty() && configHome.back() != '/') configHome += '/';
    return std::make_unique<KdePointerDesktop>(std::move(configHome));
}

}  // namespace talven
