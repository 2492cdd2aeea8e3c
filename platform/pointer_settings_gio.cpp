// Pointer speed, precision and double-click time of desktops that keep their
// settings in GSettings. Built only when GIO is available
// (platform/CMakeLists.txt).
//
// speed:         a double in -1..1, 0 the default (pointerSpeedToUnit);
// accel-profile: "adaptive" accelerates (precision 1), "flat" does not
//                (precision 0); "default" is the device's own, which for a
//                mouse is adaptive, so it reads as 1;
// double-click:  milliseconds as they are.
// Wheel lines have no key here; they stay with our own program.

#include "platform/pointer_settings.h"

#include "platform/debug_output.h"

#include <gio/gio.h>

namespace talven {

namespace {

constexpr const char* kMouseSchema = "org.gnome.desktop.peripherals.mouse";
constexpr int kProfileFlat = 1;      // enum GDesktopPointerAccelProfile
constexpr int kProfileAdaptive = 2;

GSettingsSchema* lookUpSchema() {
    GSettingsSchemaSource* source = g_settings_schema_source_get_default();
    return source ? g_settings_schema_source_lookup(source, kMouseSchema, TRUE) : nullptr;
}

class GSettingsPointerDesktop final : public PointerDesktop {
public:
    explicit GSettingsPointerDesktop(GSettings* settings) : settings_(settings) {}
    ~GSettingsPointerDesktop() override { g_object_unref(settings_); }
    GSettingsPointerDesktop(const GSettingsPointerDesktop&) = delete;
    GSettingsPointerDesktop& operator=(const GSettingsPointerDesktop&) = delete;

    std::string_view name() const override { return "gsettings"; }

    bool handles(PointerSetting setting) const override { return setting != PointerSetting::Wheel; }

    bool read(PointerValues& values) const override {
        values.speed = pointerSpeedFromUnit(g_settings_get_double(settings_, "speed"));
        values.precision = g_settings_get_enum(settings_, "accel-profile") == kProfileFlat ? 0 : 1;
        const int ms = g_settings_get_int(settings_, "double-click");
        if (ms > 0) values.doubleClickMs = static_cast<uint32_t>(ms);
        return true;
    }

    bool write(PointerSetting setting, const PointerValues& values) override {
        gboolean written = FALSE;
        switch (setting) {
        case PointerSetting::Speed:
            written = g_settings_set_double(settings_, "speed", pointerSpeedToUnit(values.speed));
            break;
        case PointerSetting::Precision:
            written = g_settings_set_enum(settings_, "accel-profile",
                                          values.precision == 1 ? kProfileAdaptive : kProfileFlat);
            break;
        case PointerSetting::DoubleClick:
            written = g_settings_set_int(settings_, "double-click", static_cast<int>(values.doubleClickMs));
            break;
        case PointerSetting::Wheel: return false;
        }
        // Hands the change to the settings daemon before a short-lived
        // program could end with it still queued.
        g_settings_sync();
        return written == TRUE;
    }

private:
    GSettings* settings_;
};

}  // namespace

bool gsettingsMouseSchemaInstalled() {
    GSettingsSchema* schema = lookUpSchema();
    if (schema == nullptr) return false;
    g_settings_schema_unref(schema);
    return true;
}

std::unique_ptr<PointerDesktop> openGSettingsPointerDesktop() {
    GSettingsSchema* schema = lookUpSchema();
    if (schema == nullptr) {
        debugOutputf("pointer settings: schema %s is not installed", kMouseSchema);
        return nullptr;
    }
    GSettings* settings = g_settings_new_full(schema, nullptr, nullptr);
    g_settings_schema_unref(schema);
    return std::make_unique<GSettingsPointerDesktop>(settings);
}

}  // namespace talven
