#pragma once
// Reading a JSON file while telling apart the ways it can fail, so that a
// caller never rewrites a file it could not understand.

#include "profile/json_file.h"

#include <json/value.h>

#include <string>
#include <string_view>

namespace talven {

enum class JsonFileState {
    ok,       // parsed; `value` holds the root
    missing,     // no such file, or it holds no bytes
    damaged,     // the file was read but is not JSON
    unreadable,  // something is there that may not be read (readRegularFile),
                 // or a file beyond its JsonLimits: it must be neither
                 // replaced nor moved aside
};

struct JsonDocument {
    JsonFileState state = JsonFileState::missing;
    Json::Value value;  // null unless state is ok
    std::string error;  // what went wrong, for messages; empty when ok
};

// Reads and parses the file within the bounds of its name (jsonLimitsFor),
// comments allowed.
JsonDocument readJsonDocument(const std::string& path);
JsonDocument readJsonDocument(const std::string& path, const JsonLimits& limits);

// The most entries a list file ("profilelist", "MacroInfo") may hold. The
// program itself stops at 50 profiles added and 50 macros; copies and
// imports may go further, up to here. A longer list is refused whole rather
// than cut: writing a cut list back would lose the entries left out.
inline constexpr size_t kMaxListEntries = 1000;

// readJsonDocument with the list bounds, refusing (unreadable) a document
// whose `arrayKey` holds more than kMaxListEntries elements.
JsonDocument readListDocument(const std::string& path, const char* arrayKey);

// Parses text within `limits`: ok, damaged (not JSON) or unreadable (beyond
// a bound, found by one pass over the text before the parser runs). The one
// place JSON text is parsed; files, imports and network replies all come
// here.
JsonDocument parseJsonText(std::string_view text, const JsonLimits& limits);

}  // namespace talven
