#include "profile/profile_data_headset.h"

#include "profile/json_fields.h"

namespace talven {

using namespace json_fields;

namespace {

constexpr const char* kSystemKeys[] = {"MagicEnable",  "MagicType",  "EqType",           "CustomEqSeletIndex",
                                       "MicInSelect", "MicInValue", "MicMoniterSelect", "MicMoniterValue"};
static_assert(std::size(kSystemKeys) == std::tuple_size_v<HeadsetSystemRecord>);

// Writes the first ten values into `row`; fewer than ten change nothing.
void writeBands(Json::Value& table, int row, const std::vector<int>& values) {
    if (row < 0 || row > kMaxProfileIndex || values.size() < static_cast<size_t>(kEqBandCount)) return;
    Json::Value& bands = arrayElement(table, static_cast<Json::ArrayIndex>(row));
    for (Json::ArrayIndex i = 0; i < static_cast<Json::ArrayIndex>(kEqBandCount); ++i)
        objectMember(arrayElement(bands, i), "value") = values[i];
}

// Ten values of `row`. A row the table lacks is created with ten zeros, so
// the next save stores a complete curve.
std::vector<int> readBands(Json::Value& table, int row) {
    std::vector<int> values(kEqBandCount, 0);
    if (row < 0 || row > kMaxProfileIndex) return values;
    const Json::Value& existing = element(table, static_cast<Json::ArrayIndex>(row));
    if (!existing.isArray()) {
        writeBands(table, row, values);
        return values;
    }
    for (Json::ArrayIndex i = 0; i < static_cast<Json::ArrayIndex>(kEqBandCount); ++i)
        values[i] = toInt32(member(element(existing, i), "value"));
    return values;
}

}  // namespace

int eqRowForType(int eqType) {
    if (eqType == kCustomEqType) return -1;
    if (eqType >= 1 && eqType <= 12) return eqType;
    return 1;
}

void CHs6533Profiledata::WriteSystemSetStages(const HeadsetSystemRecord& values) {
    systemRecord_ = values;
    Json::Value& stages = objectMember(mutableEntry(), "SystemSetStages");
    if (!stages.isObject()) stages = Json::Value(Json::objectValue);
    for (size_t i = 0; i < values.size(); ++i) stages[kSystemKeys[i]] = values[i];
}

HeadsetSystemRecord CHs6533Profiledata::ReadSystemSetStages() {
    const Json::Value& stages = member(deviceEntry(), "SystemSetStages");
    for (size_t i = 0; i < systemRecord_.size(); ++i) systemRecord_[i] = toInt32(member(stages, kSystemKeys[i]));
    return systemRecord_;
}

void CHs6533Profiledata::WriteEqValues(int eqType, const std::vector<int>& values) {
    const int row = eqRowForType(eqType);
    if (row < 0) return;
    writeBands(objectMember(mutableEntry(), "EQHzValueInfo"), row, values);
}

std::vector<int> CHs6533Profiledata::ReadEqValues(int eqType) {
    const int row = eqRowForType(eqType);
    if (row < 0) return {};
    return readBands(objectMember(mutableEntry(), "EQHzValueInfo"), row);
}

void CHs6533Profiledata::WriteCustomEqNames(const std::vector<std::string>& names) {
    Json::Value list(Json::arrayValue);
    for (const std::string& name : names) {
        Json::Value item(Json::objectValue);
        item["Name"] = name;
        list.append(item);
    }
    mutableEntry()["CustomEQNameInfo"] = list;
}

std::vector<std::string> CHs6533Profiledata::ReadCustomEqNames() {
    std::vector<std::string> names;
    const Json::Value& list = member(deviceEntry(), "CustomEQNameInfo");
    if (list.isArray())
        for (const Json::Value& item : list) names.push_back(toText(member(item, "Name")));
    return names;
}

void CHs6533Profiledata::WriteCustomEqValues(int slot, const std::vector<int>& values) {
    if (slot < 0 || slot > kMaxProfileIndex) return;
    writeBands(objectMember(mutableEntry(), "CustomEQHzValueInfo"), slot, values);
}

std::vector<int> CHs6533Profiledata::ReadCustomEqValues(int slot) {
    if (slot < 0 || slot > kMaxProfileIndex) return std::vector<int>(kEqBandCount, 0);
    return readBands(objectMember(mutableEntry(), "CustomEQHzValueInfo"), slot);
}

}  // namespace talven
