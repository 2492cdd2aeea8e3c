#include "device/keyboard/keyboard_layout.h"
#include "sim/firmware_model.h"
#include "sim/headset_model.h"
#include "sim/sim_products.h"

#include <gtest/gtest.h>

#include "test_client.h"

#include <algorithm>
#include <numeric>

namespace talven::sim {
namespace {

std::unique_ptr<FirmwareModel> makeProduct(std::string_view name) {
    const ProductSpec* spec = findSimProduct(name);
    return spec->makeModel(spec->firmware());
}

std::vector<uint8_t> pattern(size_t n, uint8_t seed) {
    std::vector<uint8_t> v(n);
    std::iota(v.begin(), v.end(), seed);
    return v;
}

// The single reply to `request`; fails the test when there is not exactly one.
Frame replyTo(FirmwareModel& model, const Frame& request) {
    ModelResponse r = model.handleOutputReport(request);
    EXPECT_EQ(r.reports.size(), 1u);
    EXPECT_FALSE(r.removeDevice);
    Frame f{};
    if (!r.reports.empty()) std::copy_n(r.reports[0].begin(), kFrameSize, f.begin());
    return f;
}

void expectEchoes(const Frame& reply, const Frame& request, uint8_t status) {
    EXPECT_EQ(reply[0], kCommandReportId);
    EXPECT_TRUE(checksumValid(reply));
    EXPECT_EQ(frameCommand(reply), frameCommand(request));
    EXPECT_EQ(frameLength(reply), frameLength(request));
    EXPECT_EQ(frameOffset(reply), frameOffset(request));
    EXPECT_EQ(frameStatus(reply), status);
}

struct AreaCase {
    uint8_t command;
    Area area;
    uint16_t offset;
    uint8_t length;
};

TEST(FirmwareModelTest, ReadCommandsReturnTheAddressedBytes) {
    const AreaCase cases[] = {
        {cmd::ReadInfo, Area::Info, 0, 34},          {cmd::ReadBlock, Area::Config, 4000, 56},
        {cmd::ReadTable, Area::KeyTable, 448, 56},   {cmd::ReadShort, Area::Status, 2, 4},
        {cmd::ReadThirdTable, Area::LightPositions, 112, 33},
    };
    for (const AreaCase& c : cases) {
        SCOPED_TRACE(areaName(c.area));
        auto model = makeProduct("keyboard");
        const auto bytes = pattern(c.length, 0x40);
        ASSERT_TRUE(model->write(c.area, c.offset, bytes));
        const Frame request = makeFrame(c.command, c.length, c.offset);
        const Frame reply = replyTo(*model, request);
        expectEchoes(reply, request, status::Ok);
        EXPECT_TRUE(std::equal(bytes.begin(), bytes.end(), reply.begin() + kFrameDataOffset));
        EXPECT_TRUE(std::all_of(reply.begin() + kFrameDataOffset + c.length, reply.end(),
                                [](uint8_t b) { return b == 0; }));
    }
}

TEST(FirmwareModelTest, WriteCommandsStoreAtTheOffsetOnly) {
    const AreaCase cases[] = {
        // The keyboard keeps the keys' current functions apart from its factory table.
        {cmd::WriteBlock, Area::Config, 25, 25},     {cmd::WriteTable, Area::KeyAssignments, 56, 56},
        {cmd::WriteShort, Area::Short, 16, 1},       {cmd::WriteLightFrame, Area::LightFrame, 504, 8},
        {cmd::WriteBuffer, Area::Macro, 4040, 56},
    };
    for (const AreaCase& c : cases) {
        SCOPED_TRACE(areaName(c.area));
        auto model = makeProduct("keyboard");
        const auto before = model->area(c.area);
        const auto bytes = pattern(c.length, 0x80);
        const Frame request = makeFrame(c.command, c.length, c.offset, bytes);
        const Frame reply = replyTo(*model, request);
        expectEchoes(reply, request, status::Ok);
        auto expected = before;
        std::copy(bytes.begin(), bytes.end(), expected.begin() + c.offset);
        EXPECT_EQ(model->area(c.area), expected);
    }
}

TEST(FirmwareModelTest, OutOfRangeAndUnknownRequestsAreRefusedWithoutEffect) {
    auto model = makeProduct("keyboard");
    ASSERT_EQ(model->macroCapacity(), 32u * 128u);
    const std::vector<uint8_t> data(56, 0xEE);
    const Frame refused[] = {
        makeFrame(cmd::ReadInfo, 8, 30),                  // past the 34-byte record
        makeFrame(cmd::ReadBlock, 57, 0),                  // more than a chunk
        makeFrame(cmd::ReadBlock, 2, 4095),                // past configuration memory
        makeFrame(cmd::WriteBuffer, 56, 4090, data),       // past the macro capacity
        makeFrame(cmd::WriteShort, 8, 60, data),           // past the short-write area
        makeFrame(cmd::ReadShort, 4, 4),                   // past the status record
        makeFrame(cmd::WriteTable, 1, 512, data),          // a second table does not exist
        makeFrame(0x44, 0, 0),                             // no such command
    };
    const auto macro = model->area(Area::Macro);
    const auto shortArea = model->area(Area::Short);
    for (const Frame& request : refused) {
        SCOPED_TRACE(int(frameCommand(request)));
        expectEchoes(replyTo(*model, request), request, status::Failed);
    }
    EXPECT_EQ(model->area(Area::Macro), macro);
    EXPECT_EQ(model->area(Area::Short), shortArea);
}

TEST(FirmwareModelTest, MacroMemoryFollowsTheCapacityByte) {
    auto model = makeProduct("keyboard");
    const uint8_t one = 1;
    ASSERT_TRUE(model->write(Area::Info, kInfoMacroUnits, std::span(&one, 1)));
    EXPECT_EQ(model->macroCapacity(), 128u);
    const std::vector<uint8_t> data(16, 0x11);
    EXPECT_EQ(frameStatus(replyTo(*model, makeFrame(cmd::WriteBuffer, 16, 112, data))), status::Ok);
    EXPECT_EQ(frameStatus(replyTo(*model, makeFrame(cmd::WriteBuffer, 16, 113, data))), status::Failed);

    auto pad = makeProduct("mousepad");  // no macro memory at all
    EXPECT_EQ(frameStatus(replyTo(*pad, makeFrame(cmd::WriteBuffer, 1, 0, data))), status::Failed);
}

TEST(FirmwareModelTest, BadChecksumIsRejectedAndNotExecuted) {
    auto model = makeProduct("keyboard");
    const auto before = model->area(Area::Config);
    Frame request = makeFrame(cmd::WriteBlock, 4, 0, std::vector<uint8_t>{1, 2, 3, 4});
    request[1] ^= 0x01;
    expectEchoes(replyTo(*model, request), request, status::Rejected);
    EXPECT_EQ(model->area(Area::Config), before);
    // A report that is cut short reaches the device zero-padded and fails the sum too.
    ModelResponse r = model->handleOutputReport(std::span(request.data(), 20));
    ASSERT_EQ(r.reports.size(), 1u);
    EXPECT_EQ(r.reports[0][7], status::Rejected);
    EXPECT_EQ(model->requests().size(), 2u);
}

TEST(FirmwareModelTest, TransactionsAndOnlineCheck) {
    auto model = makeProduct("mouse");
    EXPECT_FALSE(model->inTransaction());
    replyTo(*model, makeFrame(cmd::Begin, 0, 0));
    EXPECT_TRUE(model->inTransaction());
    replyTo(*model, makeFrame(cmd::End, 0, 0));
    replyTo(*model, makeFrame(cmd::Begin, 0, 0));
    EXPECT_EQ(model->beginCount(), 2u);
    EXPECT_EQ(model->endCount(), 1u);
    EXPECT_TRUE(model->inTransaction());

    const Frame online = makeFrame(cmd::IsOnline, 0, 0);
    const Frame reply = replyTo(*model, online);
    expectEchoes(reply, online, status::Ok);
    EXPECT_EQ(reply[kFrameDataOffset], 0xFF);

    // The log holds the frames byte for byte, in order.
    const auto log = model->requests();
    ASSERT_EQ(log.size(), 4u);
    EXPECT_EQ(log[3], online);
    model->clearRequests();
    EXPECT_TRUE(model->requests().empty());
}

struct FaultCase {
    FaultKind kind;
    size_t reports;  // what one affected request gets back
    bool executed;
    uint8_t status;  // of the last report
    bool removes;
};

TEST(FirmwareModelTest, EachFaultAffectsTheNextCountRequests) {
    const FaultCase cases[] = {
        {FaultKind::NoReply, 0, false, 0, false},
        {FaultKind::Stale, 2, true, status::Ok, false},
        {FaultKind::StatusFF, 1, false, status::Failed, false},
        {FaultKind::StatusFE, 1, false, status::Rejected, false},
        {FaultKind::Remove, 0, false, 0, true},
    };
    const std::vector<uint8_t> data{9, 9};
    for (const FaultCase& c : cases) {
        SCOPED_TRACE(faultName(c.kind));
        auto model = makeProduct("keyboard");
        model->setFault(c.kind, 2);
        for (uint16_t i = 0; i < 3; ++i) {
            const bool faulted = i < 2;
            const Frame request = makeFrame(cmd::WriteBlock, 2, 100 + 2 * i, data);
            ModelResponse r = model->handleOutputReport(request);
            EXPECT_EQ(model->read(Area::Config, 100 + 2 * i, 2).value() == data, !faulted || c.executed);
            EXPECT_EQ(r.removeDevice, faulted && c.removes);
            ASSERT_EQ(r.reports.size(), faulted ? c.reports : 1u);
            if (r.reports.empty()) continue;
            expectEchoes(test::toFrame(r.reports.back()), request, faulted ? c.status : status::Ok);
            if (r.reports.size() == 2) {
                const Frame stale = test::toFrame(r.reports.front());
                EXPECT_TRUE(checksumValid(stale));
                EXPECT_NE(frameCommand(stale), frameCommand(request));
            }
        }
        EXPECT_EQ(model->fault().kind, FaultKind::None);
        EXPECT_EQ(model->requests().size(), 3u);
    }
}

// A fault aimed past the first requests: those are answered as usual, then
// `count` requests are refused, then the device answers again.
TEST(FirmwareModelTest, FaultAfterSomeRequestsSparesThem) {
    auto model = makeProduct("keyboard");
    model->setFault(FaultKind::StatusFE, 2, 3);
    const uint8_t expected[] = {status::Ok, status::Ok, status::Ok, status::Rejected, status::Rejected, status::Ok};
    for (uint8_t want : expected) {
        const Frame request = makeFrame(cmd::IsOnline, 0, 0);
        EXPECT_EQ(frameStatus(replyTo(*model, request)), want);
    }
    EXPECT_EQ(model->fault().kind, FaultKind::None);
    // Clearing also forgets the requests still to pass.
    model->setFault(FaultKind::NoReply, 1, 5);
    model->clearFault();
    EXPECT_EQ(model->fault().after, 0u);
    EXPECT_EQ(model->handleOutputReport(makeFrame(cmd::IsOnline, 0, 0)).reports.size(), 1u);
}

TEST(FirmwareModelTest, FaultWithoutCountLastsUntilCleared) {
    auto model = makeProduct("mouse");
    model->setFault(FaultKind::NoReply, 0);
    for (int i = 0; i < 5; ++i) EXPECT_TRUE(model->handleOutputReport(makeFrame(cmd::IsOnline, 0, 0)).reports.empty());
    model->clearFault();
    EXPECT_EQ(model->handleOutputReport(makeFrame(cmd::IsOnline, 0, 0)).reports.size(), 1u);
}

TEST(FirmwareModelTest, OtherReportsAreLoggedApart) {
    auto model = makeProduct("headset");
    std::vector<uint8_t> light(17, 0);
    light[0] = 0xFF;
    light[1] = 0x22;
    EXPECT_TRUE(model->handleOutputReport(light).reports.empty());
    ASSERT_EQ(model->otherReports().size(), 1u);
    EXPECT_EQ(model->otherReports()[0], light);
    EXPECT_TRUE(model->requests().empty());
}

// A fault aimed at the plain reports (the headset's lighting): command
// frames pass it by, the Nth report after the spared ones is lost or takes
// the device away, and the kinds that need a reply cannot be aimed there.
TEST(FirmwareModelTest, FaultOnPlainReportsLeavesCommandFramesAlone) {
    auto model = makeProduct("headset");
    auto& headset = dynamic_cast<HeadsetModel&>(*model);
    // (22 AA) opens a frame; alone it is one report taken, nothing broken.
    std::vector<uint8_t> opener(17, 0);
    opener[0] = 0xFF;
    opener[1] = 0x22;
    opener[2] = 0xAA;
    for (FaultKind kind : {FaultKind::Stale, FaultKind::StatusFF, FaultKind::StatusFE})
        EXPECT_FALSE(model->setFault(kind, 1, 0, true)) << faultName(kind);
    EXPECT_EQ(model->fault().kind, FaultKind::None);

    ASSERT_TRUE(model->setFault(FaultKind::NoReply, 1, 1, true));
    EXPECT_EQ(frameStatus(replyTo(*model, makeFrame(cmd::IsOnline, 0, 0))), status::Ok);
    EXPECT_EQ(model->fault().after, 1u) << "a command frame is not a report of the stream";
    model->handleOutputReport(opener);  // spared
    model->handleOutputReport(opener);  // lost: had it arrived, it would break the open frame
    EXPECT_EQ(headset.framesBroken(), 0u);
    EXPECT_EQ(model->fault().kind, FaultKind::None);
    model->handleOutputReport(opener);  // the fault is spent: this one arrives
    EXPECT_EQ(headset.framesBroken(), 1u);

    ASSERT_TRUE(model->setFault(FaultKind::Remove, 1, 0, true));
    EXPECT_EQ(frameStatus(replyTo(*model, makeFrame(cmd::IsOnline, 0, 0))), status::Ok);
    EXPECT_TRUE(model->handleOutputReport(opener).removeDevice);
}

// A device left running (the demo's lighting sends hundreds of frames a
// second) must not log without end: the log keeps the newest frames, in order.
TEST(FirmwareModelTest, RequestLogKeepsOnlyTheNewestFrames) {
    auto model = makeProduct("keyboard");
    const size_t sent = 8192 + 100;
    for (size_t i = 0; i < sent; ++i) model->handleOutputReport(makeFrame(cmd::IsOnline, 0, static_cast<uint16_t>(i)));
    const auto log = model->requests();
    ASSERT_EQ(log.size(), 8192u);
    EXPECT_EQ(frameOffset(log.front()), 100);
    EXPECT_EQ(frameOffset(log.back()), static_cast<uint16_t>(sent - 1));
}

TEST(FirmwareModelTest, NotificationsPressThenRelease) {
    auto keyboard = makeProduct("keyboard");
    EXPECT_EQ(keyboard->notificationReports(0x0401), (std::vector<Report>{{3, 0x01, 0x04}, {3, 0, 0}}));
    EXPECT_EQ(keyboard->notificationReports(0x0617), (std::vector<Report>{{3, 0x17, 0x06}, {3, 0, 0}}));
    auto headset = makeProduct("headset");
    EXPECT_EQ(headset->notificationReports(0xE2), (std::vector<Report>{{1, 0x04}, {1, 0}}));
    EXPECT_EQ(headset->notificationReports(0xEA), (std::vector<Report>{{1, 0x02}, {1, 0}}));
    EXPECT_FALSE(headset->notificationReports(0x0401).has_value());
}

// Both keyboards hold every matrix key once, each with its own light bit;
// the flagship lists them in a scan order that differs from the key numbers.
TEST(FirmwareModelTest, KeyboardTablesDescribeTheMatrix) {
    const auto& codes = keyboard::kDefaultCodes;
    for (std::string_view name : {"keyboard", "keyboard7440"}) {
        SCOPED_TRACE(name);
        auto model = makeProduct(name);
        const size_t keys = model->keyCount();
        ASSERT_EQ(keys, keyboard::kOnScreenKeys);
        const auto table = model->area(Area::KeyTable);
        const auto light = model->area(Area::LightPositions);
        std::vector<bool> seen(keys, false);
        size_t moved = 0;
        for (size_t pos = 0; pos < keys; ++pos) {
            const size_t key = light[pos];
            ASSERT_LT(key, keys);
            EXPECT_FALSE(seen[key]);
            seen[key] = true;
            EXPECT_TRUE(std::equal(codes[key].begin(), codes[key].end(), table.begin() + 3 * pos));
            moved += key != pos;
        }
        EXPECT_EQ(moved > 0, name == "keyboard");
        EXPECT_TRUE(std::all_of(table.begin() + 3 * keys, table.end(), [](uint8_t b) { return b == 0; }));
    }
}

}  // namespace
}  // namespace talven::sim
