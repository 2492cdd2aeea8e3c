#include "app/single_instance.h"

#include "qt_test_support.h"
#include "support/scoped_env.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <QLocalSocket>
#include <QProcess>
#include <QProcessEnvironment>

#include <cstdlib>
#include <cstring>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>
#include <utility>
#include <vector>

namespace talven {
namespace {

using Message = std::pair<quint32, qint32>;

// Started again as a separate process with this variable set, the test
// program plays a later instance: it exits 0 when it was told to end and 3
// when it would have kept running.
constexpr char kLaterInstanceVar[] = "TALVEN_TEST_LATER_INSTANCE";
[[maybe_unused]] const int kLaterInstanceMode = [] {
    const char* folder = std::getenv(kLaterInstanceVar);
    if (folder == nullptr) return 0;
    int argc = 1;
    char name[] = "later-instance";
    char* argv[] = {name, nullptr};
    QCoreApplication app(argc, argv);
    SingleInstance instance{QString::fromLocal8Bit(folder)};
    std::_Exit(instance.tryBecomePrimary() ? 3 : 0);
}();

struct Recorder {
    std::vector<Message> messages;
    void watch(SingleInstance& instance) {
        QObject::connect(&instance, &SingleInstance::instanceMessage,
                         [this](quint32 w, qint32 l) { messages.emplace_back(w, l); });
    }
};

class SingleInstanceTest : public ::testing::Test {
protected:
    void SetUp() override { test::qtApp(); }
    test::TempDir dir;
    QString folder = QString::fromStdString(dir.str());
};

TEST_F(SingleInstanceTest, ALaterProcessEndsAndTheRunningOneIsToldToShow) {
    SingleInstance first(folder);
    ASSERT_TRUE(first.tryBecomePrimary());
    Recorder recorder;
    recorder.watch(first);

    QProcess later;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(kLaterInstanceVar, folder);
    later.setProcessEnvironment(env);
    later.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--gtest_filter=-*")});
    ASSERT_TRUE(later.waitForStarted(5000));
    ASSERT_TRUE(test::waitUntil(
        [&] { return later.state() == QProcess::NotRunning && !recorder.messages.empty(); }, 10000));
    EXPECT_EQ(later.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(later.exitCode(), 0);
    EXPECT_EQ(recorder.messages, (std::vector<Message>{{0, 1}}));
}

TEST_F(SingleInstanceTest, TakesOverTheSocketACrashedInstanceLeftBehind) {
    // What a killed instance leaves: a lock file nobody holds and a socket
    // file nobody listens on.
    SingleInstance probe(folder);
    test::writeFile(probe.lockPath().toStdString(), "");
    int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    const QByteArray socketPath = probe.socketPath().toLocal8Bit();
    std::memcpy(addr.sun_path, socketPath.constData(), socketPath.size());
    ASSERT_EQ(::bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr), 0);
    ::close(fd);

    SingleInstance first(folder);
    ASSERT_TRUE(first.tryBecomePrimary());
    Recorder recorder;
    recorder.watch(first);
    SingleInstance second(folder);
    EXPECT_FALSE(second.tryBecomePrimary());
    EXPECT_TRUE(test::waitUntil([&] { return !recorder.messages.empty(); }));
    EXPECT_EQ(recorder.messages, (std::vector<Message>{{0, 1}}));
}

TEST_F(SingleInstanceTest, StrangersOnTheSocketAreIgnored) {
    SingleInstance first(folder);
    ASSERT_TRUE(first.tryBecomePrimary());
    Recorder recorder;
    recorder.watch(first);
    // Twelve bytes of something else, and a peer that never says anything.
    QLocalSocket stranger, silent;
    stranger.connectToServer(first.socketPath());
    silent.connectToServer(first.socketPath());
    ASSERT_TRUE(stranger.waitForConnected(2000) && silent.waitForConnected(2000));
    stranger.write("hello world!");
    ASSERT_TRUE(stranger.waitForBytesWritten(2000));

    SingleInstance later(folder);
    EXPECT_FALSE(later.tryBecomePrimary());
    EXPECT_TRUE(test::waitUntil([&] { return !recorder.messages.empty(); }));
    test::waitUntil([] { return false; }, 100);
    EXPECT_EQ(recorder.messages, (std::vector<Message>{{0, 1}}));
}

TEST_F(SingleInstanceTest, RunsWhenTheLockCannotBeMade) {
    SingleInstance instance(folder + QStringLiteral("/missing"));
    EXPECT_TRUE(instance.tryBecomePrimary(100));
}

TEST_F(SingleInstanceTest, FallsBackToAPrivateFolderWithoutARuntimeFolder) {
    test::ScopedEnv runtime("XDG_RUNTIME_DIR", "relative");
    const QString fallback = SingleInstance::defaultRuntimeFolder();
    EXPECT_EQ(fallback, QStringLiteral("/tmp/talven-%1").arg(::getuid()));
    struct stat st {};
    ASSERT_EQ(::stat(fallback.toLocal8Bit().constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u);
    EXPECT_EQ(st.st_uid, ::getuid());
}

}  // namespace
}  // namespace talven
