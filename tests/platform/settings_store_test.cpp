#include "platform/settings_store.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
#include <filesystem>
#include <string>
#include <sys/stat.h>
#include <vector>

namespace talven {
namespace {

namespace fs = std::filesystem;
using test::readFile;
using test::writeFile;

class SettingsStoreTest : public ::testing::Test {
protected:
    test::TempDir dir;
    fs::path file = dir / "cfg/settings.ini";
    SettingsStore store{file.string()};
};

TEST_F(SettingsStoreTest, StoresValuesInTheGeneralSectionOfANewFile) {
    EXPECT_EQ(store.get("LANGUAGE"), std::nullopt);
    ASSERT_TRUE(store.set("LANGUAGE", "3"));
    ASSERT_TRUE(store.set("InstPath", "/opt/talven"));
    ASSERT_TRUE(store.set("LANGUAGE", "15"));
    EXPECT_EQ(readFile(file), "[General]\nLANGUAGE=15\nInstPath=/opt/talven\n");
    // Case does not matter in names.
    EXPECT_EQ(store.get("language"), "15");
    // No temporary file is left beside the settings.
    EXPECT_EQ(std::distance(fs::directory_iterator(file.parent_path()), fs::directory_iterator()), 1);
}

TEST_F(SettingsStoreTest, AnyTextSurvivesTheRoundTrip) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"empty", ""},
        {"equals", "a=b=c"},
        {"lines", "first\nsecond\r\nthird"},
        {"padded", "  two spaces each side  "},
        {"only spaces", "   "},
        {"escapes", "C:\\new\\table\\s \\"},
        {"tab", "\tx\t"},
        {"looks like a section", "[General]"},
        {";starts like a comment", "#not a comment"},
        {"[odd name", "1"},
        {"name=with=equals", "2"},
        {"unicode", "语言 ภาษา"},
    };
    for (const auto& [name, value] : cases) ASSERT_TRUE(store.set(name, value)) << name;
    SettingsStore reader(file.string());
    for (const auto& [name, value] : cases) EXPECT_EQ(reader.get(name), value) << name;
    // Every value took exactly one line.
    const std::string text = readFile(file);
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), static_cast<long>(cases.size() + 1));
}

TEST_F(SettingsStoreTest, ReadsHandEditedFilesAndKeepsWhatItDoesNotOwn) {
    writeFile(file,
              "\xEF\xBB\xBF; written by hand\r\n"
              "TopLevel = before any section \r\n"
              "[Window]\r\n"
              "LANGUAGE=not ours\r\n"
              "[general]\r\n"
              "  LANGUAGE = 2  \r\n"
              "LANGUAGE=7\r\n");
    EXPECT_EQ(store.get("TopLevel"), "before any section");
    EXPECT_EQ(store.get("LANGUAGE"), "7");  // the later duplicate wins
    ASSERT_TRUE(store.set("LANGUAGE", "9"));
    ASSERT_TRUE(store.set("InstPath", "/usr"));
    const std::string text = readFile(file);
    EXPECT_NE(text.find("; written by hand"), std::string::npos);
    EXPECT_NE(text.find("LANGUAGE=not ours"), std::string::npos);
    EXPECT_EQ(text.find("LANGUAGE=7"), std::string::npos);  // duplicate gone, so get and set agree
    EXPECT_EQ(store.get("LANGUAGE"), "9");
    EXPECT_EQ(store.get("InstPath"), "/usr");
    EXPECT_EQ(store.get("TopLevel"), "before any section");
}

TEST_F(SettingsStoreTest, AddsTheGeneralSectionAfterOtherSections) {
    writeFile(file, "[Window]\nLANGUAGE=elsewhere\n");
    ASSERT_TRUE(store.set("LANGUAGE", "1"));
    EXPECT_EQ(readFile(file), "[Window]\nLANGUAGE=elsewhere\n\n[General]\nLANGUAGE=1\n");
}

TEST_F(SettingsStoreTest, ADamagedFileReadsAsEmptyAndIsKeptAsideOnTheNextWrite) {
    const std::vector<std::string> damaged = {
        std::string("[General]\nLANGUAGE=3\0\x01\x02", 15),
        "[General]\nLANGUAGE 3\n",
        "[General\nLANGUAGE=3\n",
        "[General]\nLANGUAGE=bad\\qescape\n",
        "[General]\nLANGUAGE=\xC3\x28\n",
        "[General]\n=3\n",
        std::string(2 << 20, 'x'),
    };
    for (size_t i = 0; i < damaged.size(); ++i) {
        SCOPED_TRACE(i);
        fs::remove(file.string() + ".damaged");
        writeFile(file, damaged[i]);
        EXPECT_EQ(store.get("LANGUAGE"), std::nullopt);
        EXPECT_EQ(readFile(file), damaged[i]);  // a read never touches the file
        ASSERT_TRUE(store.set("LANGUAGE", "4"));
        EXPECT_EQ(store.get("LANGUAGE"), "4");
        EXPECT_EQ(readFile(file.string() + ".damaged"), damaged[i]);
    }
}

TEST_F(SettingsStoreTest, RefusesBadNamesAndValuesWithoutTouchingTheFile) {
    ASSERT_TRUE(store.set("LANGUAGE", "1"));
    const std::string before = readFile(file);
    const std::vector<std::pair<std::string, std::string>> bad = {
        {"", "1"},
        {" LANGUAGE", "1"},
        {"LANGUAGE\t", "1"},
        {"LANGUAGE", std::string("1\0" "2", 3)},
        {"LANGUAGE", "\xFF\xFE"},
        {std::string("LANG\0UAGE", 9), "1"},
    };
    for (const auto& [name, value] : bad) EXPECT_FALSE(store.set(name, value)) << name;
    EXPECT_EQ(readFile(file), before);
    EXPECT_EQ(store.get("LANGUAGE"), "1");
}

TEST_F(SettingsStoreTest, AFileThatCannotBeReadIsNotReplaced) {
    // Something that exists but cannot be read as a file, even by root.
    fs::create_directories(file.parent_path());
    ASSERT_EQ(::mkfifo(file.c_str(), 0600), 0);
    EXPECT_FALSE(store.set("LANGUAGE", "1"));
    EXPECT_EQ(store.get("LANGUAGE"), std::nullopt);
    EXPECT_TRUE(fs::is_fifo(file));
}

}  // namespace
}  // namespace talven
