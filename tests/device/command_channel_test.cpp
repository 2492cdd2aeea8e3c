#include "device/command_channel.h"

#include "platform/clock.h"
#include "support/sim_fixture.h"

#include <gtest/gtest.h>

#include <atomic>
#include <fstream>
#include <functional>
#include <numeric>
#include <string>
#include <thread>
#include <unistd.h>
#include <vector>

namespace talven {
namespace {

using namespace channel_result;
using sim::Area;
using sim::FaultKind;
using test::SimulatedProduct;

class ChannelTest : public ::testing::Test {
protected:
    void SetUp() override {
        product.bind(channel);
        product.model().clearRequests();
    }
    std::vector<Frame> sent() { return product.model().requests(); }

    SimulatedProduct product;
    CommandChannel channel;
};

TEST_F(ChannelTest, BeginSendsTheBareCommandWithItsChecksum) {
    EXPECT_EQ(channel.begin(), Success);
    ASSERT_EQ(sent().size(), 1u);
    const Frame f = sent()[0];
    EXPECT_EQ(f[0], 0x04);
    EXPECT_EQ(f[1], 0x01);
    EXPECT_EQ(f[2], 0x00);
    EXPECT_EQ(f[3], cmd::Begin);
}

TEST_F(ChannelTest, WriteBlockCutsFiftySevenBytesIntoTwoChunks) {
    std::vector<uint8_t> data(57);
    std::iota(data.begin(), data.end(), 1);
    ASSERT_EQ(channel.writeBlock(data.data(), data.size(), 100), Success);

    const auto frames = sent();
    ASSERT_EQ(frames.size(), 2u);
    EXPECT_EQ(frameLength(frames[0]), 56);
    EXPECT_EQ(frameOffset(frames[0]), 100);
    EXPECT_EQ(frameLength(frames[1]), 1);
    EXPECT_EQ(frameOffset(frames[1]), 156);
    EXPECT_EQ(frames[1][8], 57);
    EXPECT_EQ(product.model().read(Area::Config, 100, 57), data);

    std::vector<uint8_t> back(57);
    ASSERT_EQ(channel.readBlock(back.data(), back.size(), 100), Success);
    EXPECT_EQ(back, data);
}

TEST_F(ChannelTest, TableReadsFollowTheTableSize) {
    EXPECT_FALSE(channel.setTableSize(513));
    EXPECT_EQ(channel.tableSize(), 512);
    ASSERT_TRUE(channel.setTableSize(100));

    std::vector<uint8_t> table(512, 0xEE);
    ASSERT_EQ(channel.readThirdTable(table.data()), Success);
    ASSERT_EQ(sent().size(), 1u);
    EXPECT_EQ(frameLength(sent()[0]), 33);
    EXPECT_EQ(table[33], 0xEE) << "bytes past table size / 3 must stay untouched";

    product.model().clearRequests();
    ASSERT_EQ(channel.readTable(table.data()), Success);
    ASSERT_EQ(sent().size(), 2u);  // 56 + 44
    EXPECT_EQ(product.model().read(Area::KeyTable, 0, 100), std::vector<uint8_t>(table.begin(), table.begin() + 100));
}

TEST_F(ChannelTest, WriteTableRefusesAnyIndexButZeroWithoutSending) {
    std::vector<uint8_t> table(512, 7);
    EXPECT_EQ(channel.writeTable(table.data(), 1), BadTableIndex);
    EXPECT_TRUE(sent().empty());
    ASSERT_TRUE(channel.setTableSize(6));
    EXPECT_EQ(channel.writeTable(table.data(), 0), Success);
    EXPECT_EQ(product.model().read(Area::KeyAssignments, 0, 6), std::vector<uint8_t>(6, 7));
}

TEST_F(ChannelTest, ShortCommandsCarryLengthAndValueInOneFrame) {
    const std::vector<uint8_t> bits{0x10, 0x20, 0x30};
    ASSERT_EQ(channel.writeShort(bits.data(), 3, 16), Success);
    EXPECT_EQ(product.model().read(Area::Short, 16, 3), bits);

    const std::vector<uint8_t> status{1, 2, 3, 4, 5, 6};
    ASSERT_TRUE(product.model().write(Area::Status, 0, status));
    std::vector<uint8_t> got(6);
    ASSERT_EQ(channel.readShort(got.data(), 6, 0), Success);
    EXPECT_EQ(got, status);
}

TEST_F(ChannelTest, InfoRecordIsReadWhole) {
    DeviceInfo info{};
    ASSERT_EQ(channel.readInfo(info), Success);
    const auto expected = product.model().area(Area::Info);
    EXPECT_EQ(std::vector<uint8_t>(info.begin(), info.end()), expected);
    EXPECT_EQ(info[5], product.model().keyCount());
}

struct FaultCase {
    FaultKind fault;
    int expected;
};

TEST_F(ChannelTest, DeviceErrorsMapToResults) {
    const FaultCase cases[] = {
        {FaultKind::StatusFF, StatusFailed},
        {FaultKind::StatusFE, StatusRejected},
        {FaultKind::Stale, Success},  // the stale reply is read past once
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.fault));
        product.model().setFault(c.fault, 1);
        std::vector<uint8_t> data(8);
        EXPECT_EQ(channel.readBlock(data.data(), data.size(), 0), c.expected);
    }
}

TEST_F(ChannelTest, AChunkedCommandStopsAtTheFirstFailingChunk) {
    product.model().setFault(FaultKind::StatusFF, 1);
    std::vector<uint8_t> data(120, 1);
    EXPECT_EQ(channel.writeBuffer(data.data(), data.size()), StatusFailed);
    EXPECT_EQ(sent().size(), 1u);
}

TEST_F(ChannelTest, ADeviceThatNeverAnswersReturnsWithinTheTimeOut) {
    product.model().setFault(FaultKind::NoReply, 0);
    const uint32_t start = tickCount();
    EXPECT_EQ(channel.begin(), Refused);
    const uint32_t elapsed = tickCount() - start;
    // One write, then at most one full wait for the reply.
    EXPECT_GE(elapsed, 900u);
    EXPECT_LT(elapsed, 1500u);
}

TEST_F(ChannelTest, AnUnpluggedDeviceFailsTheWrite) {
    product.device().unplug();
    EXPECT_EQ(channel.begin(), WriteFailed);
}

// Pulled out while it holds a request: the read ends with the device, not
// with the time-out, and what follows fails at the write.
TEST_F(ChannelTest, ADeviceRemovedMidExchangeEndsItAtOnce) {
    product.model().setFault(FaultKind::Remove, 1);
    const uint32_t start = tickCount();
    EXPECT_EQ(channel.begin(), Refused);
    EXPECT_LT(tickCount() - start, 100u);
    EXPECT_EQ(channel.begin(), WriteFailed);
}

TEST_F(ChannelTest, RefusedOrDisconnectedChannelsSendNothing) {
    std::vector<uint8_t> data(60, 1);
    const std::vector<std::function<int()>> operations = {
        [&] { return channel.begin(); },
        [&] { return channel.end(); },
        [&] { return channel.writeBlock(data.data(), data.size(), 0); },
        [&] { return channel.readBlock(data.data(), data.size(), 0); },
        [&] { return channel.writeBuffer(data.data(), data.size()); },
        [&] { return channel.writeLightFrame(data.data(), data.size()); },
        [&] { return channel.readShort(data.data(), 6, 0); },
        [&] { return channel.isOnline() ? 1 : 0; },
    };
    for (bool refusal : {true, false}) {
        channel.setRefusal(refusal);
        channel.setConnected(refusal);  // refused while connected, or simply not connected
        for (const auto& op : operations) EXPECT_EQ(op(), Refused);
    }
    EXPECT_TRUE(sent().empty());
}

TEST_F(ChannelTest, OnlineNeedsTheDevicesAnswer) {
    EXPECT_TRUE(channel.isOnline());
    product.model().setFault(FaultKind::StatusFF, 1);
    EXPECT_FALSE(channel.isOnline());
}

TEST_F(ChannelTest, LightFramesAreChunkedAndSkippedOnASlowLink) {
    std::vector<uint8_t> frame(381, 0x40);
    ASSERT_EQ(channel.writeLightFrame(frame.data(), frame.size()), Success);
    EXPECT_EQ(sent().size(), 7u);  // 6 x 56 + 45
    EXPECT_EQ(product.model().read(Area::LightFrame, 0, 381), frame);

    product.model().clearRequests();
    channel.setSlowLink(true);
    EXPECT_EQ(channel.writeLightFrame(frame.data(), frame.size()), Success);
    EXPECT_TRUE(sent().empty());
}

// A lighting chunk never waits behind a configuration exchange: while one is
// running (here: waiting for a reply that does not come) it is dropped.
TEST_F(ChannelTest, LightFramesAreDroppedWhileALoggedExchangeRuns) {
    product.model().setFault(FaultKind::NoReply, 1);
    std::thread configuration([&] { channel.begin(); });
    while (!channel.busy()) sleepMs(1);

    std::vector<uint8_t> frame(112, 1);
    const uint32_t start = tickCount();
    EXPECT_EQ(channel.writeLightFrame(frame.data(), frame.size()), Success);
    EXPECT_LT(tickCount() - start, 200u);
    configuration.join();
    for (const Frame& f : sent()) EXPECT_NE(frameCommand(f), cmd::WriteLightFrame);
}

// The command collection does not see the notifications of the consumer
// collection, which share the interface.
TEST_F(ChannelTest, NotificationsDoNotReachTheCommandCollection) {
    ASSERT_TRUE(product.device().notify(0x0401));
    EXPECT_EQ(channel.begin(), Success);
    uint8_t buffer[64];
    size_t got = 0;
    EXPECT_FALSE(channel.device().read(buffer, sizeof buffer, 50, &got));

    hid::HidDevice events;
    ASSERT_TRUE(events.open(product.eventPath(), true, false, true, false));
    ASSERT_TRUE(product.device().notify(0x0401));
    ASSERT_TRUE(events.read(events.inputReport().data(), events.inputReport().size(), 1000, &got));
    ASSERT_TRUE(events.unpackInputReport());
    ASSERT_FALSE(events.inputItems().empty());
    ASSERT_FALSE(events.inputItems()[0].usages.empty());
    EXPECT_EQ(events.inputItems()[0].usages[0], 0x0401);
}

// Voluntary context switches of one thread of this process so far.
long voluntarySwitches(pid_t tid) {
    std::ifstream status("/proc/self/task/" + std::to_string(tid) + "/status");
    for (std::string line; std::getline(status, line);)
        if (line.starts_with("voluntary_ctxt_switches:")) return std::stol(line.substr(line.find(':') + 1));
    return -1;
}

// A reader waiting on the notification collection sleeps through the command
// replies of its interface, and still gets its own report.
TEST_F(ChannelTest, CommandRepliesDoNotWakeTheNotificationReader) {
    hid::HidDevice events;
    ASSERT_TRUE(events.open(product.eventPath(), true, false, true, false));
    std::atomic<pid_t> tid{0};
    size_t got = 0;
    bool read = false;
    std::thread reader([&] {
        tid = ::gettid();
        read = events.read(events.inputReport().data(), events.inputReport().size(), 5000, &got);
    });
    while (tid == 0) sleepMs(1);
    sleepMs(30);  // let the read block first
    const long before = voluntarySwitches(tid);
    for (int i = 0; i < 50; ++i) EXPECT_EQ(channel.begin(), Success);
    const long woken = voluntarySwitches(tid) - before;
    ASSERT_TRUE(product.device().notify(0x0401));
    reader.join();
    EXPECT_TRUE(read);
    EXPECT_GE(before, 0);
    EXPECT_LT(woken, 10) << "the reader woke for the replies of 50 commands";
}

// A read that waits without limit must still end at once when it is told to
// stop or when the device goes away, whichever way it goes.
TEST_F(ChannelTest, ABlockedReadEndsPromptly) {
    struct Case {
        const char* what;
        std::function<void()> trigger;
        bool deviceStays;
    };
    const Case cases[] = {
        {"stop event", [&] { channel.device().stopEvent().set(); }, true},
        // An empty packet on a simulated node reads as the device going away,
        // even on a node whose socket filter keeps only its own report IDs.
        {"empty packet", [&] { product.device().sendInput({}); }, true},
        {"unplug", [&] { product.device().unplug(); }, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        auto& device = channel.device();
        uint8_t buffer[64];
        size_t got = 99;
        bool result = true;
        uint32_t ended = 0;
        std::thread reader([&] {
            result = device.read(buffer, sizeof buffer, -1, &got);
            ended = tickCount();
        });
        sleepMs(30);  // let the read block first
        const uint32_t triggered = tickCount();
        c.trigger();
        reader.join();
        EXPECT_FALSE(result);
        EXPECT_EQ(got, 0u);
        EXPECT_LT(ended - triggered, 100u);
        // A stop ends one read, not the device.
        if (c.deviceStays) {
            EXPECT_EQ(channel.begin(), Success);
        }
    }
}

// A stop that nobody took yet ends the next transfer, as it would end a
// pending one; the one after it goes through.
TEST_F(ChannelTest, AStopSetBeforeAWriteEndsThatWriteOnly) {
    auto& device = channel.device();
    const Frame request = makeFrame(cmd::Begin, 0, 0);
    size_t written = 0;
    device.stopEvent().set();
    EXPECT_FALSE(device.write(request.data(), request.size(), 1000, &written));
    EXPECT_EQ(written, 0u);
    EXPECT_TRUE(sent().empty());
    EXPECT_EQ(channel.begin(), Success);
}

TEST_F(ChannelTest, CloseEndsAPendingReadAndLaterReadsFail) {
    auto& device = channel.device();
    uint8_t buffer[64];
    size_t got = 0;
    std::thread reader([&] { device.read(buffer, sizeof buffer, -1, &got); });
    sleepMs(20);
    device.close();
    reader.join();
    EXPECT_FALSE(device.isOpen());
    EXPECT_FALSE(device.read(buffer, sizeof buffer, 10, &got));
}

}  // namespace
}  // namespace talven
