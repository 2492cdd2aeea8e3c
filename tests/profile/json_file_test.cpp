#include "profile/json_file.h"

#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <regex>

namespace talven {
namespace {

using test::TempDir;

TEST(JsonFile, WritesIndentedTextAndReadsItBack) {
    TempDir dir;
    const std::string path = (dir / "p.Json").string();
    Json::Value root;
    root["profilename"] = "Gaming";
    root["Device"][0]["LightInfo"]["SelectItem"] = 3;
    ASSERT_EQ(wirtejsonFile(path, root), 0);

    const std::string text = test::readFile(path);
    EXPECT_EQ(text.back(), '\n');
    EXPECT_NE(text.find("\n   \"profilename\""), std::string::npos) << text;
    EXPECT_EQ(ReadJsonValue(path), root);
    // Nothing is left behind by the temporary file.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1);
}

TEST(JsonFile, DamagedOrMissingFilesReadAsNull) {
    TempDir dir;
    test::writeFile(dir / "broken.json", "{\"Device\": [ {\"LightInfo\": ");
    test::writeFile(dir / "empty.json", "");
    for (const char* name : {"broken.json", "empty.json", "missing.json"}) {
        SCOPED_TRACE(name);
        EXPECT_TRUE(ReadJsonValue((dir / name).string()).isNull());
    }
    // Comments are accepted.
    test::writeFile(dir / "commented.json", "// factory\n{\"a\": 1}");
    EXPECT_EQ(ReadJsonValue((dir / "commented.json").string())["a"].asInt(), 1);
}

TEST(JsonFile, AFailedWriteLeavesTheOldFileAlone) {
    TempDir dir;
    EXPECT_EQ(wirtejsonFile((dir / "no-such-folder" / "x.json").string(), Json::Value(1)), 1);

    // Renaming over a folder fails after the text was written: the folder and
    // its contents stay, and no temporary file remains.
    std::filesystem::create_directories(dir / "taken" / "inside");
    EXPECT_EQ(wirtejsonFile((dir / "taken").string(), Json::Value(1)), 1);
    EXPECT_TRUE(std::filesystem::is_directory(dir / "taken" / "inside"));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1);
}

TEST(JsonFile, NonAsciiTextSurvivesAsUtf8) {
    TempDir dir;
    const std::string path = (dir / "n.json").string();
    Json::Value root;
    root["profilename"] = "游戏 Ünïcode";
    ASSERT_EQ(wirtejsonFile(path, root), 0);
    EXPECT_NE(test::readFile(path).find("游戏 Ünïcode"), std::string::npos);
    EXPECT_EQ(ReadJsonValue(path)["profilename"].asString(), "游戏 Ünïcode");
}

TEST(JsonFile, TimeStampHasTheProfileIdentifierShape) {
    const std::string stamp = MakeTimeStamp();
    EXPECT_TRUE(std::regex_match(stamp, std::regex(R"(\d{4}_\d{2}_\d{2}_\d{2}_\d{2}_\d{2}_\d{3})"))) << stamp;
}

}  // namespace
}  // namespace talven
