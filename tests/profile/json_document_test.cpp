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

}  // namespace
}  // namespace talven
