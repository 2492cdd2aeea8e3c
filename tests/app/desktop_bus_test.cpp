#include "app/desktop_bus.h"

#include "qt_test_support.h"
#include "support/scoped_env.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <QDBusMessage>

#include <tuple>
#include <vector>

namespace talven {
namespace {

using Kind = DesktopBus::Message;
using Received = std::tuple<Kind, quint32, qint32>;

class DesktopBusTest : public test::BusTest {
protected:
    static void record(DesktopBus& bus, std::vector<Received>& into) {
        QObject::connect(&bus, &DesktopBus::received,
                         [&into](Kind kind, quint32 w, qint32 l) { into.emplace_back(kind, w, l); });
    }
};

TEST_F(DesktopBusTest, EachMessageReachesOtherProgramsButNotItsSender) {
    DesktopBus ours(connect()), theirs(connect());
    ASSERT_TRUE(ours.isConnected() && theirs.isConnected());
    std::vector<Received> atOurs, atTheirs;
    record(ours, atOurs);
    record(theirs, atTheirs);

    const std::vector<Received> sent = {
        {Kind::LightAnnounce, 1, 1},
        {Kind::LightControl, 1, 0},
        {Kind::UpdateStatus, 0xFFFFFFFFu, -1},
    };
    for (const auto& [kind, w, l] : sent) ASSERT_TRUE(ours.broadcast(kind, w, l));
    ASSERT_TRUE(test::waitUntil([&] { return atTheirs.size() >= sent.size(); }));
    EXPECT_EQ(atTheirs, sent);

    // Anything of ours echoed back would arrive before this reply.
    ASSERT_TRUE(theirs.broadcast(Kind::LightControl, 1, 1));
    ASSERT_TRUE(test::waitUntil([&] { return !atOurs.empty(); }));
    EXPECT_EQ(atOurs, (std::vector<Received>{{Kind::LightControl, 1, 1}}));
}

TEST_F(DesktopBusTest, MalformedSignalsAreIgnored) {
    DesktopBus ours(connect());
    std::vector<Received> got;
    record(ours, got);
    QDBusConnection other = connect();
    auto signal = [](const char* member, const char* path = DesktopBus::kObjectPath) {
        return QDBusMessage::createSignal(path, DesktopBus::kInterface, member);
    };
    for (const QDBusMessage& bad : {signal("LightControl"), signal("LightControl") << QStringLiteral("1") << 0,
                                    signal("LightControl") << 1u, signal("LightControl") << 1u << 0 << 5,
                                    signal("SomethingElse") << 1u << 0, signal("LightControl", "/x") << 1u << 2}) {
        ASSERT_TRUE(other.send(bad));
    }
    ASSERT_TRUE(other.send(signal("UpdateStatus") << 7u << 3));
    ASSERT_TRUE(test::waitUntil([&] { return !got.empty(); }));
    test::waitUntil([] { return false; }, 100);
    EXPECT_EQ(got, (std::vector<Received>{{Kind::UpdateStatus, 7, 3}}));
}

TEST(DesktopBusWithoutBus, SendsNothingAndFailsNothing) {
    test::qtApp();
    // No address and no bus socket in the runtime folder: the bus is not
    // looked for (nor started).
    test::TempDir runtime;
    test::ScopedEnv address("DBUS_SESSION_BUS_ADDRESS", nullptr);
    test::ScopedEnv folder("XDG_RUNTIME_DIR", runtime.str().c_str());
    DesktopBus detached;
    EXPECT_FALSE(detached.isConnected());
    EXPECT_FALSE(detached.broadcast(Kind::LightAnnounce, 1, 1));
}

}  // namespace
}  // namespace talven
