#pragma once
// The headset's audio library (libosConfLib.so in SDK/ beside the program),
// loaded at run time. This side states the library's calling convention on
// its own; the tests load the real library through it.

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace talven::headset {

// Four 32-bit words; word 1 is the device kind, word 3 is 1 for a device
// that can be used. Passed by value to every property call.
struct AudioDeviceRecord {
    std::array<std::int32_t, 4> word{};

    std::int32_t kind() const { return word[1]; }
    bool usable() const { return word[3] == 1; }
};
static_assert(sizeof(AudioDeviceRecord) == 16, "the library's record is 16 bytes");

enum class AudioDirection : int { Output = 0, Input = 1 };

// Bit of the "GetSupportFeature" mask that says the voice changer exists.
constexpr std::uint32_t kVoiceChangerFeature = 0x20000;

// Fields 0, 4 and 6 of "GetSupportFeature", kept with the device record.
struct AudioFeatures {
    std::uint32_t mask = 0;
    std::int32_t field4 = 0;
    std::int32_t field6 = 0;
};

// Comma-separated text of at least 7 integer fields; empty otherwise.
std::optional<AudioFeatures> parseSupportFeature(std::wstring_view text);

// Output: the first usable device of kind 1, else 12, else 7, else 4.
// Input: the first device of kind 2. Positions in `devices`.
std::optional<std::size_t> chooseOutputDevice(const std::vector<AudioDeviceRecord>& devices);
std::optional<std::size_t> chooseInputDevice(const std::vector<AudioDeviceRecord>& devices);

class AudioLibrary {
public:
    // Each value and extra buffer handed to the library is this big.
    static constexpr std::size_t kValueBytes = 1024;

    AudioLibrary() = default;
    ~AudioLibrary();
    AudioLibrary(const AudioLibrary&) = delete;
    AudioLibrary& operator=(const AudioLibrary&) = delete;

    // resourceRoot() + "SDK/libosConfLib.so".
    static std::string defaultPath();

    // Loads the library and resolves the five entry points the program
    // calls. On failure error() names the missing file or entry point in
    // one line a page can show, and nothing stays loaded.
    bool load(const std::string& path);
    bool loaded() const { return handle_ != nullptr; }
    const std::string& error() const { return error_; }

    // 0 on success, as the library answers.
    int confLibInit();
    void createDeviceList();
    std::optional<int> deviceCount(AudioDirection direction);
    std::optional<AudioDeviceRecord> deviceById(AudioDirection direction, int index);
    // Every device of one direction, in the library's order.
    std::vector<AudioDeviceRecord> devices(AudioDirection direction);

    // A read: the library's wide text, or nothing when the call failed.
    // `extra` words go into the extra buffer (the level properties' channel).
    std::optional<std::wstring> read(const AudioDeviceRecord& device, std::wstring_view name,
                                     const std::vector<std::int32_t>& extra = {});
    // Writes of a 32-bit integer or float; `channel` fills the extra buffer.
    bool writeInt(const AudioDeviceRecord& device, std::wstring_view name, std::int32_t value,
                  std::optional<std::int32_t> channel = std::nullopt);
    bool writeFloat(const AudioDeviceRecord& device, std::wstring_view name, float value,
                    std::optional<std::int32_t> channel = std::nullopt);

private:
    using InitFn = int (*)();
    using CreateListFn = int (*)();
    using CountFn = int (*)(int, int*);
    using ByIdFn = int (*)(int, int, AudioDeviceRecord*);
    using PropertyFn = int (*)(AudioDeviceRecord, const wchar_t*, void**, void**, int);

    bool call(const AudioDeviceRecord& device, std::wstring_view name, void* value,
              const std::vector<std::int32_t>& extra, int set);
    void unload();

    void* handle_ = nullptr;
    std::string error_;
    InitFn init_ = nullptr;
    CreateListFn createList_ = nullptr;
    CountFn count_ = nullptr;
    ByIdFn byId_ = nullptr;
    PropertyFn property_ = nullptr;
};

}  // namespace talven::headset
