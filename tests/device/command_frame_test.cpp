#include "device/command_frame.h"

#include <gtest/gtest.h>

#include <numeric>
#include <vector>

namespace talven {
namespace {

TEST(CommandFrame, BeginHasChecksumOfItsCommandByteOnly) {
    Frame f = makeFrame(cmd::Begin, 0, 0);
    EXPECT_EQ(f[0], 0x04);
    EXPECT_EQ(f[1], 0x01);
    EXPECT_EQ(f[2], 0x00);
    EXPECT_EQ(f[3], 0x01);
    for (size_t i = 4; i < kFrameSize; ++i) EXPECT_EQ(f[i], 0) << "byte " << i;
}

TEST(CommandFrame, ChecksumSumsBytesThreeOnwardAndWrapsAtSixteenBits) {
    std::vector<uint8_t> data(56, 0xFF);
    Frame f = makeFrame(cmd::WriteBlock, 56, 0x1234, data);
    // 0x06 + 56 + 0x34 + 0x12 + 56 * 0xFF
    const uint32_t expected = 0x06 + 56 + 0x34 + 0x12 + 56 * 0xFF;
    EXPECT_EQ(f[1] | (f[2] << 8), expected & 0xFFFF);
    EXPECT_EQ(frameOffset(f), 0x1234);
    EXPECT_TRUE(checksumValid(f));

    // The report ID and the checksum bytes themselves are not summed.
    f[0] = 0x55;
    EXPECT_TRUE(checksumValid(f));
    f[63] ^= 1;
    EXPECT_FALSE(checksumValid(f));
}

TEST(CommandFrame, CopiesAtMostFiftySixDataBytes) {
    std::vector<uint8_t> data(80);
    std::iota(data.begin(), data.end(), 1);
    Frame f = makeFrame(cmd::WriteBuffer, 56, 0, data);
    EXPECT_EQ(f[8], 1);
    EXPECT_EQ(f[63], 56);
}

}  // namespace
}  // namespace talven
