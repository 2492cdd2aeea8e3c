#include "platform/settings_store.h"

#include "platform/app_paths.h"
#include "platform/atomic_file.h"
#include "platform/debug_output.h"

#include <cerrno>
#include <charconv>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <mutex>
#include <system_error>
#include <vector>

namespace talven {

namespace {

// Two values live here; anything this large is not our file.
constexpr std::uintmax_t kMaxFileSize = 1 << 20;

// One lock for every store in the process: two stores on the same file must
// not interleave their read-modify-write.
std::mutex g_fileLock;

enum class ReadStatus { Ok, Missing, Failed };

struct FileText {
    ReadStatus status = ReadStatus::Missing;
    std::string text;
    bool tooLarge = false;
};

FileText readWhole(const std::string& path) {
    FileText result;
    std::error_code ec;
    const auto size = std::filesystem::file_size(path, ec);
    if (ec) {
        result.status = (ec == std::errc::no_such_file_or_directory) ? ReadStatus::Missing
                                                                     : ReadStatus::Failed;
        return result;
    }
    if (size > kMaxFileSize) {
        result.status = ReadStatus::Ok;
        result.tooLarge = true;
        return result;
    }
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        result.status = ReadStatus::Failed;
        return result;
    }
    result.text.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    result.status = in.bad() ? ReadStatus::Failed : ReadStatus::Ok;
    return result;
}

// NUL-free, well-formed UTF-8: no overlong forms, surrogates or values past U+10FFFF.
bool isValidUtf8(std::string_view s) {
    for (size_t i = 0; i < s.size();) {
        const auto c = static_cast<unsigned char>(s[i]);
        if (c == 0) return false;
        if (c < 0x80) {
            ++i;
            continue;
        }
        size_t extra = 0;
        uint32_t code = 0;
        if (c >= 0xC2 && c <= 0xDF) extra = 1, code = c & 0x1F;
        else if ((c & 0xF0) == 0xE0) extra = 2, code = c & 0x0F;
        else if (c >= 0xF0 && c <= 0xF4) extra = 3, code = c & 0x07;
        else return false;
        if (s.size() - i <= extra) return false;
        for (size_t k = 1; k <= extra; ++k) {
            const auto cc = static_cast<unsigned char>(s[i + k]);
            if ((cc & 0xC0) != 0x80) return false;
            code = (code << 6) | (cc & 0x3F);
        }
        if ((extra == 2 && (code < 0x800 || (code >= 0xD800 && code <= 0xDFFF))) ||
            (extra == 3 && (code < 0x10000 || code > 0x10FFFF))) {
            return false;
        }
        i += extra + 1;
    }
    return true;
}

bool equalsIgnoringCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        auto lower = [](char c) { return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c; };
        if (lower(a[i]) != lower(b[i])) return false;
    }
    return true;
}

bool isBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view trim(std::string_view s) {
    while (!s.empty() && isBlank(s.front())) s.remove_prefix(1);
    while (!s.empty() && isBlank(s.back())) s.remove_suffix(1);
    return s;
}

std::optional<std::string> unescape(std::string_view s) {
    std::string out;
    for (size_t i = 0; i < s.size(); ++i) {
        if (s[i] != '\\') {
            out += s[i];
            continue;
        }
        if (++i == s.size()) return std::nullopt;
        switch (s[i]) {
            case '\\': out += '\\'; break;
            case 'n': out += '\n'; break;
            case 'r': out += '\r'; break;
            case 't': out += '\t'; break;
            case 's': out += ' '; break;
            case '=': case ';': case '#': case '[': out += s[i]; break;
            default: return std::nullopt;
        }
    }
    return out;
}

// Escapes what would end the line or the name; a value's outer spaces become
// \s so that the reader's trimming cannot eat them.
std::string escape(std::string_view s, bool isName) {
    const size_t first = s.find_first_not_of(' ');
    const size_t last = s.find_last_not_of(' ');
    std::string out;
    for (size_t i = 0; i < s.size(); ++i) {
        const char c = s[i];
        switch (c) {
            case '\\': out += "\\\\"; break;
            case '\n': out += "\\n"; break;
            case '\r': out += "\\r"; break;
            case '\t': out += "\\t"; break;
            case '=': out += "\\="; break;
            case ' ': out += (i < first || first == std::string_view::npos || i > last) ? "\\s" : " "; break;
            default:
                if (isName && i == 0 && (c == ';' || c == '#' || c == '[')) out += '\\';
                out += c;
        }
    }
    return out;
}

struct Line {
    enum class Kind { Other, Section, Entry } kind = Kind::Other;
    std::string raw;
    bool inGeneral = false;
    std::string name;   // entries only, unescaped
    std::string value;  // entries only, unescaped
};

// The position of the first '=' that is not escaped, or npos.
size_t findSeparator(std::string_view s) {
    for (size_t i = 0; i < s.size(); ++i) {
        if (s[i] == '\\') ++i;
        else if (s[i] == '=') return i;
    }
    return std::string_view::npos;
}

// The file's lines, or nothing when it is not a settings file we wrote or
// could have written (binary data, a cut-off line, an unknown escape).
std::optional<std::vector<Line>> parse(std::string_view text) {
    if (!isValidUtf8(text)) return std::nullopt;
    if (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);
    std::vector<Line> lines;
    bool inGeneral = true;  // entries before any section belong to [General]
    while (!text.empty()) {
        const size_t end = text.find('\n');
        std::string_view raw = text.substr(0, end);
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        Line line;
        line.raw = std::string(raw);
        if (!raw.empty() && raw.back() == '\r') raw.remove_suffix(1);
        const std::string_view body = trim(raw);
        if (body.empty() || body.front() == ';' || body.front() == '#') {
            line.kind = Line::Kind::Other;
        } else if (body.front() == '[') {
            if (body.back() != ']') return std::nullopt;
            line.kind = Line::Kind::Section;
            inGeneral = equalsIgnoringCase(trim(body.substr(1, body.size() - 2)), "General");
        } else {
            const size_t at = findSeparator(body);
            if (at == std::string_view::npos) return std::nullopt;
            auto name = unescape(trim(body.substr(0, at)));
            auto value = unescape(trim(body.substr(at + 1)));
            if (!name || name->empty() || !value) return std::nullopt;
            line.kind = Line::Kind::Entry;
            line.name = std::move(*name);
            line.value = std::move(*value);
        }
        line.inGeneral = inGeneral;
        lines.push_back(std::move(line));
    }
    return lines;
}

bool isOurs(const Line& line, std::string_view name) {
    return line.kind == Line::Kind::Entry && line.inGeneral && equalsIgnoringCase(line.name, name);
}

// Replaces the first entry of that name and drops any later duplicates, or
// adds the entry at the end of [General] (creating the section if needed).
void putEntry(std::vector<Line>& lines, std::string_view name, std::string_view value) {
    Line entry;
    entry.kind = Line::Kind::Entry;
    entry.inGeneral = true;
    entry.raw = escape(name, true) + "=" + escape(value, false);
    bool replaced = false;
    for (auto it = lines.begin(); it != lines.end();) {
        if (!isOurs(*it, name)) {
            ++it;
        } else if (!replaced) {
            *it++ = entry;
            replaced = true;
        } else {
            it = lines.erase(it);
        }
    }
    if (replaced) return;
    // After the last line of a General part that is an entry or its header.
    auto insertAt = lines.end();
    bool haveGeneral = false;
    for (auto it = lines.begin(); it != lines.end(); ++it) {
        if (it->inGeneral && it->kind != Line::Kind::Other) {
            insertAt = std::next(it);
            haveGeneral = true;
        }
    }
    if (!haveGeneral) {
        if (!lines.empty()) lines.push_back(Line{Line::Kind::Other, "", false, {}, {}});
        lines.push_back(Line{Line::Kind::Section, "[General]", true, {}, {}});
        insertAt = lines.end();
    }
    lines.insert(insertAt, std::move(entry));
}

std::string serialize(const std::vector<Line>& lines) {
    std::string out;
    for (const Line& line : lines) {
        out += line.raw;
        out += '\n';
    }
    return out;
}

}  // namespace

SettingsStore::SettingsStore() : SettingsStore(paths::configFolder() + "settings.ini") {}

SettingsStore::SettingsStore(std::string filePath) : path_(std::move(filePath)) {}

std::optional<std::string> SettingsStore::get(std::string_view name) const {
    std::lock_guard lock(g_fileLock);
    FileText file = readWhole(path_);
    if (file.status != ReadStatus::Ok) return std::nullopt;
    auto lines = file.tooLarge ? std::nullopt : parse(file.text);
    if (!lines) {
        debugOutputf("settings file %s is damaged; reading it as empty", path_.c_str());
        return std::nullopt;
    }
    std::optional<std::string> found;
    for (const Line& line : *lines) {
        if (isOurs(line, name)) found = line.value;  // the last one wins, as in any INI reader
    }
    return found;
}

bool SettingsStore::set(std::string_view name, std::string_view value) {
    if (name.empty() || trim(name).size() != name.size() || !isValidUtf8(name) || !isValidUtf8(value)) {
        debugOutputf("settings: refusing to store value \"%.*s\"", int(name.size()), name.data());
        return false;
    }
    std::lock_guard lock(g_fileLock);
    std::error_code ec;
    const std::filesystem::path folder = std::filesystem::path(path_).parent_path();
    if (!folder.empty()) std::filesystem::create_directories(folder, ec);
    if (ec) {
        debugOutputf("settings: cannot create %s: %s", folder.c_str(), ec.message().c_str());
        return false;
    }
    FileText file = readWhole(path_);
    if (file.status == ReadStatus::Failed) {
        // Writing now would replace values we could not see.
        debugOutputf("settings: cannot read %s", path_.c_str());
        return false;
    }
    std::vector<Line> lines;
    if (file.status == ReadStatus::Ok) {
        auto parsed = file.tooLarge ? std::nullopt : parse(file.text);
        if (parsed) {
            lines = std::move(*parsed);
        } else {
            // Keep the damaged file for whoever wants to look at it, then start afresh.
            const std::string kept = path_ + ".damaged";
            if (std::rename(path_.c_str(), kept.c_str()) != 0) {
                debugOutputf("settings: cannot move damaged %s aside: %s", path_.c_str(), std::strerror(errno));
                return false;
            }
            debugOutputf("settings: damaged file kept as %s", kept.c_str());
        }
    }
    putEntry(lines, name, value);
    if (int error = writeFileAtomically(path_, serialize(lines)); error != 0) {
        debugOutputf("settings: cannot write %s: %s", path_.c_str(), std::strerror(error));
        return false;
    }
    return true;
}

std::optional<uint32_t> parseStoredNumber(const std::optional<std::string>& text, uint32_t max) {
    if (!text) return std::nullopt;
    uint32_t value = 0;
    const char* first = text->data();
    const char* last = first + text->size();
    const auto [end, error] = std::from_chars(first, last, value);
    if (error != std::errc() || end != last || value > max) return std::nullopt;
    return value;
}

}  // namespace talven
