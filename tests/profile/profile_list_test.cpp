// The profile list of a data folder: first start, the name rules and every
// operation on the list and the profile files, including damaged files and
// failed writes.

#include "profile/profile_list.h"

#include "profile_test_support.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <functional>
#include <map>
#include <set>

namespace talven {
namespace {

using test::parseJson;
using test::readFile;
using test::writeFile;
namespace fs = std::filesystem;

std::vector<ProfileEntry> named(std::initializer_list<const char*> names) {
    std::vector<ProfileEntry> entries;
    for (const char* n : names) entries.push_back({n, std::string("u_") + n});
    return entries;
}

TEST(ProfileNames, NewCopyAndImportNames) {
    EXPECT_EQ(newProfileName(named({"Profile1", "profile2"})), "Profile3");
    EXPECT_EQ(newProfileName(named({"PROFILE2"})), "Profile1");
    EXPECT_EQ(newProfileName(named({"profile1", "Profile3"})), "Profile2");

    EXPECT_EQ(copyProfileName("Gaming", named({"Gaming"})), "Gaming copy");
    EXPECT_EQ(copyProfileName("Gaming", named({"Gaming", "gaming COPY"})), "Gaming copy copy");

    struct Case {
        const char* path;
        std::vector<ProfileEntry> entries;
        const char* name;
    };
    const Case cases[] = {
        {"/x/Game.old.json", {}, "Game.old"},
        {"/x/Game.json", named({"Game"}), "Game(1)"},
        {"/x/Game.json", named({"game", "GAME(1)"}), "Game(1)(2)"},
        {"/x/noext", {}, "noext"},
        {"/x/.json", {}, ".json"},  // a name is never empty
        {"/x/Spiel ü.json", named({"Spiel Ü"}), "Spiel ü"},  // only ASCII letters fold
    };
    for (const Case& c : cases) EXPECT_EQ(importProfileName(c.path, c.entries), c.name) << c.path;
}

TEST(ProfileNames, FilePathsStayInTheDataFolder) {
    EXPECT_EQ(profileFilePath("/d/", "2024_03_07_14_05_09_042"), "/d/2024_03_07_14_05_09_042.Json");
    for (const char* uuid : {"", ".", "..", "../x", "a/b"}) EXPECT_EQ(profileFilePath("/d/", uuid), "") << uuid;
}

TEST(ProfileNames, TabVisibilityNeverHidesTheLightingTab) {
    for (int kind = 0; kind < 10; ++kind) {
        if (const TabVisibilityRow* row = tabVisibilityFor(kind)) {
            EXPECT_NE(row->tabs[0], TabVisibility::hidden);
        }
    }
    ASSERT_NE(tabVisibilityFor(profile_kind::Headset), nullptr);
    EXPECT_EQ(tabVisibilityFor(profile_kind::Headset)->tabs[5], TabVisibility::shown);
    EXPECT_EQ(tabVisibilityFor(6), nullptr);
}

class ProfileListTest : public test::ProfileFolder {
protected:
    void SetUp() override {
        ProfileFolder::SetUp();
        fs::create_directory(dir / "data");
        list.setFolders((dir / "data").string() + "/", defaultPath());
    }
    std::string folder() const { return (dir / "data").string() + "/"; }
    std::string listPath() const { return folder() + kProfileListFileName; }
    Json::Value listFile() const { return ReadJsonValue(listPath()); }
    Json::Value profileFile(int index) const { return ReadJsonValue(list.profilePath(index)); }
    std::vector<std::string> names() const {
        std::vector<std::string> out;
        for (const ProfileEntry& e : list.entries()) out.push_back(e.name);
        return out;
    }
    // The list as it would be after init in a new session.
    std::vector<ProfileEntry> reread() const {
        ProfileList other;
        other.setFolders(folder(), defaultPath());
        other.init();
        return other.entries();
    }
    // Factory content with the two names of entry `index`.
    Json::Value factoryNamed(int index) const {
        Json::Value v = factory;
        v["profilename"] = list.entries()[static_cast<size_t>(index)].name;
        v["profileUUID"] = list.entries()[static_cast<size_t>(index)].uuid;
        return v;
    }
    void addNamed(const char* name) {
        ASSERT_TRUE(list.add().ok());
        ASSERT_TRUE(list.rename(name).ok());
    }

    ProfileList list;
};

TEST_F(ProfileListTest, FirstStartCreatesProfile1FromTheFactoryProfile) {
    ASSERT_TRUE(list.init().ok());
    ASSERT_EQ(names(), std::vector<std::string>{"Profile1"});
    EXPECT_EQ(list.selectedIndex(), 0);
    const Json::Value file = listFile();
    EXPECT_EQ(file["profileselect"], 0);
    ASSERT_EQ(file["profilelist"].size(), 1u);
    EXPECT_EQ(file["profilelist"][0]["profilename"], "Profile1");
    EXPECT_EQ(file["profilelist"][0]["profileUUID"], list.currentUuid());
    EXPECT_EQ(file["profilelist"][0]["profileislink"], 0);
    EXPECT_EQ(file["profilelist"][0]["profilelinkmame"], "");
    EXPECT_EQ(profileFile(0), factoryNamed(0));
    EXPECT_EQ(fs::path(list.currentProfilePath()).filename().string(), list.currentUuid() + ".Json");
    EXPECT_EQ(reread(), list.entries()) << "a second start finds the same list";
}

TEST_F(ProfileListTest, AnExistingListIsReadAndItsSelectionKeptInRange) {
    writeFile(listPath(), R"({"profilelist": [{"profilename": "A", "profileUUID": "a"},
                                              {"profilename": "B", "profileUUID": "b"}], "profileselect": 1})");
    ASSERT_TRUE(list.init().ok());
    EXPECT_EQ(names(), (std::vector<std::string>{"A", "B"}));
    EXPECT_EQ(list.currentUuid(), "b");
    writeFile(listPath(), R"({"profilelist": [{"profilename": "A", "profileUUID": "a"}], "profileselect": 7})");
    ASSERT_TRUE(list.init().ok());
    EXPECT_EQ(list.currentUuid(), "a");
    EXPECT_EQ(listFile()["profileselect"], 0);
}

TEST_F(ProfileListTest, AListThatCannotBeUnderstoodIsKeptAside) {
    const char* damaged[] = {"{\"profilelist\": [", "[1, 2]", "{\"profilelist\": 5}"};
    for (const char* text : damaged) {
        SCOPED_TRACE(text);
        fs::remove_all(dir / "data");
        fs::create_directory(dir / "data");
        writeFile(listPath(), text);
        ASSERT_TRUE(list.init().ok());
        EXPECT_EQ(names(), std::vector<std::string>{"Profile1"});
        EXPECT_EQ(readFile(listPath() + ".damaged"), text);
    }
    // A second damaged list does not replace the first one kept.
    writeFile(listPath(), "garbage");
    ASSERT_TRUE(list.init().ok());
    EXPECT_EQ(readFile(listPath() + ".damaged.2"), "garbage");

    // An empty list holds nothing to keep.
    fs::remove_all(dir / "data");
    fs::create_directory(dir / "data");
    writeFile(listPath(), R"({"profilelist": []})");
    ASSERT_TRUE(list.init().ok());
    EXPECT_EQ(names(), std::vector<std::string>{"Profile1"});
    EXPECT_FALSE(fs::exists(listPath() + ".damaged"));
}

TEST_F(ProfileListTest, AddTakesTheFirstFreeNameAndStopsAtFifty) {
    ASSERT_TRUE(list.init().ok());
    addNamed("profile2");
    ASSERT_TRUE(list.add().ok());
    EXPECT_EQ(names(), (std::vector<std::string>{"Profile1", "profile2", "Profile3"}));
    EXPECT_EQ(list.selectedIndex(), 2);
    EXPECT_EQ(listFile()["profileselect"], 2);
    EXPECT_EQ(profileFile(2), factoryNamed(2));

    while (list.count() < static_cast<int>(kMaxProfiles)) ASSERT_TRUE(list.add().ok());
    EXPECT_EQ(list.add().outcome, ProfileOutcome::unchanged);
    EXPECT_EQ(list.count(), 50);
    std::set<std::string> uuids;
    for (const ProfileEntry& e : list.entries()) uuids.insert(e.uuid);
    EXPECT_EQ(uuids.size(), 50u) << "profiles made within one millisecond still get their own files";
    EXPECT_EQ(test::fileCount(dir / "data"), 51u);
}

TEST_F(ProfileListTest, CopyTakesEverySettingOfTheSource) {
    ASSERT_TRUE(list.init().ok());
    ASSERT_TRUE(list.rename("Gaming").ok());
    Json::Value changed = profileFile(0);
    changed["Device"][0]["LightInfo"]["SelectItem"] = 9;
    ASSERT_EQ(wirtejsonFile(list.profilePath(0), changed), 0);

    ASSERT_TRUE(list.copy().ok());
    ASSERT_TRUE(list.select(0).ok());
    ASSERT_TRUE(list.copy().ok());
    EXPECT_EQ(names(), (std::vector<std::string>{"Gaming", "Gaming copy", "Gaming copy copy"}));
    EXPECT_EQ(list.selectedIndex(), 2);
    Json::Value expected = changed;
    expected["profilename"] = "Gaming copy copy";
    expected["profileUUID"] = list.currentUuid();
    EXPECT_EQ(profileFile(2), expected);
}

TEST_F(ProfileListTest, DeleteSelectsThePreviousProfileAndRemovesTheFile) {
    ASSERT_TRUE(list.init().ok());
    EXPECT_EQ(list.remove().outcome, ProfileOutcome::unchanged) << "the last profile stays";
    addNamed("B");
    addNamed("C");
    ASSERT_TRUE(list.select(0).ok());
    const std::string first = list.profilePath(0);
    ASSERT_TRUE(list.remove().ok());
    EXPECT_EQ(names(), (std::vector<std::string>{"B", "C"}));
    EXPECT_EQ(listFile()["profileselect"], 0);
    EXPECT_FALSE(fs::exists(first));

    ASSERT_TRUE(list.select(1).ok());
    ASSERT_TRUE(list.remove().ok());
    EXPECT_EQ(names(), std::vector<std::string>{"B"});
    EXPECT_EQ(list.selectedIndex(), 0);
    EXPECT_EQ(reread(), list.entries());
}

TEST_F(ProfileListTest, ImportChecksTheFileAgainstTheKind) {
    const std::string stages = R"({"profilename": "x", "profileUUID": "y",
        "Device": [{"DPIStages": {"StageDPIs": [{"StageDPIX": 800}]}}]})";
    const std::string noStages = R"({"profilename": "x", "profileUUID": "y", "Device": [{"LightInfo": {}}]})";
    const std::string emptyStages = R"({"profilename": "x", "profileUUID": "y",
        "Device": [{"DPIStages": {"StageDPIs": []}}]})";
    struct Case {
        int kind;
        std::string text;
        ProfileOutcome outcome;
    };
    const Case cases[] = {
        {profile_kind::Keyboard, stages, ProfileOutcome::wrongKind},
        {profile_kind::Keyboard, noStages, ProfileOutcome::done},
        {profile_kind::Mouse, noStages, ProfileOutcome::wrongKind},
        {profile_kind::Mouse, emptyStages, ProfileOutcome::wrongKind},
        {profile_kind::Mouse, stages, ProfileOutcome::done},
        {profile_kind::Headset, stages, ProfileOutcome::done},
        {profile_kind::Keyboard, R"({"profilename": "x"})", ProfileOutcome::notAProfile},
        {profile_kind::Keyboard, "{\"profilename\": ", ProfileOutcome::notAProfile},
        {profile_kind::Keyboard, R"(["profilename", "profileUUID"])", ProfileOutcome::notAProfile},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        list.setDeviceKind(c.kind);
        ASSERT_TRUE(list.init().ok());
        const int before = list.count();
        writeFile(dir / "Game.json", c.text);
        const ProfileResult result = list.importFrom((dir / "Game.json").string());
        EXPECT_EQ(result.outcome, c.outcome);
        EXPECT_EQ(list.count(), before + (c.outcome == ProfileOutcome::done ? 1 : 0));
        if (c.outcome == ProfileOutcome::wrongKind) {
            EXPECT_STREQ(result.messageKey(), "message_text_9");
        }
    }
}

TEST_F(ProfileListTest, ImportedProfilesTakeTheFileNameAndANewIdentity) {
    list.setDeviceKind(profile_kind::Keyboard);
    ASSERT_TRUE(list.init().ok());
    writeFile(dir / "Game.json", R"({"profilename": "Theirs", "profileUUID": "../../etc/x",
                                     "Device": [{"LightInfo": {"SelectItem": 4}}]})");
    ASSERT_TRUE(list.importFrom((dir / "Game.json").string()).ok());
    ASSERT_TRUE(list.importFrom((dir / "Game.json").string()).ok());
    EXPECT_EQ(names(), (std::vector<std::string>{"Profile1", "Game", "Game(1)"}));
    EXPECT_EQ(list.selectedIndex(), 2);
    const Json::Value imported = profileFile(2);
    EXPECT_EQ(imported["profilename"], "Game(1)");
    EXPECT_EQ(imported["profileUUID"], list.currentUuid());
    EXPECT_EQ(imported["Device"][0]["LightInfo"]["SelectItem"], 4);
}

TEST_F(ProfileListTest, ExportWritesTheProfileAsItIs) {
    ASSERT_TRUE(list.init().ok());
    const std::string target = (dir / "out.json").string();
    ASSERT_TRUE(list.exportTo(target).ok());
    EXPECT_EQ(ReadJsonValue(target), factoryNamed(0));

    writeFile(target, "precious");
    writeFile(list.currentProfilePath(), "{\"Device\": [");
    EXPECT_EQ(list.exportTo(target).outcome, ProfileOutcome::damagedFile);
    EXPECT_EQ(readFile(target), "precious") << "nothing replaces the target";
}

TEST_F(ProfileListTest, RenameFollowsTheCaseRules) {
    ASSERT_TRUE(list.init().ok());
    ASSERT_TRUE(list.rename("Gaming").ok());
    addNamed("Work");
    struct Case {
        const char* name;
        ProfileOutcome outcome;
        const char* shown;  // the selected profile's name afterwards
    };
    const Case cases[] = {
        {"gaming", ProfileOutcome::nameRefused, "Work"},
        {"WORK", ProfileOutcome::done, "WORK"},  // its own name in another case
        {"   ", ProfileOutcome::nameRefused, "WORK"},
        {"", ProfileOutcome::nameRefused, "WORK"},
        {"Büro 2", ProfileOutcome::done, "Büro 2"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(list.rename(c.name).outcome, c.outcome);
        EXPECT_EQ(list.entries()[1].name, c.shown);
        EXPECT_EQ(listFile()["profilelist"][1]["profilename"], c.shown);
        EXPECT_EQ(profileFile(1)["profilename"], c.shown);
    }
    EXPECT_STREQ(list.rename("gaming").messageKey(), "message_text_5");
    // UTF-8 goes into the file as it is.
    EXPECT_NE(readFile(list.currentProfilePath()).find("\"B\xC3\xBCro 2\""), std::string::npos);
}

TEST_F(ProfileListTest, ADamagedProfileIsNeverOverwrittenByCopyOrRename) {
    ASSERT_TRUE(list.init().ok());
    const std::string damaged = "{\"Device\": [{\"LightInfo\": ";
    writeFile(list.currentProfilePath(), damaged);
    const size_t files = test::fileCount(dir / "data");
    EXPECT_EQ(list.copy().outcome, ProfileOutcome::damagedFile);
    EXPECT_EQ(list.rename("Other").outcome, ProfileOutcome::damagedFile);
    EXPECT_EQ(readFile(list.currentProfilePath()), damaged);
    EXPECT_EQ(names(), std::vector<std::string>{"Profile1"});
    EXPECT_EQ(test::fileCount(dir / "data"), files);
}

TEST_F(ProfileListTest, ResetRestoresTheFactoryProfileAndAHeadsetKeepsItsEqualiser) {
    for (int kind : {profile_kind::Headset, profile_kind::MousePad}) {
        SCOPED_TRACE(kind);
        list.setDeviceKind(kind);
        ASSERT_TRUE(list.init().ok());
        Json::Value mine = profileFile(list.selectedIndex());
        mine["Device"][0]["LightInfo"]["SelectItem"] = 7;
        mine["Device"][0]["CustomEQNameInfo"][0]["Name"] = "Bass";
        mine["Device"][0]["CustomEQHzValueInfo"][0][0]["value"] = 5;
        ASSERT_EQ(wirtejsonFile(list.currentProfilePath(), mine), 0);

        ASSERT_TRUE(list.reset().ok());
        Json::Value expected = factoryNamed(list.selectedIndex());
        if (kind == profile_kind::Headset) {
            expected["Device"][0]["CustomEQNameInfo"] = mine["Device"][0]["CustomEQNameInfo"];
            expected["Device"][0]["CustomEQHzValueInfo"] = mine["Device"][0]["CustomEQHzValueInfo"];
        }
        EXPECT_EQ(profileFile(list.selectedIndex()), expected);
    }
}

TEST_F(ProfileListTest, ResetRepairsADamagedProfileButKeepsItsText) {
    ASSERT_TRUE(list.init().ok());
    writeFile(list.currentProfilePath(), "not json");
    ASSERT_TRUE(list.reset().ok());
    EXPECT_EQ(profileFile(0), factoryNamed(0));
    EXPECT_EQ(readFile(list.currentProfilePath() + ".damaged"), "not json");

    // Without a factory profile there is nothing to reset to.
    const std::string before = readFile(list.currentProfilePath());
    fs::remove(defaultPath());
    EXPECT_EQ(list.reset().outcome, ProfileOutcome::missingFile);
    EXPECT_EQ(readFile(list.currentProfilePath()), before);
}

TEST_F(ProfileListTest, AFailedWriteLeavesEveryFileAsItWas) {
    ASSERT_TRUE(list.init().ok());
    addNamed("Second");
    const auto before = test::folderContents(dir / "data");
    ::chmod(dir.str().c_str(), 0755);
    ::chmod((dir / "data").c_str(), 0555);
    for (const auto& [path, text] : before) ::chmod(path.c_str(), 0644);

    const auto result = test::runUnprivileged([&] {
        using Op = ProfileResult (ProfileList::*)();
        int failures = 0;
        for (Op op : {&ProfileList::add, &ProfileList::copy, &ProfileList::remove, &ProfileList::reset}) {
            const std::vector<ProfileEntry> entries = list.entries();
            const int selected = list.selectedIndex();
            failures += (list.*op)().outcome != ProfileOutcome::writeFailed;
            failures += list.entries() != entries || list.selectedIndex() != selected;
        }
        failures += list.rename("Third").outcome != ProfileOutcome::writeFailed;
        failures += list.entries()[1].name != "Second";
        return failures;
    });
    ::chmod((dir / "data").c_str(), 0755);
    if (!result) GTEST_SKIP() << "no unprivileged user to run as";
    EXPECT_EQ(*result, 0);
    EXPECT_EQ(test::folderContents(dir / "data"), before);
}

TEST_F(ProfileListTest, TheProgramAndTheToolTakeTheSameProfileForAnySelection) {
    // Three profiles; a selection that names none of them means the first.
    struct Case {
        const char* select;  // JSON text
        int index;
    };
    const Case cases[] = {
        {"-1", 0}, {"0", 0},       {"2", 2},           {"3", 0},      {"4294967296", 0}, {"18446744073709551615", 0},
        {"1.5", 0}, {"1.0", 1},    {"\"1\"", 0},       {"true", 0},   {"null", 0},       {"[1]", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.select);
        const std::string text = std::string(R"({"profilelist": [{"profilename": "A", "profileUUID": "a"},
            {"profilename": "B", "profileUUID": "b"}, {"profilename": "C", "profileUUID": "c"}], "profileselect": )") +
                                 c.select + "}";
        writeFile(listPath(), text);
        const SelectedProfile tool = readSelectedProfile(folder());
        EXPECT_EQ(tool.index, c.index);
        EXPECT_EQ(tool.path, folder() + std::string(1, static_cast<char>('a' + c.index)) + ".Json");
        EXPECT_EQ(tool.fellBack, std::string(c.select) != std::to_string(c.index) && std::string(c.select) != "1.0");
        EXPECT_EQ(readFile(listPath()), text) << "the tool changes nothing";

        ASSERT_TRUE(list.init().ok());
        EXPECT_EQ(list.selectedIndex(), c.index);
        EXPECT_EQ(listFile()["profileselect"], c.index);
        EXPECT_EQ(names(), (std::vector<std::string>{"A", "B", "C"})) << "no profile is lost";
    }
    writeFile(listPath(), R"({"profilelist": [], "profileselect": 0})");
    EXPECT_NE(readSelectedProfile(folder()).error.find("lists no profiles"), std::string::npos);
}

TEST_F(ProfileListTest, ListEntriesOfTheWrongTypeAreNeverRewritten) {
    // The readers take any element; an operation on one that is not an
    // object is refused with the list as it was.
    for (const char* shape : {"42", "\"text\"", "null", "[\"b\"]", "true"}) {
        SCOPED_TRACE(shape);
        const std::string text = std::string(R"({"profilelist": [{"profilename": "A", "profileUUID": "a"}, )") + shape +
                                 R"(], "profileselect": 1})";
        writeFile(listPath(), text);
        writeFile(folder() + "a.Json", R"({"Device": [{}], "profilename": "A", "profileUUID": "a"})");
        ASSERT_TRUE(list.init().ok());
        ASSERT_EQ(list.selectedIndex(), 1);
        const std::string stored = readFile(listPath());
        const auto before = test::folderContents(dir / "data");
        const std::pair<const char*, std::function<ProfileResult()>> operations[] = {
            {"rename", [&] { return list.rename("New"); }},
            {"copy", [&] { return list.copy(); }},
            {"export", [&] { return list.exportTo((dir / "out.Json").string()); }},
            {"reset", [&] { return list.reset(); }},
        };
        for (const auto& [name, operation] : operations) {
            SCOPED_TRACE(name);
            ProfileResult r;
            EXPECT_NO_THROW(r = operation());
            EXPECT_EQ(r.outcome, ProfileOutcome::damagedFile);
            EXPECT_FALSE(r.error.empty());
            EXPECT_EQ(test::folderContents(dir / "data"), before);
        }
        // Adding keeps the odd element where it was.
        ASSERT_TRUE(list.add().ok());
        EXPECT_EQ(listFile()["profilelist"][1], parseJson(shape));
        fs::remove(list.currentProfilePath());
        writeFile(listPath(), stored);
    }
}

TEST(SelectedProfile, ReadsTheListWithoutChangingIt) {
    test::TempDir dir;
    const std::string folder = dir.str() + "/";
    EXPECT_NE(readSelectedProfile(folder).error.find("no profile list"), std::string::npos);
    writeFile(dir / kProfileListFileName, "{");
    EXPECT_NE(readSelectedProfile(folder).error.find("damaged"), std::string::npos);
    writeFile(dir / kProfileListFileName, R"({"profilelist": [{"profileUUID": "../x"}], "profileselect": 0})");
    EXPECT_NE(readSelectedProfile(folder).error.find("no usable profile"), std::string::npos);
    writeFile(dir / kProfileListFileName, R"({"profilelist": [{"profileUUID": "a"}, {"profileUUID": "b"}],
                                             "profileselect": 1})");
    const SelectedProfile selected = readSelectedProfile(folder);
    EXPECT_EQ(selected.uuid, "b");
    EXPECT_EQ(selected.path, folder + "b.Json");
    EXPECT_EQ(test::fileCount(dir.path()), 1u);
}

}  // namespace
}  // namespace talven
