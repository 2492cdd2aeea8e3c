// talvenctl's keyboard commands against the simulated keyboards.

#include "device/command_frame.h"
#include "device/keyboard/keyboard_layout.h"
#include "platform/app_identity.h"
#include "profile/json_file.h"
#include "sim/simulator.h"
#include "support/temp_dir.h"
#include "tools/ctl_run.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <set>

namespace talven {
namespace {

using sim::Area;
using test::CtlRun;
using test::lines;
using test::TempDir;

constexpr size_t kKeyA = 64;

size_t columnPosition(size_t key) {
    return (key % keyboard::kColumns) * keyboard::kRows + key / keyboard::kColumns;
}

// "macro.config" naming m1, m2 ... and their files with `counts` events.
void writeMacros(const std::filesystem::path& folder, const std::vector<int>& counts) {
    const std::string f = folder.string() + "/";
    Json::Value macros;
    for (size_t m = 0; m < counts.size(); ++m) {
        const std::string guid = "m" + std::to_string(m + 1);
        macros["MacroInfo"][static_cast<Json::ArrayIndex>(m)]["Guid"] = guid;
        Json::Value mac;
        for (int i = 0; i < counts[m]; ++i) {
            Json::Value& e = mac["Events"][i];
            e["Action"] = i % 2 ? "up" : "down";
            e["Type"] = 10;
            e["Button"] = 4;
            e["Delay"] = "300";
        }
        ASSERT_EQ(wirtejsonFile(f + guid + ".mac", mac), 0);
    }
    ASSERT_EQ(wirtejsonFile(f + "macro.config", macros), 0);
}

// A data folder as the program leaves it: a profile list selecting the
// second of two profiles, that profile, and two macros of 3 and 5 events.
void writeDataFolder(const std::filesystem::path& folder) {
    std::filesystem::create_directories(folder);
    const std::string f = folder.string() + "/";
    Json::Value list;
    list["profilelist"][0]["profileUUID"] = "first";
    list["profilelist"][1]["profileUUID"] = "second";
    list["profileselect"] = 1;
    ASSERT_EQ(wirtejsonFile(f + "ProfileList.ini", list), 0);

    Json::Value entry;
    entry["LightInfo"]["SelectItem"] = 21;
    entry["LightInfo"]["Light"] = 3;
    entry["LightInfo"]["Speed"] = 1;
    entry["LightInfo"]["Fx"] = 1;
    entry["LightInfo"]["MultiColor"] = 0;
    entry["SystemStages"]["WFlag"] = 1;
    entry["SystemStages"]["Key6Flag"] = 1;
    entry["SystemStages"]["WinFlag"] = 0;
    entry["SystemStages"]["PollingRate"] = 2;
    for (Json::ArrayIndex key = 0; key < keyboard::kOnScreenKeys; ++key) {
        const uint32_t code = keyCodeValue(keyboard::kDefaultCodes[key]);
        entry["KeyList"][key]["Assignment"] = key == kKeyA ? 0x200005 : code;  // A sends B
        entry["KeyList"][key]["DefaultAssignment"] = code;
    }
    Json::Value profile;
    profile["Device"][0] = entry;
    ASSERT_EQ(wirtejsonFile(f + "second.Json", profile), 0);

    writeMacros(folder, {3, 5});
}

class TalvenctlKeyboardTest : public ::testing::Test {
protected:
    void SetUp() override {
        sim.addAllProducts();
        ASSERT_TRUE(sim.plugAll());
        ASSERT_TRUE(sim.startControl());
        writeDataFolder(data.path());
    }
    CtlRun run(const std::string& args, const std::string& env = {}) {
        return test::runTalvenctl(dir.str(), scratch, args, env);
    }
    sim::FirmwareModel& model(const char* name = "keyboard") { return sim.device(name)->model(); }

    TempDir dir, scratch, data;
    sim::Simulator sim{dir.str()};
};

TEST_F(TalvenctlKeyboardTest, ApplyWritesRecordMacrosAndKeyTable) {
    model().clearRequests();
    CtlRun r = run("--trace keyboard apply --data-dir " + data.str());
    ASSERT_EQ(r.status, 0) << r.err;

    std::string written, answered;
    for (const auto& line : lines(r.out)) {
        if (line.rfind("> ", 0) != 0 && line.rfind("< ", 0) != 0) continue;
        ASSERT_EQ(line.size(), 2 + 64 * 3 - 1) << line;
        (line[0] == '>' ? written : answered) += line.substr(11, 2) + " ";
    }
    const std::string sequence =
        "01 03 07 07 07 07 07 07 07 1b 1b 1b 02 "  // tables for the key maps
        "01 06 02 "                                // profile 0's record
        "03 01 15 15 02 "                          // macro memory
        "03 01 09 09 09 09 09 09 09 02 ";          // key table
    EXPECT_EQ(written, sequence);
    EXPECT_EQ(answered, sequence);  // every request answered, in order
    EXPECT_EQ(model().requests().size(), 31u);

    const std::vector<uint8_t> record = {0, 0, 3, 3, 1, 0, 0xFF, 0, 0, 0, 0, 0, 0,
                                         0, 0, 0, 0, 0, 0, 1, 1, 0, 2, 0, 0};
    EXPECT_EQ(model().read(Area::Config, 0, 25), record);  // mode 21 stored as 0
    EXPECT_EQ(model().read(Area::KeyAssignments, 3 * columnPosition(kKeyA), 3), (std::vector<uint8_t>{0x20, 0x00, 0x05}));
    EXPECT_EQ(model().read(Area::Macro, 0, 20),
              (std::vector<uint8_t>{0xAA, 0x55, 60, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 20, 0, 36, 0}));
    EXPECT_EQ(model().read(Area::Macro, 24, 8), (std::vector<uint8_t>{0x2C, 0x01, 0x8A, 4, 0x2C, 0x01, 0x0A, 4}));
}

TEST_F(TalvenctlKeyboardTest, ApplyUsesTheKeyboardsOwnDataFolder) {
    const auto home = scratch / "home";
    writeDataFolder(home / std::string(kApplicationTitle) / "keyboard7440");
    CtlRun r = run("--device keyboard7440 keyboard apply", "XDG_DATA_HOME=" + home.string());
    ASSERT_EQ(r.status, 0) << r.err;
    // The second keyboard lists its keys by key number.
    EXPECT_EQ(model("keyboard7440").read(Area::KeyAssignments, 3 * kKeyA, 3), (std::vector<uint8_t>{0x20, 0x00, 0x05}));
    EXPECT_EQ(model().read(Area::Config, 19, 2), (std::vector<uint8_t>{0, 0}));  // the other keyboard untouched
}

// The commands that change the keyboard, in order, each run of one command
// (a table or buffer goes in several frames) counted once.
std::vector<uint8_t> writeCommands(sim::FirmwareModel& model) {
    static const std::set<uint8_t> writes = {cmd::WriteBlock, cmd::WriteTable, cmd::WriteShort, cmd::WriteLightFrame,
                                             cmd::WriteBuffer};
    std::vector<uint8_t> found;
    for (const Frame& f : model.requests())
        if (writes.count(frameCommand(f)) && (found.empty() || found.back() != frameCommand(f)))
            found.push_back(frameCommand(f));
    return found;
}

TEST_F(TalvenctlKeyboardTest, MacrosThatDoNotFitRefuseTheWholeApply) {
    // Macro memory: 16 header bytes + 6 per macro + 4 per event against
    // capacity units x 128; the events to remove are (total - capacity) / 4 + 1.
    struct Case {
        uint8_t units;
        std::vector<int> events;
        int toRemove;  // 0: fits
    };
    const Case cases[] = {
        {0, {3, 5}, 16},   // 60 bytes, nothing fits
        {1, {3, 22}, 0},   // exactly 128
        {1, {3, 23}, 2},   // 132
        {1, {1, 1, 25}, 4},  // 16 + 18 + 108 = 142
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.events) + " in " + std::to_string(c.units));
        writeMacros(data.path(), c.events);
        ASSERT_TRUE(model().write(Area::Info, sim::kInfoMacroUnits, std::vector<uint8_t>{c.units}));
        ASSERT_TRUE(model().write(Area::Config, 0, std::vector<uint8_t>(25, 0x77)));
        model().clearRequests();
        CtlRun r = run("keyboard apply --data-dir " + data.str());
        if (c.toRemove == 0) {
            EXPECT_EQ(r.status, 0) << r.err;
            EXPECT_EQ(writeCommands(model()), (std::vector<uint8_t>{cmd::WriteBlock, cmd::WriteBuffer, cmd::WriteTable}));
            continue;
        }
        EXPECT_EQ(r.status, 1);
        EXPECT_NE(r.err.find("remove " + std::to_string(c.toRemove) + " events"), std::string::npos) << r.err;
        EXPECT_EQ(r.out.find("applied"), std::string::npos) << r.out;
        EXPECT_TRUE(writeCommands(model()).empty());
        EXPECT_FALSE(model().requests().empty());  // the reads happened
        EXPECT_EQ(model().read(Area::Config, 0, 25), std::vector<uint8_t>(25, 0x77));
    }
}

TEST_F(TalvenctlKeyboardTest, AProfileThatCannotBeCompletedIsNotApplied) {
    // A factory profile to complete from, so the only failure is the write.
    TempDir resources;
    std::filesystem::create_directories(resources / "DefaultData");
    test::writeFile(resources / "DefaultData" / "keyboard.Json", R"({"Device": [{"LightInfo": {"SelectItem": 2}}]})");
    const std::string env = "TALVEN_RESOURCE_DIR=" + resources.str();
    struct Case {
        const char* name;
        std::string uuid;
        std::function<void(const std::filesystem::path&)> place;
        std::string message;
    };
    const Case cases[] = {
        {"a name too long to create", std::string(300, 'u'), [](const std::filesystem::path&) {}, "written"},
        {"a folder in the place of the file", "taken",
         [](const std::filesystem::path& p) {
             std::filesystem::create_directories(p);
             test::writeFile(p / "inside", "kept");
         },
         "folder"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Json::Value list;
        list["profilelist"][0]["profileUUID"] = c.uuid;
        list["profileselect"] = 0;
        ASSERT_EQ(wirtejsonFile((data / "ProfileList.ini").string(), list), 0);
        c.place(data / (c.uuid + ".Json"));
        const auto before = std::distance(std::filesystem::recursive_directory_iterator(data.path()), {});
        model().clearRequests();

        CtlRun r = run("--trace keyboard apply --data-dir " + data.str(), env);
        EXPECT_EQ(r.status, 1) << r.out;
        EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
        EXPECT_EQ(r.out.find("applied"), std::string::npos) << r.out;
        EXPECT_EQ(r.out.find("> "), std::string::npos) << "a command was sent";
        EXPECT_TRUE(model().requests().empty());
        EXPECT_EQ(std::distance(std::filesystem::recursive_directory_iterator(data.path()), {}), before);
    }
}

TEST_F(TalvenctlKeyboardTest, ASelectionNamingNoProfileAppliesTheFirstAsTheProgramDoes) {
    std::filesystem::copy_file(data / "second.Json", data / "first.Json");
    for (const char* select : {"2", "-1", "\"1\""}) {
        SCOPED_TRACE(select);
        test::writeFile(data / "ProfileList.ini", std::string(R"({"profilelist": [{"profileUUID": "first"},
            {"profileUUID": "second"}], "profileselect": )") + select + "}");
        CtlRun r = run("keyboard apply --data-dir " + data.str());
        ASSERT_EQ(r.status, 0) << r.err;
        EXPECT_EQ(lines(r.out)[0], "applied " + data.str() + "/first.Json");
        EXPECT_NE(r.err.find("the first"), std::string::npos) << r.err;
    }
}

TEST_F(TalvenctlKeyboardTest, ShowsKeysProfileAndInformation) {
    CtlRun r = run("keyboard info");
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(lines(r.out)[0], "key count 126");
    EXPECT_EQ(lines(r.out)[1], "macro capacity 4096 bytes");

    r = run("keyboard keys");
    ASSERT_EQ(r.status, 0) << r.err;
    const auto rows = lines(r.out);
    ASSERT_EQ(rows.size(), 2 + keyboard::kOnScreenKeys);
    EXPECT_EQ(rows[2 + 1], "1    6        20 00 3a  1");
    EXPECT_EQ(rows[2 + 104], "104  108      20 00 00  18");  // a blank shares the first empty entry
    EXPECT_EQ(rows[2 + 103], "103  118      20 00 85  100");

    ASSERT_EQ(sim.runCommand("profile keyboard 3"), "ok");
    r = run("keyboard profile");
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(lines(r.out)[0], "active profile 3");
    EXPECT_EQ(lines(r.out)[1], "mode 4");
}

TEST_F(TalvenctlKeyboardTest, RefusalsSendNothingToTheKeyboard) {
    test::writeFile(data / "second.Json", "{\"Device\": [");
    TempDir empty;
    struct Case {
        std::string args;
        int status;
        std::string message;
    };
    const std::vector<Case> cases = {
        {"keyboard apply --data-dir " + data.str(), 1, "damaged"},
        {"keyboard apply --data-dir " + empty.str(), 1, "no profile list"},
        {"keyboard apply --data-dir", 2, "--data-dir DIR"},
        {"keyboard frob", 2, "unknown keyboard command"},
        {"keyboard", 2, "info, keys, profile or apply"},
        {"keyboard keys extra", 2, "takes no arguments"},
        {"--device mouse keyboard info", 1, "'mouse' is not a keyboard"},
    };
    model().clearRequests();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.args);
        CtlRun r = run(c.args);
        EXPECT_EQ(r.status, c.status);
        EXPECT_EQ(lines(r.err).size(), 1u) << r.err;
        EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
    }
    EXPECT_TRUE(model().requests().empty());
    EXPECT_EQ(test::readFile(data / "second.Json"), "{\"Device\": [");
}

// ---- set-key -------------------------------------------------------------------------------

int storedAssignment(const TempDir& data, size_t key) {
    return ReadJsonValue(data.str() + "/second.Json")["Device"][0]["KeyList"][static_cast<Json::ArrayIndex>(key)]
        ["Assignment"].asInt();
}

TEST_F(TalvenctlKeyboardTest, SetKeyStoresTheFunctionAndSendsTheMacrosAndTheKeyTable) {
    model().clearRequests();
    CtlRun r = run("--trace keyboard set-key A key:Alt+F1 --data-dir " + data.str());
    ASSERT_EQ(r.status, 0) << r.err;
    std::string written;
    for (const auto& line : lines(r.out))
        if (line.rfind("> ", 0) == 0) written += line.substr(11, 2) + " ";
    EXPECT_EQ(written,
              "01 03 07 07 07 07 07 07 07 1b 1b 1b 02 "  // tables for the key maps
              "03 01 15 15 02 "                          // macro memory
              "03 01 09 09 09 09 09 09 09 02 ");         // key table, no profile record
    EXPECT_EQ(storedAssignment(data, kKeyA), 0x20043A);
    EXPECT_EQ(model().read(Area::KeyAssignments, 3 * columnPosition(kKeyA), 3),
              (std::vector<uint8_t>{0x20, 0x04, 0x3A}));
    // The other keys go out as the profile holds them: S is still S.
    EXPECT_EQ(model().read(Area::KeyAssignments, 3 * columnPosition(kKeyA + 1), 3),
              (std::vector<uint8_t>{0x20, 0x00, 0x16}));
}

TEST_F(TalvenctlKeyboardTest, SetKeyFunctionsEncodeAsThePanelDoes) {
    const std::pair<const char*, int> cases[] = {
        {"default", 0x200004},
        {"disable", 0xA00000},
        {"key:RCtrl", 0x201000},
        {"'key:Num Enter'", 0x200058},
        {"key:Ctrl+C", 0x200106},
        {"mouse:forward", 0x101000},
        {"swing:count=20:delay=1:speed=5:dir=1", 0x114185},
        {"wheel:count=1:delay=2:amount=1:dir=1", 0x1212FF},
        {"dpi:3", 0x130300},
        {"fire:interval=300:count=2", 0x142C02},
        {"media:media_mute", 0x30E200},
        {"system:wake", 0x400400},
        {"macro:1:mode=3", 0x700103},
        {"macro:1:repeat=0", 0x710100},
        {"gun:2", 0x720200},
    };
    for (const auto& [function, expected] : cases) {
        SCOPED_TRACE(function);
        CtlRun r = run(std::string("keyboard set-key 64 ") + function + " --data-dir " + data.str());
        ASSERT_EQ(r.status, 0) << r.err;
        EXPECT_EQ(storedAssignment(data, kKeyA), expected);
        const std::vector<uint8_t> bytes = {static_cast<uint8_t>(expected >> 16), static_cast<uint8_t>(expected >> 8),
                                            static_cast<uint8_t>(expected)};
        EXPECT_EQ(model().read(Area::KeyAssignments, 3 * columnPosition(kKeyA), 3), bytes);
    }
}

TEST_F(TalvenctlKeyboardTest, SetKeyRefusalsChangeNeitherTheProfileNorTheKeyboard) {
    const std::string before = test::readFile(data / "second.Json");
    struct Case {
        std::string args;
        int status;
        std::string message;
    };
    const std::string d = " --data-dir " + data.str();
    const std::vector<Case> cases = {
        {"keyboard set-key 64", 2, "needs KEY FUNCTION"},
        {"keyboard set-key 999 disable" + d, 2, "is no key"},
        {"keyboard set-key Nope disable" + d, 2, "is no key"},
        {"keyboard set-key 64 key:Nope" + d, 2, "no keyboard key"},
        {"keyboard set-key 64 key:Ctrl+FN" + d, 2, "no keyboard key"},
        {"keyboard set-key 64 swing:count=1:speed=2" + d, 2, "needs delay=NUMBER"},
        {"keyboard set-key 64 fire:interval=x:count=1" + d, 2, "name=NUMBER"},
        {"keyboard set-key 64 macro:1:mode=4" + d, 2, "mode is 0 to 3"},
        {"keyboard set-key 64 mouse:sideways" + d, 2, "not a mouse function"},
        {"keyboard set-key 64 frob:1" + d, 2, "unknown function"},
        {"keyboard set-key 64 disable --data-dir", 2, "--data-dir DIR"},
    };
    model().clearRequests();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.args);
        CtlRun r = run(c.args);
        EXPECT_EQ(r.status, c.status);
        EXPECT_EQ(lines(r.err).size(), 1u) << r.err;
        EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
    }
    EXPECT_TRUE(model().requests().empty());
    // Macros that do not fit a keyboard without macro memory: the key is not stored either.
    ASSERT_TRUE(model().write(Area::Info, sim::kInfoMacroUnits, std::vector<uint8_t>{0}));
    CtlRun r = run("keyboard set-key 64 disable --data-dir " + data.str());
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("remove 16 events"), std::string::npos) << r.err;
    EXPECT_EQ(test::readFile(data / "second.Json"), before);
    EXPECT_TRUE(writeCommands(model()).empty());
}

}  // namespace
}  // namespace talven
