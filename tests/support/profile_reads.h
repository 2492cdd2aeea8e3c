#pragma once
// What a device page reads from a profile as it opens it: the device entry,
// the lighting with its effect steps, and the key list. The hostile-profile
// tests and the loaders' fuzz harness read profiles this same way.

#include "profile/profile_data_basic.h"

#include <string>

namespace talven::test {

inline void readProfileAsPages(CBasicProfiledata& profile, const std::string& path) {
    profile.SetProfilePath(path);
    profile.LoadDeviceEntry(path);
    profile.ReadLightInfo();
    profile.ReadLightList();
    profile.ReadKeyList();
    // The profile doubles as the light configuration, so its effect names
    // lead somewhere (the effect file may be the profile itself).
    profile.ReadLightConfig(path);
    profile.ReadLedEffects();
}

}  // namespace talven::test
