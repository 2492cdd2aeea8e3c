// ProfileList: the operations that create, change and remove profile files.

#include "platform/debug_output.h"
#include "profile/json_fields.h"
#include "profile/json_file.h"
#include "profile/user_names.h"
#include "profile/profile_list.h"

#include <filesystem>

#include <unistd.h>

namespace talven {

using namespace json_fields;

namespace {

constexpr const char* kNameKey = "profilename";
constexpr const char* kUuidKey = "profileUUID";
// The user's equaliser slots of a headset, which a reset keeps.
constexpr std::array<const char*, 2> kHeadsetKeptKeys = {"CustomEQNameInfo", "CustomEQHzValueInfo"};

// A profile file that is about to be changed or copied: missing reads as
// null, anything that is not a JSON object is damaged.
ProfileResult readProfileFile(const std::string& path, JsonDocument& doc) {
    if (path.empty()) return {ProfileOutcome::damagedFile, "the profile list names no usable file"};
    doc = readJsonDocument(path);
    if (doc.state == JsonFileState::damaged || doc.state == JsonFileState::unreadable)
        return {ProfileOutcome::damagedFile, path + ": " + doc.error};
    if (doc.state == JsonFileState::ok && !doc.value.isObject())
        return {ProfileOutcome::damagedFile, path + ": its top level is not a JSON object"};
    return {};
}

}  // namespace

ProfileResult ProfileList::add() {
    refresh();
    if (entries_.size() >= kMaxProfiles) return {ProfileOutcome::unchanged, {}};
    return appendProfile(newProfileName(entries_), factoryProfile());
}

ProfileResult ProfileList::copy() {
    refresh();
    if (selected_ < 0) return {ProfileOutcome::unchanged, {}};
    JsonDocument source;
    if (ProfileResult r = readProfileFile(currentProfilePath(), source); !r.ok()) return r;
    // A profile never saved copies as names only; it loads the factory
    // settings like its source would.
    const std::string name = copyProfileName(entries_[static_cast<size_t>(selected_)].name, entries_);
    return appendProfile(name, source.value);
}

ProfileResult ProfileList::remove() {
    refresh();
    if (selected_ < 0 || count() < 2) return {ProfileOutcome::unchanged, {}};
    const Snapshot before = snapshot();
    const int removed = selected_;
    const ProfileEntry gone = entries_[static_cast<size_t>(removed)];
    Json::Value kept(Json::arrayValue);
    for (int i = 0; i < count(); ++i)
        if (i != removed) kept.append(doc_["profilelist"][static_cast<Json::ArrayIndex>(i)]);
    doc_["profilelist"] = kept;
    doc_["profileselect"] = removed > 0 ? removed - 1 : 0;
    adopt(doc_);
    // The list goes first: a profile file without a list entry is harmless,
    // a list entry without its file is not what the user asked for.
    if (ProfileResult r = writeList(); !r.ok()) {
        restore(before);
        return r;
    }
    bool shared = false;  // a hand-edited list may name one file twice
    for (const ProfileEntry& e : entries_) shared = shared || e.uuid == gone.uuid;
    const std::string path = profileFilePath(dataFolder_, gone.uuid);
    std::error_code ec;
    if (!shared && !path.empty() && !std::filesystem::remove(path, ec) && ec)
        debugOutput(path + " cannot be deleted: " + ec.message());
    return {};
}

ProfileResult ProfileList::importFrom(const std::string& path) {
    // Whatever its name, an imported file becomes a profile.
    JsonDocument doc = readJsonDocument(path, kProfileJsonLimits);
    if (const ProfileOutcome check = checkImportedProfile(doc, kind_); check != ProfileOutcome::done) {
        return {check, path + (check == ProfileOutcome::wrongKind ? " is a profile of another kind of device"
                                                                  : " is not a profile: " + doc.error)};
    }
    refresh();
    return appendProfile(importProfileName(path, entries_), std::move(doc.value));
}

ProfileResult ProfileList::exportTo(const std::string& path) {
    refresh();
    if (selected_ < 0) return {ProfileOutcome::unchanged, {}};
    JsonDocument doc;
    if (ProfileResult r = readProfileFile(currentProfilePath(), doc); !r.ok()) return r;
    if (doc.state == JsonFileState::missing)
        return {ProfileOutcome::missingFile, currentProfilePath() + " does not exist yet"};
    if (wirtejsonFile(path, doc.value) != 0) return {ProfileOutcome::writeFailed, cannotWrite(path)};
    return {};
}

ProfileResult ProfileList::rename(const std::string& name) {
    refresh();
    if (selected_ < 0) return {ProfileOutcome::unchanged, {}};
    if (!usableUserName(name) || nameTaken(name, selected_))
        return {ProfileOutcome::nameRefused, "\"" + name + "\" is empty or used by another profile"};
    const std::string path = currentProfilePath();
    JsonDocument doc;
    if (ProfileResult r = readProfileFile(path, doc); !r.ok()) return r;
    const bool existed = doc.state == JsonFileState::ok;
    Json::Value content = existed ? doc.value : Json::Value(Json::objectValue);
    if (!existed) content[kUuidKey] = currentUuid();
    content[kNameKey] = name;
    // The old file stays reachable under a second name until the list is
    // written: putting it back is then a rename, which needs no free space,
    // where writing its text again would fail on the same full disk that
    // failed the list.
    const std::string kept = path + ".renaming";
    std::error_code ec;
    std::filesystem::remove(kept, ec);
    const bool keptOld = existed && ::link(path.c_str(), kept.c_str()) == 0;
    if (wirtejsonFile(path, content) != 0) {
        if (keptOld) std::filesystem::remove(kept, ec);
        return {ProfileOutcome::writeFailed, cannotWrite(path)};
    }
    const Snapshot before = snapshot();
    objectMember(doc_["profilelist"][static_cast<Json::ArrayIndex>(selected_)], kNameKey) = name;
    adopt(doc_);
    ProfileResult r = writeList();
    if (!r.ok()) {
        // Put the profile file back so file and list keep agreeing.
        if (keptOld) std::filesystem::rename(kept, path, ec);
        else if (existed) wirtejsonFile(path, doc.value);
        else std::filesystem::remove(path, ec);
        restore(before);
    } else if (keptOld) {
        std::filesystem::remove(kept, ec);
    }
    return r;
}

ProfileResult ProfileList::reset() {
    refresh();
    if (selected_ < 0) return {ProfileOutcome::unchanged, {}};
    const JsonDocument factory = readJsonDocument(defaultPath_);
    // Without the factory profile there is nothing to go back to: keep the
    // user's settings rather than leave an empty profile.
    if (factory.state != JsonFileState::ok || !factory.value.isObject()) {
        return {factory.state == JsonFileState::missing ? ProfileOutcome::missingFile : ProfileOutcome::damagedFile,
                defaultPath_ + ": " + (factory.error.empty() ? "not a JSON object" : factory.error)};
    }
    const std::string path = currentProfilePath();
    if (path.empty()) return {ProfileOutcome::damagedFile, "the profile list names no usable file"};
    const ProfileEntry& entry = entries_[static_cast<size_t>(selected_)];
    Json::Value content = factory.value;
    content[kNameKey] = entry.name;
    content[kUuidKey] = entry.uuid;

    JsonDocument current;
    const ProfileResult read = readProfileFile(path, current);
    // Too large or not a file: reset repairs damage, it does not replace
    // what it cannot even look at.
    if (current.state == JsonFileState::unreadable) return read;
    const bool damaged = !read.ok();
    if (kind_ == profile_kind::Headset && current.state == JsonFileState::ok && !damaged) {
        const Json::Value& oldEntry = element(member(current.value, "Device"), 0);
        for (const char* key : kHeadsetKeptKeys) {
            if (const Json::Value& kept = member(oldEntry, key); !kept.isNull())
                objectMember(arrayElement(content["Device"], 0), key) = kept;
        }
    }
    // Reset is how a damaged profile gets repaired; its old text stays aside.
    std::string aside;
    if (damaged && current.state != JsonFileState::missing) {
        aside = keepDamagedFileAside(path);
        if (aside.empty()) return {ProfileOutcome::writeFailed, path + " cannot be kept aside"};
    }
    if (wirtejsonFile(path, content) != 0) {
        std::error_code ec;
        if (!aside.empty()) std::filesystem::rename(aside, path, ec);
        return {ProfileOutcome::writeFailed, cannotWrite(path)};
    }
    return {};
}

}  // namespace talven
