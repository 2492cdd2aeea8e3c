#include "platform/clock.h"
#include "platform/event.h"

#include <gtest/gtest.h>

#include <thread>

namespace talven {
namespace {

TEST(Event, AutoResetIsTakenByOneWait) {
    Event e(false, true);
    EXPECT_TRUE(e.wait(0));
    EXPECT_FALSE(e.wait(0));
}

TEST(Event, ManualResetStaysSetUntilReset) {
    Event e(true);
    EXPECT_FALSE(e.wait(0));
    e.set();
    EXPECT_TRUE(e.wait(0));
    EXPECT_TRUE(e.wait(0));
    e.reset();
    EXPECT_FALSE(e.isSet());
}

TEST(Event, SetFromAnotherThreadEndsAWaitEarly) {
    Event e(false);
    const uint32_t start = tickCount();
    std::thread t([&] {
        sleepMs(20);
        e.set();
    });
    EXPECT_TRUE(e.wait(5000));
    t.join();
    EXPECT_LT(tickCount() - start, 1000u);
}

TEST(Event, WaitTimesOut) {
    Event e(true);
    const uint32_t start = tickCount();
    EXPECT_FALSE(e.wait(30));
    EXPECT_GE(tickCount() - start, 29u);
}

}  // namespace
}  // namespace talven
