#include "tools/ctl_keyboard_macros.h"

#include "device/keyboard/keyboard_protocol.h"
#include "profile/macro_files.h"
#include "tools/ctl_format.h"

#include <cstdio>

namespace talven::ctl {

namespace {

using namespace keyboard;

// The macros in macro-number order, each with its name from the list.
struct MacroSet {
    std::vector<std::string> names;
    std::vector<EncodedMacro> macros;
};

// Refuses, as the program refuses to download it, a set with a list or a
// macro file that is there but cannot be read.
bool loadMacroSet(const std::string& folder, MacroSet& set, std::string* error) {
    if (!readEncodedMacrosChecked(folder, set.macros, error)) return false;
    for (const MacroListEntry& entry : ReadMacroList(folder + kMacroListFileName)) set.names.push_back(entry.name);
    set.names.resize(set.macros.size());
    return true;
}

// What one macro adds to the image: its offset, its record header, its events.
size_t macroBytes(const EncodedMacro& macro) { return macroBlobLength(std::span(&macro, 1)) - kMacroHeaderSize; }

std::string removeText(int events) { return "remove " + std::to_string(events) + " events"; }

int listMacros(KeyboardProtocol& kb, const MacroSet& set) {
    DeviceInfo info{};
    const int r = kb.channel().readInfo(info);
    if (r != channel_result::Success) return fail(describeResult(r));
    const size_t capacity = infoMacroCapacity(info);
    if (set.macros.empty()) {
        std::printf("no macros; nothing to send\ncapacity %zu bytes\n", capacity);
        return 0;
    }
    std::printf("%-5s %-5s %-5s %s\n", "macro", "steps", "bytes", "name");
    for (size_t m = 0; m < set.macros.size(); ++m)
        std::printf("%-5zu %-5zu %-5zu %s\n", m, set.macros[m].size(), macroBytes(set.macros[m]), set.names[m].c_str());
    const size_t total = macroBlobLength(set.macros);
    std::printf("image %zu bytes of %zu", total, capacity);
    if (total > capacity) std::printf(": does not fit, %s", removeText(macroEventsToRemove(total, capacity)).c_str());
    std::printf("\n");
    return 0;
}

int writeMacroSet(KeyboardProtocol& kb, const MacroSet& set) {
    const int result = kb.writeMacros(set.macros);
    if (result > 0) return fail("the macros do not fit the keyboard: " + removeText(result) + "; nothing written");
    if (result != 0) return fail("the keyboard did not take the macros");
    if (set.macros.empty()) {
        std::printf("no macros; nothing written\n");
        return 0;
    }
    std::printf("wrote %zu macros, %zu bytes\n", set.macros.size(), macroBlobLength(set.macros));
    return 0;
}

}  // namespace

int runKeyboardMacros(const KeyboardRequest& request) {
    const std::string& what = request.args[0];
    const std::vector<std::string> rest(request.args.begin() + 1, request.args.end());
    std::string error, dataFolder;
    if (!rest.empty()) {
        const auto folder = dataFolderOption(what, rest, &error);
        if (!folder) return fail(error, 2);
        dataFolder = *folder;
    }
    const auto target = findKeyboardInterface(request.device, &error);
    if (!target) return fail(error);
    MacroSet set;
    if (!keyboardDataFolder(*target, dataFolder, &error) || !loadMacroSet(dataFolder, set, &error))
        return fail(what == "write-macros" ? error + "; nothing written" : error);
    CommandChannel channel;
    if (!openChannel(channel, *target, request.trace, &error)) return fail(error);
    KeyboardProtocol kb(channel);
    return what == "macros" ? listMacros(kb, set) : writeMacroSet(kb, set);
}

}  // namespace talven::ctl
