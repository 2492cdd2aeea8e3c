#pragma once
// The routines every JSON file of the program goes through.

#include <json/value.h>

#include <string>

namespace talven {

// The whole file as bytes; empty when it cannot be opened or read completely.
std::string readjsonFile(const std::string& path);

// readjsonFile, then parse (comments allowed); null on empty text or a parse
// error.
Json::Value ReadJsonValue(const std::string& path);

// Writes the value as indented text followed by a newline. The text goes to a
// temporary file in the same folder that is then renamed over the old one, so
// a crash or a full disk never leaves a truncated file. 0 on success, 1 when
// the file cannot be written (the old file is then untouched).
int wirtejsonFile(const std::string& path, const Json::Value& value);

// Local time as "2024_03_07_14_05_09_042": the identifier of profiles and
// macros.
std::string MakeTimeStamp();

}  // namespace talven
