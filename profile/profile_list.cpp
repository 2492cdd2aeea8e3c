#include "profile/profile_list.h"

#include "platform/debug_output.h"
#include "profile/json_fields.h"
#include "profile/json_file.h"
#include "profile/user_names.h"

#include <filesystem>

namespace talven {

using namespace json_fields;

namespace {

constexpr const char* kListKey = "profilelist";
constexpr const char* kSelectKey = "profileselect";
constexpr const char* kNameKey = "profilename";
constexpr const char* kUuidKey = "profileUUID";

struct OutcomeMessage {
    ProfileOutcome outcome;
    const char* key;
};

constexpr std::array<OutcomeMessage, 6> kOutcomeMessages = {{
    {ProfileOutcome::nameRefused, "message_text_5"},
    {ProfileOutcome::wrongKind, "message_text_9"},
    {ProfileOutcome::notAProfile, "message_text_import_invalid"},
    {ProfileOutcome::damagedFile, "message_text_profile_file"},
    {ProfileOutcome::missingFile, "message_text_profile_file"},
    {ProfileOutcome::writeFailed, "message_text_profile_file"},
}};

constexpr TabVisibility K = TabVisibility::keep;
constexpr TabVisibility S = TabVisibility::shown;
constexpr TabVisibility H = TabVisibility::hidden;

// Columns: deng, key, macro, system, cursor, 6533_voice, magic.
constexpr std::array<TabVisibilityRow, 6> kTabVisibility = {{
    {profile_kind::Keyboard, {K, K, S, K, H, K, K}},
    // The mouse's buttons run macros and fire recoil patterns made on its
    // macro tab: hidden, a mouse owner could make neither.
    {profile_kind::Mouse, {K, K, S, K, K, K, K}},
    {profile_kind::MousePad, {K, H, H, H, H, K, K}},
    {4, {K, H, H, K, H, K, K}},
    {5, {K, H, H, H, H, K, K}},
    {profile_kind::Headset, {K, H, H, H, H, S, S}},
}};

bool taken(const std::string& name, const std::vector<ProfileEntry>& entries) {
    for (const ProfileEntry& e : entries)
        if (sameUserName(e.name, name)) return true;
    return false;
}

bool hasProfiles(const JsonDocument& doc) {
    return isListDocument(doc, kListKey) && member(doc.value, kListKey).isArray() && !member(doc.value, kListKey).empty();
}

Json::Value entryValue(const std::string& name, const std::string& uuid) {
    Json::Value entry(Json::objectValue);
    entry[kNameKey] = name;
    entry[kUuidKey] = uuid;
    entry["profileislink"] = 0;
    entry["profilelinkmame"] = "";
    return entry;
}

}  // namespace

const char* profileMessageKey(ProfileOutcome outcome) {
    for (const OutcomeMessage& m : kOutcomeMessages)
        if (m.outcome == outcome) return m.key;
    return "";
}

// ---- names ------------------------------------------------------------------

std::string newProfileName(const std::vector<ProfileEntry>& entries) {
    for (size_t n = 1;; ++n) {
        std::string name = "Profile" + std::to_string(n);
        if (!taken(name, entries)) return name;
    }
}

std::string copyProfileName(const std::string& source, const std::vector<ProfileEntry>& entries) {
    std::string name = source + " copy";
    while (taken(name, entries)) name += " copy";
    return name;
}

std::string importProfileName(const std::string& path, const std::vector<ProfileEntry>& entries) {
    std::string name = std::filesystem::path(path).filename().string();
    if (const size_t dot = name.rfind('.'); dot != std::string::npos && dot > 0) name.erase(dot);
    for (int n = 1; taken(name, entries); ++n) name += "(" + std::to_string(n) + ")";
    return name;
}

std::string profileFilePath(const std::string& dataFolder, const std::string& uuid) {
    if (uuid.empty() || uuid == "." || uuid == ".." || uuid.find('/') != std::string::npos ||
        uuid.find('\0') != std::string::npos)
        return {};
    return dataFolder + uuid + kProfileFileExtension;
}

ProfileOutcome checkImportedProfile(const JsonDocument& doc, int kind) {
    if (doc.state != JsonFileState::ok || !doc.value.isObject() || !doc.value.isMember(kNameKey) ||
        !doc.value.isMember(kUuidKey))
        return ProfileOutcome::notAProfile;
    const Json::Value& stages = member(member(element(member(doc.value, "Device"), 0), "DPIStages"), "StageDPIs");
    if (kind == profile_kind::Keyboard && !stages.empty()) return ProfileOutcome::wrongKind;
    if (kind == profile_kind::Mouse && stages.empty()) return ProfileOutcome::wrongKind;
    return ProfileOutcome::done;
}

std::string keepDamagedFileAside(const std::string& path) {
    std::string aside = path + kDamagedFileSuffix;
    std::error_code ec;
    for (int n = 2; std::filesystem::exists(aside, ec) && n < 1000; ++n)
        aside = path + kDamagedFileSuffix + "." + std::to_string(n);
    std::filesystem::rename(path, aside, ec);
    if (ec) {
        debugOutput(path + " cannot be understood nor moved aside: " + ec.message());
        return {};
    }
    debugOutput(path + " cannot be understood; kept as " + aside);
    return aside;
}

bool isListDocument(const JsonDocument& doc, const char* arrayKey) {
    if (doc.state != JsonFileState::ok || !doc.value.isObject()) return false;
    const Json::Value& list = member(doc.value, arrayKey);
    return list.isNull() || list.isArray();
}

std::string writeListFile(const std::string& path, const Json::Value& doc, const char* arrayKey) {
    const JsonDocument onDisk = readListDocument(path, arrayKey);
    // Too large, a folder, a FIFO: not something to move aside or replace.
    if (onDisk.state == JsonFileState::unreadable)
        return path + " cannot be read (" + onDisk.error + "); nothing written";
    if (onDisk.state != JsonFileState::missing && !isListDocument(onDisk, arrayKey) &&
        keepDamagedFileAside(path).empty())
        return path + " cannot be understood nor kept aside";
    if (wirtejsonFile(path, doc) != 0) return cannotWrite(path);
    return {};
}

const TabVisibilityRow* tabVisibilityFor(int kind) {
    for (const TabVisibilityRow& row : kTabVisibility)
        if (row.kind == kind) return &row;
    return nullptr;
}

int selectedProfileIndex(const Json::Value& select, size_t count) {
    if (count == 0) return -1;
    // Only an integer names a profile; a fraction, a boolean or a text does
    // not (1.0 as a hand editor may write it is still 1).
    if (!select.isInt64()) return 0;
    const int64_t index = select.asInt64();
    return index >= 0 && static_cast<uint64_t>(index) < count ? static_cast<int>(index) : 0;
}

SelectedProfile readSelectedProfile(const std::string& dataFolder) {
    SelectedProfile selected;
    const std::string listPath = dataFolder + kProfileListFileName;
    const JsonDocument list = readListDocument(listPath, kListKey);
    if (list.state != JsonFileState::ok) {
        selected.error = list.state == JsonFileState::missing ? "no profile list " + listPath
                         : list.state == JsonFileState::damaged ? listPath + " is damaged: " + list.error
                                                                 : listPath + " cannot be read: " + list.error;
        return selected;
    }
    const Json::Value& profiles = member(list.value, kListKey);
    const Json::Value& select = member(list.value, kSelectKey);
    selected.index = selectedProfileIndex(select, profiles.isArray() ? profiles.size() : 0);
    if (selected.index < 0) {
        selected.error = listPath + " lists no profiles";
        return selected;
    }
    selected.fellBack = !(select.isInt64() && select.asInt64() == selected.index);
    selected.uuid = toText(member(element(profiles, static_cast<Json::ArrayIndex>(selected.index)), kUuidKey));
    selected.path = profileFilePath(dataFolder, selected.uuid);
    if (selected.path.empty()) {
        selected.uuid.clear();
        selected.error = listPath + " selects no usable profile (entry " + std::to_string(selected.index) + ")";
    }
    return selected;
}

// ---- the list ----------------------------------------------------------------------

void ProfileList::setFolders(std::string dataFolder, std::string defaultProfilePath) {
    dataFolder_ = std::move(dataFolder);
    defaultPath_ = std::move(defaultProfilePath);
}

std::string ProfileList::currentUuid() const {
    return selected_ >= 0 && selected_ < count() ? entries_[static_cast<size_t>(selected_)].uuid : std::string();
}

std::string ProfileList::profilePath(int index) const {
    if (index < 0 || index >= count()) return {};
    return profileFilePath(dataFolder_, entries_[static_cast<size_t>(index)].uuid);
}

ProfileResult ProfileList::init() {
    doc_ = Json::Value();
    entries_.clear();
    selected_ = -1;
    const JsonDocument list = readListDocument(listPath(), kListKey);
    // A list we may not even read is the user's to sort out; a fresh list
    // in its place would hide every profile it names.
    if (list.state == JsonFileState::unreadable)
        return {ProfileOutcome::damagedFile, listPath() + " cannot be read (" + list.error + "); nothing written"};
    ProfileResult created;
    if (hasProfiles(list)) adopt(list.value);
    else created = createFresh();
    const ProfileResult selected = select(selected_ < 0 ? 0 : selected_);
    return created.ok() ? selected : created;
}

void ProfileList::adopt(const Json::Value& doc) {
    doc_ = doc;
    entries_.clear();
    for (const Json::Value& e : member(doc_, kListKey))
        entries_.push_back({toText(member(e, kNameKey)), toText(member(e, kUuidKey))});
    selected_ = selectedProfileIndex(member(doc_, kSelectKey), entries_.size());
}

void ProfileList::restore(Snapshot s) {
    doc_ = std::move(s.doc);
    entries_ = std::move(s.entries);
    selected_ = s.selected;
}

void ProfileList::refresh() {
    const JsonDocument list = readListDocument(listPath(), kListKey);
    // A list emptied or broken behind our back is not adopted: the copy in
    // memory still matches what the user sees, and writeList puts it back.
    if (hasProfiles(list)) adopt(list.value);
}

ProfileResult ProfileList::writeList() {
    if (std::string error = writeListFile(listPath(), doc_, kListKey); !error.empty())
        return {ProfileOutcome::writeFailed, std::move(error)};
    return {};
}

ProfileResult ProfileList::createFresh() {
    const std::string uuid = newUuid();
    Json::Value content = factoryProfile();
    if (!content.isObject()) content = Json::Value(Json::objectValue);
    content[kNameKey] = "Profile1";
    content[kUuidKey] = uuid;
    Json::Value doc(Json::objectValue);
    doc[kListKey].append(entryValue("Profile1", uuid));
    doc[kSelectKey] = 0;
    adopt(doc);
    const std::string path = profileFilePath(dataFolder_, uuid);
    if (wirtejsonFile(path, content) != 0) return {ProfileOutcome::writeFailed, cannotWrite(path)};
    return writeList();
}

ProfileResult ProfileList::select(int index) {
    refresh();
    if (index < 0 || index >= count()) return {ProfileOutcome::unchanged, {}};
    selected_ = index;
    doc_[kSelectKey] = index;
    return writeList();
}

ProfileResult ProfileList::appendProfile(const std::string& name, Json::Value content) {
    if (entries_.size() >= kMaxListEntries)
        return {ProfileOutcome::writeFailed, "the list already holds " + std::to_string(kMaxListEntries) + " profiles"};
    const Snapshot before = snapshot();
    const std::string uuid = newUuid();
    const std::string path = profileFilePath(dataFolder_, uuid);
    if (!content.isObject()) content = Json::Value(Json::objectValue);
    content[kNameKey] = name;
    content[kUuidKey] = uuid;
    if (wirtejsonFile(path, content) != 0) return {ProfileOutcome::writeFailed, cannotWrite(path)};
    if (!doc_.isObject()) doc_ = Json::Value(Json::objectValue);
    if (!doc_[kListKey].isArray()) doc_[kListKey] = Json::Value(Json::arrayValue);
    doc_[kListKey].append(entryValue(name, uuid));
    doc_[kSelectKey] = static_cast<int>(doc_[kListKey].size()) - 1;
    adopt(doc_);
    if (ProfileResult r = writeList(); !r.ok()) {
        std::error_code ec;
        std::filesystem::remove(path, ec);  // unlisted, it would only be litter
        restore(before);
        return r;
    }
    return {};
}

std::string ProfileList::newUuid() const {
    return uniqueTimeStamp([this](const std::string& uuid) {
        for (const ProfileEntry& e : entries_)
            if (e.uuid == uuid) return true;
        std::error_code ec;
        return std::filesystem::exists(dataFolder_ + uuid + kProfileFileExtension, ec);
    });
}

bool ProfileList::nameTaken(const std::string& name, int except) const {
    for (int i = 0; i < count(); ++i)
        if (i != except && sameUserName(entries_[static_cast<size_t>(i)].name, name)) return true;
    return false;
}

// The factory profile; null when it is missing or damaged (a new profile
// then holds only its names and the page completes it when it loads).
Json::Value ProfileList::factoryProfile() const { return ReadJsonValue(defaultPath_); }

}  // namespace talven
