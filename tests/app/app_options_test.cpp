#include "app/app_setup.h"

#include <QStringList>

#include <gtest/gtest.h>

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

}  // namespace
}  // namespace talven
