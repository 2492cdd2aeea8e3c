#include "profile/profile_data_mouse.h"

#include "profile/json_fields.h"

namespace talven {

using namespace json_fields;

namespace {


DpiStage stageFrom(const Json::Value& v) {
    DpiStage s;
    s.enabled = toByte(member(v, "StageActive"));
    s.xyFlag = toByte(member(v, "StageXY"));
    s.dpiX = toWord(member(v, "StageDPIX"));
    s.dpiY = toWord(member(v, "StageDPIY"));
    s.red = toByte(member(v, "StageColorR"));
    s.green = toByte(member(v, "StageColorG"));
    s.blue = toByte(member(v, "StageColorB"));
    return s;
}

// The "StageActive" of a stage-number object, 0 when the object is absent.
uint16_t stageNumber(const Json::Value& entry, const char* key) {
    return toWord(member(member(entry, key), "StageActive"));
}

}  // namespace

std::vector<DpiStage> CMouseProfiledata::ReadDpiStages() {
    const Json::Value& dpi = member(deviceEntry(), "DPIStages");
    if (dpi.isObject()) {
        stageActive_ = toInt32(member(dpi, "StageActive"));
        const Json::Value& stages = member(dpi, "StageDPIs");
        if (stages.isArray()) {
            for (Json::ArrayIndex j = 0; j < stages.size(); ++j) {
                const DpiStage stage = stageFrom(stages[j]);
                if (j < dpiStages_.size())
                    dpiStages_[j] = stage;
                else
                    dpiStages_.push_back(stage);
            }
        }
    }
    return dpiStages_;
}

void CMouseProfiledata::WriteDpiStages(const std::vector<DpiStage>& stages) {
    dpiStages_ = stages;
    Json::Value& list = objectMember(objectMember(mutableEntry(), "DPIStages"), "StageDPIs");
    for (Json::ArrayIndex i = 0; i < stages.size(); ++i) {
        Json::Value& v = arrayElement(list, i);
        if (!v.isObject()) v = Json::Value(Json::objectValue);
        v["StageActive"] = stages[i].enabled;
        v["StageColorR"] = stages[i].red;
        v["StageColorG"] = stages[i].green;
        v["StageColorB"] = stages[i].blue;
        v["StageXY"] = stages[i].xyFlag;
        v["StageDPIX"] = stages[i].dpiX;
        v["StageDPIY"] = stages[i].dpiY;
    }
}

void CMouseProfiledata::SetDpiStageActive(int stage) {
    stageActive_ = stage;
    objectMember(objectMember(mutableEntry(), "DPIStages"), "StageActive") = stage;
}

void CMouseProfiledata::WriteMouseSystem(uint32_t word1, uint32_t word2, uint32_t word3, uint32_t word4) {
    systemWords_ = {word1, word2, word3, word4};
    Json::Value& entry = mutableEntry();
    Json::Value& system = objectMember(entry, "SystemStages");
    if (!system.isObject()) system = Json::Value(Json::objectValue);
    system["DoubleClickTime"] = static_cast<int>(word1 & 0xFFFF);
    system["MouseSpeed"] = static_cast<int>(word1 >> 16);
    system["PointerPrecision"] = static_cast<int>(word2 & 0xFFFF);
    system["ScorllPage"] = static_cast<int>(word2 >> 16);
    system["WheelScorlllinse"] = static_cast<int>(word3 & 0xFFFF);
    objectMember(entry["ReportStages"], "StageActive") = static_cast<int>(word3 >> 16);
    objectMember(entry["HeightStages"], "StageActive") = static_cast<int>(word4 & 0xFF);
}

MouseSystemWords CMouseProfiledata::ReadMouseSystem() {
    const Json::Value& entry = deviceEntry();
    const Json::Value& s = member(entry, "SystemStages");
    if (!s.isObject()) {
        systemWords_ = {};
        return systemWords_;
    }
    systemWords_ = {packHalves(toWord(member(s, "DoubleClickTime")), toWord(member(s, "MouseSpeed"))),
                    packHalves(toWord(member(s, "PointerPrecision")), toWord(member(s, "ScorllPage"))),
                    packHalves(toWord(member(s, "WheelScorlllinse")), stageNumber(entry, "ReportStages")),
                    static_cast<uint32_t>(stageNumber(entry, "HeightStages") & 0xFF)};
    return systemWords_;
}

MouseSystemWords CMouseProfiledata::ReadMouseSystemFromSystem(const SystemInputValues& system) {
    const Json::Value& entry = deviceEntry();
    const uint16_t pageScroll = system.wheelScrollLines == kWheelPageScroll ? 1 : 0;
    systemWords_ = {packHalves(doubleClickLevel(system.doubleClickTimeMs), static_cast<uint16_t>(system.mouseSpeed)),
                    packHalves(static_cast<uint16_t>(system.mouseAcceleration), pageScroll),
                    packHalves(static_cast<uint16_t>(system.wheelScrollLines), stageNumber(entry, "ReportStages")),
                    static_cast<uint32_t>(stageNumber(entry, "HeightStages") & 0xFF)};
    return systemWords_;
}

std::vector<CorrectEntry> CMouseProfiledata::ReadCorrectInfo() {
    correctEntries_.clear();
    const Json::Value& list = member(deviceEntry(), "CorrectInfo");
    if (list.isArray()) {
        for (const Json::Value& v : list) {
            correctEntries_.push_back({toByte(member(v, "CorrectPixThresh")), toByte(member(v, "CorrectMinSq")),
                                       toByte(member(v, "CorrectSelect")), toText(member(v, "CorrectName"))});
        }
    }
    return correctEntries_;
}

}  // namespace talven
