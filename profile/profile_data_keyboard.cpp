#include "profile/profile_data_keyboard.h"

#include "profile/json_fields.h"

namespace talven {

using namespace json_fields;

namespace {

bool validIndex(int index) { return index >= 0 && index <= kMaxProfileIndex; }


Json::Value colorObject(const CustomLightColor& c) {
    Json::Value v(Json::objectValue);
    v["Red"] = c.red;
    v["Green"] = c.green;
    v["Blue"] = c.blue;
    v["Alpha"] = c.alpha;
    return v;
}

// Lights the factory keys red (Red and Alpha 255) where the group had no
// colour for them: `filledNow` marks the slots below the read count that were
// just filled with black, and a slot beyond it counts as missing when it holds
// no colour. A colour the user gave one of these keys is kept.
void addFactoryRedKeys(Json::Value& group, const std::vector<bool>& filledNow) {
    for (int key : CKeyboardProfiledata::kFactoryRedKeys) {
        Json::Value& slot = arrayElement(group, static_cast<Json::ArrayIndex>(key));
        const size_t k = static_cast<size_t>(key);
        const bool missing = k < filledNow.size() ? filledNow[k] : !slot.isObject();
        if (!missing) continue;
        objectMember(slot, "Red") = 255;
        slot["Alpha"] = 255;
    }
}

}  // namespace

void CKeyboardProfiledata::WriteSystemStages(uint32_t word1, uint32_t word2, uint32_t word3) {
    systemWords_ = {word1, word2, word3};
    Json::Value& stages = objectMember(mutableEntry(), "SystemStages");
    if (!stages.isObject()) stages = Json::Value(Json::objectValue);
    stages["Repeat"] = static_cast<int>(word1 & 0xFFFF);
    stages["RepeatDelay"] = static_cast<int>(word1 >> 16);
    stages["Key6Flag"] = static_cast<int>(word2 & 0xFFFF);
    stages["PollingRate"] = static_cast<int>(word2 >> 16);
    stages["WFlag"] = static_cast<int>(word3 & 0xFFFF);
    stages["WinFlag"] = static_cast<int>(word3 >> 16);
}

KeyboardSystemWords CKeyboardProfiledata::ReadSystemStages() {
    const Json::Value& s = member(deviceEntry(), "SystemStages");
    systemWords_ = {packHalves(toWord(member(s, "Repeat")), toWord(member(s, "RepeatDelay"))),
                    packHalves(toWord(member(s, "Key6Flag")), toWord(member(s, "PollingRate"))),
                    packHalves(toWord(member(s, "WFlag")), toWord(member(s, "WinFlag")))};
    return systemWords_;
}

KeyboardSystemWords CKeyboardProfiledata::ReadSystemStagesFromSystem(const SystemInputValues& system) {
    ReadSystemStages();
    systemWords_[0] = packHalves(static_cast<uint16_t>(system.keyboardSpeed), static_cast<uint16_t>(system.keyboardDelay));
    return systemWords_;
}

void CKeyboardProfiledata::WriteCustomLightColors(const std::vector<CustomLightColor>& colors, int group) {
    customColors_ = colors;
    if (!validIndex(group)) return;
    Json::Value& info = objectMember(objectMember(mutableEntry(), "CustomLightMode"), "LightColorInfo");
    Json::Value& row = arrayElement(info, static_cast<Json::ArrayIndex>(group));
    for (Json::ArrayIndex i = 0; i < colors.size(); ++i) arrayElement(row, i) = colorObject(colors[i]);
}

std::vector<CustomLightColor> CKeyboardProfiledata::ReadCustomLightColors(int group, int count) {
    customColors_.assign(count > 0 ? static_cast<size_t>(count) : 0, CustomLightColor{});
    if (!validIndex(group)) return customColors_;
    Json::Value& info = objectMember(objectMember(mutableEntry(), "CustomLightMode"), "LightColorInfo");
    Json::Value& row = arrayElement(info, static_cast<Json::ArrayIndex>(group));
    std::vector<bool> filledNow(customColors_.size(), false);
    bool filled = false;
    for (int j = 0; j < count; ++j) {
        Json::Value& slot = arrayElement(row, static_cast<Json::ArrayIndex>(j));
        if (slot.isObject()) {
            customColors_[j] = {toByte(member(slot, "Red")), toByte(member(slot, "Green")),
                                toByte(member(slot, "Blue")), toByte(member(slot, "Alpha"))};
        } else {
            // A missing key is black in the list; the file gets black too.
            slot = colorObject(CustomLightColor{});
            filledNow[static_cast<size_t>(j)] = true;
            filled = true;
        }
    }
    if (filled) addFactoryRedKeys(row, filledNow);
    return customColors_;
}

void CKeyboardProfiledata::SetCustomLightGroup(int group) {
    if (!validIndex(group)) return;
    customGroup_ = group;
    objectMember(objectMember(mutableEntry(), "CustomLightMode"), "CustomLightModeGroupIndex") = group;
}

int CKeyboardProfiledata::GetCustomLightGroup() {
    const Json::Value& index = member(member(deviceEntry(), "CustomLightMode"), "CustomLightModeGroupIndex");
    customGroup_ = index.isNull() ? 0 : toInt32(index);
    return customGroup_;
}

}  // namespace talven
