// talvenctl's mouse commands against the simulated mice; what they leave in
// the mouse is read from the simulator's side.

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

// The factory codes of the eleven buttons as profile integers.
constexpr uint32_t kFactory[] = {0x100100, 0x100200, 0x100400, 0x101000, 0x100800, 0x130100,
                                 0x130200, 0xD00000, 0x130300, 0xA01B00, 0x169001};

void writeMacros(const std::string& f, const std::vector<int>& counts) {
    Json::Value list;
    for (size_t m = 0; m < counts.size(); ++m) {
        const std::string guid = "m" + std::to_string(m + 1);
        list["MacroInfo"][static_cast<Json::ArrayIndex>(m)]["Guid"] = guid;
        Json::Value mac;
        for (int i = 0; i < counts[m]; ++i) {
            Json::Value& e = mac["Events"][i];
            e["Action"] = i % 2 ? "up" : "down";
            e["Type"] = 2;
            e["Button"] = 1;
            e["Delay"] = "40";
        }
        ASSERT_EQ(wirtejsonFile(f + guid + ".mac", mac), 0);
    }
    ASSERT_EQ(wirtejsonFile(f + "macro.config", list), 0);
}

Json::Value stage(int on, int xy, int x, int y, int r, int g, int b) {
    Json::Value s;
    s["StageActive"] = on;
    s["StageXY"] = xy;
    s["StageDPIX"] = x;
    s["StageDPIY"] = y;
    s["StageColorR"] = r;
    s["StageColorG"] = g;
    s["StageColorB"] = b;
    return s;
}

// A data folder selecting a mouse profile with three DPI stages, lighting
// mode 9, speed 1, the second correction chosen, left and right swapped,
// and two macros of 3 and 5 events.
void writeDataFolder(const std::filesystem::path& folder) {
    std::filesystem::create_directories(folder);
    const std::string f = folder.string() + "/";
    Json::Value list;
    list["profilelist"][0]["profileUUID"] = "only";
    list["profileselect"] = 0;
    ASSERT_EQ(wirtejsonFile(f + "ProfileList.ini", list), 0);

    Json::Value e;
    e["LightInfo"]["SelectItem"] = 9;
    e["LightInfo"]["Light"] = 3;
    e["LightInfo"]["Speed"] = 1;
    e["LightInfo"]["Fx"] = 1;
    e["LightInfo"]["MultiColor"] = 0;
    e["DPIStages"]["StageActive"] = 2;
    e["DPIStages"]["StageDPIs"][0] = stage(1, 0, 6, 6, 255, 0, 0);
    e["DPIStages"]["StageDPIs"][1] = stage(1, 1, 14, 20, 0, 255, 0);
    e["DPIStages"]["StageDPIs"][2] = stage(0, 0, 30, 30, 0, 0, 255);
    e["SystemStages"]["DoubleClickTime"] = 6;
    e["SystemStages"]["MouseSpeed"] = 10;
    e["SystemStages"]["WheelScorlllinse"] = 3;
    e["ReportStages"]["StageActive"] = 2;
    e["HeightStages"]["StageActive"] = 1;
    for (int i = 0; i < 2; ++i) {
        Json::Value c;
        c["CorrectSelect"] = i;
        c["CorrectMinSq"] = 2 + 6 * i;
        c["CorrectPixThresh"] = 4 + 8 * i;
        e["CorrectInfo"][i] = c;
    }
    for (Json::ArrayIndex j = 0; j < 11; ++j) {
        e["KeyList"][j]["DefaultAssignment"] = kFactory[j];
        e["KeyList"][j]["Assignment"] = kFactory[j < 2 ? 1 - j : j];
    }
    Json::Value profile;
    profile["Device"][0] = e;
    ASSERT_EQ(wirtejsonFile(f + "only.Json", profile), 0);
    writeMacros(f, {3, 5});
}

// The command bytes of the traced reports written ('>') and read ('<').
std::pair<std::string, std::string> tracedCommands(const std::string& out) {
    std::string written, answered;
    for (const auto& line : lines(out)) {
        if (line.rfind("> ", 0) != 0 && line.rfind("< ", 0) != 0) continue;
        EXPECT_EQ(line.size(), 2 + 64 * 3 - 1) << line;
        (line[0] == '>' ? written : answered) += line.substr(11, 2) + " ";
    }
    return {written, answered};
}

class TalvenctlMouseTest : public ::testing::Test {
protected:
    void start(std::initializer_list<const char*> products) {
        for (const char* p : products) ASSERT_TRUE(sim.addProduct(p));
        ASSERT_TRUE(sim.plugAll());
        ASSERT_TRUE(sim.startControl());
        writeDataFolder(data.path());
    }
    CtlRun run(const std::string& args) { return test::runTalvenctl(dir.str(), scratch, args); }
    sim::FirmwareModel& model(const char* name) { return sim.device(name)->model(); }

    TempDir dir, scratch, data;
    sim::Simulator sim{dir.str()};
};

TEST_F(TalvenctlMouseTest, ApplyWritesSettingsBlockMacrosAndButtons) {
    start({"mouse", "keyboard", "keyboard7440"});
    model("mouse").clearRequests();
    const CtlRun r = run("--trace mouse apply --screen 1920x1080 --data-dir " + data.str());
    ASSERT_EQ(r.status, 0) << r.err;
    const auto [written, answered] = tracedCommands(r.out);
    const std::string sequence =
        "01 03 07 02 "     // attach
        "01 06 06 02 "     // profile 0's settings block, 70 bytes
        "03 01 15 15 02 "  // macro memory, 60 bytes
        "03 01 09 02 ";    // button table
    EXPECT_EQ(written, sequence);
    EXPECT_EQ(answered, sequence);

    const std::vector<uint8_t> block = {
        0, 0, 3, 3, 1, 0, 0xFF, 0, 0, 0, 0, 2, 2, 1,  // mode 9 sent as 0, speed 1 as 3
        1, 0, 6, 0, 6, 0, 255, 0, 0,                  // stage 0
        1, 1, 14, 0, 20, 0, 0, 255, 0,                // stage 1
        0, 0, 30, 0, 30, 0, 0, 0, 255,                // stage 2
        0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,  // stages 3 and 4
        1, 0x80, 0x07, 0x38, 0x04,                    // screen 1920 x 1080
        8, 12, 0, 0, 0, 0,                            // the chosen correction
    };
    EXPECT_EQ(model("mouse").read(Area::Config, 0, 70), block);
    EXPECT_EQ(model("mouse").read(Area::Config, 70, 1), std::vector<uint8_t>{0x33});  // read only, kept
    // Left and right swapped in slots 0 and 1; back (slot 3) keeps its code.
    EXPECT_EQ(model("mouse").read(Area::KeyAssignments, 0, 12),
              (std::vector<uint8_t>{0x10, 0x02, 0x00, 0x10, 0x01, 0x00, 0x10, 0x04, 0x00, 0x10, 0x08, 0x00}));
    EXPECT_EQ(model("mouse").read(Area::KeyAssignments, 33, 3), (std::vector<uint8_t>{0, 0, 0}));
    EXPECT_EQ(model("mouse").read(Area::Macro, 0, 20),
              (std::vector<uint8_t>{0xAA, 0x55, 60, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 20, 0, 36, 0}));
    EXPECT_EQ(model("mouse").read(Area::Macro, 24, 8), (std::vector<uint8_t>{40, 0, 0x82, 1, 40, 0, 0x02, 1}));
    EXPECT_TRUE(model("keyboard").requests().empty());
}

TEST_F(TalvenctlMouseTest, BadOptionsAreRefusedBeforeAnythingIsSent) {
    start({"mouse"});
    model("mouse").clearRequests();
    for (const char* args : {"mouse", "mouse fly", "mouse info --data-dir x", "mouse apply --screen 1920",
                             "mouse apply --screen 0x1080", "mouse dpi extra"}) {
        const CtlRun r = run(args);
        EXPECT_EQ(r.status, 2) << args << ": " << r.err;
        EXPECT_FALSE(r.err.empty()) << args;
    }
    EXPECT_TRUE(model("mouse").requests().empty());
}

TEST_F(TalvenctlMouseTest, AWirelessMouseGetsTheRawSpeedAndNothingWhenOutOfReach) {
    start({"mouse-wireless"});
    CtlRun r = run("--trace mouse apply --wireless --data-dir " + data.str());
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(tracedCommands(r.out).first.substr(0, 24), "aa 01 aa 03 aa 07 aa 02 ");
    EXPECT_EQ(model("mouse-wireless").read(Area::Config, 3, 1), std::vector<uint8_t>{1});
    EXPECT_EQ(model("mouse-wireless").read(Area::Config, 59, 1), std::vector<uint8_t>{0});  // no screen given

    const auto before = model("mouse-wireless").area(Area::Config);
    ASSERT_EQ(sim.device("mouse-wireless")->control({"link", "mouse-wireless", "down"}), std::optional<std::string>("ok"));
    model("mouse-wireless").clearRequests();
    r = run("--trace mouse apply --wireless --data-dir " + data.str());
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("nothing written"), std::string::npos) << r.err;
    EXPECT_EQ(tracedCommands(r.out).first, "aa ");
    EXPECT_EQ(model("mouse-wireless").area(Area::Config), before);
}

}  // namespace
}  // namespace talven
