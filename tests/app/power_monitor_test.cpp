#include "app/power_monitor.h"

#include "qt_test_support.h"

#include <gtest/gtest.h>

#include <QDBusMessage>

#include <vector>

namespace talven {
namespace {

using PowerMonitorTest = test::BusTest;

QDBusMessage prepareForSleep(bool start) {
    return QDBusMessage::createSignal(QStringLiteral("/org/freedesktop/login1"),
                                      QStringLiteral("org.freedesktop.login1.Manager"),
                                      QStringLiteral("PrepareForSleep"))
           << start;
}

TEST_F(PowerMonitorTest, ReportsSleepAndWakeFromTheLoginManagerOnly) {
    // The private bus lets anyone own the login manager's name; on a real
    // system bus only the login manager may.
    QDBusConnection login = connect();
    ASSERT_TRUE(login.registerService(QStringLiteral("org.freedesktop.login1")));
    PowerMonitor monitor(connect());
    ASSERT_TRUE(monitor.isWatching());
    std::vector<bool> seen;
    QObject::connect(&monitor, &PowerMonitor::suspending, [&](bool sleeping) { seen.push_back(sleeping); });

    // Another program's copy of the signal must not put the program to sleep.
    ASSERT_TRUE(connect().send(prepareForSleep(true)));
    ASSERT_TRUE(login.send(prepareForSleep(true)));
    ASSERT_TRUE(login.send(prepareForSleep(false)));
    ASSERT_TRUE(test::waitUntil([&] { return seen.size() >= 2; }));
    test::waitUntil([] { return false; }, 100);
    EXPECT_EQ(seen, (std::vector<bool>{true, false}));
}

TEST(PowerMonitorWithoutBus, StaysSilent) {
    test::qtApp();
    PowerMonitor monitor{QDBusConnection(QStringLiteral("never-connected"))};
    EXPECT_FALSE(monitor.isWatching());
}

}  // namespace
}  // namespace talven
