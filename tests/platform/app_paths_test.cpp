#include "platform/app_identity.h"
#include "platform/app_paths.h"
#include "support/scoped_env.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <fstream>

#include <filesystem>
#include <stdexcept>
#include <vector>

namespace talven {
namespace {

namespace fs = std::filesystem;
using test::ScopedEnv;

const std::string kTitle(kApplicationTitle);

TEST(AppPaths, DataFoldersLiveBelowXdgDataHomeAndAreCreated) {
    test::TempDir dir;
    ScopedEnv data("XDG_DATA_HOME", dir.str().c_str());
    const std::string expected = dir.str() + "/TALVEN  K88  Gaming Keyboard/";
    EXPECT_EQ(paths::dataFolder(), expected);
    EXPECT_EQ(paths::deviceDataFolder("K88"), expected + "K88/");
    EXPECT_TRUE(fs::is_directory(expected + "K88"));
}

TEST(AppPaths, UnusableXdgVariablesFallBackToTheHomeFolder) {
    test::TempDir home;
    ScopedEnv homeVar("HOME", home.str().c_str());
    for (const char* value : {static_cast<const char*>(nullptr), "", "relative/share"}) {
        SCOPED_TRACE(value ? value : "(unset)");
        ScopedEnv data("XDG_DATA_HOME", value);
        ScopedEnv config("XDG_CONFIG_HOME", value);
        EXPECT_EQ(paths::dataFolder(), home.str() + "/.local/share/" + kTitle + "/");
        EXPECT_EQ(paths::configFolder(), home.str() + "/.config/" + kTitle + "/");
    }
    // Only the data folder is made on demand; the settings store makes its own.
    EXPECT_TRUE(fs::is_directory(home / ".local/share" / kTitle));
    EXPECT_FALSE(fs::exists(home / ".config"));
}

TEST(AppPaths, DeviceFolderNamesCannotLeaveTheDataFolder) {
    test::TempDir dir;
    ScopedEnv data("XDG_DATA_HOME", dir.str().c_str());
    for (const std::string& name : std::vector<std::string>{"", ".", "..", "../evil", "a/b", std::string("a\0b", 3)}) {
        EXPECT_THROW(paths::deviceDataFolder(name), std::invalid_argument) << name;
    }
    EXPECT_FALSE(fs::exists(dir / "evil"));
}

TEST(AppPaths, ResourceRootIsTheExecutableFolderOnlyWhenItHoldsTheSkin) {
    test::TempDir dir;
    fs::create_directories(dir / "prefix/bin");
    EXPECT_EQ(paths::resourceRootFor(dir.str() + "/prefix/bin/"), dir.str() + "/prefix/share/talven-k88/");
    fs::create_directories(dir / "prefix/bin/skin");
    EXPECT_EQ(paths::resourceRootFor(dir.str() + "/prefix/bin"), dir.str() + "/prefix/bin/");

    // A build tree: the tools find the program's resources in app/, and only
    // where app/ really holds the program.
    fs::create_directories(dir / "build/tools");
    fs::create_directories(dir / "build/app/skin");
    EXPECT_EQ(paths::resourceRootFor(dir.str() + "/build/tools"), dir.str() + "/build/share/talven-k88/");
    std::ofstream(dir / "build/app/talven-k88") << "";
    EXPECT_EQ(paths::resourceRootFor(dir.str() + "/build/tools"), dir.str() + "/build/app/");

    ScopedEnv root("TALVEN_RESOURCE_DIR", dir.str().c_str());
    EXPECT_EQ(paths::defaultDataFolder(), dir.str() + "/DefaultData/");
}

}  // namespace
}  // namespace talven
