#include "profile/profile_data_basic.h"

#include "platform/debug_output.h"
#include "profile/json_document.h"
#include "profile/json_fields.h"
#include "profile/json_file.h"

#include <filesystem>
#include <utility>

namespace talven {

using namespace json_fields;

namespace {

// True when the document may be rewritten: absent, or a JSON object whose
// "Device", if any, is an array whose element at `index`, if any, is an
// object. Anything else (not JSON, a root that is an array or a number, a
// "Device" of another shape, a file we may not read) is someone's data we do
// not understand: writing an entry into it would replace that data.
bool rewritable(const JsonDocument& doc, int index, std::string& problem) {
    if (doc.state == JsonFileState::damaged || doc.state == JsonFileState::unreadable) {
        problem = doc.error;
        return false;
    }
    if (doc.state != JsonFileState::ok) return true;
    const Json::Value& device = member(doc.value, "Device");
    const Json::Value& entry = element(device, static_cast<Json::ArrayIndex>(index));
    if (!doc.value.isObject()) problem = "its top level is not a JSON object";
    else if (!device.isNull() && !device.isArray()) problem = "its \"Device\" is not an array";
    else if (!entry.isNull() && !entry.isObject()) problem = "its device entry is not a JSON object";
    return problem.empty();
}

// Puts `entry` at "Device"[index] of `root`, which may be null.
void placeEntry(Json::Value& root, int index, const Json::Value& entry) {
    if (!root.isObject()) root = Json::Value(Json::objectValue);
    arrayElement(root["Device"], static_cast<Json::ArrayIndex>(index)) = entry;
}

LedEntry ledEntryFrom(const Json::Value& v) {
    LedEntry e;
    if (!v.isObject()) return e;
    e.mode = toByte(member(v, "LEDREGMode"));
    e.brightness = toByte(member(v, "LEDBrightness"));
    e.speed = toByte(member(v, "LEDSpeed"));
    e.direction = toBool(member(v, "LEDDirection")) ? 1 : 0;
    e.multiColor = toBool(member(v, "LEDMultiColor")) ? 1 : 0;
    e.red = toByte(member(v, "red"));
    e.green = toByte(member(v, "green"));
    e.blue = toByte(member(v, "blue"));
    e.present = 1;
    return e;
}

LedEffect ledEffectFrom(const Json::Value& v) {
    LedEffect e;
    e.mode = toByte(member(v, "LEDREGMode"));
    e.direction = toByte(member(v, "LEDDirection"));
    e.brightness = toByte(member(v, "LEDBrightness"));
    e.speed = toByte(member(v, "LEDSpeed"));
    e.multiColor = toByte(member(v, "LEDMultiColor"));
    e.red = toByte(member(v, "red"));
    e.green = toByte(member(v, "green"));
    e.blue = toByte(member(v, "blue"));
    e.time = toInt32(member(v, "Time"));
    e.cycle = toInt32(member(v, "Cyle"));
    return e;
}

}  // namespace

void CBasicProfiledata::SetProfilePath(const std::string& path) {
    if (!path.empty()) profilePath_ = path;
}

void CBasicProfiledata::SetDefaultPath(const std::string& path) {
    if (!path.empty()) defaultPath_ = path;
}

void CBasicProfiledata::SetLightConfigPath(const std::string& path) { lightConfigPath_ = path; }

void CBasicProfiledata::SetDeviceIndex(int index) {
    if (index >= 0 && index <= kMaxProfileIndex) deviceIndex_ = index;
}

void CBasicProfiledata::setStatus(ProfileStatus status, std::string message) {
    lastStatus_ = status;
    lastError_ = std::move(message);
    if (!lastError_.empty()) debugOutput(lastError_);
}

Json::Value& CBasicProfiledata::mutableEntry() {
    if (!entry_.isObject()) entry_ = Json::Value(Json::objectValue);
    return entry_;
}

Json::Value CBasicProfiledata::factoryEntry(std::string& problem) const {
    const JsonDocument doc = readJsonDocument(defaultPath_);
    if (doc.state != JsonFileState::ok) {
        problem = "the factory profile \"" + defaultPath_ + "\" cannot be used: " + doc.error;
        return Json::Value();
    }
    const Json::Value& entry = element(member(doc.value, "Device"), deviceIndex_);
    if (entry.isNull()) problem = "the factory profile \"" + defaultPath_ + "\" has no device entry";
    return entry;
}

Json::Value CBasicProfiledata::LoadDeviceEntry(const std::string& path) {
    JsonDocument doc = readJsonDocument(path);
    std::string problem;
    if (!rewritable(doc, deviceIndex_, problem)) {
        std::string factoryProblem;
        entry_ = factoryEntry(factoryProblem);
        setStatus(ProfileStatus::damagedFile,
                  "The profile file \"" + path + "\" is damaged (" + problem +
                      "); it was left unchanged and the factory settings are shown instead." +
                      (factoryProblem.empty() ? "" : " Also, " + factoryProblem + "."));
        return entry_;
    }
    entry_ = element(member(doc.value, "Device"), deviceIndex_);
    if (!entry_.isNull()) {
        setStatus(ProfileStatus::ok, {});
        return entry_;
    }
    // No entry yet (a new profile, or one written before this device kind
    // existed): start it from the factory entry and keep the rest of the file.
    std::string factoryProblem;
    entry_ = factoryEntry(factoryProblem);
    placeEntry(doc.value, deviceIndex_, entry_);
    if (WriteJson(doc.value, path) != 0) {
        setStatus(ProfileStatus::writeFailed,
                  "The profile file " + cannotWrite("\"" + path + "\"") + "; it was left as it was.");
    } else if (entry_.isNull()) {
        setStatus(ProfileStatus::noFactoryEntry,
                  "The profile \"" + path + "\" has no settings and " + factoryProblem + ".");
    } else {
        setStatus(ProfileStatus::completedFromDefault, {});
    }
    return entry_;
}

ProfileStatus CBasicProfiledata::Save() { return SaveDeviceEntry(entry_, profilePath_); }

ProfileStatus CBasicProfiledata::SaveDeviceEntry(const Json::Value& entry, const std::string& path) {
    JsonDocument doc = readJsonDocument(path);
    std::string problem;
    if (!rewritable(doc, deviceIndex_, problem)) {
        setStatus(ProfileStatus::damagedFile, "The profile file \"" + path + "\" is damaged (" +
                                                  problem + "); the settings were not saved to it.");
        return lastStatus_;
    }
    placeEntry(doc.value, deviceIndex_, entry);
    if (WriteJson(doc.value, path) != 0) {
        setStatus(ProfileStatus::writeFailed,
                  "The profile file " + cannotWrite("\"" + path + "\"") + "; the previous settings remain.");
        return lastStatus_;
    }
    setStatus(ProfileStatus::ok, {});
    return lastStatus_;
}

int CBasicProfiledata::WriteJson(const Json::Value& value, const std::string& path) {
    return wirtejsonFile(path, value);
}

Json::Value CBasicProfiledata::ReadLightConfig(const std::string& path) {
    const JsonDocument doc = readJsonDocument(path);
    lightConfig_ = doc.value;
    lightConfigReadFrom_ = path;
    if (doc.state == JsonFileState::damaged)
        debugOutput("The light configuration \"" + path + "\" is damaged: " + doc.error);
    return lightConfig_;
}

LightSettings CBasicProfiledata::ReadLightInfo() {
    LightSettings s;
    const Json::Value& info = member(entry_, "LightInfo");
    if (info.isObject()) {
        s.selectItem = toByte(member(info, "SelectItem"));
        s.light = toByte(member(info, "Light"));
        s.speed = toByte(member(info, "Speed"));
        s.fx = toByte(member(info, "Fx"));
        s.multiColor = toBool(member(info, "MultiColor")) ? 1 : 0;
        // The stored colour stays in the file; the devices start from red.
        s.red = 255;
    }
    lightSettings_ = s;
    return s;
}

void CBasicProfiledata::WriteLightInfo(uint32_t word1, uint32_t word2, uint32_t word3) {
    lightSettings_ = LightSettings::fromWords(word1, word2, word3);
    Json::Value info(Json::objectValue);
    info["SelectItem"] = lightSettings_.selectItem;
    info["Light"] = lightSettings_.light;
    info["Speed"] = lightSettings_.speed;
    info["MultiColor"] = lightSettings_.multiColor;
    info["Red"] = lightSettings_.red;
    info["Green"] = lightSettings_.green;
    info["Blue"] = lightSettings_.blue;
    info["Fx"] = lightSettings_.fx;
    mutableEntry()["LightInfo"] = info;
}

std::vector<LedEntry> CBasicProfiledata::ReadLightList() {
    ledEntries_.clear();
    const Json::Value& list = member(entry_, "LightList");
    if (list.isArray())
        for (const Json::Value& zone : list) ledEntries_.push_back(ledEntryFrom(zone));
    return ledEntries_;
}

std::vector<LedEffect> CBasicProfiledata::ReadLedEffects() {
    ledEffects_.clear();
    const Json::Value& effect =
        element(element(member(lightConfig_, "LightInfo"), deviceIndex_), lightSettings_.selectItem);
    const std::string guid = toText(member(effect, "Guid"));
    if (guid.empty()) return ledEffects_;
    // A relative name is the effect file's stem beside the configuration,
    // not below whatever folder the program happened to start in.
    std::filesystem::path file(guid + ".light");
    if (file.is_relative() && !lightConfigReadFrom_.empty())
        file = std::filesystem::path(lightConfigReadFrom_).parent_path() / file;
    const JsonDocument doc = readJsonDocument(file.string());
    const Json::Value& steps = member(doc.value, "LEDEffectList");
    if (steps.isArray())
        for (const Json::Value& step : steps) ledEffects_.push_back(ledEffectFrom(step));
    return ledEffects_;
}

std::vector<KeySlot> CBasicProfiledata::ReadKeyList() {
    keySlots_.clear();
    const Json::Value& keys = member(entry_, "KeyList");
    if (keys.isArray()) {
        for (Json::ArrayIndex i = 0; i < keys.size(); ++i) {
            KeySlot slot;
            slot.slot = slot.defaultSlot = static_cast<uint16_t>(i);
            slot.assignment = keyCodeFromValue(static_cast<uint32_t>(toInteger(member(keys[i], "Assignment"))));
            slot.defaultAssignment =
                keyCodeFromValue(static_cast<uint32_t>(toInteger(member(keys[i], "DefaultAssignment"))));
            keySlots_.push_back(slot);
        }
    }
    return keySlots_;
}

void CBasicProfiledata::WriteKeyList(const std::vector<KeySlot>& slots) {
    keySlots_ = slots;
    Json::Value& keys = mutableEntry()["KeyList"];
    for (Json::ArrayIndex i = 0; i < slots.size(); ++i)
        objectMember(arrayElement(keys, i), "Assignment") = static_cast<int>(keyCodeValue(slots[i].assignment));
}

}  // namespace talven
