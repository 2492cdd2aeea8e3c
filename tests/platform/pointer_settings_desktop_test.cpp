// The pointer settings against a real GSettings schema (in the memory
// backend) and a real X server.

#include "platform/pointer_settings.h"
#include "support/scoped_env.h"
#include "support/temp_dir.h"
#include "support/xvfb_server.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#ifdef TALVEN_HAVE_GIO
#include <gio/gio.h>
#endif
#if defined(TALVEN_HAVE_X11) && defined(TALVEN_TEST_HAVE_XTEST)
#include <X11/Xlib.h>
#endif

namespace talven {
namespace {

#ifdef TALVEN_HAVE_GIO

class GSettingsPointerTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        // Before the first GSettings object: the process keeps its backend.
        ::setenv("GSETTINGS_BACKEND", "memory", 1);
    }
    void SetUp() override {
        if (!gsettingsMouseSchemaInstalled()) GTEST_SKIP() << "no org.gnome.desktop.peripherals schema";
        mouse_ = g_settings_new("org.gnome.desktop.peripherals.mouse");
    }
    void TearDown() override {
        if (mouse_ != nullptr) {
            for (const char* key : {"speed", "accel-profile", "double-click"}) g_settings_reset(mouse_, key);
            g_object_unref(mouse_);
        }
    }
    PointerSettings settings() {
        return PointerSettings(openGSettingsPointerDesktop(), SettingsStore((dir.str() + "/ours.ini")));
    }
    std::string profile() const {
        gchar* text = g_settings_get_string(mouse_, "accel-profile");
        std::string result = text;
        g_free(text);
        return result;
    }
    test::TempDir dir;
    GSettings* mouse_ = nullptr;
};

TEST_F(GSettingsPointerTest, TheSchemasDefaultsReadAsTheMiddleSpeedWithPrecision) {
    // speed 0, accel-profile 'default' (a mouse accelerates), double-click 400.
    EXPECT_EQ(settings().values(), (PointerValues{10, 1, 3, false, 400}));
}

TEST_F(GSettingsPointerTest, SettingsReachTheSchemasKeysInTheirUnits) {
    auto gnome = settings();
    EXPECT_EQ(gnome.backendName(), "gsettings");
    struct Case {
        uint32_t speed;
        double unit;
    };
    for (const Case& c : {Case{1, -0.9}, Case{0, -0.9}, Case{13, 0.3}, Case{20, 1.0}, Case{30, 1.0}}) {
        EXPECT_EQ(gnome.setSpeed(c.speed), PointerApplied::Desktop);
        EXPECT_NEAR(g_settings_get_double(mouse_, "speed"), c.unit, 1e-9) << c.speed;
    }
    EXPECT_EQ(gnome.setPrecision(0), PointerApplied::Desktop);
    EXPECT_EQ(profile(), "flat");
    EXPECT_EQ(gnome.setPrecision(1), PointerApplied::Desktop);
    EXPECT_EQ(profile(), "adaptive");
    EXPECT_EQ(gnome.setDoubleClickMs(700), PointerApplied::Desktop);
    EXPECT_EQ(g_settings_get_int(mouse_, "double-click"), 700);
    // No key for the wheel: kept for this program.
    EXPECT_EQ(gnome.setWheel(8, false), PointerApplied::ThisProgramOnly);
    EXPECT_EQ(gnome.values(), (PointerValues{20, 1, 8, false, 700}));
}

TEST_F(GSettingsPointerTest, ValuesAnotherProgramSetAreRead) {
    g_settings_set_double(mouse_, "speed", -0.42);
    g_settings_set_string(mouse_, "accel-profile", "flat");
    g_settings_set_int(mouse_, "double-click", 250);
    EXPECT_EQ(settings().values(), (PointerValues{6, 0, 3, false, 250}));
}

// A session bus of the test's own, for the Plasma backend's change signal.
class SessionBus {
public:
    SessionBus() {
        FILE* out = ::popen("dbus-daemon --session --fork --print-address=1 --print-pid=1 2>/dev/null", "r");
        if (out == nullptr) return;
        char line[512];
        if (std::fgets(line, sizeof line, out) != nullptr) address_ = trimmed(line);
        if (std::fgets(line, sizeof line, out) != nullptr) pid_ = std::atoi(line);
        ::pclose(out);
    }
    ~SessionBus() {
        if (pid_ > 0) ::kill(pid_, SIGTERM);
    }
    SessionBus(const SessionBus&) = delete;
    SessionBus& operator=(const SessionBus&) = delete;
    const std::string& address() const { return address_; }

private:
    static std::string trimmed(std::string text) {
        while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
        return text;
    }
    std::string address_;
    int pid_ = -1;
};

void noteSignal(GDBusConnection*, const gchar*, const gchar*, const gchar*, const gchar*, GVariant* parameters,
                gpointer data) {
    int type = -1, category = -1;
    g_variant_get(parameters, "(ii)", &type, &category);
    static_cast<std::vector<std::pair<int, int>>*>(data)->emplace_back(type, category);
}

TEST(KdePointerSignalTest, AChangeIsAnnouncedOnTheSessionBus) {
    SessionBus bus;
    if (bus.address().empty()) GTEST_SKIP() << "no dbus-daemon to run a session bus";
    const auto flags = static_cast<GDBusConnectionFlags>(G_DBUS_CONNECTION_FLAGS_AUTHENTICATION_CLIENT |
                                                         G_DBUS_CONNECTION_FLAGS_MESSAGE_BUS_CONNECTION);
    GDBusConnection* listener =
        g_dbus_connection_new_for_address_sync(bus.address().c_str(), flags, nullptr, nullptr, nullptr);
    ASSERT_NE(listener, nullptr);
    std::vector<std::pair<int, int>> received;
    const guint id = g_dbus_connection_signal_subscribe(listener, nullptr, "org.kde.KGlobalSettings", "notifyChange",
                                                        "/KGlobalSettings", nullptr, G_DBUS_SIGNAL_FLAGS_NONE,
                                                        noteSignal, &received, nullptr);
    // A round trip after the subscription: the bus has the match rule before the change.
    GVariant* reply = g_dbus_connection_call_sync(listener, "org.freedesktop.DBus", "/org/freedesktop/DBus",
                                                  "org.freedesktop.DBus", "GetId", nullptr, nullptr,
                                                  G_DBUS_CALL_FLAGS_NONE, 2000, nullptr, nullptr);
    ASSERT_NE(reply, nullptr);
    g_variant_unref(reply);

    test::TempDir dir;
    {
        test::ScopedEnv address("DBUS_SESSION_BUS_ADDRESS", bus.address().c_str());
        PointerSettings kde(openKdePointerDesktop(dir.str()), SettingsStore(dir.str() + "/ours.ini"));
        ASSERT_EQ(kde.setSpeed(12), PointerApplied::Desktop);
    }
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (received.empty() && std::chrono::steady_clock::now() < deadline) {
        while (g_main_context_iteration(nullptr, FALSE)) {
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    // "Settings changed", mouse category.
    EXPECT_EQ(received, (std::vector<std::pair<int, int>>{{3, 0}}));
    g_dbus_connection_signal_unsubscribe(listener, id);
    g_object_unref(listener);
}

#endif  // TALVEN_HAVE_GIO

#if defined(TALVEN_HAVE_X11) && defined(TALVEN_TEST_HAVE_XTEST)

struct Control {
    int numerator = 0, denominator = 0, threshold = 0;
    friend bool operator==(const Control&, const Control&) = default;
};

class X11PointerTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { server_ = new test::XvfbServer(); }
    static void TearDownTestSuite() {
        delete server_;
        server_ = nullptr;
    }
    void SetUp() override {
        if (server_->display().empty()) GTEST_SKIP() << "no Xvfb to run an X server";
        display_ = XOpenDisplay(server_->display().c_str());
        ASSERT_NE(display_, nullptr);
    }
    void TearDown() override {
        if (display_ != nullptr) XCloseDisplay(display_);
    }
    Control control() const {
        Control c;
        XGetPointerControl(display_, &c.numerator, &c.denominator, &c.threshold);
        return c;
    }
    void setControl(const Control& c) {
        XChangePointerControl(display_, True, True, c.numerator, c.denominator, c.threshold);
        XSync(display_, False);
    }
    PointerSettings settings() {
        return PointerSettings(openX11PointerDesktop(server_->display()), SettingsStore(dir.str() + "/ours.ini"));
    }
    static test::XvfbServer* server_;
    Display* display_ = nullptr;
    test::TempDir dir;
};

test::XvfbServer* X11PointerTest::server_ = nullptr;

TEST_F(X11PointerTest, SpeedAndPrecisionBecomeTheServersAcceleration) {
    auto x11 = settings();
    EXPECT_EQ(x11.backendName(), "x11");
    struct Case {
        uint32_t speed;
        uint32_t precision;
        Control control;
    };
    // speed s: factor s / 10; precision 1: threshold 4, precision 0: threshold 1.
    for (const Case& c : {Case{15, 1, {15, 10, 4}}, Case{0, 1, {1, 10, 4}}, Case{25, 0, {20, 10, 1}},
                          Case{10, 0, {10, 10, 1}}}) {
        EXPECT_EQ(x11.setSpeed(c.speed), PointerApplied::Desktop);
        EXPECT_EQ(x11.setPrecision(c.precision), PointerApplied::Desktop);
        EXPECT_EQ(control(), c.control) << c.speed << ' ' << c.precision;
        EXPECT_EQ(x11.values().speed, clampPointerSpeed(c.speed));
        EXPECT_EQ(x11.values().precision, c.precision);
    }
    // The server keeps no wheel lines or double-click time.
    EXPECT_EQ(x11.setWheel(5, true), PointerApplied::ThisProgramOnly);
    EXPECT_EQ(x11.setDoubleClickMs(400), PointerApplied::ThisProgramOnly);
}

TEST_F(X11PointerTest, AccelerationAnotherProgramSetReadsAsTheNearestSpeed) {
    struct Case {
        Control control;
        uint32_t speed;
        uint32_t precision;
    };
    // The server's own start: 2/1 beyond 4 pixels.
    for (const Case& c : {Case{{2, 1, 4}, 20, 1}, Case{{3, 4, 0}, 8, 1}, Case{{1, 1, 1}, 10, 0},
                          Case{{1, 20, 6}, 1, 1}, Case{{7, 2, 1}, 20, 0}}) {
        setControl(c.control);
        const PointerValues v = settings().values();
        EXPECT_EQ(v.speed, c.speed) << c.control.numerator << '/' << c.control.denominator;
        EXPECT_EQ(v.precision, c.precision) << c.control.threshold;
    }
}

TEST_F(X11PointerTest, ADisplayNobodyServesOffersNoBackend) {
    EXPECT_EQ(openX11PointerDesktop(":65000"), nullptr);
}

#endif

}  // namespace
}  // namespace talven
