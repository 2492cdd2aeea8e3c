// talvenctl's "mousepad apply" against the simulated pad: the selected
// profile's lighting goes into the pad's settings block, decoded here from
// the pad's layout (speed stored as 4 - speed, bytes 0..20 written).

#include "profile/json_file.h"
#include "sim/simulator.h"
#include "support/temp_dir.h"
#include "tools/ctl_run.h"

#include <gtest/gtest.h>

#include <fstream>

namespace talven {
namespace {

using sim::Area;
using test::CtlRun;
using test::lines;
using test::TempDir;

class TalvenctlMousePadTest : public ::testing::Test {
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
        light["SelectItem"] = 7;
        light["Light"] = 3;
        light["Speed"] = 1;
        light["Fx"] = 1;
        light["MultiColor"] = 0;
        ASSERT_EQ(wirtejsonFile(folder() + "p.Json", profile), 0);
        // The pad's own bytes of block 0.
        ASSERT_TRUE(model().write(Area::Config, 9, own));
    }
    std::string folder() { return data.str() + "/"; }
    CtlRun run() { return test::runTalvenctl(dir.str(), scratch, "--trace mousepad apply --data-dir " + data.str()); }
    sim::FirmwareModel& model() { return sim.device("mousepad")->model(); }
    // Command, length and offset of each frame written, from the trace.
    static std::vector<std::string> written(const CtlRun& r) {
        std::vector<std::string> out;
        for (const auto& line : lines(r.out))
            if (line.rfind("> ", 0) == 0) out.push_back(line.substr(11, 11));
        return out;
    }

    const std::vector<uint8_t> own = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12};
    TempDir dir, scratch, data;
    sim::Simulator sim{dir.str()};
};

TEST_F(TalvenctlMousePadTest, TheProfilesLightingGoesIntoBlockZero) {
    model().clearRequests();
    const CtlRun r = run();
    ASSERT_EQ(r.status, 0) << r.err;
    // Attach, the active profile and its block, then bytes 0..20 at 0.
    EXPECT_EQ(written(r), (std::vector<std::string>{"01 00 00 00", "03 22 00 00", "02 00 00 00", "05 01 00 00",
                                                     "05 19 00 00", "01 00 00 00", "06 15 00 00", "02 00 00 00"}));
    // Mode 7, brightness 3, speed 1 stored as 3, direction 1, single colour,
    // red (the program starts every profile from red).
    EXPECT_EQ(model().read(Area::Config, 0, 9), (std::vector<uint8_t>{0, 7, 3, 3, 1, 0, 255, 0, 0}));
    EXPECT_EQ(model().read(Area::Config, 9, 12), own) << "the pad's own bytes go back as it holds them";
}

TEST_F(TalvenctlMousePadTest, APadOnProfileOneIsReadAt25AndStaysOnIt) {
    const std::vector<uint8_t> one = {1};
    ASSERT_TRUE(model().write(Area::Config, 0, one));
    model().clearRequests();
    const CtlRun r = run();
    ASSERT_EQ(r.status, 0) << r.err;
    const auto frames = written(r);
    ASSERT_GE(frames.size(), 5u);
    EXPECT_EQ(frames[4], "05 19 19 00") << "25 bytes at offset 25";
    EXPECT_EQ(model().read(Area::Config, 0, 2), (std::vector<uint8_t>{1, 7}));
}

TEST_F(TalvenctlMousePadTest, AProfileThatCannotBeReadWritesNothing) {
    std::ofstream(folder() + "p.Json") << "{ not json";
    const auto before = model().area(Area::Config);
    const CtlRun r = run();
    EXPECT_NE(r.status, 0);
    EXPECT_NE(r.err.find("nothing written"), std::string::npos) << r.err;
    EXPECT_EQ(model().area(Area::Config), before);
}

}  // namespace
}  // namespace talven
