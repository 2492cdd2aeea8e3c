#include "profile/language_config.h"

#include "platform/settings_store.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

namespace talven {
namespace {

using test::TempDir;

const char kConfig[] = R"({"Language": [
  {"Language_ID": 1033, "Language_name": "en", "Language_file": "lan_en.xml"},
  "not an object",
  {"Language_ID": 2052, "Language_name": "zh-CN", "Language_file": "lan_cn.xml"}]})";

TEST(LanguageConfig, ListKeepsPositionsOfTheFile) {
    TempDir dir;
    test::writeFile(dir / "Language.config", kConfig);
    const auto list = readLanguageList((dir / "Language.config").string());
    ASSERT_EQ(list.size(), 3u);
    EXPECT_EQ(list[0].file, "lan_en.xml");
    EXPECT_EQ(list[1].id, 0);
    EXPECT_EQ(list[2].name, "zh-CN");

    test::writeFile(dir / "broken.config", "{\"Language\": [");
    EXPECT_TRUE(readLanguageList((dir / "broken.config").string()).empty());
}

TEST(LanguageConfig, SavedIdSelectsItsIndex) {
    TempDir dir;
    const std::vector<LanguageEntry> list = {{1033, "en", "lan_en.xml"}, {7, "fr", "lan_fr.xml"},
                                             {2052, "zh-CN", "lan_cn.xml"}};
    SettingsStore settings((dir / "settings.ini").string());

    EXPECT_EQ(ReadLanguageIndex(settings, list), 0) << "nothing saved";
    ASSERT_TRUE(SaveLanguageId(settings, 2052));
    EXPECT_EQ(ReadLanguageIndex(settings, list), 2);
    EXPECT_EQ(ReadLanguageIndex(SettingsStore((dir / "settings.ini").string()), list), 2) << "survives a restart";
    for (const char* saved : {"9999", "abc", ""}) {
        ASSERT_TRUE(settings.set(kLanguageSetting, saved));
        EXPECT_EQ(ReadLanguageIndex(settings, list), 0) << saved;
    }
}

TEST(LanguageConfig, FacesByIndex) {
    EXPECT_EQ(faceForLanguageIndex(0), "Meiryo UI");
    EXPECT_EQ(faceForLanguageIndex(2), "Arial Unicode MS");
    EXPECT_EQ(faceForLanguageIndex(15), "Noto Sans Thai");
    EXPECT_FALSE(faceForLanguageIndex(3).has_value());
}

}  // namespace
}  // namespace talven
