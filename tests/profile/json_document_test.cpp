#include "profile/json_document.h"
#include "profile/json_file.h"

#include "support/temp_dir.h"

#include <gtest/gtest.h>

namespace talven {
namespace {

TEST(JsonDocument, TellsMissingFromDamaged) {
    test::TempDir dir;
    test::writeFile(dir / "ok.json", R"({"a": 1})");
    test::writeFile(dir / "empty.json", "");
    test::writeFile(dir / "broken.json", R"({"a": )");
    // Nesting beyond the bound is refused like a file beyond the size bound:
    // before the parser, whose recursion it would otherwise exhaust.
    test::writeFile(dir / "deep.json", std::string(100000, '['));
    std::filesystem::create_directory(dir / "folder.json");
    struct Case {
        const char* name;
        JsonFileState state;
    };
    const Case cases[] = {{"ok.json", JsonFileState::ok},           {"empty.json", JsonFileState::missing},
                          {"none.json", JsonFileState::missing},    {"broken.json", JsonFileState::damaged},
                          {"deep.json", JsonFileState::unreadable},    {"folder.json", JsonFileState::unreadable}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = (dir / c.name).string();
        const JsonDocument doc = readJsonDocument(path);
        EXPECT_EQ(doc.state, c.state);
        EXPECT_EQ(doc.error.empty(), c.state == JsonFileState::ok) << doc.error;
        EXPECT_EQ(doc.value.isNull(), c.state != JsonFileState::ok);
        EXPECT_EQ(ReadJsonValue(path).isNull(), c.state != JsonFileState::ok);
    }
}

// Parses on one thread share a reader: each document must come out as if it
// were the first, whatever the one before it held or how it failed.
TEST(JsonDocument, EachParseStandsAlone) {
    // At most four levels: the eight-deep array is refused before the parser.
    const JsonLimits limits{"test", 4096, 100, 4};
    struct Case {
        const char* text;
        JsonFileState state;
        const char* member;  // present in the parsed object, or nullptr
    };
    const Case cases[] = {
        {R"({"a": 1})", JsonFileState::ok, "a"},
        {R"({"a": )", JsonFileState::damaged, nullptr},
        {"// a note\n{\"b\": 2}", JsonFileState::ok, "b"},
        {"[[[[[[[[1]]]]]]]]", JsonFileState::unreadable, nullptr},
        {R"({"c": [1, 2)", JsonFileState::damaged, nullptr},
        {R"({"d": {"e": 3}})", JsonFileState::ok, "d"},
    };
    for (int round = 0; round < 2; ++round) {
        for (const Case& c : cases) {
            SCOPED_TRACE(c.text);
            const JsonDocument doc = parseJsonText(c.text, limits);
            EXPECT_EQ(doc.state, c.state);
            if (!c.member) {
                EXPECT_FALSE(doc.error.empty());
                continue;
            }
            EXPECT_TRUE(doc.error.empty()) << doc.error;
            ASSERT_TRUE(doc.value.isObject());
            EXPECT_EQ(doc.value.getMemberNames(), std::vector<std::string>{c.member}) << "left over from before";
        }
    }
}

}  // namespace
}  // namespace talven
