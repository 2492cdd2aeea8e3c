#include "tools/ctl_key_function.h"

#include <charconv>
#include <map>
#include <vector>

namespace talven::ctl {

using keyfn::AssignmentState;
using keyfn::Category;

const char* const kKeyFunctionHelp =
    "FUNCTION: default | disable | key:[Ctrl+|Shift+|Alt+|Win+]NAME (NAME as the key table names it:\n"
    "  B, F1, Esc, Num Enter, RCtrl ...) | mouse:left|middle|right|forward|back |\n"
    "  swing:count=N:delay=N:speed=N[:dir=0|1] | wheel:count=N:delay=N:amount=N[:dir=0|1] |\n"
    "  dpi:1|2|3 | fire:interval=N:count=N | media:NAME (media_play, media_mute, web_refresh ...) |\n"
    "  system:power|sleep|wake | macro:N[:mode=0..3|:repeat=N] | gun:0..3\n";

namespace {

using Fields = std::vector<std::string>;

Fields split(const std::string& text, char separator) {
    Fields out;
    size_t start = 0;
    for (size_t at; (at = text.find(separator, start)) != std::string::npos; start = at + 1)
        out.push_back(text.substr(start, at - start));
    out.push_back(text.substr(start));
    return out;
}

std::optional<int> decimal(const std::string& text) {
    int value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value, 10);
    if (text.empty() || ec != std::errc() || end != text.data() + text.size()) return std::nullopt;
    return value;
}

// One of `names`, by position.
std::optional<int> choice(const std::string& text, std::initializer_list<const char*> names) {
    int i = 0;
    for (const char* name : names) {
        if (text == name) return i;
        ++i;
    }
    return std::nullopt;
}

// "name=N" fields: every name must be known, and the required ones given.
bool readOptions(const Fields& fields, std::map<std::string, int>& values, std::initializer_list<const char*> required,
                 std::initializer_list<const char*> optional, std::string* error) {
    for (const std::string& field : fields) {
        const size_t eq = field.find('=');
        const std::string name = field.substr(0, eq);
        const bool known = choice(name, required) || choice(name, optional);
        const auto value = eq == std::string::npos ? std::nullopt : decimal(field.substr(eq + 1));
        if (!known || !value) {
            *error = "'" + field + "' is not one of the function's name=NUMBER fields";
            return false;
        }
        values[name] = *value;
    }
    for (const char* name : required) {
        if (!values.count(name)) {
            *error = std::string("the function needs ") + name + "=NUMBER";
            return false;
        }
    }
    return true;
}

bool parseMotion(const Fields& fields, const char* amountName, keyfn::MotionState& motion, std::string* error) {
    std::map<std::string, int> v;
    if (!readOptions(fields, v, {"count", "delay", amountName}, {"dir"}, error)) return false;
    if (v["dir"] != 0 && v["dir"] != 1) {
        *error = "dir is 0 or 1";
        return false;
    }
    motion = {v["dir"], v["count"], v["delay"], v[amountName]};
    return true;
}

// A keyboard-key row of the key table by its name, with one left modifier before it.
bool parseKey(const std::string& text, AssignmentState& s, std::string* error) {
    std::string name = text;
    if (const size_t plus = text.find('+'); plus != std::string::npos && plus > 0) {
        if (const auto option = choice(text.substr(0, plus), {"", "Ctrl", "Shift", "Alt", "Win"})) {
            s.modifierOption = *option;
            name = text.substr(plus + 1);
        }
    }
    const auto row = keyfn::findName(keyfn::kKeyboardKeys, "keyboard_key_" + name);
    if (!row || keyfn::kKeyboardKeys[*row].record.code[0] != keyfn::kTypeKey) {
        *error = "'" + name + "' is no keyboard key of the key table";
        return false;
    }
    const keyfn::KeyRecord& record = keyfn::kKeyboardKeys[*row].record;
    s.key = keyfn::capturedKey(record.virtualKey, record.code[2]);
    return true;
}

bool parseMacro(const Fields& fields, AssignmentState& s, std::string* error) {
    const auto number = fields.empty() ? std::nullopt : decimal(fields[0]);
    std::map<std::string, int> v;
    if (!number || !readOptions(Fields(fields.begin() + 1, fields.end()), v, {}, {"mode", "repeat"}, error)) {
        if (!number) *error = "macro needs its number: macro:N";
        return false;
    }
    if (v.count("mode") && v.count("repeat")) {
        *error = "macro takes mode or repeat, not both";
        return false;
    }
    if (v["mode"] < 0 || v["mode"] >= keyfn::kMacroRepeatMode) {
        *error = "macro mode is 0 to 3 (repeat=N repeats)";
        return false;
    }
    s.macro = *number;
    s.macroRunMode = v.count("repeat") ? keyfn::kMacroRepeatMode : v["mode"];
    s.macroRepeat = v["repeat"];
    return true;
}

// Functions that pick one row of a list: by name, or by number for DPI and gun keys.
struct RowKind {
    const char* kind;
    int AssignmentState::*row;
    std::optional<int> (*find)(const std::string&);
};

const RowKind kRowKinds[] = {
    {"mouse", &AssignmentState::mouseButton,
     [](const std::string& a) { return choice(a, {"left", "middle", "right", "forward", "back"}); }},
    {"system", &AssignmentState::system, [](const std::string& a) { return choice(a, {"power", "sleep", "wake"}); }},
    {"dpi", &AssignmentState::dpi, [](const std::string& a) { return choice(a, {"1", "2", "3"}); }},
    {"gun", &AssignmentState::gunKey, [](const std::string& a) { return choice(a, {"0", "1", "2", "3"}); }},
    {"media", &AssignmentState::media,
     [](const std::string& a) -> std::optional<int> {
         const auto row = keyfn::findName(keyfn::kMediaFunctions, a);
         return row ? std::optional<int>(static_cast<int>(*row)) : std::nullopt;
     }},
};

bool parseArgument(const std::string& kind, const Fields& rest, AssignmentState& s, std::string* error) {
    const std::string arg = rest.size() == 1 ? rest[0] : std::string();
    if (kind == "swing") return parseMotion(rest, "speed", s.swing, error);
    if (kind == "wheel") return parseMotion(rest, "amount", s.wheel, error);
    if (kind == "macro") return parseMacro(rest, s, error);
    if (kind == "fire") {
        std::map<std::string, int> v;
        if (!readOptions(rest, v, {"interval", "count"}, {}, error)) return false;
        s.fireInterval = v["interval"], s.fireCount = v["count"];
        return true;
    }
    for (const RowKind& k : kRowKinds) {
        if (kind != k.kind) continue;
        const auto row = rest.size() == 1 ? k.find(arg) : std::nullopt;
        if (!row) break;
        s.*k.row = *row;
        return true;
    }
    *error = "'" + arg + "' is not a " + kind + " function";
    return false;
}

}  // namespace

std::optional<AssignmentState> parseKeyFunction(const std::string& text, std::string* error) {
    AssignmentState s;
    if (text == "default") return s;
    if (text == "disable") {
        s.category = Category::Disable;
        return s;
    }
    const size_t colon = text.find(':');
    const std::string kind = text.substr(0, colon);
    const auto category = choice(kind, {"", "mouse", "swing", "wheel", "dpi", "fire", "key", "media", "system",
                                        "macro", "gun"});
    if (colon == std::string::npos || !category || *category == 0) {
        *error = "unknown function '" + text + "'";
        return std::nullopt;
    }
    s.category = static_cast<Category>(*category);
    // Key names may hold any character but the key table has none with ':'.
    const std::string rest = text.substr(colon + 1);
    const bool ok = kind == "key" ? parseKey(rest, s, error) : parseArgument(kind, split(rest, ':'), s, error);
    if (!ok) return std::nullopt;
    return s;
}

}  // namespace talven::ctl
