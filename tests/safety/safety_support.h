#pragma once
// A data folder as a user of the program has it after a while: two profiles
// (the second selected), two macros with their files, and the factory
// profile beside it; and a snapshot of every file to compare after a failure.

#include "profile/macro_store.h"
#include "profile/profile_data_keyboard.h"
#include "profile/profile_list.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <string>
#include <unistd.h>

namespace talven::test {

inline constexpr const char* kSafetyFactory = R"({"Device":[{"LightInfo":{"SelectItem":3,"Light":4,"Speed":2},
  "KeyList":[{"Assignment":4,"DefaultAssignment":4}],"DPIStages":{"StageDPIs":[]}}]})";

// Every file below `root` with its bytes.
inline std::map<std::string, std::string> snapshot(const std::filesystem::path& root) {
    std::map<std::string, std::string> files;
    for (const auto& f : std::filesystem::recursive_directory_iterator(root))
        if (f.is_regular_file()) files[f.path().string()] = readFile(f.path());
    return files;
}

// The files that differ between two snapshots, to name in a failure.
inline std::string changedFiles(const std::map<std::string, std::string>& a,
                                const std::map<std::string, std::string>& b) {
    std::string names;
    for (const auto& [name, bytes] : a)
        if (!b.count(name) || b.at(name) != bytes) names += " " + name;
    for (const auto& [name, bytes] : b)
        if (!a.count(name)) names += " +" + name;
    return names;
}

// Fills `data` (ending in '/'): the factory profile goes to `factory`, and a
// profile to import, "import.json", beside it.
inline void makeUsedDataFolder(const std::string& data, const std::string& factory) {
    writeFile(factory, kSafetyFactory);
    ProfileList list;
    list.setDeviceKind(profile_kind::Keyboard);
    list.setFolders(data, factory);
    ASSERT_TRUE(list.init().ok());
    ASSERT_TRUE(list.add().ok());
    CKeyboardProfiledata profile;
    profile.SetProfilePath(list.currentProfilePath());
    profile.LoadDeviceEntry(list.currentProfilePath());
    profile.WriteLightInfo(0x00030201, 0, 0);
    ASSERT_EQ(profile.Save(), ProfileStatus::ok);
    writeFile(std::filesystem::path(factory).parent_path() / "import.json",
              R"({"profilename":"x","profileUUID":"y","Device":[{"LightInfo":{"Light":1},"DPIStages":{}}]})");
    MacroStore store(data);
    ASSERT_TRUE(store.add().ok());
    ASSERT_TRUE(store.add().ok());
    Json::Value event(Json::objectValue);
    event["Action"] = "down";
    event["Type"] = 10;
    event["Button"] = 4;
    ASSERT_TRUE(store.save(0, {{event, 20}, {event, 30}}).ok());
    ASSERT_TRUE(store.save(1, {{event, 40}}).ok());
}

// makeUsedDataFolder in a fresh temporary folder: "data/" and
// "factory.Json" in it.
struct UsedFolder {
    TempDir dir;
    std::string data = (dir / "data").string() + "/";
    std::string factory = (dir / "factory.Json").string();
    UsedFolder() {
        std::filesystem::create_directory(data);
        makeUsedDataFolder(data, factory);
    }
};

// Everything left to read from `fd`, which is then closed.
inline std::string readAllAndClose(int fd) {
    std::string text;
    char buffer[4096];
    for (ssize_t n; (n = ::read(fd, buffer, sizeof buffer)) > 0;) text.append(buffer, static_cast<size_t>(n));
    ::close(fd);
    return text;
}

inline ProfileList usedList(const std::string& data, const std::string& factory) {
    ProfileList list;
    list.setDeviceKind(profile_kind::Keyboard);
    list.setFolders(data, factory);
    list.init();
    return list;
}

}  // namespace talven::test
