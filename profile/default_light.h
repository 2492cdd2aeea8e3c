#pragma once
// The factory lighting mode names ("default_light.json" in the default data
// folder). Each name is a language-file key. The file holds one array per
// product, at the product's row in the product table.

#include <string>
#include <string_view>
#include <vector>

namespace talven {

inline constexpr std::string_view kDefaultLightFileName = "default_light.json";

struct DefaultLightNames {
    std::vector<std::string> modeNames;  // "DefaultLightName", mode i at i
    std::vector<bool> modeVisible;       // same length as modeNames
    std::vector<std::string> areaNames;  // "AreaLightName", one per light zone
};

// The names of the array at `lightingIndex`; empty lists when the file, the
// arrays or the index are missing.
DefaultLightNames readDefaultLightNames(const std::string& path, int lightingIndex);

// The lighting index of a device folder ("mouse", "keyboard", ...): its row
// in the product table, or -1 for an unknown folder.
int lightingIndexForFolder(std::string_view deviceFolder);

}  // namespace talven
