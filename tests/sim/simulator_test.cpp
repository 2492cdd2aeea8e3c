#include "sim/simulator.h"

#include "device/hid_records.h"
#include "platform/hid/hid_enumerator.h"
#include "platform/hid/report_descriptor.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <sched.h>
#include <thread>

#include "test_client.h"

namespace talven::sim {
namespace {

namespace fs = std::filesystem;
using test::TestClient;

class SimulatorTest : public ::testing::Test {
protected:
    void SetUp() override {
        sim_.addAllProducts();
        std::string error;
        ASSERT_TRUE(sim_.plugAll(&error)) << error;
        ASSERT_TRUE(sim_.startControl(&error)) << error;
    }

    std::string control(const std::string& command) {
        std::string error;
        auto reply = sendSimControl(dir_.str(), command, &error);
        return reply ? *reply : "no answer: " + error;
    }

    talven::test::TempDir dir_;
    Simulator sim_{dir_.str()};
};

struct Usage {
    uint16_t page;
    uint16_t usage;
    bool operator==(const Usage&) const = default;
};

TEST_F(SimulatorTest, EntriesSortInRowOrderWithTheirCollections) {
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(dir_.path())) {
        if (e.path().filename().string()[0] != '.') names.push_back(e.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"row0-mouse-if1", "row1-keyboard-if1", "row2-mousepad-if1",
                                               "row3-headset-if3", "row4-keyboard7440-if1"}));

    for (SimDevice* d : sim_.devices()) {
        SCOPED_TRACE(d->name());
        const std::string raw = talven::test::readFile(fs::path(d->hid().entryDir()) / "device" / "report_descriptor");
        std::string error;
        auto parsed = hid::parseReportDescriptor(std::vector<uint8_t>(raw.begin(), raw.end()), &error);
        ASSERT_TRUE(parsed) << error;
        std::vector<Usage> usages;
        for (const auto& c : parsed->collections) usages.push_back({c.usagePage, c.usage});
        if (d->spec().type == DeviceType::Headset) {
            EXPECT_EQ(usages, (std::vector<Usage>{{0x0C, 0x01}}));
            const auto& c = parsed->collections[0];
            EXPECT_EQ(c.reportIds, (std::vector<uint8_t>{0x01, 0x04, 0xFF}));
            EXPECT_EQ(c.inputReportByteLength, 64);
            EXPECT_EQ(c.outputReportByteLength, 64);
            continue;
        }
        const uint16_t first = d->spec().type == DeviceType::Mouse ? 0x02 : 0x06;
        EXPECT_EQ(usages, (std::vector<Usage>{{0x01, first}, {0x01, 0x80}, {0x0C, 0x01}, {0xFF1C, 0x92}}));
        ASSERT_EQ(parsed->collections.size(), 4u);
        EXPECT_EQ(parsed->collections[2].inputReportByteLength, 3);  // ID + one 16-bit usage
        EXPECT_EQ(parsed->collections[3].inputReportByteLength, 64);
        EXPECT_EQ(parsed->collections[3].outputReportByteLength, 64);
    }
}

// What the application's scan finds is what the devices say their paths are.
TEST_F(SimulatorTest, EnumerationYieldsTheRecognisedPaths) {
    auto found = hid::enumerateHidInterfaces({{dir_.str(), dir_.str()}});
    auto has = [&](const std::string& path, uint16_t page, uint16_t usage) {
        return std::any_of(found.begin(), found.end(), [&](const hid::HidInterfaceInfo& i) {
            return i.path == path && i.usagePage == page && i.usage == usage;
        });
    };
    for (SimDevice* d : sim_.devices()) {
        SCOPED_TRACE(d->name());
        const bool headset = d->spec().type == DeviceType::Headset;
        EXPECT_TRUE(has(d->interfacePath(role::Command), headset ? 0x0C : 0xFF1C, headset ? 0x01 : 0x92));
        if (!headset) {
            EXPECT_TRUE(has(d->interfacePath(role::Event), 0x0C, 0x01));
        }
    }
    EXPECT_EQ(sim_.device("headset")->interfacePath(role::Event), "");
}

TEST_F(SimulatorTest, CommandsAnswerOverTheNode) {
    SimDevice* keyboard = sim_.device("keyboard");
    TestClient client(keyboard->hid().nodePath());
    ASSERT_TRUE(client.connected()) << client.error();

    const Frame info = makeFrame(cmd::ReadInfo, 34, 0);
    auto reply = client.exchange(info);
    ASSERT_TRUE(reply);
    EXPECT_TRUE(checksumValid(*reply));
    EXPECT_EQ(frameCommand(*reply), cmd::ReadInfo);
    EXPECT_EQ((*reply)[kFrameDataOffset + kInfoKeyCount], keyboard->model().keyCount());

    const std::vector<uint8_t> record{0, 3, 4, 2, 0, 1, 10, 20, 30};
    ASSERT_TRUE(client.exchange(makeFrame(cmd::WriteBlock, 9, 25, record)));
    reply = client.exchange(makeFrame(cmd::ReadBlock, 9, 25));
    ASSERT_TRUE(reply);
    EXPECT_TRUE(std::equal(record.begin(), record.end(), reply->begin() + kFrameDataOffset));
    EXPECT_EQ(keyboard->model().requests().back(), makeFrame(cmd::ReadBlock, 9, 25));
}

TEST_F(SimulatorTest, FaultsThroughTheControlSocket) {
    TestClient client(sim_.device("mouse")->hid().nodePath());
    const Frame online = makeFrame(cmd::IsOnline, 0, 0);

    EXPECT_EQ(control("fault mouse noreply"), "ok");
    ASSERT_TRUE(client.send(online));
    EXPECT_FALSE(client.receive(100).has_value());

    EXPECT_EQ(control("fault mouse stale"), "ok");
    ASSERT_TRUE(client.send(online));
    auto stale = client.receive();
    auto right = client.receive();
    ASSERT_TRUE(stale && right);
    EXPECT_NE(test::toFrame(*stale)[3], cmd::IsOnline);
    EXPECT_EQ(test::toFrame(*right)[3], cmd::IsOnline);

    EXPECT_EQ(control("fault mouse status-fe 0"), "ok");
    for (int i = 0; i < 2; ++i) EXPECT_EQ(frameStatus(client.exchange(online).value()), status::Rejected);
    EXPECT_EQ(control("fault mouse none"), "ok");
    EXPECT_EQ(frameStatus(client.exchange(online).value()), status::Ok);

    EXPECT_EQ(control("fault mouse remove"), "ok");
    ASSERT_TRUE(client.send(online));
    bool closed = false;
    EXPECT_FALSE(client.receive(1000, &closed).has_value());
    EXPECT_TRUE(closed);
}

TEST_F(SimulatorTest, FaultAfterSomeRequestsThroughTheControlSocket) {
    TestClient client(sim_.device("mouse")->hid().nodePath());
    const Frame online = makeFrame(cmd::IsOnline, 0, 0);
    struct Case {
        const char* command;
        std::vector<uint8_t> statuses;  // of the next requests
    };
    for (const Case& c : {Case{"fault mouse status-ff after 2", {status::Ok, status::Ok, status::Failed, status::Ok}},
                          Case{"fault mouse status-fe 2 after 1",
                               {status::Ok, status::Rejected, status::Rejected, status::Ok}}}) {
        SCOPED_TRACE(c.command);
        EXPECT_EQ(control(c.command), "ok");
        for (uint8_t want : c.statuses) EXPECT_EQ(frameStatus(client.exchange(online).value()), want);
    }
    // The headset's lighting reports get no reply: only a lost report and
    // the device gone can be aimed at them.
    EXPECT_EQ(control("fault headset remove 1 after 4 reports"), "ok");
    const FaultState onReports = sim_.device("headset")->model().fault();
    EXPECT_TRUE(onReports.onReports);
    EXPECT_EQ(onReports.after, 4u);
    EXPECT_EQ(control("fault headset none"), "ok");
    for (const char* bad : {"fault mouse noreply 1 after", "fault mouse noreply after x", "fault mouse noreply 1 2",
                            "fault mouse noreply 1 later 2", "fault mouse noreply after 1 2",
                            "fault headset status-ff reports", "fault headset stale 1 after 2 reports",
                            "fault headset reports"}) {
        SCOPED_TRACE(bad);
        EXPECT_EQ(control(bad).rfind("error", 0), 0u);
    }
    EXPECT_EQ(sim_.device("mouse")->model().fault().kind, FaultKind::None);
}

TEST_F(SimulatorTest, ControlCommands) {
    TestClient events(sim_.device("keyboard")->hid().nodePath());
    EXPECT_EQ(control("notify keyboard 0x0401"), "ok");
    EXPECT_EQ(events.receive(), (std::vector<uint8_t>{0x03, 0x01, 0x04}));
    EXPECT_EQ(events.receive(), (std::vector<uint8_t>{0x03, 0x00, 0x00}));

    EXPECT_EQ(control("unplug keyboard"), "ok");
    EXPECT_FALSE(fs::exists(dir_ / "row1-keyboard-if1"));
    EXPECT_EQ(control("list"),
              "ok mouse=plugged keyboard=unplugged mousepad=plugged headset=plugged keyboard7440=plugged");
    EXPECT_EQ(control("plug keyboard"), "ok");
    EXPECT_TRUE(fs::exists(dir_ / "row1-keyboard-if1" / "node"));
    EXPECT_EQ(control("unplug all"), "ok");
    EXPECT_EQ(control("list"),
              "ok mouse=unplugged keyboard=unplugged mousepad=unplugged headset=unplugged keyboard7440=unplugged");
    EXPECT_EQ(control("notify mouse 0401").rfind("error", 0), 0u);  // nothing to send through

    // Bad commands are refused with a reason and change nothing.
    for (const char* bad : {"", "plug", "plug printer", "fault keyboard melt", "fault keyboard stale x",
                            "fault keyboard stale 1 2", "notify headset 0401", "notify keyboard 10000",
                            "notify keyboard zz", "list extra", "reboot"}) {
        SCOPED_TRACE(bad);
        EXPECT_EQ(control(bad).rfind("error ", 0), 0u) << control(bad);
    }
    EXPECT_EQ(sim_.device("keyboard")->model().fault().kind, FaultKind::None);

    EXPECT_FALSE(sim_.quitRequested().isSet());
    EXPECT_EQ(control("quit"), "ok");
    EXPECT_TRUE(sim_.quitRequested().isSet());
}

TEST_F(SimulatorTest, OneSimulatorPerDirectory) {
    Simulator second(dir_.str());
    std::string error;
    EXPECT_FALSE(second.startControl(&error));
    EXPECT_NE(error.find("already in use"), std::string::npos) << error;
    EXPECT_EQ(control("list").rfind("ok ", 0), 0u);  // the first one still serves

    sim_.stopControl();
    EXPECT_FALSE(fs::exists(dir_ / ".control"));
    EXPECT_FALSE(sendSimControl(dir_.str(), "list", &error).has_value());
    EXPECT_FALSE(error.empty());
}

// The CPUs a thread of this process may run on, as the kernel lists them.
std::string allowedCpus(const std::string& statusFile) {
    std::ifstream in(statusFile);
    for (std::string line; std::getline(in, line);) {
        const std::string key = "Cpus_allowed_list:";
        if (line.rfind(key, 0) == 0) {
            const size_t at = line.find_first_not_of(" \t", key.size());
            return at == std::string::npos ? std::string() : line.substr(at);
        }
    }
    return {};
}

int serviceThread(SimDevice& device) {
    for (int i = 0; i < 200 && device.hid().serviceThreadId() == 0; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    return device.hid().serviceThreadId();
}

// The demo keeps its devices' threads on one CPU, the first this process may
// use; otherwise they may run wherever the process may. A product added after
// the call keeps to it as well. Either way a device answers when the host that
// asked waits for it, never by taking the CPU from it (the batch class), and
// the thread that plugged the devices keeps its own class.
TEST(SimulatorCpu, ServiceThreadsKeepToOneCpuOnlyWhenAsked) {
    cpu_set_t mine;
    CPU_ZERO(&mine);
    ASSERT_EQ(sched_getaffinity(0, sizeof mine, &mine), 0);
    int first = 0;
    while (!CPU_ISSET(first, &mine)) ++first;
    const std::string everywhere = allowedCpus("/proc/self/status");
    ASSERT_FALSE(everywhere.empty());

    for (const bool oneCpu : {false, true}) {
        SCOPED_TRACE(oneCpu ? "one CPU" : "anywhere");
        talven::test::TempDir dir;
        Simulator sim(dir.str());
        ASSERT_TRUE(sim.addProduct("mouse"));
        if (oneCpu) sim.keepServiceOnOneCpu();
        ASSERT_TRUE(sim.addProduct("headset"));
        std::string error;
        ASSERT_TRUE(sim.plugAll(&error)) << error;
        for (SimDevice* device : sim.devices()) {
            SCOPED_TRACE(device->name());
            const int tid = serviceThread(*device);
            ASSERT_GT(tid, 0);
            EXPECT_EQ(allowedCpus("/proc/self/task/" + std::to_string(tid) + "/status"),
                      oneCpu ? std::to_string(first) : everywhere);
            EXPECT_EQ(sched_getscheduler(tid), SCHED_BATCH);
        }
    }
    EXPECT_EQ(sched_getscheduler(0), SCHED_OTHER);
}

}  // namespace
}  // namespace talven::sim
