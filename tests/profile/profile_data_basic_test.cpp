#include "profile/profile_data_basic.h"

#include "profile/json_document.h"
#include "profile_test_support.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <optional>

namespace talven {
namespace {

using test::parseJson;
using test::readFile;
using test::writeFile;

class BasicProfile : public test::ProfileFolder {};

TEST_F(BasicProfile, AProfileWithoutItsEntryIsCompletedFromTheFactoryFile) {
    struct Case {
        const char* name;
        std::optional<std::string> before;  // nullopt: no file
    };
    const Case cases[] = {
        {"no Device", R"({"profilename": "Profile1", "profileUUID": "2024_03_07_14_05_09_042"})"},
        {"null element", R"({"Device": [null], "profilename": "Profile1", "profileUUID": "u"})"},
        {"empty file", ""},
        {"no file", std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::filesystem::remove(profilePath());
        if (c.before) writeFile(profilePath(), *c.before);

        CBasicProfiledata profile;
        aim(profile);
        EXPECT_EQ(profile.LoadDeviceEntry(profilePath()), factoryEntry());
        EXPECT_EQ(profile.lastStatus(), ProfileStatus::completedFromDefault);

        const Json::Value written = ReadJsonValue(profilePath());
        EXPECT_EQ(written["Device"][0], factoryEntry());
        const Json::Value old = c.before && !c.before->empty() ? parseJson(*c.before) : Json::Value();
        for (const char* key : {"profilename", "profileUUID"}) EXPECT_EQ(written[key], old[key]) << key;
    }
}

TEST_F(BasicProfile, ACompleteProfileIsReadWithoutRewritingIt) {
    const std::string text = R"({"Device": [{"LightInfo": {"SelectItem": 9}}], "profilename": "Mine"})";
    writeFile(profilePath(), text);
    // The factory file is not needed for a complete profile.
    std::filesystem::remove(defaultPath());

    CBasicProfiledata profile;
    aim(profile);
    EXPECT_EQ(profile.LoadDeviceEntry(profilePath())["LightInfo"]["SelectItem"], 9);
    EXPECT_EQ(profile.lastStatus(), ProfileStatus::ok);
    EXPECT_EQ(readFile(profilePath()), text);
}

TEST_F(BasicProfile, WithoutAUsableFactoryFileAnIncompleteProfileLoadsNothing) {
    const std::optional<std::string> factories[] = {std::nullopt, "{ not json", R"({"Device": []})"};
    for (const auto& factoryText : factories) {
        SCOPED_TRACE(factoryText.value_or("no file"));
        std::filesystem::remove(defaultPath());
        if (factoryText) writeFile(defaultPath(), *factoryText);
        writeFile(profilePath(), R"({"profilename": "Mine"})");

        CBasicProfiledata profile;
        aim(profile);
        EXPECT_TRUE(profile.LoadDeviceEntry(profilePath()).isNull());
        EXPECT_EQ(profile.lastStatus(), ProfileStatus::noFactoryEntry);
        EXPECT_NE(profile.lastError().find("default.Json"), std::string::npos) << profile.lastError();
        EXPECT_EQ(profile.ReadLightInfo(), LightSettings{});
        EXPECT_EQ(ReadJsonValue(profilePath())["profilename"], "Mine");
        if (factoryText) {
            EXPECT_EQ(readFile(defaultPath()), *factoryText);
        }
    }
}

TEST_F(BasicProfile, ADamagedProfileIsReportedAndNeverOverwritten) {
    const std::string deep = std::string(5000, '[') + std::string(5000, ']');
    const std::string damaged[] = {R"({"Device": [{"LightInfo": )", "[1, 2]", "42", deep, "\xFF\xFE garbage",
                                   // JSON, but not shaped as a profile: writing an entry in would replace it
                                   R"({"Device": 5, "profilename": "P"})",
                                   R"({"Device": {"0": {"LightInfo": {"SelectItem": 3}}}})",
                                   R"({"Device": ["text"]})", R"({"Device": [[{"LightInfo": {}}]]})"};
    for (const std::string& text : damaged) {
        SCOPED_TRACE(text.substr(0, 30));
        writeFile(profilePath(), text);
        const size_t files = test::fileCount(dir.path());

        CBasicProfiledata profile;
        aim(profile);
        // The page still gets the factory settings to show.
        EXPECT_EQ(profile.LoadDeviceEntry(profilePath()), factoryEntry());
        EXPECT_EQ(profile.lastStatus(), ProfileStatus::damagedFile);
        EXPECT_NE(profile.lastError().find(profilePath()), std::string::npos) << profile.lastError();

        profile.WriteLightInfo(1, 0, 0);
        EXPECT_EQ(profile.Save(), ProfileStatus::damagedFile);
        EXPECT_EQ(readFile(profilePath()), text);
        EXPECT_EQ(test::fileCount(dir.path()), files);
    }
}

TEST_F(BasicProfile, AFailedWriteLeavesTheOldFileIntact) {
    const auto folder = dir / "readonly";
    std::filesystem::create_directory(folder);
    const std::string path = (folder / "p.Json").string();
    const std::string before = R"({"Device": [{"LightInfo": {"SelectItem": 3}}], "profilename": "Old"})";
    writeFile(path, before);
    ::chmod(dir.str().c_str(), 0755);
    ::chmod(path.c_str(), 0644);
    ::chmod(defaultPath().c_str(), 0644);
    ::chmod(folder.c_str(), 0555);

    const auto result = test::runUnprivileged([&] {
        CBasicProfiledata profile;
        profile.SetDefaultPath(defaultPath());
        profile.SetProfilePath(path);
        profile.LoadDeviceEntry(path);
        profile.WriteLightInfo(5, 0, 0);
        const bool failed = profile.Save() == ProfileStatus::writeFailed && !profile.lastError().empty();
        // Memory keeps the new values.
        return failed && profile.deviceEntry()["LightInfo"]["SelectItem"] == 5 ? 0 : 1;
    });
    ::chmod(folder.c_str(), 0755);
    if (!result) GTEST_SKIP() << "no unprivileged user to run as";
    EXPECT_EQ(*result, 0);
    EXPECT_EQ(readFile(path), before);
    EXPECT_EQ(test::fileCount(folder), 1u);
}

TEST_F(BasicProfile, LightInfoReadsTheStoredFieldsAndAlwaysRed) {
    writeFile(profilePath(), R"({"Device": [{"LightInfo": {"SelectItem": 300, "Light": 3, "Speed": 2,
        "MultiColor": 7, "Red": 10, "Green": 20, "Blue": 30, "Fx": 1}}]})");
    CBasicProfiledata profile;
    aim(profile);
    profile.LoadDeviceEntry(profilePath());
    LightSettings expected;
    expected.selectItem = 300 & 0xFF;  // kept to its byte
    expected.light = 3;
    expected.speed = 2;
    expected.fx = 1;
    expected.multiColor = 1;
    expected.red = 255;
    EXPECT_EQ(profile.ReadLightInfo(), expected);
    EXPECT_EQ(profile.currentLightSettings(), expected);

    // The words go into the file whole, colour included.
    const LightSettings set = LightSettings::fromWords(0x01020304, 0x0A141E01, 0x00050006);
    profile.WriteLightInfo(set.word1(), set.word2(), set.word3());
    EXPECT_EQ(profile.currentLightSettings(), set);
    ASSERT_EQ(profile.Save(), ProfileStatus::ok);
    const Json::Value info = ReadJsonValue(profilePath())["Device"][0]["LightInfo"];
    EXPECT_EQ(info, parseJson(R"({"SelectItem": 4, "Light": 3, "Speed": 2, "Fx": 1, "MultiColor": 1,
                                  "Red": 30, "Green": 20, "Blue": 10})"));
}

TEST_F(BasicProfile, LightListMarksNullZonesAsAbsent) {
    writeFile(profilePath(), R"({"Device": [{"LightList": [null,
        {"LEDREGMode": 2, "LEDBrightness": 4, "LEDSpeed": 1, "LEDMultiColor": 3, "LEDDirection": true,
         "red": 256, "green": 5, "blue": 6}]}]})");
    CBasicProfiledata profile;
    aim(profile);
    profile.LoadDeviceEntry(profilePath());
    const std::vector<LedEntry> expected = {LedEntry{}, LedEntry{2, 4, 1, 1, 1, 0, 5, 6, 1}};
    EXPECT_EQ(profile.ReadLightList(), expected);
}

TEST_F(BasicProfile, LedEffectsComeFromTheFileTheCurrentModeNames) {
    writeFile(dir / "velko_light.config", R"({"LightInfo": [[{"LightName": "one", "Guid": "g0"},
        {"LightName": "two", "Guid": "g1"}, {"LightName": "no guid"}]]})");
    writeFile(dir / "g1.light", R"({"LEDEffectList": [
        {"LEDREGMode": 1, "LEDDirection": 1, "LEDBrightness": 4, "LEDSpeed": 2, "LEDMultiColor": 0,
         "red": 1, "green": 2, "blue": 3, "Time": 1500, "Cyle": -1}]})");
    CBasicProfiledata profile;
    aim(profile);
    EXPECT_TRUE(profile.ReadLedEffects().empty());  // no configuration read yet

    profile.ReadLightConfig((dir / "velko_light.config").string());
    const std::vector<LedEffect> steps = {LedEffect{1, 4, 2, 1, 0, 1, 2, 3, 1500, -1}};
    for (uint32_t mode : {1u, 0u, 2u, 7u}) {
        SCOPED_TRACE(mode);
        profile.WriteLightInfo(mode, 0, 0);
        EXPECT_EQ(profile.ReadLedEffects(), mode == 1 ? steps : std::vector<LedEffect>{});
    }
}

TEST_F(BasicProfile, KeyListWritesOnlyTheCurrentAssignments) {
    CBasicProfiledata profile;
    aim(profile);
    profile.LoadDeviceEntry(profilePath());
    std::vector<KeySlot> slots = profile.ReadKeyList();
    ASSERT_EQ(slots.size(), 2u);
    EXPECT_EQ(slots[1], (KeySlot{1, {0x10, 0x02, 0x00}, 1, {0x10, 0x02, 0x00}}));

    slots[1].assignment = {0x20, 0x02, 0x04};      // Shift + A
    slots[1].defaultAssignment = {0xA0, 0, 0};     // never stored
    profile.WriteKeyList(slots);
    ASSERT_EQ(profile.Save(), ProfileStatus::ok);

    CBasicProfiledata again;
    aim(again);
    again.LoadDeviceEntry(profilePath());
    const std::vector<KeySlot> read = again.ReadKeyList();
    EXPECT_EQ(read[1].assignment, (KeyCode{0x20, 0x02, 0x04}));
    EXPECT_EQ(read[1].defaultAssignment, (KeyCode{0x10, 0x02, 0x00}));
    EXPECT_EQ(ReadJsonValue(profilePath())["Device"][0]["KeyList"][1]["Assignment"], 0x200204);
}

TEST_F(BasicProfile, NamesAreStoredAsUtf8ByteForByte) {
    const std::string names[] = {"Profile 1", "配置 Über ☺"};
    for (const std::string& name : names) {
        SCOPED_TRACE(name);
        Json::Value root;
        root["profilename"] = name;
        ASSERT_EQ(wirtejsonFile(profilePath(), root), 0);

        CBasicProfiledata profile;
        aim(profile);
        profile.LoadDeviceEntry(profilePath());  // completes and rewrites the file
        profile.WriteLightInfo(1, 0, 0);
        ASSERT_EQ(profile.Save(), ProfileStatus::ok);

        const std::string text = readFile(profilePath());
        EXPECT_NE(text.find("\"" + name + "\""), std::string::npos) << text;
        EXPECT_EQ(ReadJsonValue(profilePath())["profilename"].asString(), name);
    }
}

TEST_F(BasicProfile, PathsAndIndexesIgnoreValuesThatCannotBeRight) {
    CBasicProfiledata profile;
    aim(profile);
    profile.SetProfilePath("");
    profile.SetDefaultPath("");
    EXPECT_EQ(profile.GetProfilePath(), profilePath());
    EXPECT_EQ(profile.GetDefaultPath(), defaultPath());
    for (int bad : {-1, kMaxProfileIndex + 1, 1 << 30}) {
        profile.SetDeviceIndex(bad);
        EXPECT_EQ(profile.GetDeviceIndex(), 0) << bad;
    }
}

}  // namespace
}  // namespace talven
