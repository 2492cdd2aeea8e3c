#pragma once
// The program's small store of per-user settings: string values in the
// [General] section of configFolder()/settings.ini.
//
// Format: one "name=value" line per value. Backslash escapes keep any text on
// one line: \\ \n \r \t \= and \s (a space at either end of a value, which a
// reader would otherwise trim); \; \# \[ keep a name from reading as a comment
// or a section. Names compare without regard to ASCII case. Lines this store
// does not own (comments, other sections) are kept as they are.
//
// Every write goes to a temporary file that is renamed over the old one. A
// file that does not parse reads as empty; the next write keeps a copy of it
// as settings.ini.damaged before writing a fresh file.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace talven {

inline constexpr std::string_view kLanguageSetting = "LANGUAGE";
inline constexpr std::string_view kInstallPathSetting = "InstPath";

class SettingsStore {
public:
    // The user's store in configFolder().
    SettingsStore();
    // A store in the given file, for tests and tools.
    explicit SettingsStore(std::string filePath);

    const std::string& filePath() const { return path_; }

    // The value, or nothing when the file, the name or a readable file is missing.
    std::optional<std::string> get(std::string_view name) const;

    // Stores the value, creating the folder and the file when needed. False,
    // with the old file untouched, when the name is empty or has surrounding
    // blanks, when name or value hold NUL or invalid UTF-8, or when the file
    // cannot be read or written.
    bool set(std::string_view name, std::string_view value);

private:
    std::string path_;
};

// A stored value that is a plain decimal number within 0..max, or nothing
// (missing, damaged, signed, padded or too large).
std::optional<uint32_t> parseStoredNumber(const std::optional<std::string>& text, uint32_t max);

}  // namespace talven
