#include "pages/render_pulse.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

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

// Each beat first pulls every rider's due steps; a step that changed the
// frame asks to ride and goes out with that same beat. Only the end of the
// beats releases the steps to the riders' own threads.
TEST(RenderPulse, BeatsPullTheStepsAndTheirEndReleasesThem) {
    RenderPulse pulse(kPeriod);
    struct Stepping {
        std::vector<uint32_t> pulls;
        int ticks = 0, releases = 0;
        std::unique_ptr<RenderPulse::Rider> rider;
    } a, b;
    for (Stepping* s : {&a, &b}) {
        s->rider = std::make_unique<RenderPulse::Rider>(
            pulse, [s] { ++s->ticks; },
            [s, &pulse](uint32_t now) {
                s->pulls.push_back(now);
                if (now % 10 == 0) {  // this step changed the frame
                    EXPECT_TRUE(pulse.ride(*s->rider, now));
                }
            },
            [s] { ++s->releases; });
    }
    Counted plain(pulse);  // a rider without steps of its own
    const int first = 0, second = 0;

    EXPECT_FALSE(pulse.beating(100));
    pulse.beat(&first, 100);
    pulse.beat(&second, 105);
    EXPECT_TRUE(pulse.beating(110));
    EXPECT_EQ(a.pulls, (std::vector<uint32_t>{100, 105}));
    EXPECT_EQ(b.pulls, a.pulls);
    EXPECT_EQ(a.ticks, 1) << "the changed step of the beat at 100 went out with it";
    EXPECT_EQ(plain.ticks, 0);

    pulse.stop(&first);
    EXPECT_EQ(a.releases, 0) << "another page still beats";
    pulse.stop(&second);
    EXPECT_EQ(a.releases, 1);
    EXPECT_EQ(b.releases, 1);
    EXPECT_FALSE(pulse.beating(106));
    EXPECT_EQ(a.pulls.size(), 2u) << "no pull without a beat";

    // Beats that stop coming without a word end two periods after the last.
    pulse.beat(&first, 200);
    EXPECT_TRUE(pulse.beating(210));
    EXPECT_FALSE(pulse.beating(211));
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
