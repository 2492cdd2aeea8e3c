#include "tools/ctl_mouse.h"

#include "device/mouse/mouse_profile_apply.h"
#include "platform/app_paths.h"
#include "profile/macro_files.h"
#include "profile/profile_list.h"
#include "tools/ctl_device.h"
#include "tools/ctl_format.h"

#include <cstdio>
#include <optional>
#include <stdexcept>

namespace talven::ctl {

namespace {

using namespace mouse;
using channel_result::Success;

struct MouseOptions {
    std::string dataFolder;  // --data-dir, with a trailing '/'; empty = the mouse's own
    ScreenSize screen;       // --screen WIDTHxHEIGHT; none given: the all-zero form
    bool wireless = false;   // --wireless: the mouse is behind a receiver (slow link)
};

std::optional<ScreenSize> parseScreen(const std::string& text) {
    const size_t x = text.find('x');
    if (x == std::string::npos) return std::nullopt;
    const auto width = parseNumber(text.substr(0, x), 0xFFFF);
    const auto height = parseNumber(text.substr(x + 1), 0xFFFF);
    if (!width || !height || *width == 0 || *height == 0) return std::nullopt;
    return ScreenSize{1, static_cast<uint16_t>(*width), static_cast<uint16_t>(*height)};
}

// The options `command` takes; false with `error` set on anything else.
bool parseMouseOptions(const std::string& command, const std::vector<std::string>& args, MouseOptions& options,
                       std::string* error) {
    const bool takesData = command == "apply" || command == "write-macros";
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        const bool hasValue = i + 1 < args.size() && !args[i + 1].empty();
        if (a == "--wireless") {
            options.wireless = true;
        } else if (a == "--data-dir" && takesData && hasValue) {
            const std::string& dir = args[++i];
            options.dataFolder = dir.back() == '/' ? dir : dir + '/';
        } else if (a == "--screen" && command == "apply" && hasValue) {
            const auto screen = parseScreen(args[++i]);
            if (!screen) {
                *error = "--screen takes WIDTHxHEIGHT in pixels, e.g. 1920x1080";
                return false;
            }
            options.screen = *screen;
        } else {
            *error = "mouse " + command + " does not take '" + a + "'";
            return false;
        }
    }
    return true;
}

std::optional<FoundInterface> findMouseInterface(const std::string& selector, std::string* error) {
    const auto found = findSupportedInterfaces();
    auto isMouse = [](const FoundInterface& f) {
        return f.entry.role == role::Command && (f.entry.kind == kind::Mouse || f.entry.kind == kind::WirelessMouse);
    };
    if (selector.empty()) {
        for (const auto& f : found)
            if (isMouse(f)) return f;
        *error = "no mouse found";
        return std::nullopt;
    }
    auto target = selectCommandInterface(found, selector, error);
    if (target && !isMouse(*target)) {
        *error = "'" + selector + "' is not a mouse";
        return std::nullopt;
    }
    return target;
}

std::string dataFolderOf(const FoundInterface& target, const MouseOptions& options, std::string* error) {
    if (!options.dataFolder.empty()) return options.dataFolder;
    try {
        return paths::deviceDataFolder(target.productName);
    } catch (const std::invalid_argument& e) {
        *error = e.what();
        return {};
    }
}

int attachOrFail(MouseProtocol& mouse) {
    const int r = mouse.attach();
    if (r == kTableTooLarge) return fail("the mouse's button table is too long to read");
    if (r != Success) return fail(describeResult(r));
    return 0;
}

int showInfo(MouseProtocol& mouse) {
    if (const int failed = attachOrFail(mouse)) return failed;
    const MouseCapabilities caps = mouse.capabilities();
    std::printf("key slots %u\nmacro capacity %zu bytes\ndpi step %u\ndpi steps %u\ndpi base %u\ndpi maximum %u\n",
                caps.keySlots, caps.macroCapacity, caps.dpiStep, caps.dpiStepCount, caps.dpiBase, caps.dpiMaximum());
    std::fputs(hexDump(mouse.info(), 0).c_str(), stdout);
    return 0;
}

int showButtons(MouseProtocol& mouse) {
    if (const int failed = attachOrFail(mouse)) return failed;
    std::printf("%-6s %-20s %-5s %s\n", "button", "name", "slot", "factory code");
    for (size_t j = 0; j < kLogicalButtons; ++j) {
        const uint8_t slot = mouse.buttonMap()[j];
        const std::string slotText = slot == kNotPresent ? "-" : std::to_string(slot);
        std::printf("%-6zu %-20s %-5s %s\n", j, std::string(kMouseButtons[j].label).c_str(), slotText.c_str(),
                    hexBytes(kMouseButtons[j].factoryCode).c_str());
    }
    return 0;
}

int showSettings(MouseProtocol& mouse) {
    if (const int failed = attachOrFail(mouse)) return failed;
    const SettingsReading reading = mouse.readSettings();
    if (reading.result != Success) return fail(describeResult(reading.result));
    const DecodedMouseSettings& d = reading.decoded;
    const MouseCapabilities caps = mouse.capabilities();
    std::printf("active profile %u\nactive stage %u\npolling rate %u\nlift-off %u\n", reading.activeProfile,
                d.activeStage, d.pollingRate, d.liftOff);
    std::printf("%-5s %-2s %-2s %-6s %-6s %s\n", "stage", "on", "xy", "dpi x", "dpi y", "colour");
    for (size_t i = 0; i < kDpiStages; ++i) {
        const DpiStage& s = d.stages[i];
        std::printf("%-5zu %-2u %-2u %-6u %-6u %02x %02x %02x\n", i, s.enabled, s.xyFlag, caps.dpiForIndex(s.dpiX),
                    caps.dpiForIndex(s.dpiY), s.red, s.green, s.blue);
    }
    std::printf("lighting mode %u brightness %u speed %u colour %02x %02x %02x\n", d.light.selectItem,
                d.light.light, d.light.speed, d.light.red, d.light.green, d.light.blue);
    std::printf("block %s\n", hexBytes(mouse.settingsBlock()).c_str());
    return 0;
}

int macroFailure(int result) {
    if (result > 0)
        return fail("the macros do not fit the mouse: remove " + std::to_string(result) + " events; nothing written");
    return fail("the macros did not reach the mouse");
}

int applyProfile(MouseProtocol& mouse, const FoundInterface& target, const MouseOptions& options) {
    std::string error;
    const std::string folder = dataFolderOf(target, options, &error);
    if (folder.empty()) return fail(error);
    const SelectedProfile selected = readSelectedProfile(folder);
    if (selected.path.empty()) return fail(selected.error);
    const std::string defaultPath = paths::defaultDataFolder() + target.productName + ".Json";
    MouseProfileValues values;
    if (!loadMouseProfile(selected.path, defaultPath, folder, values, &error)) return fail(error);

    const MouseApplyOutcome outcome = applyMouseProfile(mouse, values, options.screen);
    if (outcome.attachResult == kTableTooLarge) return fail("the mouse's button table is too long to read; nothing written");
    if (outcome.attachResult != Success) return fail(describeResult(outcome.attachResult) + "; nothing written");
    if (outcome.macroResult != 0) return macroFailure(outcome.macroResult);
    if (outcome.settingsResult != Success) return fail("settings block: " + describeResult(outcome.settingsResult));
    if (outcome.buttonResult != Success) return fail("button table: " + describeResult(outcome.buttonResult));
    std::printf("applied %s\nmacros %zu\n", selected.path.c_str(), values.macros.size());
    return 0;
}

int writeMacros(MouseProtocol& mouse, const FoundInterface& target, const MouseOptions& options) {
    std::string error;
    const std::string folder = dataFolderOf(target, options, &error);
    if (folder.empty()) return fail(error);
    std::vector<EncodedMacro> macros;
    if (!readEncodedMacrosChecked(folder, macros, &error)) return fail(error);
    const int result = mouse.writeMacros(macros);
    if (result != 0) return macroFailure(result);
    std::printf("macros %zu\n", macros.size());
    return 0;
}

}  // namespace

int runMouseCommand(const MouseRequest& request) {
    if (request.args.empty()) return fail("mouse needs info, buttons, dpi, apply or write-macros", 2);
    const std::string& what = request.args[0];
    if (what != "info" && what != "buttons" && what != "dpi" && what != "apply" && what != "write-macros")
        return fail("unknown mouse command '" + what + "' (info, buttons, dpi, apply, write-macros)", 2);
    MouseOptions options;
    std::string error;
    if (!parseMouseOptions(what, {request.args.begin() + 1, request.args.end()}, options, &error))
        return fail(error, 2);

    const auto target = findMouseInterface(request.device, &error);
    if (!target) return fail(error);
    CommandChannel channel;
    if (!openChannel(channel, *target, request.trace, &error)) return fail(error);
    if (options.wireless) channel.setSlowLink(true);
    MouseProtocol mouse(channel);
    if (what == "info") return showInfo(mouse);
    if (what == "buttons") return showButtons(mouse);
    if (what == "dpi") return showSettings(mouse);
    if (what == "write-macros") return writeMacros(mouse, *target, options);
    return applyProfile(mouse, *target, options);
}

}  // namespace talven::ctl
