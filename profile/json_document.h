#pragma once
// Reading a JSON file while telling apart the ways it can fail, so that a
// caller never rewrites a file it could not understand.

#include <json/value.h>

#include <string>

namespace talven {

enum class JsonFileState {
    ok,       // parsed; `value` holds the root
    missing,     // no such file, or it holds no bytes
    damaged,     // the file was read but is not JSON
    unreadable,  // something is there that may not be read (readRegularFile):
                 // it must be neither replaced nor moved aside
};

struct JsonDocument {
    JsonFileState state = JsonFileState::missing;
    Json::Value value;  // null unless state is ok
    std::string error;  // what went wrong, for messages; empty when ok
};

// Reads and parses the file through readjsonFile (comments allowed).
JsonDocument readJsonDocument(const std::string& path);

}  // namespace talven
