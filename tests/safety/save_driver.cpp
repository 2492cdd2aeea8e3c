// Saves a keyboard profile, renames it in the profile list and saves a macro,
// over and over, through the program's own savers, so that a test can kill it
// at any moment and look at what is left.
//
//   safety_save_driver <data folder> <factory profile> init
//   safety_save_driver <data folder> <factory profile> <first generation>
//   safety_save_driver <data folder> <factory profile> try
//
// "init" makes the list (one profile) and one macro, then saves generation 0.
// Otherwise generations first, first + 1, ... are saved until the process is
// killed. "try" makes each of the three saves of generation 1 once and
// prints one line per save with what its saver said ("ok" when it saved),
// for a test that has made the folder full or read-only. Before generation k it writes "B k" to standard output and after it
// "D k", each with one write(2), so the test knows what may be on disk.
// Generation k's contents (the test checks them):
//  - the profile's custom light group 0: 126 keys, key i = {Red (k + i) % 256,
//    Green (3k + i) % 256, Blue 7k % 256, Alpha 255}; "SystemStages"."Repeat"
//    k % 65536 and "RepeatDelay" k / 65536;
//  - the profile's name, in the list and in its file: "P<k>";
//  - macro 0's events: k % 40 + 1 of them, event i = {"Action" "down" for
//    even i else "up", "Type" 10, "Button" (k + i) % 256, "Delay" 3k + i}.

#include "profile/macro_store.h"
#include "profile/profile_data_keyboard.h"
#include "profile/profile_list.h"

#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

using namespace talven;

constexpr int kKeys = 126;

void report(char what, long generation) {
    char line[32];
    const int n = std::snprintf(line, sizeof line, "%c %ld\n", what, generation);
    if (::write(1, line, static_cast<size_t>(n)) != n) std::_Exit(3);
}

// Empty when saved, else the saver's message.
std::string saveProfile(const std::string& path, long k) {
    CKeyboardProfiledata profile;
    profile.SetProfilePath(path);
    profile.LoadDeviceEntry(path);
    std::vector<CustomLightColor> colors;
    for (int i = 0; i < kKeys; ++i)
        colors.push_back({static_cast<uint8_t>((k + i) % 256), static_cast<uint8_t>((3 * k + i) % 256),
                          static_cast<uint8_t>((7 * k) % 256), 255});
    profile.WriteCustomLightColors(colors, 0);
    profile.WriteSystemStages(static_cast<uint32_t>((k % 65536) | ((k / 65536) << 16)), 0, 0);
    return profile.Save() == ProfileStatus::ok ? std::string() : profile.lastError();
}

std::string saveMacro(MacroStore& store, long k) {
    std::vector<MacroStep> steps;
    for (long i = 0; i < k % 40 + 1; ++i) {
        Json::Value event(Json::objectValue);
        event["Action"] = i % 2 == 0 ? "down" : "up";
        event["Type"] = 10;
        event["Button"] = static_cast<int>((k + i) % 256);
        steps.push_back({event, static_cast<uint16_t>(3 * k + i)});
    }
    const MacroResult r = store.save(0, steps);
    return r.ok() ? std::string() : r.error;
}

std::string renameProfile(ProfileList& list, long k) {
    const ProfileResult r = list.rename("P" + std::to_string(k));
    return r.ok() ? std::string() : std::string(r.messageKey()) + ": " + r.error;
}

bool saveGeneration(ProfileList& list, MacroStore& store, long k) {
    return saveProfile(list.currentProfilePath(), k).empty() && renameProfile(list, k).empty() &&
           saveMacro(store, k).empty();
}

void tryEachSave(ProfileList& list, MacroStore& store) {
    const auto line = [](const char* what, const std::string& message) {
        std::printf("%s: %s\n", what, message.empty() ? "ok" : message.c_str());
    };
    line("profile", saveProfile(list.currentProfilePath(), 1));
    line("list", renameProfile(list, 1));
    line("macro", saveMacro(store, 1));
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: %s <data folder> <factory profile> init|<first generation>\n", argv[0]);
        return 2;
    }
    ProfileList list;
    list.setDeviceKind(profile_kind::Keyboard);
    list.setFolders(argv[1], argv[2]);
    MacroStore store(argv[1]);
    const std::string mode = argv[3];
    if (mode == "try") {
        list.init();  // reads the list; writing it back may fail here
        tryEachSave(list, store);
        return 0;
    }
    if (mode == "init") {
        if (!list.init().ok() || !store.add().ok()) return 1;
        return saveGeneration(list, store, 0) ? 0 : 1;
    }
    // Starting writes the list back with the selection it already holds:
    // the same contents, so still the last generation's.
    if (!list.init().ok()) return 1;
    for (long k = std::atol(argv[3]);; ++k) {
        report('B', k);
        if (!saveGeneration(list, store, k)) return 1;
        report('D', k);
    }
}
