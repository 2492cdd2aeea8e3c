// talvenctl: lists the supported devices present and runs command-channel
// operations on them, for scripting and diagnosis.

#include "device/command_channel.h"
#include "tools/ctl_device.h"
#include "tools/ctl_format.h"
#include "tools/ctl_key_function.h"
#include "tools/ctl_keyboard.h"
#include "tools/ctl_mouse.h"
#include "tools/ctl_headset.h"
#include "tools/ctl_mousepad.h"
#include "tools/ctl_sim.h"

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <map>
#include <string>
#include <vector>

namespace talven::ctl {
namespace {

const char kUsage[] =
    "usage: talvenctl [--trace] [--device NAME|SLOT|PATH] [--sim-dir DIR] COMMAND [ARGS]\n"
    "\n"
    "  list                        supported interfaces present (real and simulated)\n"
    "  info                        read the 34-byte information record\n"
    "  online                      link check\n"
    "  begin | end                 open or close a configuration transaction\n"
    "  read-block OFFSET LENGTH    read configuration memory\n"
    "  write-block OFFSET HEX...   write configuration memory\n"
    "  read-table [SIZE]           read the key table (SIZE bytes, default 512)\n"
    "  read-third-table [SIZE]     read the light-position table (SIZE / 3 bytes)\n"
    "  read-short OFFSET LENGTH    single-frame read (at most 56 bytes)\n"
    "  write-short VALUE HEX...    single-frame write (at most 56 bytes)\n"
    "  keyboard info               the keyboard's key count and macro capacity\n"
    "  keyboard keys               key table: each key's position, code and light bit\n"
    "  keyboard profile            the active onboard profile and its record\n"
    "  keyboard apply [--data-dir DIR]\n"
    "                              write the selected profile of the keyboard's data\n"
    "                              folder (or DIR): profile record, macros, key table;\n"
    "                              nothing is written when the profile cannot be read\n"
    "                              or the macros do not fit the keyboard\n"
    "  keyboard macros [--data-dir DIR]\n"
    "                              the macros of the keyboard's data folder (or DIR):\n"
    "                              number, steps, bytes in the image and name, and the\n"
    "                              image's size against the keyboard's macro memory\n"
    "  keyboard write-macros [--data-dir DIR]\n"
    "                              download those macros into the keyboard's macro\n"
    "                              memory (0x15 frames); nothing is written when they\n"
    "                              do not fit or a macro file cannot be read\n"
    "  keyboard lighting MODE [--brightness N] [--speed N] [--direction 0|1]\n"
    "                    [--colour RRGGBB] [--spectrum on|off] [--data-dir DIR]\n"
    "                              set the selected profile's lighting as the lighting\n"
    "                              panel does (mode 0..22, levels 0..4, direction 1\n"
    "                              right to left): saved, then profile 0's record\n"
    "  keyboard set-key KEY FUNCTION [--data-dir DIR]\n"
    "                              store FUNCTION for KEY (a number as 'keyboard keys'\n"
    "                              lists it, or its factory name: A, F1, Esc) in the\n"
    "                              selected profile and send the macros and key table\n"
    "  mouse info|buttons|dpi [--wireless]\n"
    "                              the mouse's capabilities, its buttons' key slots,\n"
    "                              or its active profile's settings block and DPI stages\n"
    "  mouse apply [--data-dir DIR] [--screen WxH] [--wireless]\n"
    "                              write the selected profile of the mouse's data folder\n"
    "                              (or DIR): settings block, macros, button table;\n"
    "                              nothing is written when the profile cannot be read\n"
    "                              or the macros do not fit the mouse\n"
    "  mouse write-macros [--data-dir DIR] [--wireless]\n"
    "                              download the data folder's macros into the mouse\n"
    "                              (--wireless: behind a receiver, each command after\n"
    "                              its own link check)\n"
    "  mousepad apply [--data-dir DIR]\n"
    "                              write the selected profile's lighting of the pad's\n"
    "                              data folder (or DIR) into the pad's settings block;\n"
    "                              nothing is written when the profile cannot be read\n"
    "  headset apply [--data-dir DIR]\n"
    "                              write the selected profile of the headset's data\n"
    "                              folder (or DIR): lighting into its settings block and\n"
    "                              one frame, equaliser, microphone and voice changer\n"
    "                              through the audio library\n"
    "  headset eq PRESET           equaliser preset 1..12; headset mic LEVEL: the\n"
    "                              microphone's input level 0..100 (--trace prints\n"
    "                              the audio library's calls)\n"
    "  sim COMMAND...              control the device simulator (list, plug NAME,\n"
    "                              unplug NAME, fault NAME KIND [COUNT] [after N] [reports],\n"
    "                              notify NAME USAGE, key NAME POSITION [press|release|tap],\n"
    "                              profile NAME INDEX,\n"
    "                              gamemode NAME on|off, frames headset)\n"
    "\n"
    "  --trace    print every report written ('> ') and read ('< ') in hexadecimal\n"
    "  --device   product name (keyboard, mouse, mousepad, headset, keyboard7440),\n"
    "             slot number or interface path; default: the first one found\n"
    "  --sim-dir  also look for simulated devices in DIR (as TALVEN_SIM_DIR does)\n"
    "  --help     show this text; --version: show the version\n"
    "\n"
    "Numbers are decimal or 0x-prefixed hexadecimal.\n";

struct Options {
    bool trace = false;
    std::string device;
    std::vector<std::string> args;  // command and its arguments
};

bool parseOptions(int argc, char** argv, Options& options, std::string& error) {
    for (int i = 1; i < argc; ++i) {
        std::string a = argv[i];
        auto value = [&](const char* name) -> const char* {
            if (i + 1 >= argc) {
                error = std::string(name) + " needs a value";
                return nullptr;
            }
            return argv[++i];
        };
        if (!options.args.empty()) {
            options.args.push_back(a);
        } else if (a == "--trace") {
            options.trace = true;
        } else if (a == "--device") {
            const char* v = value("--device");
            if (!v) return false;
            options.device = v;
        } else if (a == "--sim-dir") {
            const char* v = value("--sim-dir");
            if (!v) return false;
            ::setenv("TALVEN_SIM_DIR", v, 1);
        } else if (a == "-h" || a == "--help") {
            options.args = {"help"};
        } else if (a == "--version") {
            options.args = {"--version"};
        } else if (!a.empty() && a[0] == '-') {
            error = "unknown option " + a;
            return false;
        } else {
            options.args.push_back(a);
        }
    }
    if (options.args.empty()) {
        error = "no command given (try --help)";
        return false;
    }
    return true;
}

int listInterfaces() {
    const auto found = findSupportedInterfaces();
    if (found.empty()) {
        std::printf("no supported device present\n");
        return 0;
    }
    std::printf("%-4s %-13s %-4s %-7s %-9s %-3s %-3s %-11s %s\n", "slot", "product", "kind", "role",
                "vid:pid", "if", "col", "usage", "path");
    for (const auto& f : found) {
        const auto& e = f.entry;
        std::printf("%-4d %-13s %-4u %-7s %04x:%04x %-3u %-3u %04x:%04x   %s\n", f.slot,
                    f.productName.empty() ? "-" : f.productName.c_str(), e.kind,
                    e.role == 0 ? "command" : "event", e.vendorId, e.productId, e.interfaceNumber,
                    e.collectionNumber, e.usagePage, e.usage, e.path.c_str());
    }
    return 0;
}

// Runs one channel operation; `args` excludes the command word.
using ChannelCommand = std::function<int(CommandChannel&, const std::vector<std::string>&)>;

int readCommand(CommandChannel& channel, const std::vector<std::string>& args, bool shortRead) {
    if (args.size() != 2) return fail("expects OFFSET LENGTH", 2);
    auto offset = parseNumber(args[0], 0xFFFF);
    auto length = parseNumber(args[1], shortRead ? 56 : 0xFFFF);
    if (!offset || !length) return fail("bad OFFSET or LENGTH", 2);
    std::vector<uint8_t> data(*length);
    int r = shortRead ? channel.readShort(data.data(), static_cast<uint8_t>(*length),
                                          static_cast<uint16_t>(*offset))
                      : channel.readBlock(data.data(), data.size(), static_cast<uint16_t>(*offset));
    if (r != channel_result::Success) return fail(describeResult(r));
    std::fputs(hexDump(data, static_cast<unsigned>(*offset)).c_str(), stdout);
    return 0;
}

int writeCommand(CommandChannel& channel, const std::vector<std::string>& args, bool shortWrite) {
    if (args.size() < 2) return fail(shortWrite ? "expects VALUE HEX..." : "expects OFFSET HEX...", 2);
    auto number = parseNumber(args[0], 0xFFFF);
    auto data = parseHexBytes({args.begin() + 1, args.end()});
    if (!number || !data || data->empty()) return fail("bad number or hexadecimal data", 2);
    if (shortWrite && data->size() > 56) return fail("write-short takes at most 56 bytes", 2);
    int r = shortWrite ? channel.writeShort(data->data(), static_cast<uint8_t>(data->size()),
                                            static_cast<uint16_t>(*number))
                       : channel.writeBlock(data->data(), data->size(), static_cast<uint16_t>(*number));
    return r == channel_result::Success ? 0 : fail(describeResult(r));
}

int tableCommand(CommandChannel& channel, const std::vector<std::string>& args, bool third) {
    if (args.size() > 1) return fail("expects at most SIZE", 2);
    if (args.size() == 1) {
        auto size = parseNumber(args[0], 0xFFFF);
        if (!size || !channel.setTableSize(static_cast<uint16_t>(*size)))
            return fail("table size must be 0..512", 2);
    }
    std::vector<uint8_t> table(CommandChannel::kMaxTableSize);
    int r = third ? channel.readThirdTable(table.data()) : channel.readTable(table.data());
    if (r != channel_result::Success) return fail(describeResult(r));
    table.resize(third ? channel.tableSize() / 3 : channel.tableSize());
    std::fputs(hexDump(table, 0).c_str(), stdout);
    return 0;
}

const std::map<std::string, ChannelCommand>& channelCommands() {
    static const std::map<std::string, ChannelCommand> commands = {
        {"info",
         [](CommandChannel& c, const std::vector<std::string>&) {
             DeviceInfo info{};
             int r = c.readInfo(info);
             if (r != channel_result::Success) return fail(describeResult(r));
             std::fputs(hexDump(info, 0).c_str(), stdout);
             std::printf("key count %u, macro capacity %u bytes\n", info[5], info[6] * 128u);
             return 0;
         }},
        {"online",
         [](CommandChannel& c, const std::vector<std::string>&) {
             bool online = c.isOnline();
             std::printf("%s\n", online ? "online" : "offline");
             return online ? 0 : 1;
         }},
        {"begin",
         [](CommandChannel& c, const std::vector<std::string>&) {
             int r = c.begin();
             return r == channel_result::Success ? 0 : fail(describeResult(r));
         }},
        {"end",
         [](CommandChannel& c, const std::vector<std::string>&) {
             int r = c.end();
             return r == channel_result::Success ? 0 : fail(describeResult(r));
         }},
        {"read-block", [](CommandChannel& c, const auto& a) { return readCommand(c, a, false); }},
        {"read-short", [](CommandChannel& c, const auto& a) { return readCommand(c, a, true); }},
        {"write-block", [](CommandChannel& c, const auto& a) { return writeCommand(c, a, false); }},
        {"write-short", [](CommandChannel& c, const auto& a) { return writeCommand(c, a, true); }},
        {"read-table", [](CommandChannel& c, const auto& a) { return tableCommand(c, a, false); }},
        {"read-third-table", [](CommandChannel& c, const auto& a) { return tableCommand(c, a, true); }},
    };
    return commands;
}

int runChannelCommand(const Options& options, const ChannelCommand& command) {
    std::string error;
    const auto found = findSupportedInterfaces();
    auto target = selectCommandInterface(found, options.device, &error);
    if (!target) return fail(error);
    CommandChannel channel;
    if (!openChannel(channel, *target, options.trace, &error)) return fail(error);
    return command(channel, {options.args.begin() + 1, options.args.end()});
}

int run(int argc, char** argv) {
    Options options;
    std::string error;
    if (!parseOptions(argc, argv, options, error)) return fail(error, 2);
    const std::string& name = options.args[0];
    if (name == "help") {
        std::fputs(kUsage, stdout);
        std::fputs(kKeyFunctionHelp, stdout);
        return 0;
    }
    if (name == "--version") {
        std::printf("talvenctl %s\n", TALVEN_VERSION);
        return 0;
    }
    if (name == "list") return listInterfaces();
    if (name == "sim") return runSimCommand({options.args.begin() + 1, options.args.end()});
    if (name == "mouse")
        return runMouseCommand({options.device, options.trace, {options.args.begin() + 1, options.args.end()}});
    if (name == "mousepad")
        return runMousePadCommand({options.device, options.trace, {options.args.begin() + 1, options.args.end()}});
    if (name == "headset")
        return runHeadsetCommand({options.device, options.trace, {options.args.begin() + 1, options.args.end()}});
    if (name == "keyboard")
        return runKeyboardCommand({options.device, options.trace, {options.args.begin() + 1, options.args.end()}});
    auto it = channelCommands().find(name);
    if (it == channelCommands().end()) return fail("unknown command '" + name + "' (try --help)", 2);
    return runChannelCommand(options, it->second);
}

}  // namespace
}  // namespace talven::ctl

int main(int argc, char** argv) { return talven::ctl::run(argc, argv); }
