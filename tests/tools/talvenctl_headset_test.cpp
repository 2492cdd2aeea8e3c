// talvenctl's headset commands against the simulated headset and the audio
// library's virtual device: the lighting block and frame decoded on the
// headset's side, the library's calls from --trace, and the values the
// library gives back on a later run.

#include "profile/json_file.h"
#include "sim/simulator.h"
#include "support/temp_dir.h"
#include "tools/ctl_run.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>

namespace talven {
namespace {

using sim::Area;
using test::CtlRun;
using test::lines;
using test::TempDir;

class TalvenctlHeadsetTest : public ::testing::Test {
protected:
    void SetUp() override {
        sim.addAllProducts();
        ASSERT_TRUE(sim.plugAll());
        ASSERT_TRUE(sim.startControl());
    }
    CtlRun run(const std::string& args) {
        const std::string env = "TALVEN_RESOURCE_DIR=" + std::string(TALVEN_BINARY_DIR) + "/app/ TALVEN_AUDIO_VIRTUAL=" +
                                audio.str() + " XDG_CONFIG_HOME=" + config.str();
        return test::runTalvenctl(dir.str(), scratch, args, env);
    }
    static bool has(const CtlRun& r, const std::string& line) {
        const auto all = lines(r.out);
        return std::find(all.begin(), all.end(), line) != all.end();
    }
    // The library's writes in the trace, in order.
    static std::vector<std::string> audioWrites(const CtlRun& r) {
        std::vector<std::string> out;
        for (const auto& line : lines(r.out))
            if (line.rfind("> input ", 0) == 0 || line.rfind("> output ", 0) == 0) out.push_back(line);
        return out;
    }
    sim::FirmwareModel& model() { return sim.device("headset")->model(); }

    TempDir dir, scratch, audio, config, data;
    sim::Simulator sim{dir.str()};
};

TEST_F(TalvenctlHeadsetTest, MicThirtySevenSendsPointThreeSevenAndReadsBack) {
    const CtlRun r = run("--trace headset mic 37");
    ASSERT_EQ(r.status, 0) << r.err;
    const auto writes = audioWrites(r);
    ASSERT_FALSE(writes.empty());
    EXPECT_EQ(writes.back(), "> input VolumeScalarControl = 0.37 channel -1");
    // A later run reads the level the library kept.
    const CtlRun again = run("--trace headset eq 1");
    ASSERT_EQ(again.status, 0) << again.err;
    const auto read = lines(again.out);
    const bool found = std::any_of(read.begin(), read.end(), [](const std::string& l) {
        return l.rfind("< input VolumeScalarControl extra -1 = 0.37", 0) == 0;
    });
    EXPECT_TRUE(found) << again.out;
}

TEST_F(TalvenctlHeadsetTest, PresetFiveWritesTenZerosWithTheEqualiserOn) {
    ASSERT_EQ(run("headset eq 2").status, 0);
    const CtlRun r = run("--trace headset eq 5");
    ASSERT_EQ(r.status, 0) << r.err;
    std::vector<std::string> expected = {"> output Enable_EQ_GFX = 1"};
    for (int band = 1; band <= 10; ++band) expected.push_back("> output EQ_Slider" + std::to_string(band) + " = 0");
    EXPECT_EQ(audioWrites(r), expected);
    EXPECT_TRUE(has(r, "equaliser mode 5 bands 0 0 0 0 0 0 0 0 0 0")) << r.out;
}

TEST_F(TalvenctlHeadsetTest, BadArgumentsTouchNothing) {
    for (const char* args : {"headset mic 101", "headset mic -1", "headset mic x", "headset eq 0", "headset eq 13",
                             "headset eq", "headset", "headset louder"}) {
        const CtlRun r = run(std::string("--trace ") + args);
        EXPECT_EQ(r.status, 2) << args;
        EXPECT_TRUE(r.out.empty()) << args << ": " << r.out;
    }
}

TEST_F(TalvenctlHeadsetTest, ApplyWritesTheBlockAFrameAndTheAudioValues) {
    Json::Value list;
    list["profilelist"][0]["profileUUID"] = "p";
    list["profileselect"] = 0;
    ASSERT_EQ(wirtejsonFile(data.str() + "/ProfileList.ini", list), 0);
    Json::Value profile;
    Json::Value& device = profile["Device"][0];
    device["LightInfo"]["SelectItem"] = 3;
    device["LightInfo"]["Light"] = 4;
    device["LightInfo"]["Speed"] = 1;
    Json::Value& stages = device["SystemSetStages"];
    stages["MagicEnable"] = 1;
    stages["MagicType"] = 2;
    stages["EqType"] = 2;
    stages["CustomEqSeletIndex"] = -1;
    stages["MicInSelect"] = 1;
    stages["MicInValue"] = 55;
    stages["MicMoniterSelect"] = 0;
    stages["MicMoniterValue"] = 20;
    ASSERT_EQ(wirtejsonFile(data.str() + "/p.Json", profile), 0);

    const CtlRun r = run("headset apply --data-dir " + data.str());
    ASSERT_EQ(r.status, 0) << r.err;
    // Mode 3, brightness 4, speed 1 stored as 3, red (profiles start red).
    EXPECT_EQ(model().read(Area::Config, 0, 9), (std::vector<uint8_t>{0, 3, 4, 3, 0, 0, 255, 0, 0}));
    // Red 255 at brightness 255: 255 × 255 / 256 = 254, capped at 247.
    const CtlRun frames = run("sim frames headset");
    std::string leds = "ok frames 1 broken 0 leds";
    for (int i = 0; i < 13; ++i) leds += " f70000";
    EXPECT_EQ(lines(frames.out), std::vector<std::string>{leds});
    EXPECT_TRUE(has(r, "input on 55% monitoring muted 20% voice changer on type 2")) << r.out;
    EXPECT_TRUE(has(r, "equaliser mode 2 bands 7 11 6 -3 -11 -1 6 13 6 13")) << r.out;

    const CtlRun again = run("--trace headset eq 1");
    for (const char* kept : {"< input Enable_MAGICVOICE = 1", "< input MagicVoice_Selection = 1",
                             "< output EQ_Slider5 = -11"})
        EXPECT_TRUE(has(again, kept)) << kept << "\n" << again.out;
}

TEST_F(TalvenctlHeadsetTest, AProfileThatCannotBeReadWritesNothing) {
    Json::Value list;
    list["profilelist"][0]["profileUUID"] = "p";
    list["profileselect"] = 0;
    ASSERT_EQ(wirtejsonFile(data.str() + "/ProfileList.ini", list), 0);
    std::ofstream(data.str() + "/p.Json") << "{ not json";
    const auto before = model().area(Area::Config);
    const CtlRun r = run("--trace headset apply --data-dir " + data.str());
    EXPECT_NE(r.status, 0);
    EXPECT_NE(r.err.find("nothing written"), std::string::npos) << r.err;
    EXPECT_TRUE(r.out.empty()) << r.out;
    EXPECT_EQ(model().area(Area::Config), before);
    EXPECT_TRUE(model().otherReports().empty());
}

}  // namespace
}  // namespace talven
