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

}  // namespace
}  // namespace talven
