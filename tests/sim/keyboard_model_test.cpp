// What a user does on the simulated keyboard itself: keys and the onboard
// profile key, as the simulator's control commands.

#include "sim/keyboard_model.h"
#include "sim/simulator.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

namespace talven::sim {
namespace {

std::unique_ptr<FirmwareModel> makeProduct(std::string_view name) {
    const ProductSpec* spec = findSimProduct(name);
    return spec->makeModel(spec->firmware());
}

std::vector<std::string> words(std::initializer_list<const char*> list) { return {list.begin(), list.end()}; }

TEST(KeyboardModelTest, KeysReportTheirTablePosition) {
    auto kb = makeProduct("keyboard");
    struct Case { const char* how; std::vector<Report> reports; };
    const Case cases[] = {
        {"tap", {{3, 0x11, 0x05}, {3, 0, 0}, {3, 0x11, 0x06}, {3, 0, 0}}},
        {"press", {{3, 0x11, 0x05}, {3, 0, 0}}},
        {"release", {{3, 0x11, 0x06}, {3, 0, 0}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.how);
        ModelResponse out;
        EXPECT_EQ(kb->control(words({"key", "keyboard", "17", c.how}), out), "ok");
        EXPECT_EQ(out.reports, c.reports);
    }
    ModelResponse out;
    EXPECT_EQ(kb->control(words({"key", "keyboard", "125"}), out), "ok");
    EXPECT_EQ(out.reports.front(), (Report{3, 125, 0x05}));
}

TEST(KeyboardModelTest, ProfileKeySwitchesAndAsksForASync) {
    auto kb = makeProduct("keyboard7440");
    ModelResponse out;
    EXPECT_EQ(kb->control(words({"profile", "keyboard7440", "4"}), out), "ok");
    EXPECT_EQ(kb->read(Area::Config, 0, 1), std::vector<uint8_t>{4});
    EXPECT_EQ(out.reports, (std::vector<Report>{{3, 0x01, 0x04}, {3, 0, 0}}));
}

TEST(KeyboardModelTest, GameModeKeySetsStatusByteFourAndAnnouncesIt) {
    auto kb = makeProduct("keyboard");
    for (const auto& [state, byte] : {std::pair{"on", uint8_t{1}}, std::pair{"off", uint8_t{0}}}) {
        SCOPED_TRACE(state);
        ModelResponse out;
        EXPECT_EQ(kb->control(words({"gamemode", "keyboard", state}), out), "ok");
        EXPECT_EQ(kb->read(Area::Status, 4, 1), std::vector<uint8_t>{byte});
        EXPECT_EQ(out.reports, (std::vector<Report>{{3, 0x03, 0x04}, {3, 0, 0}}));
    }
}

TEST(KeyboardModelTest, BadRequestsChangeNothing) {
    auto kb = makeProduct("keyboard");
    const auto config = kb->area(Area::Config);
    const auto status = kb->area(Area::Status);
    for (const auto& bad : {words({"key", "keyboard"}), words({"key", "keyboard", "126"}),
                            words({"key", "keyboard", "-1"}), words({"key", "keyboard", "5", "hold"}),
                            words({"key", "keyboard", "5", "tap", "x"}), words({"profile", "keyboard", "5"}),
                            words({"profile", "keyboard", "one"}), words({"profile", "keyboard"}),
                            words({"gamemode", "keyboard"}), words({"gamemode", "keyboard", "1"})}) {
        ModelResponse out;
        const auto answer = kb->control(bad, out);
        ASSERT_TRUE(answer);
        EXPECT_EQ(answer->rfind("error ", 0), 0u) << *answer;
        EXPECT_TRUE(out.reports.empty());
    }
    EXPECT_EQ(kb->area(Area::Config), config);
    EXPECT_EQ(kb->area(Area::Status), status);
    ModelResponse out;
    EXPECT_FALSE(kb->control(words({"reboot", "keyboard"}), out));
    EXPECT_FALSE(makeProduct("mouse")->control(words({"key", "mouse", "1"}), out));
}

TEST(KeyboardModelTest, ReachableThroughTheSimulator) {
    talven::test::TempDir dir;
    Simulator sim(dir.str());
    sim.addAllProducts();
    EXPECT_NE(sim.runCommand("help").find("key <name> <position>"), std::string::npos);
    EXPECT_EQ(sim.runCommand("key mouse 3").rfind("error unknown command", 0), 0u);
    EXPECT_EQ(sim.runCommand("key keyboard 3"), "error keyboard is not plugged");
}

}  // namespace
}  // namespace talven::sim
