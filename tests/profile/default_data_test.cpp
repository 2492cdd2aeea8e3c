#include "device/product_table.h"
#include "profile/default_light.h"
#include "profile/json_document.h"
#include "profile/profile_data_headset.h"
#include "profile/profile_data_keyboard.h"
#include "profile/profile_data_mouse.h"
#include "device/keyboard/keyboard_layout.h"

#include "profile_test_support.h"

#include <gtest/gtest.h>

#include <set>

namespace talven {
namespace {

std::filesystem::path resourcesFolder() {
    return std::filesystem::path(TALVEN_TESTDATA_DIR) / ".." / ".." / "resources";
}

std::string defaultFile(std::string_view folder) {
    return (resourcesFolder() / "DefaultData" / (std::string(folder) + ".Json")).string();
}

std::set<std::string> languageKeys(const char* file) {
    const std::string text = test::readFile(resourcesFolder() / "skin" / file);
    std::set<std::string> keys;
    const std::string marker = "<Text id=\"";
    for (size_t at = text.find(marker); at != std::string::npos; at = text.find(marker, at + 1)) {
        const size_t begin = at + marker.size();
        keys.insert(text.substr(begin, text.find('"', begin) - begin));
    }
    return keys;
}

// Each shipped factory profile, loaded the way its device loads a new
// profile: into an empty profile file, through the kind's class.
class ShippedProfile : public ::testing::TestWithParam<ProductRow> {
protected:
    template <typename Profile>
    void load(Profile& profile) {
        profile.SetDefaultPath(defaultFile(GetParam().kindName));
        profile.SetProfilePath((dir / "new.Json").string());
        profile.LoadDeviceEntry(profile.GetProfilePath());
        ASSERT_EQ(profile.lastStatus(), ProfileStatus::completedFromDefault) << profile.lastError();
    }

    void expectLighting(CBasicProfiledata& profile) {
        EXPECT_TRUE(profile.deviceEntry()["LightInfo"].isObject());
        EXPECT_EQ(profile.ReadLightInfo().red, 255);
        const std::vector<LedEntry> zones = profile.ReadLightList();
        const DefaultLightNames names = readDefaultLightNames(
            (resourcesFolder() / "DefaultData" / std::string(kDefaultLightFileName)).string(),
            lightingIndexForFolder(GetParam().kindName));
        EXPECT_EQ(zones.size(), names.areaNames.size());
        for (const LedEntry& zone : zones) EXPECT_EQ(zone.present, 1);
    }

    test::TempDir dir;
};

TEST_P(ShippedProfile, ParsesAndHoldsWhatItsKindReads) {
    const ProductRow& row = GetParam();
    const JsonDocument doc = readJsonDocument(defaultFile(row.kindName));
    ASSERT_EQ(doc.state, JsonFileState::ok) << doc.error;
    ASSERT_TRUE(doc.value["Device"][0].isObject());

    if (row.kind == kind::Keyboard) {
        CKeyboardProfiledata profile;
        load(profile);
        expectLighting(profile);
        const std::vector<KeySlot> keys = profile.ReadKeyList();
        ASSERT_EQ(keys.size(), static_cast<size_t>(row.keyCount));
        for (size_t i = 0; i < keys.size(); ++i) {
            const KeyCode code = keyboard::kDefaultCodes[i];
            EXPECT_EQ(keys[i].defaultAssignment, code) << i;
            EXPECT_EQ(keys[i].assignment, code) << i;
        }
        const KeyboardSystemWords system = profile.ReadSystemStages();
        EXPECT_EQ(system[0] & 0xFFFF, 31u);  // fastest repeat
        const Json::Value before = profile.deviceEntry();
        const std::vector<CustomLightColor> colours = profile.ReadCustomLightColors(0, row.ledCount);
        EXPECT_EQ(profile.deviceEntry(), before) << "the factory group is complete";
        for (int key : CKeyboardProfiledata::kFactoryRedKeys) EXPECT_EQ(colours[key].red, 255) << key;
    } else if (row.kind == kind::Mouse) {
        CMouseProfiledata profile;
        load(profile);
        expectLighting(profile);
        const std::vector<KeySlot> keys = profile.ReadKeyList();
        ASSERT_EQ(keys.size(), 11u);
        EXPECT_EQ(keys[0].defaultAssignment, (KeyCode{0x10, 0x01, 0x00}));
        EXPECT_EQ(keys[10].defaultAssignment, (KeyCode{0x16, 0x90, 0x01}));
        const std::vector<DpiStage> stages = profile.ReadDpiStages();
        ASSERT_EQ(stages.size(), 5u);
        for (const DpiStage& s : stages) EXPECT_EQ(s.enabled, 1);
        EXPECT_LT(profile.GetDpiStageActive(), 5);
        EXPECT_NE(profile.ReadMouseSystem()[0], 0u);
        const std::vector<CorrectEntry> presets = profile.ReadCorrectInfo();
        ASSERT_FALSE(presets.empty());
        EXPECT_EQ(std::count_if(presets.begin(), presets.end(), [](const auto& p) { return p.select != 0; }), 1);
        const std::set<std::string> english = languageKeys("lan_en.xml");
        for (const CorrectEntry& preset : presets) EXPECT_TRUE(english.count(preset.name)) << preset.name;
    } else if (row.kind == kind::Headset) {
        CHs6533Profiledata profile;
        load(profile);
        expectLighting(profile);
        const Json::Value before = profile.deviceEntry();
        for (int type = 1; type <= 12; ++type) EXPECT_EQ(profile.ReadEqValues(type).size(), 10u) << type;
        EXPECT_EQ(profile.ReadEqValues(5), std::vector<int>(10, 0));
        EXPECT_EQ(profile.deviceEntry(), before) << "every preset row is complete";
        EXPECT_TRUE(profile.ReadCustomEqNames().empty());
        EXPECT_EQ(profile.ReadSystemSetStages()[5], 80);
    } else {
        CBasicProfiledata profile;
        load(profile);
        expectLighting(profile);
    }
}

INSTANTIATE_TEST_SUITE_P(AllProducts, ShippedProfile, ::testing::ValuesIn(kProductTable),
                         [](const auto& info) { return std::string(info.param.kindName); });

TEST(DefaultLightNames, EveryProductHasTranslatedModeAndZoneNames) {
    const std::string path = (resourcesFolder() / "DefaultData" / std::string(kDefaultLightFileName)).string();
    const std::set<std::string> english = languageKeys("lan_en.xml");
    const std::set<std::string> chinese = languageKeys("lan_cn.xml");
    for (const ProductRow& row : kProductTable) {
        SCOPED_TRACE(row.kindName);
        const DefaultLightNames names = readDefaultLightNames(path, lightingIndexForFolder(row.kindName));
        // Keyboards have modes 0..22, the others 0..8.
        EXPECT_EQ(names.modeNames.size(), row.kind == kind::Keyboard ? 23u : 9u);
        EXPECT_EQ(names.modeVisible.size(), names.modeNames.size());
        EXPECT_FALSE(names.areaNames.empty());
        std::vector<std::string> all = names.modeNames;
        all.insert(all.end(), names.areaNames.begin(), names.areaNames.end());
        for (const std::string& key : all) {
            EXPECT_TRUE(english.count(key)) << key;
            EXPECT_TRUE(chinese.count(key)) << key;
        }
    }
    EXPECT_EQ(lightingIndexForFolder("keyboard"), 1);
    EXPECT_EQ(lightingIndexForFolder("printer"), -1);
    EXPECT_TRUE(readDefaultLightNames(path, 99).modeNames.empty());
}

}  // namespace
}  // namespace talven
