#include "platform/clock.h"
#include "platform/event.h"

#include <gtest/gtest.h>

#include <atomic>
#include <poll.h>
#include <pthread.h>
#include <sched.h>
#include <thread>
#include <time.h>

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

// Callers wait on the descriptor; it must be readable exactly while the event
// is set, or a waiter would spin on a readable descriptor it cannot take.
TEST(Event, DescriptorIsReadableExactlyWhileSet) {
    auto readable = [](const Event& e) {
        pollfd p{e.fd(), POLLIN, 0};
        return ::poll(&p, 1, 0) == 1;
    };
    Event autoReset(false);
    autoReset.set();
    autoReset.set();  // a second set adds nothing
    EXPECT_TRUE(readable(autoReset));
    EXPECT_TRUE(autoReset.consume());
    EXPECT_FALSE(readable(autoReset));
    EXPECT_FALSE(autoReset.consume());

    Event manual(true, true);
    EXPECT_TRUE(readable(manual));
    EXPECT_TRUE(manual.wait(0));
    EXPECT_TRUE(readable(manual));
    manual.reset();
    EXPECT_FALSE(readable(manual));
    EXPECT_FALSE(manual.isSet());
}

// A waiter on several events learns which one woke it, takes an auto-reset
// one and leaves a manual one set, and a set from another thread ends a wait
// without a time limit at once.
TEST(Event, WaitAnyNamesTheEventAndTakesOnlyAutoResetOnes) {
    Event stop(true), wanted(false);
    EXPECT_EQ(waitAny({&stop, &wanted}, 0), -1);
    wanted.set();
    EXPECT_EQ(waitAny({&stop, &wanted}, 0), 1);
    EXPECT_FALSE(wanted.isSet()) << "taken by the wait";
    stop.set();
    wanted.set();
    EXPECT_EQ(waitAny({&stop, &wanted}, 0), 0) << "the first in the list wins";
    EXPECT_TRUE(stop.isSet());
    EXPECT_TRUE(wanted.isSet()) << "the one not reported is not taken";

    Event later(false);
    const uint32_t start = tickCount();
    std::thread t([&] {
        sleepMs(20);
        later.set();
    });
    Event never(false);
    EXPECT_EQ(waitAny({&never, &later}, -1), 1);
    t.join();
    EXPECT_LT(tickCount() - start, 1000u);
}

// A set wakes the waiter as its descriptor becomes readable. Sharing one CPU
// with a setter that has been busy, the woken waiter runs first, before the
// setter is out of set(); it must sleep until the event is complete, not spin
// on a descriptor it cannot take yet (that once cost up to a time slice per
// wake-up).
TEST(Event, AWaiterWokenInTheMiddleOfASetDoesNotSpin) {
    cpu_set_t one;
    CPU_ZERO(&one);
    CPU_SET(static_cast<unsigned>(sched_getcpu()), &one);
    auto pin = [&one] { return pthread_setaffinity_np(pthread_self(), sizeof one, &one) == 0; };
    auto cpuUs = [] {
        timespec t{};
        clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
        return t.tv_sec * 1000000LL + t.tv_nsec / 1000;
    };
    constexpr int kWakeUps = 100;
    Event stop(true), wanted(false);
    std::atomic<bool> waiterPinned{false}, setterPinned{false};
    long long waiterUs = 0;
    int taken = 0;
    std::thread waiter([&] {
        waiterPinned = pin();
        const long long start = cpuUs();
        while (taken < kWakeUps && waitAny({&stop, &wanted}, 5000) == 1) ++taken;
        waiterUs = cpuUs() - start;
    });
    std::thread setter([&] {
        setterPinned = pin();
        for (int i = 0; i < kWakeUps; ++i) {
            // Busy for a while, as the UI thread is when it hands a step back.
            const long long until = cpuUs() + 2000;
            while (cpuUs() < until || wanted.isSet()) {
            }
            wanted.set();
        }
    });
    setter.join();
    waiter.join();
    ASSERT_TRUE(waiterPinned && setterPinned);
    EXPECT_EQ(taken, kWakeUps);
    // A wake-up costs tens of microseconds; a spin lasts until the setter
    // runs again, a millisecond or more.
    EXPECT_LT(waiterUs / kWakeUps, 300) << "microseconds of CPU per wake-up";
}

TEST(Event, WaitTimesOut) {
    Event e(true);
    const uint32_t start = tickCount();
    EXPECT_FALSE(e.wait(30));
    EXPECT_GE(tickCount() - start, 29u);
}

}  // namespace
}  // namespace talven
