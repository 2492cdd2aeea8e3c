#pragma once
// The routines every JSON file of the program goes through.

#include <json/value.h>

#include <cstdint>
#include <string>

namespace talven {

// How much of a JSON file is read and parsed, by kind of file. A file beyond
// any bound is refused before the parser builds anything: the parser keeps
// every value as a tree node of about a hundred bytes, so the value count,
// not the file size, is what bounds memory, and the nesting depth bounds its
// recursion. A factory keyboard profile is 37 KB with about 4,000 values,
// nested 7 deep; a macro of the editor's 2,000 steps is about 240 KB with
// 10,000 values. The bounds leave room for every light group and slot
// filled, and for macros six times longer than the editor records, while a
// refused file costs at most a read of its size and one pass over it.
struct JsonLimits {
    const char* kind;  // "profile", "list", "macro": how messages name the file
    std::uintmax_t maxBytes;
    size_t maxValues;
    int maxDepth;
};

// "ProfileList.ini", "macro.config", "velko_macro.config".
inline constexpr JsonLimits kListJsonLimits{"list", 1u << 20, 20'000, 16};
// "<Guid>.mac".
inline constexpr JsonLimits kMacroJsonLimits{"macro", 2u << 20, 60'000, 16};
// Profiles and every other JSON file (factory data, shoot data, light
// configuration, settings), and files the user picks to import.
inline constexpr JsonLimits kProfileJsonLimits{"profile", 4u << 20, 200'000, 32};

// The largest JSON file read at all.
inline constexpr std::uintmax_t kMaxJsonFileSize = kProfileJsonLimits.maxBytes;

// The bounds for a file by its name: the lists and macro files by their
// names and extension, everything else as a profile.
const JsonLimits& jsonLimitsFor(const std::string& path);

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

// Reads a regular file of at most `maxBytes` bytes. The type and size
// are checked on the opened file before any byte is read, so a FIFO or a
// huge file never blocks or fills memory. A symbolic link is followed: the
// checks apply to what was actually opened, so a link cannot smuggle in a
// FIFO or a huge file, and a user who keeps a profile as a link to a file
// elsewhere still has it read.
FileRead readRegularFile(const std::string& path, std::uintmax_t maxBytes = kMaxJsonFileSize);

// The whole file as bytes; empty when it cannot be read completely
// (readRegularFile's refusals included).
std::string readjsonFile(const std::string& path);

// readJsonDocument (bounds by the file's name); null on empty text, a parse
// error or a file beyond its bounds.
Json::Value ReadJsonValue(const std::string& path);

// Writes the value as indented text followed by a newline. The text goes to a
// temporary file in the same folder that is then renamed over the old one, so
// a crash or a full disk never leaves a truncated file. 0 on success, 1 when
// the file cannot be written (the old file is then untouched).
int wirtejsonFile(const std::string& path, const Json::Value& value);

// "<path> cannot be written (<the reason of the last failed write>)", for
// the message of a saver whose wirtejsonFile or writeFileAtomically failed.
std::string cannotWrite(const std::string& path);

// Local time as "2024_03_07_14_05_09_042": the identifier of profiles and
// macros.
std::string MakeTimeStamp();

}  // namespace talven
