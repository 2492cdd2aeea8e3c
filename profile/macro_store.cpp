#include "profile/macro_store.h"

#include "platform/atomic_file.h"
#include "platform/debug_output.h"
#include "profile/json_document.h"
#include "profile/json_fields.h"
#include "profile/json_file.h"
#include "profile/profile_list.h"
#include "profile/user_names.h"

#include <filesystem>

namespace talven {

using namespace json_fields;

namespace {

constexpr const char* kInfoKey = "MacroInfo";

bool nameTaken(const std::string& name, const std::vector<MacroListEntry>& entries, int except = -1) {
    for (size_t i = 0; i < entries.size(); ++i)
        if (static_cast<int>(i) != except && sameUserName(entries[i].name, name)) return true;
    return false;
}

bool inRange(int index, const std::vector<MacroListEntry>& entries) {
    return index >= 0 && static_cast<size_t>(index) < entries.size();
}

std::vector<MacroListEntry> entriesOf(const Json::Value& doc) {
    std::vector<MacroListEntry> entries;
    for (const Json::Value& e : member(doc, kInfoKey))
        entries.push_back({toText(member(e, "MacroName")), toText(member(e, "Guid"))});
    return entries;
}

MacroResult unreadable(const std::string& error) { return {MacroOutcome::damagedFile, -1, error}; }

// The bytes of a macro file to copy; false with `r` set when there are none.
// The bytes are copied as they are, but a file beyond the macro bounds is
// refused: once copied in, the editor and the device could never read it.
bool copyableBytes(const std::string& path, std::string& bytes, MacroResult& r) {
    FileRead read = readRegularFile(path, kMacroJsonLimits.maxBytes);
    std::string error = read.error.empty() ? "it is empty" : read.error;
    if (read.state == FileReadState::ok && !read.bytes.empty()) {
        const JsonDocument doc = parseJsonText(read.bytes, kMacroJsonLimits);
        if (doc.state != JsonFileState::unreadable) {
            bytes = std::move(read.bytes);
            return true;
        }
        error = doc.error;
    }
    r = {MacroOutcome::missingFile, -1, path + " cannot be read: " + error};
    return false;
}

MacroResult limitReached() {
    return {MacroOutcome::limitReached, -1, "the list already holds " + std::to_string(kMaxMacros) + " macros"};
}

}  // namespace

std::string newMacroName(const std::vector<MacroListEntry>& entries) {
    for (size_t n = 1;; ++n) {
        std::string name = "macro_" + std::to_string(n);
        if (!nameTaken(name, entries)) return name;
    }
}

std::string MacroStore::macroPath(int index) const {
    const std::vector<MacroListEntry> list = entries();
    return inRange(index, list) ? macroFilePath(folder_, list[static_cast<size_t>(index)].guid) : std::string();
}

MacroStore::List MacroStore::load() const {
    const JsonDocument doc = readListDocument(listPath(), kInfoKey);
    if (isListDocument(doc, kInfoKey)) return {doc.value, entriesOf(doc.value), {}};
    std::string error;
    if (doc.state == JsonFileState::unreadable)
        error = listPath() + " cannot be read (" + doc.error + "); nothing written";
    return {Json::Value(Json::objectValue), {}, std::move(error)};
}

MacroResult MacroStore::write(const Json::Value& doc) const {
    if (std::string error = writeListFile(listPath(), doc, kInfoKey); !error.empty())
        return {MacroOutcome::writeFailed, -1, std::move(error)};
    return {};
}

std::string MacroStore::newGuid(const std::vector<MacroListEntry>& entries) const {
    return uniqueTimeStamp([&](const std::string& guid) {
        for (const MacroListEntry& e : entries)
            if (e.guid == guid) return true;
        std::error_code ec;
        return std::filesystem::exists(folder_ + guid + kMacroFileExtension, ec);
    });
}

MacroResult MacroStore::append(List& list, const std::string& guid) {
    Json::Value entry(Json::objectValue);
    entry["MacroName"] = newMacroName(list.entries);
    entry["Guid"] = guid;
    if (!list.doc[kInfoKey].isArray()) list.doc[kInfoKey] = Json::Value(Json::arrayValue);
    list.doc[kInfoKey].append(entry);
    list.entries.push_back({entry["MacroName"].asString(), guid});
    MacroResult r = write(list.doc);
    r.index = r.ok() ? static_cast<int>(list.entries.size()) - 1 : -1;
    return r;
}

MacroResult MacroStore::add() {
    List list = load();
    if (!list.error.empty()) return unreadable(list.error);
    if (list.entries.size() >= kMaxMacros) return limitReached();
    return append(list, newGuid(list.entries));
}

MacroResult MacroStore::rename(int index, const std::string& name) {
    List list = load();
    if (!list.error.empty()) return unreadable(list.error);
    if (!inRange(index, list.entries)) return {MacroOutcome::unchanged, -1, {}};
    if (!usableUserName(name) || nameTaken(name, list.entries, index))
        return {MacroOutcome::nameRefused, -1, "\"" + name + "\" is empty or used by another macro"};
    // The readers take any element; a name can only go into an object, and
    // turning a hand-edited element into one would drop what it held.
    Json::Value& entry = list.doc[kInfoKey][static_cast<Json::ArrayIndex>(index)];
    if (!entry.isObject())
        return unreadable(listPath() + ": macro " + std::to_string(index) + " is not a JSON object; nothing written");
    entry["MacroName"] = name;
    return write(list.doc);
}

MacroResult MacroStore::remove(int index) {
    List list = load();
    if (!list.error.empty()) return unreadable(list.error);
    if (!inRange(index, list.entries)) return {MacroOutcome::unchanged, -1, {}};
    const MacroListEntry gone = list.entries[static_cast<size_t>(index)];
    Json::Value removed;
    list.doc[kInfoKey].removeIndex(static_cast<Json::ArrayIndex>(index), &removed);
    // The list goes first: if it cannot be written the macro is still whole.
    if (MacroResult r = write(list.doc); !r.ok()) return r;
    list.entries.erase(list.entries.begin() + index);
    bool shared = false;  // a hand-edited list may name one file twice
    for (const MacroListEntry& e : list.entries) shared = shared || e.guid == gone.guid;
    const std::string path = macroFilePath(folder_, gone.guid);
    std::error_code ec;
    if (!shared && !path.empty() && !std::filesystem::remove(path, ec) && ec)
        debugOutput(path + " cannot be deleted: " + ec.message());
    return {};
}

MacroResult MacroStore::save(int index, const std::vector<MacroStep>& steps) {
    const List list = load();
    if (!list.error.empty()) return unreadable(list.error);
    if (!inRange(index, list.entries)) return {MacroOutcome::unchanged, -1, {}};
    const MacroListEntry& entry = list.entries[static_cast<size_t>(index)];
    const std::string path = macroFilePath(folder_, entry.guid);
    if (path.empty()) return {MacroOutcome::unchanged, -1, "the macro has no usable Guid"};
    Json::Value file(Json::objectValue);
    file["MacroName"] = entry.name;
    file["Guid"] = entry.guid;
    Json::Value& events = file["Events"] = Json::Value(Json::arrayValue);
    for (const MacroStep& step : steps) {
        Json::Value event = step.event.isObject() ? step.event : Json::Value(Json::objectValue);
        event["Delay"] = std::to_string(step.delay);
        events.append(event);
    }
    file["Version"] = kMacroFileVersion;
    if (wirtejsonFile(path, file) != 0) return {MacroOutcome::writeFailed, -1, cannotWrite(path)};
    return {};
}

MacroResult MacroStore::exportTo(int index, const std::string& path) const {
    const std::string source = macroPath(index);
    if (source.empty()) return {MacroOutcome::unchanged, -1, {}};
    std::string bytes;
    if (MacroResult r; !copyableBytes(source, bytes, r)) return r;
    if (writeFileAtomically(path, bytes) != 0) return {MacroOutcome::writeFailed, -1, cannotWrite(path)};
    return {};
}

MacroResult MacroStore::importFrom(const std::string& path) {
    std::string bytes;
    if (MacroResult r; !copyableBytes(path, bytes, r)) return r;
    List list = load();
    if (!list.error.empty()) return unreadable(list.error);
    if (list.entries.size() >= kMaxMacros) return limitReached();
    const std::string guid = newGuid(list.entries);
    const std::string target = folder_ + guid + kMacroFileExtension;
    if (writeFileAtomically(target, bytes) != 0)
        return {MacroOutcome::writeFailed, -1, cannotWrite(target)};
    MacroResult r = append(list, guid);
    std::error_code ec;
    if (!r.ok()) std::filesystem::remove(target, ec);
    return r;
}

}  // namespace talven
