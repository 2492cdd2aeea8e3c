#include "profile/profile_data_headset.h"
#include "profile/profile_data_keyboard.h"
#include "profile/profile_data_mouse.h"

#include "profile_test_support.h"

#include <gtest/gtest.h>

namespace talven {
namespace {

using test::parseJson;
using test::writeFile;

class KindProfiles : public test::ProfileFolder {
protected:
    // Loads `entryText` as "Device"[0] of the profile into `profile`.
    template <typename Profile>
    void load(Profile& profile, const std::string& entryText) {
        writeFile(profilePath(), R"({"Device": [)" + entryText + "]}");
        aim(profile);
        profile.LoadDeviceEntry(profilePath());
        ASSERT_EQ(profile.lastStatus(), ProfileStatus::ok);
    }
};

TEST_F(KindProfiles, KeyboardSystemWordsRoundTripAndTakeTheDesktopRepeat) {
    CKeyboardProfiledata profile;
    load(profile, "{}");
    EXPECT_EQ(profile.ReadSystemStages(), (KeyboardSystemWords{0, 0, 0}));

    profile.WriteSystemStages(20 | 2 << 16, 1 | 3 << 16, 1 | 0 << 16);
    const Json::Value& stages = profile.deviceEntry()["SystemStages"];
    EXPECT_EQ(stages, parseJson(R"({"Repeat": 20, "RepeatDelay": 2, "Key6Flag": 1, "PollingRate": 3,
                                    "WFlag": 1, "WinFlag": 0})"));
    EXPECT_EQ(profile.ReadSystemStages(), (KeyboardSystemWords{20 | 2 << 16, 1 | 3 << 16, 1}));

    SystemInputValues desktop;
    desktop.keyboardSpeed = 31;
    desktop.keyboardDelay = 0;
    EXPECT_EQ(profile.ReadSystemStagesFromSystem(desktop), (KeyboardSystemWords{31, 1 | 3 << 16, 1}));
    EXPECT_EQ(profile.systemWords()[0], 31u);
}

TEST_F(KindProfiles, AMissingCustomLightGroupStartsWithTheFactoryRedKeys) {
    CKeyboardProfiledata profile;
    load(profile, R"({"CustomLightMode": {"LightColorInfo": [[{"Red": 1, "Green": 2, "Blue": 3, "Alpha": 4}]]}})");

    const std::vector<CustomLightColor> colours = profile.ReadCustomLightColors(1, 126);
    EXPECT_EQ(colours, std::vector<CustomLightColor>(126));  // black until read again
    const Json::Value& group = profile.deviceEntry()["CustomLightMode"]["LightColorInfo"][1];
    ASSERT_EQ(group.size(), 126u);
    EXPECT_EQ(group[64], parseJson(R"({"Red": 255, "Green": 0, "Blue": 0, "Alpha": 255})"));
    EXPECT_EQ(group[10], parseJson(R"({"Red": 0, "Green": 0, "Blue": 0, "Alpha": 0})"));

    const std::vector<CustomLightColor> again = profile.ReadCustomLightColors(1, 126);
    for (int key : CKeyboardProfiledata::kFactoryRedKeys)
        EXPECT_EQ(again[key], (CustomLightColor{255, 0, 0, 255})) << key;
    EXPECT_EQ(again[0], CustomLightColor{});

    // Group 0 existed: its colour is read, and nothing else of it changes.
    EXPECT_EQ(profile.ReadCustomLightColors(0, 1), (std::vector<CustomLightColor>{{1, 2, 3, 4}}));
    EXPECT_EQ(profile.deviceEntry()["CustomLightMode"]["LightColorInfo"][0].size(), 1u);
}

TEST_F(KindProfiles, FillingAShortGroupKeepsTheUsersColours) {
    // Key 64 was set blue by the user; keys 0..63 and 65.. are missing.
    std::string slots;
    for (int i = 0; i < 64; ++i) slots += R"({"Red": 0, "Green": 9, "Blue": 0, "Alpha": 255},)";
    CKeyboardProfiledata profile;
    load(profile, R"({"CustomLightMode": {"LightColorInfo": [[)" + slots +
                      R"({"Red": 0, "Green": 0, "Blue": 200, "Alpha": 255}]]}})");
    const std::vector<CustomLightColor> colours = profile.ReadCustomLightColors(0, 126);
    EXPECT_EQ(colours[64], (CustomLightColor{0, 0, 200, 255}));
    EXPECT_EQ(colours[3], (CustomLightColor{0, 9, 0, 255}));
    const Json::Value& group = profile.deviceEntry()["CustomLightMode"]["LightColorInfo"][0];
    EXPECT_EQ(group[64]["Red"], 0);
    EXPECT_EQ(group[65]["Red"], 255);  // missing factory key gets its red
}

TEST_F(KindProfiles, CustomLightColoursAndGroupAreWrittenToTheEntry) {
    CKeyboardProfiledata profile;
    load(profile, "{}");
    EXPECT_EQ(profile.GetCustomLightGroup(), 0);
    profile.SetCustomLightGroup(2);
    profile.SetCustomLightGroup(kMaxProfileIndex + 1);  // ignored
    EXPECT_EQ(profile.GetCustomLightGroup(), 2);

    profile.WriteCustomLightColors({{1, 2, 3, 4}, {5, 6, 7, 8}}, 2);
    profile.WriteCustomLightColors({{9, 9, 9, 9}}, 100000);  // ignored
    EXPECT_EQ(profile.deviceEntry()["CustomLightMode"]["LightColorInfo"].size(), 3u);
    EXPECT_EQ(profile.ReadCustomLightColors(2, 2), (std::vector<CustomLightColor>{{1, 2, 3, 4}, {5, 6, 7, 8}}));
}

TEST_F(KindProfiles, DpiStagesMergeIntoTheHeldList) {
    CMouseProfiledata profile;
    load(profile, R"({"DPIStages": {"StageActive": 1, "StageDPIs": [
        {"StageActive": 1, "StageXY": 0, "StageDPIX": 70000, "StageDPIY": 6, "StageColorR": 255,
         "StageColorG": 0, "StageColorB": 0},
        {"StageActive": 0, "StageXY": 1, "StageDPIX": 14, "StageDPIY": 30, "StageColorR": 0,
         "StageColorG": 255, "StageColorB": 0}]}})");
    std::vector<DpiStage> held(5, DpiStage{1, 0, 99, 99, 1, 1, 1});
    profile.setHeldDpiStages(held);

    const std::vector<DpiStage> stages = profile.ReadDpiStages();
    ASSERT_EQ(stages.size(), 5u);
    EXPECT_EQ(stages[0], (DpiStage{1, 0, 70000 & 0xFFFF, 6, 255, 0, 0}));
    EXPECT_EQ(stages[1], (DpiStage{0, 1, 14, 30, 0, 255, 0}));
    for (size_t i = 2; i < 5; ++i) EXPECT_EQ(stages[i], held[i]) << i;
    EXPECT_EQ(profile.GetDpiStageActive(), 1);

    // Written stages and the active one come back from the file.
    profile.WriteDpiStages({DpiStage{1, 1, 300, 400, 9, 8, 7}});
    profile.SetDpiStageActive(0);
    ASSERT_EQ(profile.Save(), ProfileStatus::ok);
    CMouseProfiledata again;
    aim(again);
    again.LoadDeviceEntry(profilePath());
    const std::vector<DpiStage> read = again.ReadDpiStages();
    ASSERT_EQ(read.size(), 2u);  // the second stored stage stays in the file
    EXPECT_EQ(read[0], (DpiStage{1, 1, 300, 400, 9, 8, 7}));
    EXPECT_EQ(again.GetDpiStageActive(), 0);
}

TEST_F(KindProfiles, DpiStageBytesAreLittleEndian) {
    const DpiStage stage{1, 0, 0x1234, 0x0056, 10, 20, 30};
    const std::array<uint8_t, 9> bytes = {1, 0, 0x34, 0x12, 0x56, 0x00, 10, 20, 30};
    EXPECT_EQ(stage.toBytes(), bytes);
    EXPECT_EQ(DpiStage::fromBytes(bytes), stage);
}

TEST_F(KindProfiles, MouseSystemWordsRoundTrip) {
    CMouseProfiledata profile;
    load(profile, "{}");
    EXPECT_EQ(profile.ReadMouseSystem(), (MouseSystemWords{}));
    profile.WriteMouseSystem(6 | 10 << 16, 1 | 0 << 16, 3 | 4 << 16, 0x101);
    EXPECT_EQ(profile.deviceEntry()["HeightStages"]["StageActive"], 1);  // a byte
    EXPECT_EQ(profile.ReadMouseSystem(), (MouseSystemWords{6 | 10 << 16, 1, 3 | 4 << 16, 1}));
}

TEST_F(KindProfiles, MouseDesktopSettingsBecomeWords) {
    struct Case {
        uint32_t doubleClickMs;
        uint32_t wheelLines;
        uint32_t word1Low;
        uint32_t word2High;
        uint32_t word3Low;
    };
    const Case cases[] = {
        {200, 3, 10, 0, 3},
        {500, 3, 6, 0, 3},
        {550, 5, 5, 0, 5},
        {900, kWheelPageScroll, 0, 1, 0xFFFF},
    };
    CMouseProfiledata profile;
    load(profile, R"({"ReportStages": {"StageActive": 2}, "HeightStages": {"StageActive": 1}})");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.doubleClickMs);
        SystemInputValues desktop;
        desktop.doubleClickTimeMs = c.doubleClickMs;
        desktop.wheelScrollLines = c.wheelLines;
        desktop.mouseSpeed = 12;
        desktop.mouseAcceleration = 1;
        const MouseSystemWords expected = {c.word1Low | 12 << 16, 1 | c.word2High << 16, c.word3Low | 2 << 16, 1};
        EXPECT_EQ(profile.ReadMouseSystemFromSystem(desktop), expected);
    }
}

TEST_F(KindProfiles, CorrectionPresetsAreReadInOrder) {
    CMouseProfiledata profile;
    load(profile, R"({"CorrectInfo": [
        {"CorrectPixThresh": 4, "CorrectMinSq": 2, "CorrectSelect": 0, "CorrectName": "低"},
        {"CorrectPixThresh": 8, "CorrectMinSq": 4, "CorrectSelect": 1, "CorrectName": "mid"}]})");
    const std::vector<CorrectEntry> expected = {{4, 2, 0, "低"}, {8, 4, 1, "mid"}};
    EXPECT_EQ(profile.ReadCorrectInfo(), expected);
}

TEST_F(KindProfiles, EqTypesMapToRows) {
    const std::pair<int, int> cases[] = {{0, 1}, {1, 1}, {7, 7}, {12, 12}, {13, -1}, {14, 1}, {20, 1}, {-3, 1}};
    for (auto [type, row] : cases) EXPECT_EQ(eqRowForType(type), row) << type;
}

TEST_F(KindProfiles, AMissingEqRowReadsAsTenZerosAndIsFilledIn) {
    CHs6533Profiledata profile;
    load(profile, "{}");
    EXPECT_EQ(profile.ReadEqValues(3), std::vector<int>(10, 0));
    const Json::Value& rows = profile.deviceEntry()["EQHzValueInfo"];
    ASSERT_EQ(rows.size(), 4u);
    for (Json::ArrayIndex r = 0; r < 3; ++r) EXPECT_TRUE(rows[r].isNull()) << r;
    ASSERT_EQ(rows[3].size(), 10u);
    for (const Json::Value& band : rows[3]) EXPECT_EQ(band, parseJson(R"({"value": 0})"));

    const Json::Value before = profile.deviceEntry();
    EXPECT_TRUE(profile.ReadEqValues(kCustomEqType).empty());
    profile.WriteEqValues(kCustomEqType, std::vector<int>(10, 5));
    EXPECT_EQ(profile.deviceEntry(), before);
}

TEST_F(KindProfiles, EqValuesAndCustomCurvesRoundTrip) {
    CHs6533Profiledata profile;
    load(profile, "{}");
    const std::vector<int> curve = {7, 11, 2, -3, -1, 4, 9, 12, 9, 5};
    profile.WriteEqValues(0, curve);  // type 0 uses row 1
    EXPECT_EQ(profile.ReadEqValues(1), curve);
    EXPECT_EQ(profile.ReadEqValues(20), curve);
    profile.WriteEqValues(2, {1, 2, 3});  // too short: ignored
    EXPECT_EQ(profile.ReadEqValues(2), std::vector<int>(10, 0));

    profile.WriteCustomEqNames({"Bass", "低音 ☊"});
    profile.WriteCustomEqValues(1, curve);
    profile.WriteCustomEqValues(kMaxProfileIndex + 1, curve);  // ignored
    const HeadsetSystemRecord settings = {1, 3, 13, 1, 1, 80, 0, -5};
    profile.WriteSystemSetStages(settings);
    ASSERT_EQ(profile.Save(), ProfileStatus::ok);

    CHs6533Profiledata again;
    aim(again);
    again.LoadDeviceEntry(profilePath());
    EXPECT_EQ(again.ReadCustomEqNames(), (std::vector<std::string>{"Bass", "低音 ☊"}));
    EXPECT_EQ(again.ReadCustomEqValues(1), curve);
    EXPECT_EQ(again.ReadCustomEqValues(0), std::vector<int>(10, 0));
    EXPECT_EQ(again.ReadSystemSetStages(), settings);
    EXPECT_EQ(again.deviceEntry()["CustomEQHzValueInfo"].size(), 2u);
}

// Hand-edited files may hold anything where a number or object belongs; the
// reads give zeros and the writes replace the wrong value.
TEST_F(KindProfiles, WrongTypesReadAsZeroAndNeverThrow) {
    const char* entries[] = {
        R"({"LightInfo": "red", "LightList": 3, "KeyList": {"a": 1}, "SystemStages": [1, 2],
            "CustomLightMode": 7, "DPIStages": {"StageDPIs": "x", "StageActive": "2"},
            "ReportStages": [], "CorrectInfo": [1, "x", null], "SystemSetStages": "on",
            "EQHzValueInfo": {"1": 2}, "CustomEQNameInfo": [{"Name": 5}], "CustomEQHzValueInfo": 9})",
        R"({"LightInfo": {"SelectItem": "7", "Light": 1e300, "Speed": -1.5, "MultiColor": "yes"},
            "KeyList": [1, {"Assignment": "0x20"}], "SystemStages": {"Repeat": true, "DoubleClickTime": []},
            "CustomLightMode": {"LightColorInfo": [[3, {"Red": "1"}]], "CustomLightModeGroupIndex": "2"},
            "EQHzValueInfo": [null, "x", [1, {"value": "3"}]]})",
    };
    for (const char* entry : entries) {
        SCOPED_TRACE(entry);
        CKeyboardProfiledata keyboard;
        CMouseProfiledata mouse;
        CHs6533Profiledata headset;
        load(keyboard, entry);
        load(mouse, entry);
        load(headset, entry);
        EXPECT_NO_THROW({
            keyboard.ReadLightInfo();
            keyboard.ReadLightList();
            keyboard.ReadKeyList();
            keyboard.ReadSystemStages();
            keyboard.ReadCustomLightColors(keyboard.GetCustomLightGroup(), 126);
            keyboard.WriteSystemStages(1, 2, 3);
            keyboard.WriteKeyList({KeySlot{}});
            mouse.ReadDpiStages();
            mouse.ReadMouseSystem();
            mouse.ReadCorrectInfo();
            mouse.WriteDpiStages({DpiStage{}});
            mouse.WriteMouseSystem(1, 2, 3, 4);
            headset.ReadSystemSetStages();
            headset.ReadEqValues(1);
            headset.ReadEqValues(2);
            headset.ReadCustomEqNames();
            headset.ReadCustomEqValues(0);
            headset.WriteEqValues(1, std::vector<int>(10, 1));
            headset.WriteLightInfo(1, 2, 3);
        });
        EXPECT_EQ(keyboard.ReadSystemStages(), (KeyboardSystemWords{1, 2, 3}));
        EXPECT_EQ(headset.ReadEqValues(1), std::vector<int>(10, 1));
    }
}

}  // namespace
}  // namespace talven
