#include "device/device_scan.h"

#include "platform/clock.h"
#include "platform/hid/hid_device.h"
#include "sim/simulator.h"
#include "support/temp_dir.h"
#include "support/thread_stats.h"

#include <gtest/gtest.h>

#include <atomic>
#include <functional>
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

// The simulated products say they run firmware release 1.02, as a USB
// device's bcdDevice does; the update rows read it from there.
TEST(DeviceScan, ASimulatedProductShowsItsReleaseNumber) {
    TempDir dir;
    sim::Simulator sim(dir.str());
    sim.addAllProducts();
    ASSERT_TRUE(sim.plug("mousepad"));
    DeviceScanner scanner({}, simRoots({dir.str()}));
    scanner.scanOnce();
    std::string path;
    for (const DeviceSlot& slot : scanner.slotList())
        if (slot.kind == kind::MousePad && slot.role == role::Command) path = slot.path;
    ASSERT_FALSE(path.empty());
    hid::HidDevice device;
    ASSERT_TRUE(device.open(path, true, true, false, false));
    EXPECT_EQ(device.attributes().version, 0x0102);
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

// A scanner running on its own thread over a simulator folder with the mouse
// pad ready to plug.
struct RunningScan {
    RunningScan() {
        sim.addProduct("mousepad");
        worker = std::thread([this] {
            tid = test::currentThreadId();
            scanner.run(stop);
        });
    }
    ~RunningScan() {
        stop.set();
        if (worker.joinable()) worker.join();
    }
    // Milliseconds until `done` held, waiting at most 2 s.
    uint32_t msUntil(const std::function<bool()>& done) {
        const uint32_t since = tickCount();
        while (!done() && tickCount() - since < 2000) sleepMs(2);
        return tickCount() - since;
    }
    bool padPresent() { return !scanner.slot(4).path.empty(); }

    TempDir dir;
    sim::Simulator sim{dir.str()};
    Recorder rec;
    DeviceScanner scanner{rec.callbacks(), simRoots({dir.str()})};
    Event stop{true};
    std::atomic<int> tid{0};
    std::thread worker;
};

TEST(DeviceScan, RunStopsPromptlyAndWakesOnArrival) {
    RunningScan scan;
    sleepMs(50);
    ASSERT_TRUE(scan.sim.plug("mousepad"));
    EXPECT_LT(scan.msUntil([&] { return scan.padPresent(); }), 500u);
    EXPECT_TRUE(scan.padPresent());

    const uint32_t start = tickCount();
    scan.stop.set();
    scan.worker.join();
    EXPECT_LT(tickCount() - start, 1000u);
    EXPECT_EQ(scan.rec.take(), (std::vector<std::string>{"first", "+5", "+4"}));
}

// With every source of changes watched, the scan sleeps until something
// changes: a program with no device must not wake ten times a second. An
// arrival and a removal still show at once.
TEST(DeviceScan, AWatchedScanSleepsUntilADeviceComesOrGoes) {
    RunningScan scan;
    sleepMs(100);
    const long before = test::contextSwitches(scan.tid);
    sleepMs(1000);
    EXPECT_LE(test::contextSwitches(scan.tid) - before, 3) << "the idle scan polled";

    ASSERT_TRUE(scan.sim.plug("mousepad"));
    EXPECT_LT(scan.msUntil([&] { return scan.padPresent(); }), 300u) << "arrival";
    scan.sim.unplugAll();
    EXPECT_LT(scan.msUntil([&] { return !scan.padPresent(); }), 300u) << "removal";
}

}  // namespace
}  // namespace talven
