#include "app/app_setup.h"
#include "sim/simulator.h"
#include "tests/support/temp_dir.h"

#include <QStringList>

#include <gtest/gtest.h>

#include <sched.h>

#include <chrono>
#include <cstdlib>
#include <thread>

namespace talven {
namespace {

AppOptions parse(std::initializer_list<const char*> args) {
    QStringList list{QStringLiteral("talven-k88")};
    for (const char* a : args) list << QString::fromLatin1(a);
    return parseAppOptions(list);
}

TEST(AppOptionsTest, TrayStartsHiddenAndCombinesWithDemo) {
    EXPECT_FALSE(parse({}).tray);
    const AppOptions both = parse({"--tray", "--demo"});
    EXPECT_TRUE(both.tray);
    EXPECT_TRUE(both.demo);
    EXPECT_TRUE(both.error.isEmpty());
    EXPECT_TRUE(appUsage().contains(QStringLiteral("--tray")));
    // A misspelling is an error, not a window shown after all.
    EXPECT_FALSE(parse({"--tary"}).error.isEmpty());
}

TEST(AppOptionsTest, OpenNamesTheSettingsWindowOrTheSkinFrame) {
    EXPECT_EQ(parse({"--open", "settings"}).open, QStringLiteral("settings"));
    EXPECT_EQ(parse({"--demo", "--open", "skin", "--screenshot", "f.png"}).open, QStringLiteral("skin"));
    for (auto args : {std::initializer_list<const char*>{"--open"}, {"--open", "menu"}, {"--open", "Settings"}}) {
        EXPECT_FALSE(parse(args).error.isEmpty());
    }
}

TEST(AppOptionsTest, SdkServerIsOffUnlessAskedWithAnOptionalPort) {
    EXPECT_FALSE(parse({"--demo"}).sdkServer);
    const AppOptions plain = parse({"--sdk-server"});
    EXPECT_TRUE(plain.sdkServer);
    EXPECT_FALSE(plain.sdkPort);
    const AppOptions port = parse({"--demo", "--sdk-server=16742"});
    EXPECT_TRUE(port.sdkServer);
    EXPECT_EQ(port.sdkPort, 16742);
    for (const char* bad : {"--sdk-server=", "--sdk-server=0", "--sdk-server=65536", "--sdk-server=12ab",
                            "--sdk-server=-1", "--sdk-servers"}) {
        EXPECT_FALSE(parse({bad}).error.isEmpty()) << bad;
    }
}

// The CPUs a thread may run on, as a set.
cpu_set_t allowedCpus(pid_t tid) {
    cpu_set_t cpus;
    CPU_ZERO(&cpus);
    EXPECT_EQ(sched_getaffinity(tid, sizeof cpus, &cpus), 0);
    return cpus;
}

// The thread that starts the demo's devices (the UI thread) joins them on
// their CPU; threads that were running before keep where they may run.
TEST(DemoDevicesTest, TheStartingThreadJoinsTheDevicesOnTheirCpu) {
    test::TempDir dir;
    const char* before = std::getenv("TALVEN_SIM_DIR");
    const std::string kept = before ? before : "";
    ::setenv("TALVEN_SIM_DIR", dir.str().c_str(), 1);
    const cpu_set_t mine = allowedCpus(0);

    std::thread starter([] {
        QString error;
        std::unique_ptr<sim::Simulator> demo = startDemoDevices(&error);
        ASSERT_TRUE(demo) << error.toStdString();
        const cpu_set_t own = allowedCpus(0);
        ASSERT_EQ(CPU_COUNT(&own), 1);
        for (sim::SimDevice* device : demo->devices()) {
            int tid = 0;
            for (int i = 0; i < 200 && (tid = device->hid().serviceThreadId()) == 0; ++i)
                std::this_thread::sleep_for(std::chrono::milliseconds(5));
            ASSERT_GT(tid, 0) << device->name();
            const cpu_set_t service = allowedCpus(tid);
            EXPECT_TRUE(CPU_EQUAL(&service, &own)) << device->name();
        }
    });
    starter.join();

    const cpu_set_t after = allowedCpus(0);
    EXPECT_TRUE(CPU_EQUAL(&after, &mine));
    if (before) ::setenv("TALVEN_SIM_DIR", kept.c_str(), 1);
    else ::unsetenv("TALVEN_SIM_DIR");
}

}  // namespace
}  // namespace talven
