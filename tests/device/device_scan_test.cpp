#include "device/device_scan.h"

#include "platform/clock.h"
#include "sim/simulator.h"
#include "support/temp_dir.h"
#include "support/thread_stats.h"

#include <gtest/gtest.h>

#include <atomic>
#include <mutex>
#include <thread>
#include <vector>

namespace talven {
namespace {

using test::TempDir;

// Records the callbacks in the order they came.
struct Recorder {
    std::mutex lock;
    std::vector<std::string> events;
    DeviceScanner::Callbacks callbacks() {
        return {[this](int slot) { add("+" + std::to_string(slot)); },
                [this](int slot) { add("-" + std::to_string(slot)); },
                [this] { add("first"); }};
    }
    void add(std::string e) {
        std::lock_guard l(lock);
        events.push_back(std::move(e));
    }
    std::vector<std::string> take() {
        std::lock_guard l(lock);
        return std::exchange(events, {});
    }
};

std::vector<hid::HidRoot> simRoots(std::initializer_list<std::string> dirs) {
    std::vector<hid::HidRoot> roots;
    for (const auto& d : dirs) roots.push_back({d, d});
    return roots;
}

TEST(DeviceScan, ReportsArrivalAndRemovalOfEachInterface) {
    TempDir dir;
    sim::Simulator sim(dir.str());
    sim.addAllProducts();
    Recorder rec;
    DeviceScanner scanner(rec.callbacks(), simRoots({dir.str()}));

    scanner.scanOnce();
    EXPECT_EQ(rec.take(), std::vector<std::string>{"first"});

    ASSERT_TRUE(sim.plug("keyboard"));
    scanner.scanOnce();
    // Collections come in interface order: the consumer collection (3) first.
    EXPECT_EQ(rec.take(), (std::vector<std::string>{"+1", "+0"}));
    EXPECT_EQ(scanner.slot(0).kind, kind::Keyboard);
    EXPECT_FALSE(scanner.slot(0).path.empty());

    // The headset and the mouse pad arrive together; the mouse (vendor 0) takes
    // the mouse rows, not the rows of the other vendor-0 keyboard.
    ASSERT_TRUE(sim.plug("headset"));
    ASSERT_TRUE(sim.plug("mouse"));
    scanner.scanOnce();
    EXPECT_EQ(rec.take(), (std::vector<std::string>{"+3", "+2", "+6"}));

    ASSERT_TRUE(sim.unplug("keyboard"));
    scanner.scanOnce();
    EXPECT_EQ(rec.take(), (std::vector<std::string>{"-0", "-1"}));
    EXPECT_TRUE(scanner.slot(0).path.empty());

    // A later scan does not report the same interfaces twice.
    scanner.scanOnce();
    EXPECT_TRUE(rec.take().empty());
}

TEST(DeviceScan, ASecondIdenticalProductGetsNoSlot) {
    TempDir first, second;
    sim::Simulator a(first.str()), b(second.str());
    a.addProduct("keyboard");
    b.addProduct("keyboard");
    ASSERT_TRUE(a.plug("keyboard"));
    ASSERT_TRUE(b.plug("keyboard"));

    Recorder rec;
    DeviceScanner scanner(rec.callbacks(), simRoots({first.str(), second.str()}));
    scanner.scanOnce();
    EXPECT_EQ(rec.take(), (std::vector<std::string>{"+1", "+0", "first"}));
    for (const auto& slot : scanner.slotList())
        if (slot.occupied) {
            EXPECT_EQ(slot.path.find(second.str()), std::string::npos);
        }

    // When the first goes, the second one takes its slots.
    ASSERT_TRUE(a.unplug("keyboard"));
    scanner.scanOnce();
    scanner.scanOnce();
    EXPECT_EQ(rec.take(), (std::vector<std::string>{"-0", "-1", "+1", "+0"}));
    EXPECT_NE(scanner.slot(0).path.find(second.str()), std::string::npos);
}

TEST(DeviceScan, RecognitionNeedsTheDevicesOwnUsages) {
    TempDir dir;
    sim::Simulator sim(dir.str());
    sim.addProduct("keyboard");
    ASSERT_TRUE(sim.plug("keyboard"));
    const std::string command = sim.device("keyboard")->interfacePath(role::Command);

    auto entry = recognizeInterface(command);
    ASSERT_TRUE(entry.has_value());
    EXPECT_EQ(entry->role, role::Command);
    EXPECT_EQ(entry->usagePage, 0xFF1C);

    // A path claiming the keyboard's command collection while pointing at the
    // keyboard collection of the interface is not accepted.
    std::string wrong = command.substr(0, command.find("&col")) + "&col01";
    EXPECT_FALSE(recognizeInterface(wrong).has_value());
    EXPECT_FALSE(recognizeInterface(dir.str() + "/nothing#vid_320f&pid_5029&mi_01&col04").has_value());
}

TEST(DeviceScan, RunStopsPromptlyAndWakesOnArrival) {
    TempDir dir;
    sim::Simulator sim(dir.str());
    sim.addProduct("mousepad");
    Recorder rec;
    DeviceScanner scanner(rec.callbacks(), simRoots({dir.str()}));
    Event stop(true);
    std::thread worker([&] { scanner.run(stop); });

    sleepMs(50);
    ASSERT_TRUE(sim.plug("mousepad"));
    const uint32_t plugged = tickCount();
    while (scanner.slot(4).path.empty() && tickCount() - plugged < 2000) sleepMs(2);
    EXPECT_FALSE(scanner.slot(4).path.empty());
    EXPECT_LT(tickCount() - plugged, 500u);

    const uint32_t start = tickCount();
    stop.set();
    worker.join();
    EXPECT_LT(tickCount() - start, 1000u);
    EXPECT_EQ(rec.take(), (std::vector<std::string>{"first", "+5", "+4"}));
}

// With every source of changes watched, the scan sleeps until something
// changes: a program with no device must not wake ten times a second. An
// arrival and a removal still show at once.
TEST(DeviceScan, AWatchedScanSleepsUntilADeviceComesOrGoes) {
    TempDir dir;
    sim::Simulator sim(dir.str());
    sim.addProduct("mousepad");
    Recorder rec;
    DeviceScanner scanner(rec.callbacks(), simRoots({dir.str()}));
    Event stop(true);
    std::atomic<int> tid{0};
    std::thread worker([&] {
        tid = test::currentThreadId();
        scanner.run(stop);
    });
    sleepMs(100);
    const long before = test::contextSwitches(tid);
    sleepMs(1000);
    EXPECT_LE(test::contextSwitches(tid) - before, 3) << "the idle scan polled";

    ASSERT_TRUE(sim.plug("mousepad"));
    uint32_t since = tickCount();
    while (scanner.slot(4).path.empty() && tickCount() - since < 2000) sleepMs(2);
    EXPECT_LT(tickCount() - since, 300u) << "arrival";
    sim.unplugAll();
    since = tickCount();
    while (!scanner.slot(4).path.empty() && tickCount() - since < 2000) sleepMs(2);
    EXPECT_LT(tickCount() - since, 300u) << "removal";

    stop.set();
    worker.join();
}

}  // namespace
}  // namespace talven
