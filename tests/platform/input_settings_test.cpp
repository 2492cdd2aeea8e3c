#include "platform/input_settings.h"
#include "support/scoped_env.h"
#include "support/temp_dir.h"
#include "support/xvfb_server.h"

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <poll.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

namespace talven {
namespace {

TEST(InputSettingsMappingTest, EndsOfTheRangesMapToMilliseconds) {
    struct Case {
        uint32_t speed;
        unsigned intervalMs;
    };
    for (const Case& c : {Case{0, 400}, Case{1, 295}, Case{30, 34}, Case{31, 33}}) {
        EXPECT_EQ(repeatIntervalMs(c.speed), c.intervalMs) << c.speed;
    }
    EXPECT_EQ(repeatIntervalMs(200), 33u);  // beyond the range: the fastest
    EXPECT_EQ(repeatDelayMs(0), 250u);
    EXPECT_EQ(repeatDelayMs(3), 1000u);
    EXPECT_EQ(repeatDelayMs(9), 1000u);
}

TEST(InputSettingsMappingTest, EveryStepSurvivesTheRoundTrip) {
    for (uint32_t speed = 0; speed <= kMaxKeyboardSpeed; ++speed) {
        EXPECT_EQ(repeatSpeedFromInterval(repeatIntervalMs(speed)), speed);
    }
    for (uint32_t delay = 0; delay <= kMaxKeyboardDelay; ++delay) {
        EXPECT_EQ(repeatDelayFromMs(repeatDelayMs(delay)), delay);
    }
}

TEST(InputSettingsMappingTest, ForeignValuesReadAsTheNearestStep) {
    struct Case {
        unsigned ms;
        uint32_t step;
    };
    // Intervals: 0 and very fast clamp to the fastest, very slow to the slowest.
    for (const Case& c : {Case{0, 31}, Case{10, 31}, Case{40, 25}, Case{399, 0}, Case{5000, 0}}) {
        EXPECT_EQ(repeatSpeedFromInterval(c.ms), c.step) << c.ms;
    }
    // Delays: 660 ms (a common server default) is nearest to 750.
    for (const Case& c : {Case{0, 0}, Case{374, 0}, Case{376, 1}, Case{660, 2}, Case{60000, 3}}) {
        EXPECT_EQ(repeatDelayFromMs(c.ms), c.step) << c.ms;
    }
}

class StoredInputSettingsTest : public ::testing::Test {
protected:
    test::TempDir dir;
    std::string file = (dir / "settings.ini").string();
};

TEST_F(StoredInputSettingsTest, ValuesRoundTripThroughTheFile) {
    StoredInputSettings settings{SettingsStore(file)};
    EXPECT_EQ(settings.keyboardRepeat(), (KeyboardRepeat{kDefaultKeyboardSpeed, kDefaultKeyboardDelay}));
    for (const KeyboardRepeat& wanted : {KeyboardRepeat{0, 3}, KeyboardRepeat{31, 0}, KeyboardRepeat{17, 2}}) {
        ASSERT_TRUE(settings.setKeyboardSpeed(wanted.speed));
        ASSERT_TRUE(settings.setKeyboardDelay(wanted.delay));
        EXPECT_EQ(settings.keyboardRepeat(), wanted);
        // A later run of the program sees them too.
        EXPECT_EQ(StoredInputSettings(SettingsStore(file)).keyboardRepeat(), wanted);
    }
}

TEST_F(StoredInputSettingsTest, ValuesBeyondTheRangeAreRefusedAndChangeNothing) {
    StoredInputSettings settings{SettingsStore(file)};
    ASSERT_TRUE(settings.setKeyboardSpeed(5));
    ASSERT_TRUE(settings.setKeyboardDelay(2));
    const std::string before = test::readFile(file);
    EXPECT_FALSE(settings.setKeyboardSpeed(32));
    EXPECT_FALSE(settings.setKeyboardDelay(4));
    EXPECT_FALSE(settings.setKeyboardDelay(0xFFFFFFFFu));
    EXPECT_EQ(test::readFile(file), before);
    EXPECT_EQ(settings.keyboardRepeat(), (KeyboardRepeat{5, 2}));
}

TEST_F(StoredInputSettingsTest, DamagedStoredValuesReadAsTheDefaults) {
    SettingsStore store(file);
    StoredInputSettings settings{store};
    for (const char* text : {"", "abc", "-1", "32", "3x", " 7"}) {
        ASSERT_TRUE(store.set(kKeyboardSpeedSetting, text));
        ASSERT_TRUE(store.set(kKeyboardDelaySetting, text));
        EXPECT_EQ(settings.keyboardRepeat(), KeyboardRepeat{}) << '"' << text << '"';
    }
    // One good value is kept when the other is damaged.
    ASSERT_TRUE(store.set(kKeyboardDelaySetting, "0"));
    EXPECT_EQ(settings.keyboardRepeat(), (KeyboardRepeat{kDefaultKeyboardSpeed, 0}));
}

TEST_F(StoredInputSettingsTest, WithoutADisplayTheUsersSettingsFileKeepsTheValues) {
    test::ScopedEnv display("DISPLAY", nullptr);
    test::ScopedEnv config("XDG_CONFIG_HOME", dir.str().c_str());
    auto settings = openInputSettings();
    ASSERT_NE(settings, nullptr);
    EXPECT_EQ(settings->backendName(), "stored");
    ASSERT_TRUE(settings->setKeyboardSpeed(12));
    EXPECT_EQ(StoredInputSettings(SettingsStore()).keyboardRepeat()->speed, 12u);
    EXPECT_EQ(SettingsStore().filePath().rfind(dir.str(), 0), 0u);
}

#ifdef TALVEN_HAVE_X11

using test::XvfbServer;

class X11InputSettingsTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { server_ = new XvfbServer(); }
    static void TearDownTestSuite() {
        delete server_;
        server_ = nullptr;
    }
    void SetUp() override {
        if (server_->display().empty()) GTEST_SKIP() << "no Xvfb to run an X server";
    }
    static XvfbServer* server_;
};

XvfbServer* X11InputSettingsTest::server_ = nullptr;

TEST_F(X11InputSettingsTest, RepeatSettingsRoundTripThroughTheServer) {
    auto settings = openX11InputSettings(server_->display());
    ASSERT_NE(settings, nullptr);
    EXPECT_EQ(settings->backendName(), "x11");
    for (const KeyboardRepeat& wanted : {KeyboardRepeat{0, 3}, KeyboardRepeat{31, 0}, KeyboardRepeat{9, 1}}) {
        ASSERT_TRUE(settings->setKeyboardSpeed(wanted.speed));
        ASSERT_TRUE(settings->setKeyboardDelay(wanted.delay));
        EXPECT_EQ(settings->keyboardRepeat(), wanted);
    }
    // Changing one keeps the other, although the server sets both at once.
    ASSERT_TRUE(settings->setKeyboardDelay(2));
    EXPECT_EQ(settings->keyboardRepeat(), (KeyboardRepeat{9, 2}));
    EXPECT_FALSE(settings->setKeyboardSpeed(40));
    EXPECT_EQ(settings->keyboardRepeat(), (KeyboardRepeat{9, 2}));
}

TEST_F(X11InputSettingsTest, TheDisplayInTheEnvironmentIsPreferredWhenItAnswers) {
    test::TempDir config;
    test::ScopedEnv home("XDG_CONFIG_HOME", config.str().c_str());
    {
        test::ScopedEnv display("DISPLAY", server_->display().c_str());
        EXPECT_EQ(openInputSettings()->backendName(), "x11");
    }
    // A display nobody serves falls back to the stored values.
    test::ScopedEnv display("DISPLAY", ":65000");
    EXPECT_EQ(openX11InputSettings(":65000"), nullptr);
    EXPECT_EQ(openInputSettings()->backendName(), "stored");
}

#endif  // TALVEN_HAVE_X11

}  // namespace
}  // namespace talven
