#pragma once
// The profile list of a device's data folder. "ProfileList.ini" (a JSON file
// despite its name) names the profiles in display order and remembers the
// selected one; each profile is the file data folder + UUID + ".Json", whose
// top level carries its own "profilename" and "profileUUID" beside "Device".
//
// ProfileList does every file operation on them: first start, select, add,
// copy, delete, import, export, rename and reset. Every file goes through
// wirtejsonFile, so a failed write leaves the old file; a list that cannot be
// understood is kept aside as "ProfileList.ini.damaged" before a fresh one is
// written, and a damaged profile file is never overwritten by copy, rename or
// export. Names are UTF-8 (plain ASCII is stored byte for byte).

#include "profile/json_document.h"

#include <json/value.h>

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace talven {

inline constexpr const char* kProfileListFileName = "ProfileList.ini";
inline constexpr const char* kProfileFileExtension = ".Json";
// Added to a file that could not be understood when it is moved aside.
inline constexpr const char* kDamagedFileSuffix = ".damaged";
// AddProfile stops here; copies and imports are not limited.
inline constexpr size_t kMaxProfiles = 50;

// Device kinds as the profile rules know them.
namespace profile_kind {
inline constexpr int Keyboard = 1;
inline constexpr int Mouse = 2;
inline constexpr int MousePad = 3;
inline constexpr int Headset = 7;
}  // namespace profile_kind

struct ProfileEntry {
    std::string name;  // UTF-8
    std::string uuid;

    friend bool operator==(const ProfileEntry&, const ProfileEntry&) = default;
};

enum class ProfileOutcome {
    done,
    unchanged,    // nothing to do: no selection, the add limit, the last profile
    nameRefused,  // empty, unprintable or already used by another profile
    notAProfile,  // import: not JSON, or without "profilename" and "profileUUID"
    wrongKind,    // import: a profile of another kind of device
    damagedFile,  // a file that had to be read is damaged or cannot be read; nothing was written
    missingFile,  // a file that had to be read does not exist; nothing was written
    writeFailed,  // a file could not be written; the files on disk are as before
};

// The language key the main window shows for an outcome; empty for done and
// unchanged.
const char* profileMessageKey(ProfileOutcome outcome);

struct ProfileResult {
    ProfileOutcome outcome = ProfileOutcome::done;
    std::string error;  // what went wrong and with which file, for the debug output

    bool ok() const { return outcome == ProfileOutcome::done; }
    const char* messageKey() const { return profileMessageKey(outcome); }
};

// ---- names ------------------------------------------------------------------

// "Profile%d" with the smallest n from 1 that no entry uses.
std::string newProfileName(const std::vector<ProfileEntry>& entries);
// "<source> copy", with " copy" added again while the name is taken.
std::string copyProfileName(const std::string& source, const std::vector<ProfileEntry>& entries);
// The file name of `path` without folders and its last extension; "(n)" is
// added, n from 1, while the name is taken (Game, Game(1), Game(1)(2)).
std::string importProfileName(const std::string& path, const std::vector<ProfileEntry>& entries);
// data folder + UUID + ".Json"; empty when the UUID is not a plain file name
// (a hand-edited list must not point outside the data folder).
std::string profileFilePath(const std::string& dataFolder, const std::string& uuid);

// Moves a file that cannot be understood to path + ".damaged" (".damaged.2"
// and so on when taken), so a fresh file can be written without destroying
// it. Returns where it went; empty when it could not be moved.
std::string keepDamagedFileAside(const std::string& path);

// A list file we understand: a JSON object whose `arrayKey`, if present, is
// an array. Anything else that exists is someone's data.
bool isListDocument(const JsonDocument& doc, const char* arrayKey);

// Writes a list file through wirtejsonFile. A file already there that is not
// such a list is kept aside first, never overwritten; one that cannot be read
// at all is not touched and nothing is written. Empty on success, else what
// went wrong (nothing was written then).
std::string writeListFile(const std::string& path, const Json::Value& doc, const char* arrayKey);

// Whether an import file may become a profile of a device kind: it must be
// a JSON object with "profilename" and "profileUUID"; a keyboard refuses a
// file with DPI stages, a mouse one without.
ProfileOutcome checkImportedProfile(const JsonDocument& doc, int kind);

// ---- the editor tabs of the panel -----------------------------------------------

// The tabs in the order of their numbers (SelectTab 1..7).
inline constexpr std::array<const char*, 7> kProfileTabNames = {
    "deng_Op_tab", "key_Op_tab", "macro_Op_tab", "system_Op_tab", "cursor_Op_tab", "6533_voice_Op_tab", "magic_Op_tab"};

enum class TabVisibility : uint8_t { keep, shown, hidden };

struct TabVisibilityRow {
    int kind;
    std::array<TabVisibility, kProfileTabNames.size()> tabs;  // by tab number - 1
};

// Which tabs a kind of device shows; the lighting tab is never hidden. Kinds
// without a row keep the skin's visibility.
const TabVisibilityRow* tabVisibilityFor(int kind);

// ---- the selected profile, read only ------------------------------------------

// The profile a "profileselect" value stands for in a list of `count`
// profiles: the value itself when it is an integer naming one of them, else
// the first profile (-1 when there are none). A selection that names no
// profile (hand-edited, or left from a removed one) must still leave the
// device on a listed profile; the first is where a fresh list starts. The
// program's list and talvenctl both decide here, so they never disagree.
int selectedProfileIndex(const Json::Value& select, size_t count);

struct SelectedProfile {
    int index = -1;
    bool fellBack = false;  // "profileselect" named no profile; the first was taken
    std::string uuid;
    std::string path;   // data folder + UUID + ".Json"
    std::string error;  // set when path is empty
};

// The profile "ProfileList.ini" in `dataFolder` selects (selectedProfileIndex),
// without changing anything; an error when the list is missing, cannot be
// read or understood, or its selected entry names no usable file.
SelectedProfile readSelectedProfile(const std::string& dataFolder);

// ---- the list ----------------------------------------------------------------------

class ProfileList {
public:
    // 1 keyboard, 2 mouse, 3 mouse pad, 7 headset; other kinds have no
    // import or reset rules.
    void setDeviceKind(int kind) { kind_ = kind; }
    int deviceKind() const { return kind_; }
    // The data folder ends in '/'.
    void setFolders(std::string dataFolder, std::string defaultProfilePath);
    const std::string& dataFolder() const { return dataFolder_; }
    const std::string& defaultProfilePath() const { return defaultPath_; }
    std::string listPath() const { return dataFolder_ + kProfileListFileName; }

    // Reads the list and selects its "profileselect" (selectedProfileIndex).
    // When there is no usable list, "Profile1" is created from the factory
    // profile; a list that exists but cannot be understood is kept aside
    // first. A list that cannot be read at all (too large, not a regular
    // file) is left alone: nothing is written and the list stays empty. The
    // returned outcome reports that or a failed write.
    ProfileResult init();

    const std::vector<ProfileEntry>& entries() const { return entries_; }
    int count() const { return static_cast<int>(entries_.size()); }
    int selectedIndex() const { return selected_; }
    // The selected profile's UUID; empty without a selection.
    std::string currentUuid() const;
    std::string profilePath(int index) const;
    std::string currentProfilePath() const { return profilePath(selected_); }

    // Every operation re-reads the list first and writes it whole after.
    ProfileResult select(int index);
    // A new profile from the factory profile, selected.
    ProfileResult add();
    // A copy of the selected profile with every setting, selected.
    ProfileResult copy();
    // Deletes the selected profile and its file; the one before it (or the
    // first) becomes selected. The last profile cannot be deleted.
    ProfileResult remove();
    // The file at `path` as a new profile (checked first), selected.
    ProfileResult importFrom(const std::string& path);
    // The selected profile's file, unchanged, to `path`.
    ProfileResult exportTo(const std::string& path);
    // Renames the selected profile; a name another profile has is refused.
    ProfileResult rename(const std::string& name);
    // The selected profile back to the factory profile, names kept; a
    // headset keeps its custom equaliser slots.
    ProfileResult reset();

private:
    struct Snapshot {
        Json::Value doc;
        std::vector<ProfileEntry> entries;
        int selected;
    };

    // Adopts the list on disk when it is usable; one that exists but is not
    // is kept aside (the copy in memory is written back later).
    void refresh();
    void adopt(const Json::Value& doc);
    Snapshot snapshot() const { return {doc_, entries_, selected_}; }
    void restore(Snapshot s);
    ProfileResult writeList();
    ProfileResult createFresh();
    // Appends an entry for `content` (names set here), writes its file and
    // the list, and selects it. Nothing changes when a write fails.
    ProfileResult appendProfile(const std::string& name, Json::Value content);
    std::string newUuid() const;
    bool nameTaken(const std::string& name, int except) const;
    Json::Value factoryProfile() const;

    int kind_ = 0;
    std::string dataFolder_;
    std::string defaultPath_;
    Json::Value doc_;  // the list as last read or written
    std::vector<ProfileEntry> entries_;
    int selected_ = -1;
};

}  // namespace talven
