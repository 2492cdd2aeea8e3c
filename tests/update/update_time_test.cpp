#include "update/update_time.h"

#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <ctime>

namespace talven::update {
namespace {

// The file as the program stores it, read without the code under test.
std::string storedValue(const test::TempDir& dir) {
    const std::string text = test::readFile(dir / "updatetime.config");
    const std::string key = "\"value\"";
    const std::size_t at = text.find(key);
    if (text.find("\"updatelasttime\"") == std::string::npos || at == std::string::npos) return "(none)";
    const std::size_t open = text.find('"', at + key.size());
    return text.substr(open + 1, text.find('"', open + 1) - open - 1);
}

TEST(UpdateTime, DatesHaveNoLeadingZeros) {
    EXPECT_EQ(formatCheckDate(2024, 3, 7), "2024-3-7");
    EXPECT_EQ(formatCheckDate(2025, 12, 31), "2025-12-31");
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    char expected[32];
    std::snprintf(expected, sizeof expected, "%d-%d-%d", local.tm_year + 1900, local.tm_mon + 1, local.tm_mday);
    EXPECT_EQ(todayText(), expected);
}

TEST(UpdateTime, AStoredDateIsKeptAsItIs) {
    test::TempDir dir;
    const std::string text = "{ \"updatelasttime\" : { \"value\" : \"2023-12-1\" } }";
    test::writeFile(dir / "updatetime.config", text);
    EXPECT_EQ(readLastCheckDate(dir.str() + "/", "2024-1-1"), "2023-12-1");
    EXPECT_EQ(test::readFile(dir / "updatetime.config"), text);
}

TEST(UpdateTime, AMissingOrUselessFileIsWrittenWithToday) {
    struct Case {
        const char* what;
        const char* contents;  // nullptr: no file
    };
    for (const Case& c : {Case{"missing", nullptr}, Case{"not JSON", "{{{"}, Case{"no member", "{}"},
                          Case{"no value", R"({"updatelasttime":{}})"},
                          Case{"value not text", R"({"updatelasttime":{"value":20240101}})"},
                          Case{"not an object", R"(["2023-1-1"])"}}) {
        SCOPED_TRACE(c.what);
        test::TempDir dir;
        if (c.contents) test::writeFile(dir / "updatetime.config", c.contents);
        EXPECT_EQ(readLastCheckDate(dir.str() + "/", "2024-3-7"), "2024-3-7");
        EXPECT_EQ(storedValue(dir), "2024-3-7");
    }
}

TEST(UpdateTime, AWrittenDateReadsBack) {
    test::TempDir dir;
    ASSERT_TRUE(writeLastCheckDate(dir.str() + "/", "2024-11-5"));
    EXPECT_EQ(storedValue(dir), "2024-11-5");
    EXPECT_EQ(readLastCheckDate(dir.str() + "/", "2030-1-1"), "2024-11-5");
    EXPECT_FALSE(writeLastCheckDate(dir.str() + "/no/such/folder/", "2024-11-5"));
}

}  // namespace
}  // namespace talven::update
