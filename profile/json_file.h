#pragma once
// The routines every JSON file of the program goes through.

#include <json/value.h>

#include <cstdint>
#include <string>

namespace talven {

// The largest JSON file read. A real profile with every key and light group
// filled is well under 1 MiB; anything above this is not ours, and reading
// it whole would take seconds and gigabytes before the parser gave up.
inline constexpr std::uintmax_t kMaxJsonFileSize = 16u * 1024u * 1024u;

enum class FileReadState {
    ok,          // `bytes` holds the whole file (possibly empty)
    missing,     // nothing exists at the path
    unreadable,  // something exists but is not a regular file we may read
                 // whole: a folder, a FIFO or device, too large, no access
};

struct FileRead {
    FileReadState state = FileReadState::missing;
    std::string bytes;
    std::string error;  // why, for messages; empty when ok
};

// Reads a regular file of at most kMaxJsonFileSize bytes. The type and size
// are checked on the opened file before any byte is read, so a FIFO or a
// huge file never blocks or fills memory. A symbolic link is followed: the
// checks apply to what was actually opened, so a link cannot smuggle in a
// FIFO or a huge file, and a user who keeps a profile as a link to a file
// elsewhere still has it read.
FileRead readRegularFile(const std::string& path);

// The whole file as bytes; empty when it cannot be read completely
// (readRegularFile's refusals included).
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
