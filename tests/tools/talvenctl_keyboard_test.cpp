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

    Json::Value macros;
    macros["MacroInfo"][0]["Guid"] = "m1";
    macros["MacroInfo"][1]["Guid"] = "m2";
    ASSERT_EQ(wirtejsonFile(f + "macro.config", macros), 0);
    for (auto [guid, count] : {std::pair{"m1", 3}, std::pair{"m2", 5}}) {
        Json::Value mac;
        for (int i = 0; i < count; ++i) {
            Json::Value& e = mac["Events"][i];
            e["Action"] = i % 2 ? "up" : "down";
            e["Type"] = 10;
            e["Button"] = 4;
            e["Delay"] = "300";
        }
        ASSERT_EQ(wirtejsonFile(f + guid + ".mac", mac), 0);
    }
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

TEST_F(TalvenctlKeyboardTest, MacrosThatDoNotFitAreReportedAndTheRestIsWritten) {
    ASSERT_TRUE(model().write(Area::Info, sim::kInfoMacroUnits, std::vector<uint8_t>{0}));
    CtlRun r = run("keyboard apply --data-dir " + data.str());
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("remove 16 events"), std::string::npos) << r.err;
    EXPECT_EQ(model().read(Area::KeyAssignments, 3 * columnPosition(kKeyA), 3), (std::vector<uint8_t>{0x20, 0x00, 0x05}));
    for (const Frame& f : model().requests()) EXPECT_NE(frameCommand(f), cmd::WriteBuffer);
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

}  // namespace
}  // namespace talven
