// Every loader of the program's JSON files, each given the fuzzed bytes as
// its file and then asked for everything it offers, the way the pages ask.
//
// Input: a selector byte (the loader, see kLoaders), one parameter byte (a
// table row, a kind, an index), then the file's bytes.

#include "fuzz_support.h"
#include "profile/default_light.h"
#include "profile/json_file.h"
#include "profile/language_config.h"
#include "profile/macro_files.h"
#include "profile/profile_data_headset.h"
#include "profile/profile_data_keyboard.h"
#include "profile/profile_data_mouse.h"
#include "profile/profile_list.h"
#include "profile/shoot_file.h"
#include "support/profile_reads.h"
#include "update/update_check.h"
#include "update/update_time.h"

#include <array>
#include <cstdlib>
#include <string>

using namespace talven;

namespace {

void require(bool condition) {
    if (!condition) std::abort();
}

// Every device's profile object first reads what all pages read, with no
// factory profile to fall back on.
void readCommon(CBasicProfiledata& profile, const std::string& path) {
    profile.SetDefaultPath(fuzz::scratchFolder() + "no-factory.Json");
    test::readProfileAsPages(profile, path);
}

void loadKeyboard(const std::string& path, uint8_t parameter) {
    CKeyboardProfiledata profile;
    readCommon(profile, path);
    profile.ReadSystemStages();
    const int group = profile.GetCustomLightGroup();
    require(profile.ReadCustomLightColors(group, parameter).size() == parameter);
}

void loadMouse(const std::string& path, uint8_t) {
    CMouseProfiledata profile;
    readCommon(profile, path);
    profile.ReadDpiStages();
    profile.ReadMouseSystem();
    profile.ReadCorrectInfo();
}

void loadMousePad(const std::string& path, uint8_t) {
    CBasicProfiledata profile;
    readCommon(profile, path);
}

void loadHeadset(const std::string& path, uint8_t parameter) {
    CHs6533Profiledata profile;
    readCommon(profile, path);
    profile.ReadSystemSetStages();
    const std::vector<int> row = profile.ReadEqValues(parameter % (kCustomEqType + 2));
    require(row.empty() || row.size() == kEqBandCount);
    profile.ReadCustomEqNames();
    require(profile.ReadCustomEqValues(parameter).size() == kEqBandCount);
}

void loadProfileList(const std::string&, uint8_t parameter) {
    const std::string& folder = fuzz::scratchFolder();
    readSelectedProfile(folder);
    ProfileList list;
    list.setDeviceKind(parameter % 8);
    list.setFolders(folder, folder + "no-factory.Json");
    list.init();
    if (list.count() > 0) require(list.selectedIndex() >= 0 && list.selectedIndex() < list.count());
}

void loadMacroList(const std::string& path, uint8_t) {
    ReadMacroList(path);
    std::vector<std::vector<MacroEventBytes>> macros;
    readEncodedMacrosChecked(fuzz::scratchFolder(), macros, nullptr);
}

void loadMacroFile(const std::string& path, uint8_t) {
    for (const Json::Value& event : ReadMacroEvents(path)) EncodeMacroEvent(event);
}

void loadLanguageList(const std::string& path, uint8_t) { readLanguageList(path); }

void loadDefaultLight(const std::string& path, uint8_t parameter) {
    const DefaultLightNames names = readDefaultLightNames(path, parameter);
    require(names.modeNames.size() == names.modeVisible.size());
}

void loadUpdateReply(const std::string& path, uint8_t parameter) {
    const auto record = update::makeUpdateRecord(parameter % update::kUpdateTable.size(), parameter);
    update::parseUpdateReply(record, readjsonFile(path));
}

void loadUpdateTime(const std::string&, uint8_t) {
    const std::string today = "2024-3-7";
    require(!update::readLastCheckDate(fuzz::scratchFolder(), today).empty());
}

void loadShootFile(const std::string& path, uint8_t) {
    const Json::Value doc = ReadJsonValue(path);
    if (!isShootDocument(doc)) return;
    for (int bullet = 0; bullet < kShootBulletCount; ++bullet) readShootBullet(doc, bullet);
}

struct Loader {
    const char* fileName;
    void (*load)(const std::string& path, uint8_t parameter);
};

constexpr std::array<Loader, 12> kLoaders = {{
    {"profile.Json", loadKeyboard},
    {"profile.Json", loadMouse},
    {"profile.Json", loadMousePad},
    {"profile.Json", loadHeadset},
    {kProfileListFileName, loadProfileList},
    {kMacroListFileName, loadMacroList},
    {"m.mac", loadMacroFile},
    {"Language.config", loadLanguageList},
    {"default_light.json", loadDefaultLight},
    {"reply.json", loadUpdateReply},
    {"updatetime.config", loadUpdateTime},
    {"ShootData_0.Shoot", loadShootFile},
}};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz::InputReader input(data, size);
    const Loader& loader = kLoaders[input.byte() % kLoaders.size()];
    const uint8_t parameter = input.byte();
    // Loaders keep damaged files aside and make profiles: start each input
    // from an empty folder, or it would fill up over millions of runs.
    fuzz::clearScratchFolder();
    const std::string path = fuzz::writeScratchFile(loader.fileName, input.restAsText());
    loader.load(path, parameter);
    return 0;
}
