// The command-line tool as a user runs it: the real binary against an
// in-process simulator.

#include "sim/simulator.h"
#include "support/temp_dir.h"
#include "tools/ctl_run.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace talven {
namespace {

using test::CtlRun;
using test::lines;
using test::TempDir;

class TalvenctlTest : public ::testing::Test {
protected:
    void SetUp() override {
        sim.addAllProducts();
        ASSERT_TRUE(sim.plugAll());
        ASSERT_TRUE(sim.startControl());
    }

    CtlRun run(const std::string& args) { return test::runTalvenctl(dir.str(), scratch, args); }

    TempDir dir, scratch;
    sim::Simulator sim{dir.str()};
};

TEST_F(TalvenctlTest, ListsEverySupportedInterfaceWithItsSlot) {
    CtlRun r = run("list");
    ASSERT_EQ(r.status, 0) << r.err;
    const auto rows = lines(r.out);
    ASSERT_EQ(rows.size(), 10u) << r.out;  // heading and nine interfaces
    EXPECT_NE(rows[1].find("keyboard"), std::string::npos);
    EXPECT_NE(rows[1].find("320f:5029"), std::string::npos);
    EXPECT_NE(rows[1].find("command"), std::string::npos);
    EXPECT_NE(rows[7].find("0d8c:01da"), std::string::npos);
}

TEST_F(TalvenctlTest, TraceShowsEveryReportInBothDirections) {
    CtlRun r = run("--trace --device mousepad read-block 0 60");
    ASSERT_EQ(r.status, 0) << r.err;
    std::vector<std::string> trace;
    for (const auto& line : lines(r.out))
        if (line.rfind("> ", 0) == 0 || line.rfind("< ", 0) == 0) trace.push_back(line);
    // Two chunks (56 + 4), each a request and a reply of 64 bytes.
    ASSERT_EQ(trace.size(), 4u) << r.out;
    EXPECT_EQ(trace[0].substr(0, 20), "> 04 3d 00 05 38 00 ");
    EXPECT_EQ(trace[0].size(), 2 + 64 * 3 - 1);
    EXPECT_EQ(trace[1].substr(0, 5), "< 04 ");
    EXPECT_EQ(trace[1].substr(11, 3), "05 ");
    EXPECT_EQ(trace[2].substr(0, 20), "> 04 41 00 05 04 38 ");
}

TEST_F(TalvenctlTest, WritesReachTheDevice) {
    CtlRun r = run("--device keyboard write-block 0x40 de ad be ef");
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(sim.device("keyboard")->model().read(sim::Area::Config, 0x40, 4),
              (std::vector<uint8_t>{0xde, 0xad, 0xbe, 0xef}));
}

struct FailureCase {
    std::string setup;  // a simulator control command run first, or empty
    std::string args;
    int status;
    std::string message;
};

TEST_F(TalvenctlTest, FailuresAreOneLineAndANonZeroStatus) {
    const std::vector<FailureCase> cases = {
        {"", "frobnicate", 2, "unknown command"},
        {"", "read-block 0", 2, "OFFSET LENGTH"},
        {"", "write-block 0 xyz", 2, "hexadecimal"},
        {"", "--device nosuch info", 1, "no supported device matches 'nosuch'"},
        {"fault keyboard status-ff 1", "--device keyboard begin", 1, "status 0xff"},
        {"unplug keyboard", "--device keyboard info", 1, "no supported device"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.args);
        if (!c.setup.empty()) {
            ASSERT_EQ(sim.runCommand(c.setup).rfind("ok", 0), 0u);
        }
        CtlRun r = run(c.args);
        EXPECT_EQ(r.status, c.status);
        EXPECT_EQ(lines(r.err).size(), 1u) << r.err;
        EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
    }
}

TEST_F(TalvenctlTest, ControlsTheSimulator) {
    CtlRun r = run("sim unplug mousepad");
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_FALSE(sim.device("mousepad")->plugged());
    r = run("sim plug mousepad");
    EXPECT_EQ(r.status, 0);
    EXPECT_TRUE(sim.device("mousepad")->plugged());
    r = run("sim plug nothing");
    EXPECT_EQ(r.status, 1);
}

}  // namespace
}  // namespace talven
