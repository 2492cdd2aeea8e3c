#include "platform/pointer_settings.h"
#include "support/scoped_env.h"
#include "support/temp_dir.h"
#include "support/xvfb_server.h"

#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <limits>
#include <string>

namespace talven {
namespace {

TEST(PointerMappingTest, SpeedIsClampedAndScaledAroundTheMiddle) {
    const std::pair<uint32_t, uint32_t> clamps[] = {{0, 1}, {1, 1}, {10, 10}, {20, 20}, {25, 20}, {0xFFFFFFFF, 20}};
    for (auto [in, out] : clamps) EXPECT_EQ(clampPointerSpeed(in), out) << in;

    // (speed - 10) / 10, after the clamp.
    const std::pair<uint32_t, double> units[] = {{0, -0.9}, {1, -0.9}, {5, -0.5}, {10, 0.0}, {15, 0.5},
                                                 {20, 1.0}, {25, 1.0}};
    for (auto [speed, unit] : units) EXPECT_DOUBLE_EQ(pointerSpeedToUnit(speed), unit) << speed;

    // Back to the nearest speed within 1..20; a value that is no number reads as the middle.
    const std::pair<double, uint32_t> speeds[] = {{-1.0, 1},  {-0.9, 1},  {-0.5, 5}, {0.0, 10},  {0.04, 10},
                                                  {0.06, 11}, {0.5, 15},  {1.0, 20}, {3.0, 20},
                                                  {std::numeric_limits<double>::quiet_NaN(), 10}};
    for (auto [unit, speed] : speeds) EXPECT_EQ(pointerSpeedFromUnit(unit), speed) << unit;
}

TEST(PointerMappingTest, TheDesktopIsChosenFromTheSession) {
    using K = PointerDesktopKind;
    struct Case {
        const char* desktop;
        bool schema;
        bool display;
        K kind;
    };
    const Case cases[] = {
        {"KDE", false, true, K::Kde},          {"KDE", true, false, K::Kde},
        {"ubuntu:GNOME", true, true, K::GSettings}, {"X-Cinnamon", true, false, K::GSettings},
        {"GNOME:KDE", true, true, K::Kde},     {"GNOME", false, true, K::X11},
        {"", true, true, K::X11},              {"KDEX", false, false, K::None},
        {"", false, false, K::None},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(choosePointerDesktop(c.desktop, c.schema, c.display), c.kind)
            << '"' << c.desktop << "\" " << c.schema << c.display;
    }
}

class StoredPointerSettingsTest : public ::testing::Test {
protected:
    test::TempDir dir;
    std::string file = (dir / "settings.ini").string();
};

TEST_F(StoredPointerSettingsTest, ValuesRoundTripThroughTheFileAndStayWithThisProgram) {
    PointerSettings settings(nullptr, SettingsStore(file));
    EXPECT_EQ(settings.backendName(), "stored");
    EXPECT_EQ(settings.values(), PointerValues{});
    EXPECT_EQ(settings.setSpeed(0), PointerApplied::ThisProgramOnly);  // written as 1
    EXPECT_EQ(settings.setPrecision(0), PointerApplied::ThisProgramOnly);
    EXPECT_EQ(settings.setWheel(7, true), PointerApplied::ThisProgramOnly);
    EXPECT_EQ(settings.setDoubleClickMs(1100), PointerApplied::ThisProgramOnly);
    const PointerValues expected{1, 0, 7, true, 1100};
    EXPECT_EQ(settings.values(), expected);
    EXPECT_EQ(PointerSettings(nullptr, SettingsStore(file)).values(), expected);
    EXPECT_EQ(settings.setSpeed(25), PointerApplied::ThisProgramOnly);
    EXPECT_EQ(settings.values().speed, 20u);
}

TEST_F(StoredPointerSettingsTest, ValuesBeyondTheirRangesAreRefusedAndChangeNothing) {
    PointerSettings settings(nullptr, SettingsStore(file));
    ASSERT_EQ(settings.setWheel(5, false), PointerApplied::ThisProgramOnly);
    const std::string before = test::readFile(file);
    EXPECT_EQ(settings.setPrecision(2), PointerApplied::Refused);
    EXPECT_EQ(settings.setWheel(0, false), PointerApplied::Refused);
    EXPECT_EQ(settings.setWheel(101, true), PointerApplied::Refused);
    EXPECT_EQ(settings.setDoubleClickMs(99), PointerApplied::Refused);
    EXPECT_EQ(settings.setDoubleClickMs(5001), PointerApplied::Refused);
    EXPECT_EQ(test::readFile(file), before);
}

TEST_F(StoredPointerSettingsTest, DamagedStoredValuesReadAsTheDefaults) {
    SettingsStore store(file);
    for (const char* text : {"", "abc", "-1", "0", "x5", "99999"}) {
        for (auto name : {kPointerSpeedSetting, kPointerPrecisionSetting, kWheelLinesSetting, kWheelPageSetting,
                          kDoubleClickSetting}) {
            ASSERT_TRUE(store.set(name, text));
        }
        PointerValues expected;
        if (std::string(text) == "0") expected.precision = 0;  // the only setting that takes 0
        EXPECT_EQ(PointerSettings(nullptr, store).values(), expected) << '"' << text << '"';
    }
}

TEST_F(StoredPointerSettingsTest, AFileThatCannotBeWrittenRefusesTheChange) {
    const std::string blocked = (dir / "not-a-folder").string();
    std::ofstream(blocked) << "x";
    PointerSettings settings(nullptr, SettingsStore(blocked + "/settings.ini"));
    EXPECT_EQ(settings.setSpeed(12), PointerApplied::Refused);
}

TEST_F(StoredPointerSettingsTest, WithoutADesktopTheUsersSettingsFileKeepsTheValues) {
    test::ScopedEnv display("DISPLAY", nullptr);
    test::ScopedEnv desktop("XDG_CURRENT_DESKTOP", nullptr);
    test::ScopedEnv config("XDG_CONFIG_HOME", dir.str().c_str());
    auto settings = openPointerSettings();
    EXPECT_EQ(settings->backendName(), "stored");
    ASSERT_EQ(settings->setDoubleClickMs(700), PointerApplied::ThisProgramOnly);
    EXPECT_EQ(PointerSettings(nullptr, SettingsStore()).values().doubleClickMs, 700u);
    EXPECT_EQ(SettingsStore().filePath().rfind(dir.str(), 0), 0u);
}

// --- Plasma's files ---------------------------------------------------------------

class KdePointerSettingsTest : public ::testing::Test {
protected:
    void write(const std::string& name, const std::string& text) { std::ofstream(dir / name) << text; }
    std::string read(const std::string& name) { return test::readFile(dir / name); }
    PointerSettings settings() {
        return PointerSettings(openKdePointerDesktop(dir.str()), SettingsStore((dir / "ours.ini").string()));
    }
    test::TempDir dir;
    test::ScopedEnv noBus{"DBUS_SESSION_BUS_ADDRESS", nullptr};
};

TEST_F(KdePointerSettingsTest, EachSettingLandsInItsFileAndGroupKeepingTheRest) {
    write("kcminputrc", "[Keyboard]\nRepeatRate=25\n\n[Mouse]\ncursorTheme=breeze\n\n[Other]\nA=1\n");
    write("kdeglobals", "[General]\nfont=x\n");
    auto kde = settings();
    EXPECT_EQ(kde.backendName(), "kde");
    EXPECT_EQ(kde.setSpeed(15), PointerApplied::Desktop);
    EXPECT_EQ(kde.setPrecision(0), PointerApplied::Desktop);
    EXPECT_EQ(read("kcminputrc"),
              "[Keyboard]\nRepeatRate=25\n\n[Mouse]\ncursorTheme=breeze\nXLbInptPointerAcceleration=0.5\n"
              "X11LibInputXAccelProfileFlat=true\n\n[Other]\nA=1\n");
    EXPECT_EQ(kde.setWheel(6, false), PointerApplied::Desktop);
    EXPECT_EQ(kde.setDoubleClickMs(300), PointerApplied::Desktop);
    EXPECT_EQ(read("kdeglobals"), "[General]\nfont=x\n\n[KDE]\nWheelScrollLines=6\nDoubleClickInterval=300\n");
    // Changed again, a key is replaced where it stands.
    EXPECT_EQ(kde.setSpeed(2), PointerApplied::Desktop);
    EXPECT_EQ(kde.setPrecision(1), PointerApplied::Desktop);
    EXPECT_NE(read("kcminputrc").find("[Mouse]\ncursorTheme=breeze\nXLbInptPointerAcceleration=-0.8\n"
                                      "X11LibInputXAccelProfileFlat=false\n\n[Other]"),
              std::string::npos)
        << read("kcminputrc");
}

TEST_F(KdePointerSettingsTest, ValuesAreReadFromTheFiles) {
    write("kcminputrc", "[Mouse]\nXLbInptPointerAcceleration=-0.30\nX11LibInputXAccelProfileFlat=true\n");
    write("kdeglobals", "[KDE]\nWheelScrollLines=9\nDoubleClickInterval=650\n");
    EXPECT_EQ(settings().values(), (PointerValues{7, 0, 9, false, 650}));
    // Keys that are missing or damaged leave the stored values.
    write("kcminputrc", "[Mouse]\nXLbInptPointerAcceleration=fast\n");
    write("kdeglobals", "[KDE]\nWheelScrollLines=0\n");
    EXPECT_EQ(settings().values(), PointerValues{});
}

TEST_F(KdePointerSettingsTest, PageScrollingStaysWithThisProgram) {
    auto kde = settings();
    EXPECT_EQ(kde.setWheel(4, true), PointerApplied::ThisProgramOnly);
    EXPECT_EQ(read("kdeglobals"), "[KDE]\nWheelScrollLines=4\n");
    EXPECT_EQ(kde.values(), (PointerValues{10, 1, 4, true, 500}));
}

}  // namespace
}  // namespace talven
