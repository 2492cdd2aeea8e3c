#pragma once
// Reading the macro files of a device's data folder: the list "macro.config"
// (names and Guids, in macro-number order) and one "<Guid>.mac" file per
// macro holding its events. The macro editor writes them; device objects only
// read them to fill menus and to download the events.

#include <json/value.h>

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace talven {

inline constexpr const char* kMacroListFileName = "macro.config";
// The list the headset and mouse-pad pages read instead.
inline constexpr const char* kVelkoMacroListFileName = "velko_macro.config";
inline constexpr const char* kMacroFileExtension = ".mac";

struct MacroListEntry {
    std::string name;  // UTF-8
    std::string guid;

    friend bool operator==(const MacroListEntry&, const MacroListEntry&) = default;
};

// One event as a device stores it: delay (little-endian), type with bit 7
// set for a press, button.
using MacroEventBytes = std::array<uint8_t, 4>;

// "MacroInfo" in order; empty when the file is missing, damaged or has none.
// Entries that are not objects read as empty names and Guids.
std::vector<MacroListEntry> ReadMacroList(const std::string& path);

// "Events" of a macro file in order (each element as stored); empty when the
// file is missing, damaged or has none.
std::vector<Json::Value> ReadMacroEvents(const std::string& path);

// The four device bytes of one event object. "Delay" is read like a C
// decimal conversion (leading digits; anything else 0) and kept to 16 bits;
// "Type" and "Button" keep their low 8 bits; only "Action" exactly "down"
// sets bit 7 of the type.
MacroEventBytes EncodeMacroEvent(const Json::Value& event);

// The macro file of a list entry: folder + Guid + ".mac". Empty when the
// Guid is empty or is not a plain file name (it could otherwise point
// outside the data folder).
std::string macroFilePath(const std::string& folder, const std::string& guid);

// Every macro of the list in `folder`, in list order, each as its encoded
// events; a macro whose file is missing has no events.
std::vector<std::vector<MacroEventBytes>> ReadEncodedMacros(const std::string& folder,
                                                            const std::string& listFileName = kMacroListFileName);

// As ReadEncodedMacros, for a caller that must not send a set with macros
// silently missing: false, with `error` naming the file, when the list or a
// macro file exists but cannot be read or is not JSON. A missing list is
// still no macros and a missing macro file still a macro without events.
bool readEncodedMacrosChecked(const std::string& folder, std::vector<std::vector<MacroEventBytes>>& macros,
                              std::string* error);

}  // namespace talven
