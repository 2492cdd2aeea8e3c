// talvenctl's "keyboard lighting" against the simulated keyboard: the profile
// is saved as the lighting panel saves it and profile 0's record goes out.

#include "device/command_frame.h"
#include "profile/json_file.h"
#include "sim/simulator.h"
#include "support/temp_dir.h"
#include "tools/ctl_run.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>

namespace talven {
namespace {

using sim::Area;
using test::CtlRun;
using test::lines;
using test::TempDir;

// The keyboard's 21-byte custom-light bitmap: position p is bit p / 21 of
// byte p % 21.
constexpr size_t kBitmapBytes = 21;

class TalvenctlLightingTest : public ::testing::Test {
protected:
    void SetUp() override {
        sim.addAllProducts();
        ASSERT_TRUE(sim.plugAll());
        ASSERT_TRUE(sim.startControl());
        Json::Value list;
        list["profilelist"][0]["profileUUID"] = "p";
        list["profileselect"] = 0;
        ASSERT_EQ(wirtejsonFile(folder() + "ProfileList.ini", list), 0);
        Json::Value profile;
        Json::Value& light = profile["Device"][0]["LightInfo"];
        light["SelectItem"] = 1;
        light["Light"] = 4;
        light["Speed"] = 0;
        light["Fx"] = 0;
        light["MultiColor"] = 1;
        profile["Device"][0]["SystemStages"]["WFlag"] = 1;
        ASSERT_EQ(wirtejsonFile(folder() + "p.Json", profile), 0);
    }
    std::string folder() { return data.str() + "/"; }
    CtlRun run(const std::string& args) {
        return test::runTalvenctl(dir.str(), scratch, "--trace keyboard lighting " + args + " --data-dir " + data.str());
    }
    sim::FirmwareModel& model() { return sim.device("keyboard")->model(); }
    // The commands written, one per frame, from the trace.
    static std::string written(const CtlRun& r) {
        std::string out;
        for (const auto& line : lines(r.out))
            if (line.rfind("> ", 0) == 0) out += line.substr(11, 2) + " ";
        return out;
    }
    // The custom-light position of the key whose factory code is 20 00 usage.
    size_t lightPosition(uint8_t usage) {
        const auto table = model().area(Area::KeyTable);
        for (size_t k = 0; k + 2 < table.size(); k += 3)
            if (table[k] == 0x20 && table[k + 1] == 0 && table[k + 2] == usage)
                return model().area(Area::LightPositions).at(k / 3);
        ADD_FAILURE() << "no key " << int(usage);
        return 0;
    }
    static std::string fileText(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }
    Json::Value savedLight() { return ReadJsonValue(folder() + "p.Json")["Device"][0]["LightInfo"]; }

    TempDir dir, scratch, data;
    sim::Simulator sim{dir.str()};
};

TEST_F(TalvenctlLightingTest, TheChangeIsSavedAndSentAsProfileZerosRecord) {
    model().clearRequests();
    const CtlRun r = run("4 --brightness 2 --speed 3 --direction 1 --colour 00ff80");
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(written(r), "01 06 02 ");
    // Mode 4, brightness 2, speed 3 stored as 4 - 3, direction 1, the
    // colour without the spectrum; the W-key flag at byte 19.
    EXPECT_EQ(model().read(Area::Config, 0, 10), (std::vector<uint8_t>{0, 4, 2, 1, 1, 0, 0x00, 0xFF, 0x80, 0}));
    EXPECT_EQ(model().read(Area::Config, 19, 1), (std::vector<uint8_t>{1}));
    const Json::Value light = savedLight();
    EXPECT_EQ(light["SelectItem"].asInt(), 4);
    EXPECT_EQ(light["Light"].asInt(), 2);
    EXPECT_EQ(light["Speed"].asInt(), 3);
    EXPECT_EQ(light["Fx"].asInt(), 1);
    EXPECT_FALSE(light["MultiColor"].asBool());
}

TEST_F(TalvenctlLightingTest, OptionsNotGivenKeepTheProfilesValues) {
    const CtlRun r = run("6 --spectrum on");
    ASSERT_EQ(r.status, 0) << r.err;
    // Brightness 4 and speed 0 (stored 4) from the profile, spectrum on.
    EXPECT_EQ(model().read(Area::Config, 1, 5), (std::vector<uint8_t>{6, 4, 4, 0, 1}));
}

TEST_F(TalvenctlLightingTest, EnteringTheCustomModeSendsTheBitmapFirst) {
    model().clearRequests();
    const CtlRun r = run("20");
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(written(r), "01 03 07 07 07 07 07 07 07 1b 1b 1b 02 0b 01 06 02 ");
    EXPECT_EQ(model().read(Area::Config, 1, 1), (std::vector<uint8_t>{20}));
    // A profile without custom keys lights W, A, S, D and the four arrows.
    std::set<size_t> expected;
    for (uint8_t usage : {0x1A, 0x04, 0x16, 0x07, 0x52, 0x50, 0x51, 0x4F}) expected.insert(lightPosition(usage));
    const auto bitmap = model().read(Area::Short, 0, kBitmapBytes);
    ASSERT_TRUE(bitmap);
    std::set<size_t> lit;
    for (size_t p = 0; p < 8 * kBitmapBytes; ++p)
        if ((*bitmap)[p % kBitmapBytes] >> (p / kBitmapBytes) & 1) lit.insert(p);
    EXPECT_EQ(lit, expected);
}

TEST_F(TalvenctlLightingTest, BadValuesAreRefusedAndNothingChanges) {
    const std::string before = fileText(folder() + "p.Json");
    for (const char* args : {"23", "x", "4 --brightness 5", "4 --speed -1", "4 --direction 2", "4 --colour 12345g",
                             "4 --colour fff", "4 --spectrum yes", "4 --brightness", "4 --glow 1"}) {
        SCOPED_TRACE(args);
        model().clearRequests();
        const CtlRun r = run(args);
        EXPECT_EQ(r.status, 2);
        EXPECT_FALSE(r.err.empty());
        EXPECT_TRUE(model().requests().empty());
    }
    EXPECT_EQ(fileText(folder() + "p.Json"), before);
}

}  // namespace
}  // namespace talven
