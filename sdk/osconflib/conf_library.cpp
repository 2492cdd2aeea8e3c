#include "sdk/osconflib/conf_library.h"

#include "sdk/osconflib/level_properties.h"
#include "sdk/osconflib/wide_text.h"

#include <algorithm>
#include <cstdio>
#include <cwchar>

namespace osconf {

namespace {

constexpr int kInterfaceVersion = 1;
constexpr std::size_t kLongestName = 64;
// Read-only on the output record: 1 when the equaliser's bands reach the
// headset through PipeWire, 0 when they are only kept.
constexpr std::string_view kEqPlaybackProperty = "EQ_Playback";

// Property names are plain ASCII; anything else names no property.
bool narrowName(const wchar_t* wide, std::string& name) {
    name.clear();
    for (; *wide != L'\0'; ++wide) {
        if (*wide <= 0 || *wide > 0x7E || name.size() == kLongestName) return false;
        name.push_back(static_cast<char>(*wide));
    }
    return true;
}

bool sameRecord(const DeviceRecord& a, const DeviceRecord& b) {
    return a.type == b.type && a.kind == b.kind && a.index == b.index && a.usable == b.usable;
}

std::uint32_t featureMask(Backend& backend, DeviceType type) {
    if (type == kOutput) return kFeatureEqualiser | kFeatureSurround;
    std::uint32_t mask = kFeatureNoise;
    if (LevelControl* input = backend.input()) {
        mask |= kFeatureInputLevel | (input->hasSwitch() ? std::uint32_t(kFeatureInputMute) : 0u);
    }
    if (LevelControl* monitor = backend.monitor()) {
        mask |= kFeatureMonitorLevel | (monitor->hasSwitch() ? std::uint32_t(kFeatureMonitorMute) : 0u);
    }
    if (backend.offersVoiceChanger()) mask |= kFeatureVoiceChanger;
    return mask;
}

}  // namespace

ConfLibrary& ConfLibrary::instance() {
    static ConfLibrary library;
    return library;
}

Status ConfLibrary::init() {
    std::lock_guard lock(mutex_);
    std::string error;
    bool unusable = false;
    std::unique_ptr<Backend> backend = openBackend(error, unusable);
    if (!backend && unusable) {
        std::fprintf(stderr, "osConfLib: %s\n", error.c_str());
        return kDeviceFailed;
    }
    // The old equaliser lets go of the default sink before a new one looks.
    equaliser_.reset();
    backend_ = std::move(backend);
    store_ = backend_ ? std::make_unique<PropertyStore>(backend_->storePath()) : nullptr;
    std::optional<UsbId> headset = headsetUsbId(error);
    if (backend_ && headset) startEqualiser(*headset);
    devices_.clear();
    initialised_ = true;
    return kOk;
}

void ConfLibrary::startEqualiser(UsbId headset) {
    EqSettings settings;
    std::string text;
    settings.enabled = store_->read(kOutput, "Enable_EQ_GFX", text) == kOk && text == "1";
    for (int band = 0; band < kEqBands; ++band) {
        if (store_->read(kOutput, "EQ_Slider" + std::to_string(band + 1), text) == kOk)
            settings.bands[static_cast<std::size_t>(band)] = std::stoi(text);
    }
    std::string error;
    equaliser_ = PipewireEqualiser::open(headset, settings, error);
    if (!equaliser_) std::fprintf(stderr, "osConfLib: equaliser: %s; its values are kept, not heard\n", error.c_str());
}

// Only values the store took reach the filters, so they are in -24..+24.
void ConfLibrary::forwardToEqualiser(const std::string& name, std::int32_t value) {
    if (!equaliser_) return;
    if (name == "Enable_EQ_GFX") return equaliser_->setEnabled(value != 0);
    constexpr std::string_view kSlider = "EQ_Slider";
    if (name.rfind(kSlider, 0) == 0) equaliser_->setBand(std::stoi(name.substr(kSlider.size())) - 1, value);
}

void ConfLibrary::uninit() {
    std::lock_guard lock(mutex_);
    devices_.clear();
    equaliser_.reset();
    store_.reset();
    backend_.reset();
    initialised_ = false;
}

Status ConfLibrary::createDeviceList() {
    ChangeCallback callback = nullptr;
    void* context = nullptr;
    {
        std::lock_guard lock(mutex_);
        if (!initialised_) return kNotInitialised;
        std::vector<DeviceRecord> devices;
        if (backend_) {
            devices.push_back({kOutput, kHeadsetOutput, 0, 1});
            devices.push_back({kInput, kHeadsetMicrophone, 0, 1});
        }
        bool changed = devices.size() != devices_.size() ||
                       !std::equal(devices.begin(), devices.end(), devices_.begin(), sameRecord);
        devices_ = std::move(devices);
        if (changed) {
            callback = callback_;
            context = callbackContext_;
        }
    }
    // Outside the lock: the callback may well ask for the new list.
    if (callback != nullptr) callback(kEventDeviceListChanged, context);
    return kOk;
}

Status ConfLibrary::deviceCount(int type, int* count) {
    std::lock_guard lock(mutex_);
    if (!initialised_) return kNotInitialised;
    if (count == nullptr) return kBadArgument;
    if (type != kOutput && type != kInput) return kBadValue;
    *count = 0;
    for (const DeviceRecord& device : devices_) *count += device.type == type ? 1 : 0;
    return kOk;
}

Status ConfLibrary::deviceById(int type, int index, DeviceRecord* record) {
    std::lock_guard lock(mutex_);
    if (!initialised_) return kNotInitialised;
    if (record == nullptr) return kBadArgument;
    for (const DeviceRecord& device : devices_) {
        if (device.type == type && device.index == index) {
            *record = device;
            return kOk;
        }
    }
    return kBadDevice;
}

bool ConfLibrary::knownRecord(const DeviceRecord& record) const {
    for (const DeviceRecord& device : devices_) {
        if (sameRecord(device, record)) return true;
    }
    return false;
}

Status ConfLibrary::property(const DeviceRecord& record, const wchar_t* name, void** value, void** extra,
                             int set) {
    std::lock_guard lock(mutex_);
    if (!initialised_) return kNotInitialised;
    if (name == nullptr || value == nullptr || *value == nullptr) return kBadArgument;
    if (set != 0 && set != 1) return kBadValue;
    if (!knownRecord(record)) return kBadDevice;
    std::string narrow;
    if (!narrowName(name, narrow)) return kUnknownProperty;
    if (narrow == "GetSupportFeature") {
        if (set) return kNotSupported;
        std::string text;
        Status status = supportFeature(record, text);
        return status == kOk ? writeWideText(*value, text) : status;
    }
    LevelTarget target;
    if (isLevelProperty(narrow, target)) return levelProperty(record, narrow, *value, extra, set);
    return keptProperty(record, narrow, *value, set);
}

Status ConfLibrary::supportFeature(const DeviceRecord& record, std::string& text) {
    auto type = static_cast<DeviceType>(record.type);
    LevelControl* input = type == kInput ? backend_->input() : nullptr;
    char fields[160];
    // mask, kind, type, channels of the record's level control, interface
    // version, backend (0 virtual, 1 ALSA), ALSA card number (-1 none).
    std::snprintf(fields, sizeof fields, "%u,%d,%d,%d,%d,%d,%d", featureMask(*backend_, type), record.kind,
                  record.type, input ? input->channels() : 0, kInterfaceVersion,
                  static_cast<int>(backend_->kind()), backend_->cardNumber());
    text = fields;
    return kOk;
}

Status ConfLibrary::levelProperty(const DeviceRecord& record, const std::string& name, void* value, void** extra,
                                  int set) {
    if (record.type != kInput) return kUnknownProperty;
    LevelTarget target = LevelTarget::Input;
    isLevelProperty(name, target);
    LevelControl* control = target == LevelTarget::Input ? backend_->input() : backend_->monitor();
    // No extra buffer means every channel, as -1 does.
    int channel = (extra != nullptr && *extra != nullptr) ? bufferInt(*extra) : -1;
    if (set) return writeLevelProperty(control, name, channel, value);
    std::string text;
    Status status = readLevelProperty(control, name, channel, text);
    return status == kOk ? writeWideText(value, text) : status;
}

Status ConfLibrary::keptProperty(const DeviceRecord& record, const std::string& name, void* value, int set) {
    auto type = static_cast<DeviceType>(record.type);
    if (name == kEqPlaybackProperty && type == kOutput) {
        if (set) return kNotSupported;
        return writeWideText(value, equaliser_ && equaliser_->heard() ? "1" : "0");
    }
    if (set) {
        Status status = store_->write(type, name, bufferInt(value));
        if (status == kOk && type == kOutput) forwardToEqualiser(name, bufferInt(value));
        return status;
    }
    std::string text;
    Status status = store_->read(type, name, text);
    return status == kOk ? writeWideText(value, text) : status;
}

Status ConfLibrary::testSound(const DeviceRecord& record) {
    std::lock_guard lock(mutex_);
    if (!initialised_) return kNotInitialised;
    if (!knownRecord(record) || record.type != kOutput) return kBadDevice;
    return kNotSupported;
}

void ConfLibrary::registerCallback(ChangeCallback callback, void* context) {
    std::lock_guard lock(mutex_);
    callback_ = callback;
    callbackContext_ = context;
}

}  // namespace osconf
