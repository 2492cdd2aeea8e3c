#include "platform/worker_thread.h"

#include "support/debug_capture.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

namespace talven {
namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

TEST(WorkerThread, AThreadThatWaitsOnItsEventEndsAtOnceAndIsLoggedAsEnded) {
    test::DebugCapture out;
    WorkerThread worker;
    std::atomic<bool> sawStop{false};
    ASSERT_TRUE(worker.start([&](Event& stop) { sawStop = stop.wait(-1); }));
    EXPECT_FALSE(worker.start([](Event&) {}));  // one thread at a time
    EXPECT_TRUE(worker.running());
    const auto begin = Clock::now();
    EXPECT_EQ(worker.stop(), ThreadStop::Ended);
    EXPECT_LT(Clock::now() - begin, milliseconds(500));
    EXPECT_TRUE(sawStop);
    EXPECT_FALSE(worker.started());
    EXPECT_EQ(out.lines(), std::vector<std::string>{"线程退出：：对象处于激发状态\n"});
}

TEST(WorkerThread, AThreadThatIgnoresItsEventForAWhileIsLoggedAsTimedOutAtTheLimit) {
    test::DebugCapture out;
    WorkerThread worker;
    std::atomic<bool> done{false};
    ASSERT_TRUE(worker.start([&](Event&) {
        std::this_thread::sleep_for(milliseconds(400));
        done = true;
    }));
    const auto begin = Clock::now();
    EXPECT_EQ(worker.stop(150), ThreadStop::TimedOut);
    EXPECT_GE(Clock::now() - begin, milliseconds(150));
    // Still waited for: its memory is not pulled from under it.
    EXPECT_TRUE(done);
    EXPECT_EQ(out.lines(), std::vector<std::string>{"线程退出：：对象处于非激发状态，超时\n"});
}

TEST(WorkerThread, StoppingWhenNothingRunsIsLoggedAsAnError) {
    test::DebugCapture out;
    WorkerThread never;
    EXPECT_EQ(never.stop(), ThreadStop::NotRunning);
    WorkerThread twice;
    ASSERT_TRUE(twice.start([](Event& stop) { stop.wait(-1); }));
    EXPECT_EQ(twice.stop(), ThreadStop::Ended);
    EXPECT_EQ(twice.stop(), ThreadStop::NotRunning);
    EXPECT_EQ(out.lines(), (std::vector<std::string>{"线程退出：：错误\n", "线程退出：：对象处于激发状态\n",
                                                 "线程退出：：错误\n"}));
    // A stopped worker can run again, its stop event cleared.
    ASSERT_TRUE(twice.start([](Event& stop) { stop.wait(-1); }));
    EXPECT_FALSE(twice.stopEvent().isSet());
    EXPECT_TRUE(twice.running());
    EXPECT_EQ(twice.stop(), ThreadStop::Ended);
}

TEST(WorkerThread, TheOwnerGoingStopsTheThread) {
    std::atomic<bool> ended{false};
    {
        WorkerThread worker;
        ASSERT_TRUE(worker.start([&](Event& stop) {
            stop.wait(-1);
            ended = true;
        }));
    }
    EXPECT_TRUE(ended);
}

// What `ps -L` shows of a thread that named itself: the kernel keeps 15
// bytes, and a longer name must still be shown cut short, not refused.
TEST(WorkerThread, AThreadIsListedUnderTheNameItGaveItself) {
    const struct {
        std::string name, listed;
    } cases[] = {
        {"lighting", "lighting"},
        {"row3-headset-if3", "row3-headset-if"},
        {"a name much longer than fifteen", "a name much lon"},
    };
    for (const auto& c : cases) {
        std::string listed;
        std::thread([&] {
            nameThisThread(c.name);
            std::ifstream comm("/proc/thread-self/comm");
            std::getline(comm, listed);
        }).join();
        EXPECT_EQ(listed, c.listed) << c.name;
    }
}

}  // namespace
}  // namespace talven
