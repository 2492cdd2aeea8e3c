#include "profile/default_light.h"

#include "device/product_table.h"
#include "profile/json_document.h"
#include "profile/json_fields.h"

namespace talven {

using namespace json_fields;

DefaultLightNames readDefaultLightNames(const std::string& path, int lightingIndex) {
    DefaultLightNames names;
    if (lightingIndex < 0) return names;
    const JsonDocument doc = readJsonDocument(path);
    const auto index = static_cast<Json::ArrayIndex>(lightingIndex);
    const Json::Value& modes = element(member(doc.value, "DefaultLightName"), index);
    if (modes.isArray()) {
        for (const Json::Value& mode : modes) {
            names.modeNames.push_back(toText(member(mode, "LightName")));
            names.modeVisible.push_back(toBool(member(mode, "visible")));
        }
    }
    const Json::Value& areas = element(member(doc.value, "AreaLightName"), index);
    if (areas.isArray())
        for (const Json::Value& area : areas) names.areaNames.push_back(toText(member(area, "LightName")));
    return names;
}

int lightingIndexForFolder(std::string_view deviceFolder) {
    for (size_t row = 0; row < kProductTable.size(); ++row)
        if (kProductTable[row].kindName == deviceFolder) return static_cast<int>(row);
    return -1;
}

}  // namespace talven
