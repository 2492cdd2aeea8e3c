#include "app/worker_slots.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

namespace talven {
namespace {

using Clock = std::chrono::steady_clock;

TEST(WorkerSlotsTest, StoppingEndsEveryWorkerThatWaitsOnItsEvent) {
    WorkerSlots workers;
    std::atomic<int> ended{0};
    for (int slot : {WorkerSlots::kScanSlot, WorkerSlots::kLightingSyncSlot, 19}) {
        ASSERT_TRUE(workers.start(slot, [&ended](Event& stop) {
            stop.wait(-1);
            ++ended;
        }));
    }
    EXPECT_TRUE(workers.running(0));
    const auto start = Clock::now();
    EXPECT_EQ(workers.stopAll(1000), 0);
    EXPECT_EQ(ended.load(), 3);
    EXPECT_LT(Clock::now() - start, std::chrono::milliseconds(500));
    EXPECT_FALSE(workers.running(0));
}

TEST(WorkerSlotsTest, ASlotRunsOneThreadAtATimeAndOnlyInRange) {
    WorkerSlots workers;
    ASSERT_TRUE(workers.start(3, [](Event& stop) { stop.wait(-1); }));
    EXPECT_FALSE(workers.start(3, [](Event&) {}));
    EXPECT_FALSE(workers.start(-1, [](Event&) {}));
    EXPECT_FALSE(workers.start(WorkerSlots::kSlotCount, [](Event&) {}));
    workers.stopAll(1000);
}

// All events are set before the first wait, so the threads end side by
// side; one that overstays is counted and still waited for.
TEST(WorkerSlotsTest, AWorkerThatIgnoresItsStopForAWhileIsCountedLate) {
    WorkerSlots workers;
    std::atomic<bool> lateDone{false};
    ASSERT_TRUE(workers.start(5, [&lateDone](Event&) {
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        lateDone = true;
    }));
    ASSERT_TRUE(workers.start(6, [](Event& stop) { stop.wait(-1); }));
    const auto start = Clock::now();
    EXPECT_EQ(workers.stopAll(100), 1);
    EXPECT_GE(Clock::now() - start, std::chrono::milliseconds(100));
    EXPECT_TRUE(lateDone);
    EXPECT_FALSE(workers.running(6));
}

}  // namespace
}  // namespace talven
