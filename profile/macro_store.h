#pragma once
// The macro editor's writes to a device's data folder: the list
// "macro.config" and the "<Guid>.mac" files it names. Every operation re-reads
// the list first and writes it whole after, through wirtejsonFile, so a failed
// write leaves the old file. A list that exists but cannot be understood is
// kept aside as "macro.config.damaged" before a fresh one is written; import
// and export copy a macro file byte for byte.

#include "profile/macro_files.h"

#include <json/value.h>

#include <cstdint>
#include <string>
#include <vector>

namespace talven {

// The editor refuses a 51st macro and stops recording at 2000 steps; readers
// accept longer files.
inline constexpr size_t kMaxMacros = 50;
inline constexpr size_t kMaxMacroSteps = 2000;
inline constexpr int kMacroFileVersion = 64;

enum class MacroOutcome {
    done,
    unchanged,     // nothing to do: no such macro, or an empty Guid
    limitReached,  // the list already holds kMaxMacros
    nameRefused,   // empty, unprintable or already used by another macro
    missingFile,   // the file to copy cannot be read; nothing was written
    damagedFile,   // the list cannot be read, or the entry to change is not an
                   // object; nothing was written
    writeFailed,   // a file could not be written; the files on disk are as before
};

struct MacroResult {
    MacroOutcome outcome = MacroOutcome::done;
    int index = -1;     // add and import: the new macro's number
    std::string error;  // what went wrong and with which file, for the debug output

    bool ok() const { return outcome == MacroOutcome::done; }
};

// One editor row: the event as stored plus the delay its edit box shows.
struct MacroStep {
    Json::Value event;
    uint16_t delay = 0;
};

// "macro_%d" with the smallest n from 1 that no entry uses (letter case
// ignored).
std::string newMacroName(const std::vector<MacroListEntry>& entries);

class MacroStore {
public:
    // The data folder ends in '/'.
    explicit MacroStore(std::string dataFolder) : folder_(std::move(dataFolder)) {}

    const std::string& dataFolder() const { return folder_; }
    std::string listPath() const { return folder_ + kMacroListFileName; }
    std::vector<MacroListEntry> entries() const { return ReadMacroList(listPath()); }
    // data folder + Guid + ".mac"; empty when the Guid is unusable.
    std::string macroPath(int index) const;

    // Appends "macro_%d" with a new time-stamp Guid. No macro file exists
    // until the first save.
    MacroResult add();
    // Changes the name in the list only; the macro file keeps its old
    // "MacroName" until it is next saved.
    MacroResult rename(int index, const std::string& name);
    // Removes the entry (later macros move up one number), then its file.
    MacroResult remove(int index);
    // Replaces the macro file whole: names from the list, one event per
    // step with "Delay" as the step's decimal text, "Version" 64.
    MacroResult save(int index, const std::vector<MacroStep>& steps);
    // Copies the macro file unchanged to `path`.
    MacroResult exportTo(int index, const std::string& path) const;
    // A new macro (as add) whose file is a byte-for-byte copy of `path`.
    // Nothing is added when the file cannot be read or written.
    MacroResult importFrom(const std::string& path);

private:
    struct List {
        Json::Value doc;  // the whole list object, unknown keys kept
        std::vector<MacroListEntry> entries;
        std::string error;  // the list exists but cannot be read; write nothing
    };
    // The list on disk; one that exists but is not understood is moved
    // aside and reads as empty. One that cannot be read at all (too large,
    // not a regular file) reads as empty with `error` set.
    List load() const;
    MacroResult write(const Json::Value& doc) const;
    // Adds "macro_%d" under `guid` and writes the list.
    MacroResult append(List& list, const std::string& guid);
    std::string newGuid(const std::vector<MacroListEntry>& entries) const;

    std::string folder_;
};

}  // namespace talven
