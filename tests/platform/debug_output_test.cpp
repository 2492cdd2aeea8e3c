#include "platform/debug_output.h"
#include "support/debug_capture.h"

#include <gtest/gtest.h>

#include <numeric>
#include <string>
#include <vector>

namespace talven {
namespace {

TEST(DebugOutput, DumpsAReportInTwoLinesWithTheGroupSpacing) {
    std::vector<uint8_t> report(64);
    std::iota(report.begin(), report.end(), 0);
    EXPECT_EQ(formatReportDumpLine(report, 0),
              "00 01 02 03   04 05 06 07   08 09 0a 0b   0c 0d 0e 0f  "
              "10 11 12 13  14 15 16 17  18 19 1a 1b  1c 1d 1e 1f");
    EXPECT_EQ(formatReportDumpLine(report, 1).substr(0, 14), "20 21 22 23   ");
    // A short report is padded with zeros rather than read past its end.
    std::vector<uint8_t> shortReport{0xab};
    EXPECT_EQ(formatReportDumpLine(shortReport, 1).substr(0, 5), "00 00");
}

TEST(DebugOutput, WritesLabelAndDumpAsSeparateLines) {
    std::vector<std::string> lines;
    {
        test::DebugCapture log;
        std::vector<uint8_t> report(64, 0);
        debugDumpReport("命令", report);
        debugOutputf("slot %d", 3);
        lines = log.lines();
    }
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(lines[0], "命令");
    EXPECT_EQ(lines[3], "slot 3");
}

}  // namespace
}  // namespace talven
