#include "pages/render_pulse.h"

#include <gtest/gtest.h>

#include <memory>

namespace talven {
namespace {

constexpr uint32_t kPeriod = 5;

struct Counted {
    explicit Counted(RenderPulse& pulse) : rider(pulse, [this] { ++ticks; }) {}
    int ticks = 0;
    RenderPulse::Rider rider;
};

// Which wishes a beat or a stop serves, and when a rider must wake the UI
// thread itself.
TEST(RenderPulse, ARideIsTakenOnlyWhileBeatsComeAndRunsOnce) {
    RenderPulse pulse(kPeriod);
    Counted page(pulse);
    const int ticker = 0;

    EXPECT_FALSE(pulse.ride(page.rider, 100)) << "nothing beats yet";
    pulse.beat(&ticker, 100);
    EXPECT_EQ(page.ticks, 0) << "a rider that did not ask is not rendered";

    EXPECT_TRUE(pulse.ride(page.rider, 102));
    EXPECT_TRUE(pulse.ride(page.rider, 103)) << "asking twice before a beat";
    pulse.beat(&ticker, 105);
    EXPECT_EQ(page.ticks, 1);
    pulse.beat(&ticker, 110);
    EXPECT_EQ(page.ticks, 1) << "a wish is served once";

    // Two periods after the last beat the ticking page counts as gone, even
    // though it never said it stopped.
    EXPECT_TRUE(pulse.ride(page.rider, 120));
    pulse.beat(&ticker, 120);
    EXPECT_EQ(page.ticks, 2);
    EXPECT_FALSE(pulse.ride(page.rider, 131)) << "beats ended 11 ms ago";
    pulse.beat(&ticker, 132);
    EXPECT_EQ(page.ticks, 2) << "a refused ride leaves no wish behind";
}

TEST(RenderPulse, TheLastBeaterStoppingRunsTheWaitingRidersAtOnce) {
    RenderPulse pulse(kPeriod);
    Counted a(pulse), b(pulse);
    const int first = 0, second = 0;

    pulse.beat(&first, 10);
    pulse.beat(&second, 12);
    EXPECT_TRUE(pulse.ride(a.rider, 13));
    pulse.stop(&first);  // not the last to beat: the pulse goes on
    EXPECT_EQ(a.ticks, 0);
    EXPECT_TRUE(pulse.ride(b.rider, 14));
    pulse.stop(&second);
    EXPECT_EQ(a.ticks, 1) << "left behind when the beats ended";
    EXPECT_EQ(b.ticks, 1);
    EXPECT_FALSE(pulse.ride(a.rider, 15)) << "stopped";
}

// A rider whose tick starts its own ticking beats from inside the sweep; the
// sweep is not entered again, and the rider's later wishes ride on it.
TEST(RenderPulse, ARiderThatStartsBeatingIsNotSweptTwice) {
    RenderPulse pulse(kPeriod);
    int ticks = 0;
    std::unique_ptr<RenderPulse::Rider> rider;
    rider = std::make_unique<RenderPulse::Rider>(pulse, [&] {
        ++ticks;
        pulse.beat(rider.get(), 20);
        EXPECT_TRUE(pulse.ride(*rider, 20));
    });
    Counted other(pulse);
    const int ticker = 0;
    pulse.beat(&ticker, 18);
    EXPECT_TRUE(pulse.ride(*rider, 19));
    EXPECT_TRUE(pulse.ride(other.rider, 19));
    pulse.beat(&ticker, 20);
    EXPECT_EQ(ticks, 1);
    EXPECT_EQ(other.ticks, 1);
    pulse.stop(&ticker);  // no longer the beater: nothing happens
    EXPECT_EQ(ticks, 1);
    pulse.stop(rider.get());
    EXPECT_EQ(ticks, 2) << "its own wish, left when it stopped";
}

TEST(RenderPulse, AGoneRiderIsNeverRendered) {
    RenderPulse pulse(kPeriod);
    const int ticker = 0;
    pulse.beat(&ticker, 1);
    int ticks = 0;
    {
        RenderPulse::Rider rider(pulse, [&] { ++ticks; });
        EXPECT_TRUE(pulse.ride(rider, 2));
    }
    pulse.beat(&ticker, 3);
    pulse.stop(&ticker);
    EXPECT_EQ(ticks, 0);
}

}  // namespace
}  // namespace talven
