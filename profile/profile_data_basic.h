#pragma once
// The profile-data object every device owns: it points at one profile file,
// keeps a copy of that profile's device entry, answers typed reads from it and
// takes typed writes into it. Nothing reaches the disk until Save.
//
// Files: the profile (data folder + UUID + ".Json"), the factory profile
// (default folder + device folder + ".Json"), the user's light configuration
// ("velko_light.config") and the ".light" effect files it names. Paths and all
// texts are UTF-8.

#include "profile/profile_records.h"

#include <json/value.h>

#include <string>
#include <vector>

namespace talven {

// The outcome of the last load or save. A damaged profile file is never
// rewritten: the object then works on the factory entry in memory and every
// save reports damagedFile until a readable profile is loaded.
enum class ProfileStatus {
    ok,
    completedFromDefault,  // the profile lacked its entry; the factory one was added and written
    damagedFile,           // the profile file is not JSON; left as it was
    writeFailed,           // the file could not be written; the old one is intact
    noFactoryEntry,        // neither the profile nor the factory file has an entry
};

// Highest index accepted for the device index and for the groups, rows and
// slots the derived classes address; a larger number would make a file grow
// by that many null elements.
inline constexpr int kMaxProfileIndex = 255;

class CBasicProfiledata {
public:
    CBasicProfiledata() = default;
    // Virtual although device objects destroy the concrete type they made:
    // deleting through a base pointer must not be undefined.
    virtual ~CBasicProfiledata() = default;
    CBasicProfiledata(const CBasicProfiledata&) = default;
    CBasicProfiledata& operator=(const CBasicProfiledata&) = default;

    // An empty path is ignored.
    void SetProfilePath(const std::string& path);
    const std::string& GetProfilePath() const { return profilePath_; }
    void SetDefaultPath(const std::string& path);
    const std::string& GetDefaultPath() const { return defaultPath_; }
    void SetLightConfigPath(const std::string& path);
    const std::string& GetLightConfigPath() const { return lightConfigPath_; }
    // Index into "Device" and into the light configuration's "LightInfo";
    // every device uses 0. Values outside 0..kMaxProfileIndex are ignored.
    void SetDeviceIndex(int index);
    int GetDeviceIndex() const { return deviceIndex_; }

    // Makes "Device"[index] of the file the current entry. A file without
    // that entry (missing, empty, no "Device") gets the factory entry, and is
    // rewritten with its other members kept. A damaged file is reported and
    // left alone; the factory entry is used in memory. Returns a copy.
    Json::Value LoadDeviceEntry(const std::string& path);

    // SaveDeviceEntry(entry, profile path).
    virtual ProfileStatus Save();
    // Reads the file, sets its "Device"[index] to `entry` and writes it back
    // atomically. A damaged file is not touched.
    virtual ProfileStatus SaveDeviceEntry(const Json::Value& entry, const std::string& path);
    // wirtejsonFile: 0 on success, 1 when the file cannot be written.
    virtual int WriteJson(const Json::Value& value, const std::string& path);

    // Reads the light configuration and keeps it; returns a copy.
    Json::Value ReadLightConfig(const std::string& path);

    // The main lighting. The colour always reads as (255, 0, 0): the stored
    // colour is kept in the file but the devices start from red.
    LightSettings ReadLightInfo();
    void WriteLightInfo(uint32_t word1, uint32_t word2, uint32_t word3);
    std::vector<LedEntry> ReadLightList();
    // Steps of the effect file named by the light configuration's entry for
    // the current mode number; empty when any link is missing.
    std::vector<LedEffect> ReadLedEffects();
    std::vector<KeySlot> ReadKeyList();
    // Sets "KeyList"[i]."Assignment" for each slot; defaults are never written.
    void WriteKeyList(const std::vector<KeySlot>& slots);

    // Outcome and message of the last LoadDeviceEntry, Save or SaveDeviceEntry.
    ProfileStatus lastStatus() const { return lastStatus_; }
    const std::string& lastError() const { return lastError_; }

    const Json::Value& deviceEntry() const { return entry_; }
    const LightSettings& currentLightSettings() const { return lightSettings_; }
    const std::vector<LedEntry>& ledEntries() const { return ledEntries_; }
    const std::vector<LedEffect>& ledEffects() const { return ledEffects_; }
    const std::vector<KeySlot>& keySlots() const { return keySlots_; }

protected:
    // The entry for writing; turned into an object when it is not one.
    Json::Value& mutableEntry();
    void setStatus(ProfileStatus status, std::string message);

private:
    Json::Value factoryEntry(std::string& problem) const;

    std::string profilePath_;
    std::string defaultPath_;
    std::string lightConfigPath_;
    std::string lightConfigReadFrom_;  // effect files with a relative name live beside it
    int deviceIndex_ = 0;
    Json::Value entry_;
    Json::Value lightConfig_;
    LightSettings lightSettings_;
    std::vector<LedEntry> ledEntries_;
    std::vector<LedEffect> ledEffects_;
    std::vector<KeySlot> keySlots_;
    ProfileStatus lastStatus_ = ProfileStatus::ok;
    std::string lastError_;
};

}  // namespace talven
