#include "profile/language_config.h"

#include "platform/debug_output.h"
#include "platform/settings_store.h"
#include "profile/json_file.h"

#include <charconv>

namespace talven {

std::vector<LanguageEntry> readLanguageList(const std::string& configPath) {
    const Json::Value root = ReadJsonValue(configPath);
    std::vector<LanguageEntry> list;
    if (!root.isObject() || !root["Language"].isArray()) return list;
    for (const Json::Value& item : root["Language"]) {
        LanguageEntry entry;
        if (item.isObject()) {
            entry.id = item["Language_ID"].isInt() ? item["Language_ID"].asInt() : 0;
            entry.name = item["Language_name"].isString() ? item["Language_name"].asString() : "";
            entry.file = item["Language_file"].isString() ? item["Language_file"].asString() : "";
            entry.text = item["Language_text"].isString() ? item["Language_text"].asString() : "";
        }
        list.push_back(std::move(entry));
    }
    return list;
}

int ReadLanguageIndex(const SettingsStore& settings, const std::vector<LanguageEntry>& list) {
    const auto saved = settings.get(kLanguageSetting);
    if (!saved) return 0;
    int id = 0;
    auto [end, error] = std::from_chars(saved->data(), saved->data() + saved->size(), id);
    if (error != std::errc()) id = 0;
    for (size_t i = 0; i < list.size(); ++i)
        if (list[i].id == id) return static_cast<int>(i);
    return 0;
}

bool SaveLanguageId(SettingsStore& settings, int id) {
    const bool ok = settings.set(kLanguageSetting, std::to_string(id));
    if (ok) debugOutput("写成功！");
    return ok;
}

std::optional<std::string> faceForLanguageIndex(int index) {
    switch (index) {
        case 0: return "Meiryo UI";
        case 1:
        case 2: return "Arial Unicode MS";
        case 15: return "Noto Sans Thai";
        default: return std::nullopt;
    }
}

}  // namespace talven
