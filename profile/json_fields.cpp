#include "profile/json_fields.h"

#include <cmath>
#include <string>

namespace talven::json_fields {

namespace {
const Json::Value& nullValue() {
    static const Json::Value null;
    return null;
}
}  // namespace

const Json::Value& member(const Json::Value& value, const char* key) {
    if (!value.isObject()) return nullValue();
    const Json::Value* found = value.find(key, key + std::char_traits<char>::length(key));
    return found ? *found : nullValue();
}

const Json::Value& element(const Json::Value& value, Json::ArrayIndex index) {
    if (!value.isArray() || index >= value.size()) return nullValue();
    return value[index];
}

int64_t toInteger(const Json::Value& value) {
    switch (value.type()) {
    case Json::intValue: return value.asInt64();
    case Json::uintValue: return static_cast<int64_t>(value.asUInt64());
    case Json::booleanValue: return value.asBool() ? 1 : 0;
    case Json::realValue: {
        const double d = value.asDouble();
        // Out of range or not a number: nothing sensible to truncate.
        if (!std::isfinite(d) || std::fabs(d) >= 9.2e18) return 0;
        return static_cast<int64_t>(d);
    }
    default: return 0;
    }
}

bool toBool(const Json::Value& value) {
    if (value.isBool()) return value.asBool();
    if (value.type() == Json::realValue) return value.asDouble() != 0.0;
    if (value.isNumeric()) return toInteger(value) != 0;
    return false;
}

std::string toText(const Json::Value& value) {
    return value.isString() ? value.asString() : std::string();
}

Json::Value& objectMember(Json::Value& value, const char* key) {
    if (!value.isObject()) value = Json::Value(Json::objectValue);
    return value[key];
}

Json::Value& arrayElement(Json::Value& value, Json::ArrayIndex index) {
    if (!value.isArray()) value = Json::Value(Json::arrayValue);
    return value[index];
}

}  // namespace talven::json_fields
