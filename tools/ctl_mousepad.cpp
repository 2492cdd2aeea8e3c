#include "tools/ctl_mousepad.h"

#include "device/mousepad/mousepad_protocol.h"
#include "platform/app_paths.h"
#include "profile/profile_data_basic.h"
#include "profile/profile_list.h"
#include "tools/ctl_device.h"
#include "tools/ctl_format.h"

#include <cstdio>
#include <stdexcept>

namespace talven::ctl {

namespace {

using channel_result::Success;

// The folder given with --data-dir, else the pad's own; empty on failure.
std::string dataFolder(const FoundInterface& target, const std::vector<std::string>& args, std::string* error) {
    if (args.empty()) {
        try {
            return paths::deviceDataFolder(target.productName);
        } catch (const std::invalid_argument& e) {
            *error = e.what();
            return {};
        }
    }
    const std::string& dir = args[1];
    return dir.back() == '/' ? dir : dir + '/';
}

// The profile's lighting as the program starts from it. False with `error`
// set when the profile cannot be read: a damaged file is not replaced by
// the factory settings on the pad.
bool loadLight(const std::string& profilePath, const std::string& defaultPath, LightSettings& light,
               std::string* error) {
    CBasicProfiledata profile;
    profile.SetDefaultPath(defaultPath);
    profile.LoadDeviceEntry(profilePath);
    if (profile.lastStatus() == ProfileStatus::damagedFile || profile.lastStatus() == ProfileStatus::noFactoryEntry) {
        *error = "cannot read " + profilePath + ": " + profile.lastError();
        return false;
    }
    light = profile.ReadLightInfo();
    return true;
}

// The pad's block is read first so that the bytes the program does not own
// (the active profile, 9..20) go back as the pad holds them.
int apply(mousepad::MousePadProtocol& pad, const std::string& folder, const std::string& defaultPath) {
    const SelectedProfile selected = readSelectedProfile(folder);
    if (selected.path.empty()) return fail(selected.error);
    LightSettings light;
    std::string error;
    if (!loadLight(selected.path, defaultPath, light, &error)) return fail(error + "; nothing written");
    if (const int r = pad.attach(); r != Success) return fail(describeResult(r) + "; nothing written");
    mousepad::SettingsReading reading = pad.readSettings();
    if (reading.result != Success) return fail("settings block: " + describeResult(reading.result) + "; nothing written");
    mousepad::storeLight(reading.block, light);
    if (const int r = pad.writeSettings(0, reading.block); r != Success)
        return fail("settings block: " + describeResult(r));
    std::printf("applied %s\nmode %u brightness %u speed %u direction %u spectrum %u colour %u %u %u\n",
                selected.path.c_str(), light.selectItem, light.light, light.speed, light.fx, light.multiColor,
                light.red, light.green, light.blue);
    return 0;
}

}  // namespace

int runMousePadCommand(const MousePadRequest& request) {
    if (request.args.empty() || request.args[0] != "apply")
        return fail(request.args.empty() ? "mousepad needs apply" : "unknown mousepad command '" + request.args[0] + "' (apply)", 2);
    const std::vector<std::string> options(request.args.begin() + 1, request.args.end());
    const bool dataDirGiven = options.size() == 2 && options[0] == "--data-dir" && !options[1].empty();
    if (!options.empty() && !dataDirGiven) return fail("mousepad apply takes only --data-dir DIR", 2);

    std::string error;
    const auto target = findInterfaceOfKind(kind::MousePad, "mouse pad", request.device, &error);
    if (!target) return fail(error);
    const std::string folder = dataFolder(*target, options, &error);
    if (folder.empty()) return fail(error);
    CommandChannel channel;
    if (!openChannel(channel, *target, request.trace, &error)) return fail(error);
    mousepad::MousePadProtocol pad(channel);
    return apply(pad, folder, paths::defaultDataFolder() + target->productName + ".Json");
}

}  // namespace talven::ctl
