// The transfer program's status reaches the program's desktop bus as the
// UpdateStatus message: both sides must agree on path, interface and member.

#include "app/desktop_bus.h"

#include "qt_test_support.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <QProcess>

#include <tuple>
#include <vector>

#ifdef TALVEN_UPDATE_BINARY

namespace talven {
namespace {

using Kind = DesktopBus::Message;
using Received = std::tuple<Kind, quint32, qint32>;

TEST(UpdateStatusBus, TheTransferProgramsReportArrivesAsUpdateStatus) {
    test::qtApp();
    test::PrivateBus bus;
    if (bus.address().isEmpty()) GTEST_SKIP() << "no dbus-daemon to run a private bus";
    DesktopBus ours(QDBusConnection::connectToBus(bus.address(), QStringLiteral("update-status-test")));
    ASSERT_TRUE(ours.isConnected());
    std::vector<Received> got;
    QObject::connect(&ours, &DesktopBus::received,
                     [&got](Kind kind, quint32 w, qint32 l) { got.emplace_back(kind, w, l); });

    test::TempDir cache;
    QProcess transfer;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), bus.address());
    environment.insert(QStringLiteral("XDG_CACHE_HOME"), QString::fromStdString(cache.str()));
    environment.remove(QStringLiteral("https_proxy"));
    environment.remove(QStringLiteral("HTTPS_PROXY"));
    environment.remove(QStringLiteral("all_proxy"));
    environment.remove(QStringLiteral("ALL_PROXY"));
    transfer.setProcessEnvironment(environment);
    // Port 1 on the loopback: refused at once, so the download fails (2).
    transfer.start(QStringLiteral(TALVEN_UPDATE_BINARY),
                   {QStringLiteral("--url"), QStringLiteral("https://127.0.0.1:1/fw.bin"), QStringLiteral("--file"),
                    QStringLiteral("fw.bin")});
    ASSERT_TRUE(transfer.waitForFinished(10000));
    EXPECT_EQ(transfer.exitCode(), 1);
    ASSERT_TRUE(test::waitUntil([&] { return !got.empty(); }));
    EXPECT_EQ(got, (std::vector<Received>{{Kind::UpdateStatus, 2, 0}}));
    QDBusConnection::disconnectFromBus(QStringLiteral("update-status-test"));
}

}  // namespace
}  // namespace talven

#endif
