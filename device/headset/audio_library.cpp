#include "device/headset/audio_library.h"

#include "platform/app_paths.h"

#include <charconv>
#include <cstring>
#include <dlfcn.h>

namespace talven::headset {

namespace {

// Output kinds in the order the headset page prefers them.
constexpr std::int32_t kOutputKindPreference[] = {1, 12, 7, 4};
constexpr std::int32_t kInputKind = 2;
constexpr std::size_t kFeatureFields = 7;

std::optional<std::int64_t> parseField(std::wstring_view field) {
    std::string narrow;
    for (wchar_t c : field) {
        if (c < 0 || c > 0x7E) return std::nullopt;
        if (c != L' ') narrow.push_back(static_cast<char>(c));
    }
    std::int64_t value = 0;
    auto [end, error] = std::from_chars(narrow.data(), narrow.data() + narrow.size(), value);
    if (narrow.empty() || error != std::errc() || end != narrow.data() + narrow.size()) return std::nullopt;
    return value;
}

}  // namespace

std::optional<AudioFeatures> parseSupportFeature(std::wstring_view text) {
    std::vector<std::int64_t> fields;
    while (true) {
        std::size_t comma = text.find(L',');
        std::optional<std::int64_t> value = parseField(text.substr(0, comma));
        if (!value) return std::nullopt;
        fields.push_back(*value);
        if (comma == std::wstring_view::npos) break;
        text.remove_prefix(comma + 1);
    }
    if (fields.size() < kFeatureFields) return std::nullopt;
    return AudioFeatures{static_cast<std::uint32_t>(fields[0]), static_cast<std::int32_t>(fields[4]),
                         static_cast<std::int32_t>(fields[6])};
}

std::optional<std::size_t> chooseOutputDevice(const std::vector<AudioDeviceRecord>& devices) {
    for (std::int32_t kind : kOutputKindPreference) {
        for (std::size_t i = 0; i < devices.size(); ++i) {
            if (devices[i].kind() == kind && devices[i].usable()) return i;
        }
    }
    return std::nullopt;
}

std::optional<std::size_t> chooseInputDevice(const std::vector<AudioDeviceRecord>& devices) {
    for (std::size_t i = 0; i < devices.size(); ++i) {
        if (devices[i].kind() == kInputKind) return i;
    }
    return std::nullopt;
}

AudioLibrary::~AudioLibrary() { unload(); }

std::string AudioLibrary::defaultPath() { return paths::resourceRoot() + "SDK/libosConfLib.so"; }

bool AudioLibrary::load(const std::string& path) {
    unload();
    // RTLD_LOCAL: the library's symbols stay its own.
    handle_ = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (handle_ == nullptr) {
        const char* why = ::dlerror();
        error_ = why != nullptr ? why : path + ": cannot be loaded";
        return false;
    }
    struct Entry {
        const char* name;
        void** slot;
    };
    const Entry entries[] = {
        {"ConfLibInit", reinterpret_cast<void**>(&init_)},
        {"CreateDeviceList", reinterpret_cast<void**>(&createList_)},
        {"GetDeviceCount", reinterpret_cast<void**>(&count_)},
        {"GetDeviceById", reinterpret_cast<void**>(&byId_)},
        {"PropertyControl", reinterpret_cast<void**>(&property_)},
    };
    for (const Entry& entry : entries) {
        *entry.slot = ::dlsym(handle_, entry.name);
        if (*entry.slot == nullptr) {
            std::string missing = path + ": no entry point " + entry.name;
            unload();
            error_ = missing;
            return false;
        }
    }
    error_.clear();
    return true;
}

void AudioLibrary::unload() {
    if (handle_ != nullptr) ::dlclose(handle_);
    handle_ = nullptr;
    init_ = nullptr;
    createList_ = nullptr;
    count_ = nullptr;
    byId_ = nullptr;
    property_ = nullptr;
}

int AudioLibrary::confLibInit() { return loaded() ? init_() : -1; }

void AudioLibrary::createDeviceList() {
    if (loaded()) createList_();
}

std::optional<int> AudioLibrary::deviceCount(AudioDirection direction) {
    int count = 0;
    if (!loaded() || count_(static_cast<int>(direction), &count) != 0 || count < 0) return std::nullopt;
    return count;
}

std::optional<AudioDeviceRecord> AudioLibrary::deviceById(AudioDirection direction, int index) {
    AudioDeviceRecord record;
    if (!loaded() || byId_(static_cast<int>(direction), index, &record) != 0) return std::nullopt;
    return record;
}

std::vector<AudioDeviceRecord> AudioLibrary::devices(AudioDirection direction) {
    std::vector<AudioDeviceRecord> list;
    int count = deviceCount(direction).value_or(0);
    for (int i = 0; i < count; ++i) {
        if (auto record = deviceById(direction, i)) list.push_back(*record);
    }
    return list;
}

bool AudioLibrary::call(const AudioDeviceRecord& device, std::wstring_view name, void* value,
                        const std::vector<std::int32_t>& extra, int set) {
    if (!loaded()) return false;
    std::wstring terminated(name);
    alignas(std::int32_t) unsigned char extraBuffer[kValueBytes] = {};
    if (extra.size() * sizeof(std::int32_t) > sizeof extraBuffer) return false;
    // An empty vector's data() may be null, and memcpy from null is undefined
    // even for no bytes.
    if (!extra.empty()) std::memcpy(extraBuffer, extra.data(), extra.size() * sizeof(std::int32_t));
    void* extraPointer = extraBuffer;
    return property_(device, terminated.c_str(), &value, extra.empty() ? nullptr : &extraPointer, set) == 0;
}

std::optional<std::wstring> AudioLibrary::read(const AudioDeviceRecord& device, std::wstring_view name,
                                               const std::vector<std::int32_t>& extra) {
    wchar_t buffer[kValueBytes / sizeof(wchar_t)] = {};
    if (!call(device, name, buffer, extra, 0)) return std::nullopt;
    // The library terminates its text; the last character is made NUL all
    // the same so a faulty library cannot make us read past the buffer.
    buffer[std::size(buffer) - 1] = L'\0';
    return std::wstring(buffer);
}

bool AudioLibrary::writeInt(const AudioDeviceRecord& device, std::wstring_view name, std::int32_t value,
                            std::optional<std::int32_t> channel) {
    alignas(std::int32_t) unsigned char buffer[kValueBytes] = {};
    std::memcpy(buffer, &value, sizeof value);
    return call(device, name, buffer, channel ? std::vector<std::int32_t>{*channel} : std::vector<std::int32_t>{}, 1);
}

bool AudioLibrary::writeFloat(const AudioDeviceRecord& device, std::wstring_view name, float value,
                              std::optional<std::int32_t> channel) {
    alignas(std::int32_t) unsigned char buffer[kValueBytes] = {};
    std::memcpy(buffer, &value, sizeof value);
    return call(device, name, buffer, channel ? std::vector<std::int32_t>{*channel} : std::vector<std::int32_t>{}, 1);
}

}  // namespace talven::headset
