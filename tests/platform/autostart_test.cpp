// The autostart entry: where it lives, what its Exec line says for awkward
// paths (read back with a decoder of the desktop-entry rules written here),
// and writing and removing it.

#include "platform/autostart.h"
#include "support/scoped_env.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <optional>
#include <sstream>
#include <vector>

namespace talven {
namespace {

namespace fs = std::filesystem;

// A desktop-entry string value: \\ \s \n \t \r escapes.
std::string unescapeValue(const std::string& value) {
    std::string out;
    for (size_t i = 0; i < value.size(); ++i) {
        if (value[i] != '\\' || i + 1 == value.size()) {
            out += value[i];
            continue;
        }
        const char c = value[++i];
        out += c == 's' ? ' ' : c == 'n' ? '\n' : c == 't' ? '\t' : c == 'r' ? '\r' : c;
    }
    return out;
}

// The Exec value as a launcher splits it: quoted arguments with \" \` \$ \\
// escapes, %% for a percent sign.
std::vector<std::string> splitExec(const std::string& value) {
    const std::string line = unescapeValue(value);
    std::vector<std::string> args;
    std::string current;
    bool quoted = false, inArg = false;
    for (size_t i = 0; i < line.size(); ++i) {
        const char c = line[i];
        if (quoted) {
            if (c == '\\' && i + 1 < line.size()) current += line[++i];
            else if (c == '%' && i + 1 < line.size() && line[i + 1] == '%') current += '%', ++i;
            else if (c == '"') quoted = false;
            else current += c;
        } else if (c == ' ') {
            if (inArg) args.push_back(current), current.clear(), inArg = false;
        } else if (c == '"') {
            quoted = inArg = true;
        } else if (c == '%' && i + 1 < line.size() && line[i + 1] == '%') {
            current += '%', ++i, inArg = true;
        } else {
            current += c, inArg = true;
        }
    }
    if (inArg) args.push_back(current);
    return args;
}

std::optional<std::string> keyValue(const std::string& entry, const std::string& key) {
    std::istringstream lines(entry);
    for (std::string line; std::getline(lines, line);) {
        if (line.rfind(key + "=", 0) == 0) return line.substr(key.size() + 1);
    }
    return std::nullopt;
}

TEST(AutostartTest, ExecArgumentsAreQuotedOnlyWhenTheyMustBe) {
    struct Case {
        const char* path;
        const char* written;  // as it stands in the file
    };
    const Case cases[] = {
        {"/usr/bin/talven-k88", "/usr/bin/talven-k88"},
        {"/opt/my apps/talven", R"("/opt/my apps/talven")"},
        {"/opt/100%/talven", "/opt/100%%/talven"},
        {"/opt/a$b/talven", R"("/opt/a\\$b/talven")"},
        {R"(/opt/back\slash)", R"("/opt/back\\\\slash")"},
        {R"(/opt/"q"/t)", R"("/opt/\\"q\\"/t")"},
        {"/opt/`x`/t", R"("/opt/\\`x\\`/t")"},
        {"/opt/it's/t", R"("/opt/it's/t")"},
    };
    for (const Case& c : cases) EXPECT_EQ(autostart::execArgument(c.path), c.written) << c.path;
}

TEST(AutostartTest, TheEntryStartsThisProgramInTheTrayWhateverItsPath) {
    for (const char* path : {"/usr/bin/talven-k88", "/home/ann/My Apps/talven-k88", "/opt/$HOME/`id`/t",
                             R"(/opt/a\b "c"/100% done/t)", "/opt/tab\there/t"}) {
        const std::string entry = autostart::desktopEntry(path);
        EXPECT_EQ(entry.rfind("[Desktop Entry]\n", 0), 0u) << entry;
        EXPECT_EQ(keyValue(entry, "Type"), "Application");
        EXPECT_EQ(keyValue(entry, "Name"), "TALVEN  K88  Gaming Keyboard");
        const auto exec = keyValue(entry, "Exec");
        ASSERT_TRUE(exec.has_value());
        EXPECT_EQ(splitExec(*exec), (std::vector<std::string>{path, "--tray"})) << *exec;
    }
}

TEST(AutostartTest, TheAutostartEntryIsTheMenuEntryStartingInTheTray) {
    const std::string menu = autostart::applicationEntry("talven-k88");
    EXPECT_EQ(menu,
              "[Desktop Entry]\n"
              "Type=Application\n"
              "Name=TALVEN  K88  Gaming Keyboard\n"
              "GenericName=Device settings\n"
              "Comment=Set up the lighting, keys, macros and sound of TALVEN K88 keyboards, mice, mouse pads "
              "and headsets\n"
              "Exec=talven-k88\n"
              "Icon=talven-k88\n"
              "Terminal=false\n"
              "Categories=Settings;HardwareSettings;\n"
              "Keywords=keyboard;mouse;headset;lighting;macro;RGB;\n"
              "StartupWMClass=talven-k88\n");
    // The autostart entry: the same lines, Exec with the full path and
    // --tray, and the session's autostart key at the end.
    std::string expected = menu;
    expected.replace(expected.find("Exec=talven-k88\n"), 16, "Exec=\"/opt/my apps/talven-k88\" --tray\n");
    expected += "X-GNOME-Autostart-enabled=true\n";
    EXPECT_EQ(autostart::desktopEntry("/opt/my apps/talven-k88"), expected);
}

TEST(AutostartTest, TheEntryLivesInTheAutostartFolderOfTheConfigHome) {
    test::TempDir dir;
    test::ScopedEnv config("XDG_CONFIG_HOME", dir.str().c_str());
    EXPECT_EQ(autostart::entryPath(), dir.str() + "/autostart/talven-k88.desktop");
}

TEST(AutostartTest, EnableWritesTheEntryAndDisableRemovesIt) {
    test::TempDir dir;
    const fs::path entry = dir / "deep/autostart/talven-k88.desktop";
    EXPECT_FALSE(autostart::isEnabled(entry.string()));
    ASSERT_EQ(autostart::enable(entry.string(), "/usr/bin/talven-k88"), 0);
    EXPECT_TRUE(autostart::isEnabled(entry.string()));
    EXPECT_EQ(test::readFile(entry), autostart::desktopEntry("/usr/bin/talven-k88"));
    // Written again for another place of the program: replaced, no temporaries left.
    ASSERT_EQ(autostart::enable(entry.string(), "/opt/t/talven-k88"), 0);
    EXPECT_EQ(keyValue(test::readFile(entry), "Exec"), "/opt/t/talven-k88 --tray");
    EXPECT_EQ(std::distance(fs::directory_iterator(entry.parent_path()), fs::directory_iterator()), 1);
    EXPECT_EQ(autostart::disable(entry.string()), 0);
    EXPECT_FALSE(autostart::isEnabled(entry.string()));
    EXPECT_EQ(autostart::disable(entry.string()), 0) << "nothing to remove is not an error";
}

TEST(AutostartTest, AnUnusableProgramPathOrFolderWritesNothing) {
    test::TempDir dir;
    const fs::path entry = dir / "autostart/talven-k88.desktop";
    for (const std::string path : {std::string(), std::string("talven-k88"), std::string("/opt/a\nb"),
                                   std::string("/opt/a\rb"), std::string("/opt/a\0b", 8)}) {
        EXPECT_EQ(autostart::enable(entry.string(), path), EINVAL);
        EXPECT_FALSE(fs::exists(entry));
    }
    test::writeFile(dir / "file", "x");
    EXPECT_NE(autostart::enable((dir / "file/autostart/x.desktop").string(), "/usr/bin/t"), 0);
    // A folder in the entry's place is not an entry.
    fs::create_directories(dir / "folder.desktop");
    EXPECT_FALSE(autostart::isEnabled((dir / "folder.desktop").string()));
}

TEST(AutostartTest, OwnExecutableIsTheRunningProgram) {
    const std::string self = autostart::ownExecutable();
    ASSERT_FALSE(self.empty());
    EXPECT_EQ(self.front(), '/');
    EXPECT_EQ(fs::path(self).filename(), "test_platform");
}

}  // namespace
}  // namespace talven
