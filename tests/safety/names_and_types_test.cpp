// Names that look like paths, and profiles whose every value has the wrong
// type. A name is only ever a label: it never becomes a path, and the file a
// save dialog suggests for it stays in the dialog's folder. A value of the
// wrong type reads as nothing (0, false, empty); one where the file's frame
// should be (the top level, "Device", the device entry) makes the profile
// damaged, with a message, and the file is left alone.

#include "profile/profile_data_headset.h"
#include "profile/profile_data_mouse.h"
#include "profile/user_names.h"

#include "safety/safety_support.h"
#include "support/profile_reads.h"

#include <json/reader.h>
#include <json/writer.h>

#include <functional>

namespace talven {
namespace {

namespace fs = std::filesystem;

struct NameCase {
    const char* what;
    std::string name;
    bool taken;                 // accepted as the profile's and the macro's name
    const char* suggestedFile;  // what the export dialog offers
};

const NameCase kNames[] = {
    {"a slash", "a/b", true, "a_b.json"},
    {"two dots", "..", true, "profile.json"},
    {"a climb out of the folder", "../../etc/passwd", true, "_.._etc_passwd.json"},
    {"a newline", "x\ny", false, "x_y.json"},
    {"255 letters", std::string(255, 'n'), true, nullptr},
    {"300 letters", std::string(300, 'n'), false, nullptr},
};

TEST(HostileNames, AreLabelsOrRefusedAndNeverPaths) {
    for (const NameCase& c : kNames) {
        SCOPED_TRACE(c.what);
        const test::UsedFolder f;
        ProfileList list = test::usedList(f.data, f.factory);
        const size_t files = test::snapshot(f.dir.path()).size();
        const ProfileResult renamed = list.rename(c.name);
        EXPECT_EQ(renamed.ok(), c.taken);
        EXPECT_EQ(std::string(renamed.messageKey()), c.taken ? "" : "message_text_5");
        EXPECT_EQ(test::usedList(f.data, f.factory).entries()[1].name, c.taken ? c.name : "Profile2");
        MacroStore store(f.data);
        EXPECT_EQ(store.rename(0, c.name).ok(), c.taken);
        // Same files, and nothing above the data folder's parent.
        EXPECT_EQ(test::snapshot(f.dir.path()).size(), files);
        if (c.suggestedFile) EXPECT_EQ(suggestedFileName(c.name, ".json", "profile"), c.suggestedFile);
    }
}

TEST(HostileNames, ASuggestedFileNameIsCutAtACharacterBoundary) {
    std::string name;
    for (int i = 0; i < 150; ++i) name += "\xC3\xA9";  // é, two bytes each
    const std::string file = suggestedFileName(name, ".json", "profile");
    // 250 bytes of name leave room for ".json" in 255; 250 is a boundary.
    EXPECT_EQ(file.size(), 255u);
    EXPECT_EQ(file.substr(248), "\xC3\xA9.json");
    const std::string odd = suggestedFileName("x" + name, ".json", "profile");
    EXPECT_EQ(odd.size(), 254u);  // 251 would split a character: 249 bytes of name
    EXPECT_EQ(odd.substr(247), "\xC3\xA9.json");
}

TEST(HostileNames, IdentifiersThatClimbOutOfTheFolderAreRefused) {
    test::TempDir dir;
    const std::string data = (dir / "data").string() + "/";
    fs::create_directory(data);
    test::writeFile(dir / "factory.Json", test::kSafetyFactory);
    test::writeFile(data + "ProfileList.ini",
                    R"({"profileselect":0,"profilelist":[{"profilename":"A","profileUUID":"../outside"}]})");
    test::writeFile(data + "macro.config", R"({"MacroInfo":[{"MacroName":"m","Guid":"../outside"}]})");
    const auto before = test::snapshot(dir.path());
    EXPECT_NE(readSelectedProfile(data).error.find("selects no usable profile"), std::string::npos);
    ProfileList list = test::usedList(data, (dir / "factory.Json").string());
    EXPECT_EQ(list.currentProfilePath(), "");
    EXPECT_EQ(list.copy().outcome, ProfileOutcome::damagedFile);
    EXPECT_EQ(list.reset().outcome, ProfileOutcome::damagedFile);
    EXPECT_FALSE(MacroStore(data).save(0, {}).ok());
    // Nothing appears outside, and the list (written back when started)
    // still names what it named.
    EXPECT_FALSE(fs::exists(dir / "outside.Json"));
    EXPECT_FALSE(fs::exists(dir / "outside.mac"));
    EXPECT_EQ(test::changedFiles(before, test::snapshot(dir.path())), " " + data + "ProfileList.ini");
    Json::Value written;
    ASSERT_TRUE(Json::Reader().parse(test::readFile(data + "ProfileList.ini"), written));
    EXPECT_EQ(written["profilelist"][0]["profileUUID"], "../outside");
}

// Replaces every value `depth` levels below the top by one of another type.
Json::Value wrongTypesAt(const Json::Value& v, int depth) {
    if (depth == 0) {
        if (v.isObject()) return Json::Value(Json::arrayValue).append(1);
        if (v.isArray()) {
            Json::Value o(Json::objectValue);
            o["x"] = 1;
            return o;
        }
        if (v.isString()) return 7;
        return "7";
    }
    Json::Value out = v;
    if (v.isObject())
        for (const std::string& key : v.getMemberNames()) out[key] = wrongTypesAt(v[key], depth - 1);
    if (v.isArray())
        for (Json::ArrayIndex i = 0; i < v.size(); ++i) out[i] = wrongTypesAt(v[i], depth - 1);
    return out;
}

struct Kind {
    const char* factory;  // the factory profile whose shape is spoilt
    std::function<std::string(const std::string& path)> readAll;
};

template <typename Data>
Data loaded(const std::string& path) {
    Data profile;
    test::readProfileAsPages(profile, path);
    return profile;
}

std::string outcome(CBasicProfiledata& profile) {
    const std::string loadError = profile.lastError();
    const ProfileStatus saved = profile.Save();
    return loadError + (saved == ProfileStatus::ok ? " saved" : " not saved");
}

const Kind kKinds[] = {
    {"keyboard.Json",
     [](const std::string& path) {
         auto p = loaded<CKeyboardProfiledata>(path);
         p.ReadSystemStages();
         p.ReadCustomLightColors(p.GetCustomLightGroup(), 126);
         return outcome(p);
     }},
    {"mouse.Json",
     [](const std::string& path) {
         auto p = loaded<CMouseProfiledata>(path);
         p.ReadDpiStages();
         p.ReadMouseSystem();
         p.ReadCorrectInfo();
         return outcome(p);
     }},
    {"HD.Json",
     [](const std::string& path) {
         auto p = loaded<CHs6533Profiledata>(path);
         const HeadsetSystemRecord stages = p.ReadSystemSetStages();
         for (int t = 0; t <= 13; ++t) p.ReadEqValues(t);
         p.ReadCustomEqNames();
         p.ReadCustomEqValues(stages[3]);  // "CustomEqSeletIndex"
         return outcome(p);
     }},
    {"MousePad.Json", [](const std::string& path) {
         auto p = loaded<CBasicProfiledata>(path);
         return outcome(p);
     }},
};

TEST(HostileProfiles, WrongTypesAtEveryDepthReadAsNothingOrMakeTheProfileDamaged) {
    const fs::path factories = fs::path(TALVEN_TESTDATA_DIR) / ".." / ".." / "resources" / "DefaultData";
    const char* const frame[] = {"its top level is not a JSON object", "its \"Device\" is not an array",
                                 "its device entry is not a JSON object"};
    for (const Kind& kind : kKinds) {
        Json::Value factory;
        ASSERT_TRUE(Json::Reader().parse(test::readFile(factories / kind.factory), factory));
        for (int depth = 0; depth <= 8; ++depth) {
            SCOPED_TRACE(std::string(kind.factory) + ", wrong types at depth " + std::to_string(depth));
            test::TempDir dir;
            const std::string path = (dir / "p.Json").string();
            test::writeFile(path, Json::StyledWriter().write(wrongTypesAt(factory, depth)));
            const std::string before = test::readFile(path);
            const std::string result = kind.readAll(path);
            if (depth < 3) {
                EXPECT_NE(result.find(frame[depth]), std::string::npos) << result;
                EXPECT_NE(result.find("not saved"), std::string::npos);
                EXPECT_EQ(test::readFile(path), before);
            } else {
                EXPECT_EQ(result, " saved");
            }
        }
    }
}

}  // namespace
}  // namespace talven
