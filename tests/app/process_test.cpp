// The real program, started as a user starts it (offscreen, with its own
// per-user folders and no devices).

#include "support/temp_dir.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QProcessEnvironment>

#include <gtest/gtest.h>

#include <filesystem>

#ifdef TALVEN_APP_BINARY

namespace talven {
namespace {

class ProgramTest : public ::testing::Test {
protected:
    QProcessEnvironment environment() const {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        env.insert(QStringLiteral("TALVEN_DEBUG"), QStringLiteral("1"));
        for (const char* name : {"XDG_RUNTIME_DIR", "XDG_DATA_HOME", "XDG_CONFIG_HOME"}) {
            const std::filesystem::path folder = home / name;
            std::filesystem::create_directories(folder);
            std::filesystem::permissions(folder, std::filesystem::perms::owner_all);
            env.insert(QString::fromLatin1(name), QString::fromStdString(folder.string()));
        }
        std::filesystem::create_directories(home / "nodevices");
        env.insert(QStringLiteral("TALVEN_SIM_DIR"), QString::fromStdString((home / "nodevices").string()));
        env.remove(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"));
        return env;
    }
    void start(QProcess& process) {
        process.setProcessEnvironment(environment());
        process.setProcessChannelMode(QProcess::SeparateChannels);
        process.start(QStringLiteral(TALVEN_APP_BINARY), {});
        ASSERT_TRUE(process.waitForStarted(10000));
    }
    // Reads standard error until `text` shows up.
    bool waitForLog(QProcess& process, const QString& text, int timeoutMs = 15000) {
        QElapsedTimer timer;
        timer.start();
        while (!log.contains(text) && timer.elapsed() < timeoutMs) {
            process.waitForReadyRead(100);
            log += QString::fromUtf8(process.readAllStandardError());
        }
        return log.contains(text);
    }
    void TearDown() override {
        if (first.state() == QProcess::NotRunning) return;
        first.terminate();
        if (!first.waitForFinished(5000)) first.kill();
    }

    test::TempDir home;
    QProcess first;
    QString log;
};

TEST_F(ProgramTest, ShowsAfterTheFirstScanAndASecondStartBringsTheFirstToTheFront) {
    start(first);
    ASSERT_TRUE(waitForLog(first, QStringLiteral("No_device_Link shown"))) << log.toStdString();
    EXPECT_TRUE(log.indexOf(QStringLiteral("windowinit")) < log.indexOf(QStringLiteral("No_device_Link shown")));

    QProcess second;
    start(second);
    ASSERT_TRUE(second.waitForFinished(10000));
    EXPECT_EQ(second.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(second.exitCode(), 0);

    // The first instance receives the message (wParam 0, lParam 1) and comes
    // to the front; it keeps running.
    EXPECT_TRUE(waitForLog(first, QStringLiteral("，0d1d"))) << log.toStdString();
    EXPECT_EQ(first.state(), QProcess::Running);

    // A polite stop ends it through the normal tear-down.
    first.terminate();
    ASSERT_TRUE(first.waitForFinished(5000));
    EXPECT_EQ(first.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(first.exitCode(), 0);
    log += QString::fromUtf8(first.readAllStandardError());
    EXPECT_TRUE(log.contains(QStringLiteral("退出测试")));
}

}  // namespace
}  // namespace talven

#endif
