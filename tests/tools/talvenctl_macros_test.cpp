// talvenctl's keyboard macro commands against the simulated keyboard: the
// listing against its macro memory and the download read back from it.

#include "profile/macro_store.h"
#include "sim/simulator.h"
#include "support/macro_image.h"
#include "support/temp_dir.h"
#include "tools/ctl_run.h"

#include <gtest/gtest.h>

namespace talven {
namespace {

using sim::Area;
using test::CtlRun;
using test::lines;
using test::TempDir;

MacroStep step(const char* action, int type, int button, uint16_t delay) {
    Json::Value event;
    event["Action"] = action;
    event["Type"] = type;
    event["Button"] = button;
    return {event, delay};
}

class TalvenctlMacrosTest : public ::testing::Test {
protected:
    void SetUp() override {
        sim.addAllProducts();
        ASSERT_TRUE(sim.plugAll());
        ASSERT_TRUE(sim.startControl());
        // Shift+A (4 steps), then ten alternating clicks: 16 + 2 x 6 + 14 x 4 = 84 bytes.
        MacroStore store(data.str() + "/");
        ASSERT_TRUE(store.add().ok());
        ASSERT_TRUE(store.add().ok());
        ASSERT_TRUE(store.rename(0, "Shift A").ok());
        ASSERT_TRUE(store.save(0, {step("down", 9, 2, 5), step("down", 10, 4, 300), step("up", 10, 4, 0),
                                   step("up", 9, 2, 1000)}).ok());
        std::vector<MacroStep> clicks;
        for (int i = 0; i < 10; ++i) clicks.push_back(step(i % 2 ? "up" : "down", 1, 1, static_cast<uint16_t>(i)));
        ASSERT_TRUE(store.save(1, clicks).ok());
    }
    CtlRun run(const std::string& args) { return test::runTalvenctl(dir.str(), scratch, args); }
    sim::FirmwareModel& model() { return sim.device("keyboard")->model(); }
    size_t macroFrames() {
        size_t n = 0;
        for (const auto& f : model().requests()) n += f[3] == 0x15;
        return n;
    }

    TempDir dir, scratch, data;
    sim::Simulator sim{dir.str()};
};

TEST_F(TalvenctlMacrosTest, ListsTheMacrosAndTheImageAgainstTheMacroMemory) {
    struct Case {
        uint8_t units;
        const char* image;
    };
    const Case cases[] = {
        {32, "image 84 bytes of 4096"},
        {1, "image 84 bytes of 128"},
        {0, "image 84 bytes of 0: does not fit, remove 22 events"},  // 84 / 4 + 1
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.image);
        ASSERT_TRUE(model().write(Area::Info, sim::kInfoMacroUnits, std::vector<uint8_t>{c.units}));
        model().clearRequests();
        const CtlRun r = run("keyboard macros --data-dir " + data.str());
        ASSERT_EQ(r.status, 0) << r.err;
        EXPECT_EQ(lines(r.out), (std::vector<std::string>{"macro steps bytes name", "0     4     22    Shift A",
                                                          "1     10    46    macro_2", c.image}));
        EXPECT_EQ(macroFrames(), 0u) << "listing writes nothing";
    }
}

TEST_F(TalvenctlMacrosTest, WriteMacrosDownloadsTheImageInFrames) {
    const CtlRun r = run("--trace keyboard write-macros --data-dir " + data.str());
    ASSERT_EQ(r.status, 0) << r.err;
    std::vector<std::string> frames;  // command, length and offset of each 0x15 frame written
    for (const std::string& line : lines(r.out))
        if (line.rfind("> ", 0) == 0 && line.substr(11, 2) == "15") frames.push_back(line.substr(11, 11));
    EXPECT_EQ(frames, (std::vector<std::string>{"15 38 00 00", "15 1c 38 00"}));
    EXPECT_EQ(lines(r.out).back(), "wrote 2 macros, 84 bytes");

    std::string why;
    const auto image = test::decodeMacroImage(model().area(Area::Macro), &why);
    ASSERT_TRUE(image) << why;
    EXPECT_EQ(image->length, 84u);
    ASSERT_EQ(image->macros.size(), 2u);
    EXPECT_EQ(test::describe(image->macros[0]), "5:9:d:2 300:10:d:4 0:10:u:4 1000:9:u:2");
    EXPECT_EQ(test::describe(image->macros[1]), "0:1:d:1 1:1:u:1 2:1:d:1 3:1:u:1 4:1:d:1 5:1:u:1 6:1:d:1 7:1:u:1 "
                                                "8:1:d:1 9:1:u:1");
}

TEST_F(TalvenctlMacrosTest, WriteMacrosWritesNothingThatDoesNotFitOrCannotBeRead) {
    struct Case {
        const char* name;
        uint8_t units;
        bool damage;
        const char* message;
    };
    const Case cases[] = {
        {"over the capacity", 0, false, "remove 22 events; nothing written"},
        {"a damaged macro file", 32, true, "nothing written"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(model().write(Area::Info, sim::kInfoMacroUnits, std::vector<uint8_t>{c.units}));
        if (c.damage) test::writeFile(MacroStore(data.str() + "/").macroPath(1), "{\"Events\": [");
        model().clearRequests();
        const auto before = model().area(Area::Macro);
        const CtlRun r = run("keyboard write-macros --data-dir " + data.str());
        EXPECT_EQ(r.status, 1);
        EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
        EXPECT_EQ(macroFrames(), 0u);
        EXPECT_EQ(model().area(Area::Macro), before);
    }
}

TEST_F(TalvenctlMacrosTest, OnlyTheDataFolderOptionIsTaken) {
    for (const char* args : {"keyboard macros --data-dir", "keyboard write-macros extra",
                             "keyboard macros --data-dir a b"}) {
        SCOPED_TRACE(args);
        const CtlRun r = run(args);
        EXPECT_EQ(r.status, 2);
        EXPECT_NE(r.err.find("takes only --data-dir DIR"), std::string::npos) << r.err;
    }
}

}  // namespace
}  // namespace talven
