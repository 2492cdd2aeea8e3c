#pragma once
// The list of UI languages ("Language.config" in the default data folder) and
// the saved choice.

#include <optional>
#include <string>
#include <vector>

namespace talven {

class SettingsStore;

struct LanguageEntry {
    int id = 0;            // what the settings store keeps
    std::string name;      // handed to the resource manager
    std::string file;      // the skin's language file
    std::string text;      // "Language_text": the language's name in itself, for the settings list
};

// The "Language" array in order; empty when the file is missing or damaged.
// An element that is not an object reads as an empty entry, so positions stay
// the same as in the file.
std::vector<LanguageEntry> readLanguageList(const std::string& configPath);

// The position of the saved language id in the list; 0 when nothing is saved,
// the saved text is not a number, or no entry has that id.
int ReadLanguageIndex(const SettingsStore& settings, const std::vector<LanguageEntry>& list);

// Stores the id as decimal text.
bool SaveLanguageId(SettingsStore& settings, int id);

// The font face a language index asks for; nullopt keeps the current fonts.
std::optional<std::string> faceForLanguageIndex(int index);

}  // namespace talven
