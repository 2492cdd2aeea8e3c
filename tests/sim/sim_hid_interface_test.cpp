#include "sim/sim_hid_interface.h"
#include "support/temp_dir.h"
#include "support/thread_stats.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <future>
#include <string>
#include <sys/stat.h>
#include <thread>

#include "test_client.h"

namespace talven::sim {
namespace {

namespace fs = std::filesystem;
using test::TestClient;

SimInterfaceConfig testConfig() {
    SimInterfaceConfig c;
    c.entryName = "row1-keyboard-if1";
    c.vendorId = 0x320F;
    c.productId = 0x5029;
    c.interfaceNumber = 1;
    c.name = "Test Keyboard";
    c.busIndex = 2;
    c.reportDescriptor = {0x05, 0x0C, 0x09, 0x01, 0xA1, 0x01, 0xC0};
    return c;
}

std::vector<std::string> visibleEntries(const fs::path& dir) {
    std::vector<std::string> names;
    std::error_code ec;
    for (const auto& e : fs::directory_iterator(dir, ec)) names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

bool eventually(const std::function<bool()>& condition) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(1);
    while (!condition()) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

// Every output report comes straight back as input, to every client.
class SimHidInterfaceTest : public ::testing::Test {
protected:
    talven::test::TempDir dir_;
    std::atomic<bool> yank_{false};
    SimHidInterface hid_{dir_.str(), testConfig(), [this](std::span<const uint8_t> r) {
                             hid_.sendInput(r);
                             return yank_.load();
                         }};
};

TEST_F(SimHidInterfaceTest, PlugWritesTheEntryAndUnplugRemovesIt) {
    std::string error;
    ASSERT_TRUE(hid_.plug(&error)) << error;
    EXPECT_EQ(visibleEntries(dir_.path()), std::vector<std::string>{"row1-keyboard-if1"});
    const fs::path device = dir_ / "row1-keyboard-if1" / "device";
    EXPECT_EQ(talven::test::readFile(device / "uevent"),
              "DRIVER=hid-generic\n"
              "HID_ID=0003:0000320F:00005029\n"
              "HID_NAME=Test Keyboard\n"
              "HID_PHYS=usb-sim-2/input1\n"
              "HID_UNIQ=\n"
              "MODALIAS=hid:b0003g0001v0000320Fp00005029\n");
    const std::string descriptor = talven::test::readFile(device / "report_descriptor");
    EXPECT_EQ(std::vector<uint8_t>(descriptor.begin(), descriptor.end()), testConfig().reportDescriptor);
    struct stat st;
    ASSERT_EQ(::stat(hid_.nodePath().c_str(), &st), 0);
    EXPECT_TRUE(S_ISSOCK(st.st_mode));

    hid_.unplug();
    EXPECT_FALSE(hid_.plugged());
    EXPECT_TRUE(visibleEntries(dir_.path()).empty());
    EXPECT_FALSE(TestClient(hid_.nodePath()).connected());
    ASSERT_TRUE(hid_.plug(&error)) << error;  // and back again
    EXPECT_TRUE(TestClient(hid_.nodePath()).connected());
}

// An enumeration running at any moment sees a complete entry or none.
TEST_F(SimHidInterfaceTest, EntryIsNeverSeenHalfBuilt) {
    const std::string expectedUevent = makeSimUevent(testConfig());
    const fs::path entry = dir_ / "row1-keyboard-if1";
    auto complete = [&] {
        return talven::test::readFile(entry / "device" / "uevent") == expectedUevent &&
               talven::test::readFile(entry / "device" / "report_descriptor").size() ==
                   testConfig().reportDescriptor.size() &&
               fs::exists(entry / "node");
    };
    std::atomic<bool> done{false};
    std::atomic<int> seen{0}, broken{0};
    std::thread watcher([&] {
        while (!done) {
            for (const std::string& name : visibleEntries(dir_.path())) {
                if (name[0] == '.') continue;
                ++seen;
                // A miss only counts while the entry is still there.
                if (!complete() && fs::exists(entry) && !complete()) ++broken;
            }
        }
    });
    for (int i = 0; i < 100; ++i) {
        ASSERT_TRUE(hid_.plug());
        hid_.unplug();
    }
    done = true;
    watcher.join();
    EXPECT_GT(seen.load(), 0);
    EXPECT_EQ(broken.load(), 0);
    EXPECT_TRUE(visibleEntries(dir_.path()).empty());  // no staging or removed leftovers
}

TEST_F(SimHidInterfaceTest, InputReportsReachEveryClient) {
    ASSERT_TRUE(hid_.plug());
    TestClient a(hid_.nodePath()), b(hid_.nodePath());
    ASSERT_TRUE(a.connected() && b.connected());
    const std::vector<uint8_t> report{0x04, 1, 2, 3};
    ASSERT_TRUE(a.send(report));
    EXPECT_EQ(a.receive(), report);
    EXPECT_EQ(b.receive(), report);  // hidraw hands input to every open file

    const std::vector<uint8_t> notification{0x03, 0x01, 0x04};
    ASSERT_TRUE(hid_.sendInput(notification));
    EXPECT_EQ(a.receive(), notification);
    EXPECT_EQ(b.receive(), notification);
    EXPECT_EQ(hid_.clientCount(), 2u);
}

TEST_F(SimHidInterfaceTest, UnplugEndsABlockedReadAtOnce) {
    ASSERT_TRUE(hid_.plug());
    TestClient client(hid_.nodePath());
    ASSERT_TRUE(client.connected());
    auto reader = std::async(std::launch::async, [&] {
        bool closed = false;
        auto packet = client.receive(-1, &closed);
        return !packet && closed;
    });
    // Let the reader block first.
    ASSERT_EQ(reader.wait_for(std::chrono::milliseconds(100)), std::future_status::timeout);
    const auto start = std::chrono::steady_clock::now();
    hid_.unplug();
    ASSERT_EQ(reader.wait_for(std::chrono::milliseconds(500)), std::future_status::ready);
    EXPECT_TRUE(reader.get());
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(500));
    EXPECT_FALSE(hid_.sendInput(std::vector<uint8_t>{0x03, 0, 0}));
}

TEST_F(SimHidInterfaceTest, HandlerCanYankTheDeviceMidRequest) {
    ASSERT_TRUE(hid_.plug());
    TestClient client(hid_.nodePath());
    yank_ = true;
    ASSERT_TRUE(client.send(std::vector<uint8_t>{0x04, 0xAA}));
    EXPECT_TRUE(client.receive().has_value());  // the echo left before the yank
    bool closed = false;
    EXPECT_FALSE(client.receive(1000, &closed).has_value());
    EXPECT_TRUE(closed);
    // The entry goes right after the connections.
    EXPECT_TRUE(eventually([&] { return !hid_.plugged() && visibleEntries(dir_.path()).empty(); }));
    yank_ = false;
    ASSERT_TRUE(hid_.plug());
    EXPECT_EQ(visibleEntries(dir_.path()), std::vector<std::string>{"row1-keyboard-if1"});
    TestClient again(hid_.nodePath());
    ASSERT_TRUE(again.send(std::vector<uint8_t>{0x04, 0x01}));
    EXPECT_TRUE(again.receive().has_value());
}

// A host writes a frame's reports as one burst; the device takes every one,
// in order, however many come at once, and an empty packet among them is not
// a hang-up.
TEST_F(SimHidInterfaceTest, BurstsAreHandledInOrderAndEmptyPacketsKeepTheClient) {
    ASSERT_TRUE(hid_.plug());
    TestClient client(hid_.nodePath());
    ASSERT_TRUE(client.connected());
    std::vector<uint8_t> expected;
    for (uint8_t i = 1; i <= 40; ++i) {
        if (i % 7 == 0) {
            ASSERT_TRUE(client.send(std::vector<uint8_t>{}));
        }
        ASSERT_TRUE(client.send(std::vector<uint8_t>{0x04, i}));
        expected.push_back(i);
    }
    std::vector<uint8_t> echoed;
    while (echoed.size() < expected.size()) {
        auto report = client.receive();
        ASSERT_TRUE(report.has_value()) << "after " << echoed.size() << " echoes";
        ASSERT_EQ(report->size(), 2u);
        echoed.push_back((*report)[1]);
    }
    EXPECT_EQ(echoed, expected);
    EXPECT_EQ(hid_.clientCount(), 1u);
}

// A client that writes a burst and hangs up at once still has its burst
// handled, and then it is let go.
TEST_F(SimHidInterfaceTest, ABurstBeforeAHangUpIsHandledThenTheClientGoes) {
    std::atomic<int> handled{0};
    SimHidInterface counting{dir_.str(), testConfig(), [&](std::span<const uint8_t>) {
                                 ++handled;
                                 return false;
                             }};
    ASSERT_TRUE(counting.plug());
    {
        TestClient client(counting.nodePath());
        ASSERT_TRUE(client.connected());
        for (uint8_t i = 0; i < 20; ++i) ASSERT_TRUE(client.send(std::vector<uint8_t>{0x04, i}));
    }
    EXPECT_TRUE(eventually([&] { return handled.load() == 20 && counting.clientCount() == 0; }))
        << handled.load() << " handled, " << counting.clientCount() << " clients";
}

TEST_F(SimHidInterfaceTest, ReplacesTheLeftoverOfADeadSimulator) {
    talven::test::writeFile(dir_ / "row1-keyboard-if1" / "device" / "uevent", "HID_ID=junk\n");
    ASSERT_TRUE(hid_.plug());
    EXPECT_EQ(talven::test::readFile(dir_ / "row1-keyboard-if1" / "device" / "uevent"), makeSimUevent(testConfig()));
}

using talven::test::contextSwitches;

// The demo runs the simulated devices inside the program: a device nobody
// talks to must cost nothing, so its service thread sleeps until asked.
TEST_F(SimHidInterfaceTest, IdleServiceThreadDoesNotWake) {
    ASSERT_TRUE(hid_.plug());
    TestClient a(hid_.nodePath()), b(hid_.nodePath());
    const std::vector<uint8_t> report{0x04, 1};
    ASSERT_TRUE(a.send(report));
    ASSERT_EQ(a.receive(), report);
    ASSERT_EQ(b.receive(), report);
    const int tid = hid_.serviceThreadId();
    ASSERT_GT(tid, 0);

    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    const long before = contextSwitches(tid);
    std::this_thread::sleep_for(std::chrono::seconds(1));
    EXPECT_LT(contextSwitches(tid) - before, 5);

    ASSERT_TRUE(b.send(report));  // still serving
    EXPECT_EQ(b.receive(), report);
}

// A notification sent from another thread takes a client that connected
// just before; that client's own requests must still be answered.
TEST_F(SimHidInterfaceTest, AClientTakenWhileSendingIsServed) {
    ASSERT_TRUE(hid_.plug());
    for (int i = 0; i < 20; ++i) {
        TestClient client(hid_.nodePath());
        const std::vector<uint8_t> notification{0x03, 0x01, 0x04};
        ASSERT_TRUE(hid_.sendInput(notification));
        ASSERT_EQ(client.receive(), notification);
        const std::vector<uint8_t> request{0x04, static_cast<uint8_t>(i)};
        ASSERT_TRUE(client.send(request));
        ASSERT_EQ(client.receive(), request);
    }
}

// hidraw hands a report to every file opened before the report came, even
// when the device is busy with a request while the file is opened.
TEST(SimHidInterfaceClients, AClientConnectedDuringARequestGetsItsReports) {
    talven::test::TempDir dir;
    Event inHandler(true), release(true);
    SimHidInterface* self = nullptr;
    SimHidInterface hid(dir.str(), testConfig(), [&](std::span<const uint8_t> r) {
        inHandler.set();
        release.wait(2000);
        self->sendInput(r);
        return false;
    });
    self = &hid;
    ASSERT_TRUE(hid.plug());
    TestClient a(hid.nodePath());
    const std::vector<uint8_t> report{0x04, 7};
    ASSERT_TRUE(a.send(report));
    ASSERT_TRUE(inHandler.wait(1000));
    TestClient late(hid.nodePath());  // connect() returns while the request is handled
    ASSERT_TRUE(late.connected());
    release.set();
    EXPECT_EQ(a.receive(), report);
    EXPECT_EQ(late.receive(), report);
}

TEST(SimHidInterfaceErrors, TooLongSocketPathFailsCleanly) {
    talven::test::TempDir dir;
    SimInterfaceConfig c = testConfig();
    c.entryName = std::string(120, 'x');
    SimHidInterface hid(dir.str(), c, nullptr);
    std::string error;
    EXPECT_FALSE(hid.plug(&error));
    EXPECT_NE(error.find("too long"), std::string::npos) << error;
    EXPECT_TRUE(visibleEntries(dir.path()).empty());

    SimHidInterface missing(dir.str() + "/no/such/dir", testConfig(), nullptr);
    EXPECT_FALSE(missing.plug(&error));
    EXPECT_FALSE(error.empty());
}

}  // namespace
}  // namespace talven::sim
