#include "profile/macro_files.h"

#include "profile/json_document.h"
#include "profile/json_fields.h"
#include "profile/json_file.h"

#include <cctype>
#include <cstdlib>

namespace talven {

using namespace json_fields;

namespace {

// The value a C decimal conversion gives: optional blanks and sign, then
// digits up to the first non-digit; no digits at all gives 0. Only the low
// 16 bits reach the device, so the value is reduced as it is read and never
// overflows.
uint16_t delayFromText(const std::string& text) {
    size_t i = 0;
    while (i < text.size() && std::isspace(static_cast<unsigned char>(text[i]))) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    uint32_t value = 0;
    for (; i < text.size() && std::isdigit(static_cast<unsigned char>(text[i])); ++i)
        value = (value * 10 + static_cast<uint32_t>(text[i] - '0')) & 0xFFFF;
    return static_cast<uint16_t>(negative ? 0x10000 - value : value);
}

uint16_t delayOf(const Json::Value& delay) {
    // The editor writes the delay as text; a hand-made file may hold a number.
    if (delay.isString()) return delayFromText(delay.asString());
    return toWord(delay);
}

constexpr const char* kInfoKey = "MacroInfo";

std::vector<MacroListEntry> listEntriesOf(const Json::Value& root) {
    const Json::Value& info = member(root, kInfoKey);
    std::vector<MacroListEntry> list;
    if (!info.isArray()) return list;
    for (const Json::Value& entry : info)
        list.push_back({toText(member(entry, "MacroName")), toText(member(entry, "Guid"))});
    return list;
}

std::vector<Json::Value> eventsOf(const Json::Value& root) {
    const Json::Value& events = member(root, "Events");
    std::vector<Json::Value> list;
    if (!events.isArray()) return list;
    for (const Json::Value& event : events) list.push_back(event);
    return list;
}

// The root of one file of a macro set (the list when `listKey` is given). A
// strict reader stops at a file that is there but cannot be used; a lenient
// one reads it as nothing.
Json::Value macroSetFile(const std::string& path, bool strict, std::string& problem, const char* listKey = nullptr) {
    JsonDocument doc = listKey ? readListDocument(path, listKey) : readJsonDocument(path);
    if (!strict) return doc.value;
    if (doc.state == JsonFileState::damaged || doc.state == JsonFileState::unreadable)
        problem = path + ": " + doc.error;
    return doc.value;
}

bool encodeMacroSet(const std::string& folder, const std::string& listFileName, bool strict,
                    std::vector<std::vector<MacroEventBytes>>& macros, std::string& problem) {
    macros.clear();
    const Json::Value list = macroSetFile(folder + listFileName, strict, problem, kInfoKey);
    if (!problem.empty()) return false;
    for (const MacroListEntry& entry : listEntriesOf(list)) {
        std::vector<MacroEventBytes>& events = macros.emplace_back();
        const std::string path = macroFilePath(folder, entry.guid);
        if (path.empty()) continue;
        const Json::Value file = macroSetFile(path, strict, problem);
        if (!problem.empty()) return false;
        for (const Json::Value& event : eventsOf(file)) events.push_back(EncodeMacroEvent(event));
    }
    return true;
}

}  // namespace

std::vector<MacroListEntry> ReadMacroList(const std::string& path) {
    return listEntriesOf(readListDocument(path, kInfoKey).value);
}

std::vector<Json::Value> ReadMacroEvents(const std::string& path) { return eventsOf(ReadJsonValue(path)); }

MacroEventBytes EncodeMacroEvent(const Json::Value& event) {
    const uint16_t delay = delayOf(member(event, "Delay"));
    const bool down = toText(member(event, "Action")) == "down";
    const uint8_t type = toByte(member(event, "Type"));
    return {static_cast<uint8_t>(delay & 0xFF), static_cast<uint8_t>(delay >> 8),
            static_cast<uint8_t>(down ? type | 0x80 : type), toByte(member(event, "Button"))};
}

std::string macroFilePath(const std::string& folder, const std::string& guid) {
    if (guid.empty() || guid == "." || guid == ".." || guid.find('/') != std::string::npos ||
        guid.find('\0') != std::string::npos)
        return {};
    return folder + guid + kMacroFileExtension;
}

std::vector<std::vector<MacroEventBytes>> ReadEncodedMacros(const std::string& folder,
                                                            const std::string& listFileName) {
    std::vector<std::vector<MacroEventBytes>> macros;
    std::string unused;
    encodeMacroSet(folder, listFileName, false, macros, unused);
    return macros;
}

bool readEncodedMacrosChecked(const std::string& folder, std::vector<std::vector<MacroEventBytes>>& macros,
                              std::string* error) {
    std::string problem;
    if (encodeMacroSet(folder, kMacroListFileName, true, macros, problem)) return true;
    macros.clear();
    if (error) *error = problem;
    return false;
}

}  // namespace talven
