#pragma once
// Reading and writing members of JSON values that came from a file, without
// trusting their types. jsoncpp throws when a member is asked of a number or
// a string is read as an integer; a hand-edited or damaged profile must never
// get that far.

#include <json/value.h>

#include <cstdint>
#include <string>

namespace talven::json_fields {

// The member, or a null value when `value` is no object or lacks it.
const Json::Value& member(const Json::Value& value, const char* key);
// The element, or a null value when `value` is no array or is shorter.
const Json::Value& element(const Json::Value& value, Json::ArrayIndex index);

// Integers (also from integral doubles and booleans); anything else is 0.
// Narrower results keep the low bits, as the device records do.
int64_t toInteger(const Json::Value& value);
inline uint8_t toByte(const Json::Value& value) { return static_cast<uint8_t>(toInteger(value)); }
inline uint16_t toWord(const Json::Value& value) { return static_cast<uint16_t>(toInteger(value)); }
inline int32_t toInt32(const Json::Value& value) { return static_cast<int32_t>(toInteger(value)); }
// Booleans, and numbers as "non-zero"; anything else is false.
bool toBool(const Json::Value& value);
// Strings as they are (UTF-8); anything else is empty.
std::string toText(const Json::Value& value);

// The member for writing; `value` becomes an object first when it is not one.
Json::Value& objectMember(Json::Value& value, const char* key);
// The element for writing; `value` becomes an array first when it is not one.
Json::Value& arrayElement(Json::Value& value, Json::ArrayIndex index);

}  // namespace talven::json_fields
