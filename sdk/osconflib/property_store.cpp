#include "sdk/osconflib/property_store.h"

#include "platform/atomic_file.h"

#include <charconv>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>

namespace osconf {

namespace {

struct KeptProperty {
    std::string_view name;
    DeviceType side;
    std::int32_t min;
    std::int32_t max;
};

// Ranges: switches are 0/1; four voice types; equaliser bands in dB, wide
// enough for every preset curve and a custom curve's slider; environment and
// room size as indices and percent.
constexpr KeptProperty kKept[] = {
    {"Enable_EQ_GFX", kOutput, 0, 1},
    {"EQ_Slider1", kOutput, -24, 24},
    {"EQ_Slider2", kOutput, -24, 24},
    {"EQ_Slider3", kOutput, -24, 24},
    {"EQ_Slider4", kOutput, -24, 24},
    {"EQ_Slider5", kOutput, -24, 24},
    {"EQ_Slider6", kOutput, -24, 24},
    {"EQ_Slider7", kOutput, -24, 24},
    {"EQ_Slider8", kOutput, -24, 24},
    {"EQ_Slider9", kOutput, -24, 24},
    {"EQ_Slider10", kOutput, -24, 24},
    {"VirtualSurroundEffectControl", kOutput, 0, 1},
    {"Enable_RFX_GFX", kOutput, 0, 1},
    {"RFX_ENVIRONMENT", kOutput, 0, 25},
    {"RFX_ROOMSIZE", kOutput, 0, 100},
    {"Enable_MAGICVOICE", kInput, 0, 1},
    {"MagicVoice_Selection", kInput, 0, 3},
    {"Enable_MICECHO", kInput, 0, 1},
    {"Enable_ENC_LFX", kInput, 0, 1},
};

const KeptProperty* findKept(std::string_view name) {
    for (const KeptProperty& entry : kKept) {
        if (entry.name == name) return &entry;
    }
    return nullptr;
}

std::string_view sideName(DeviceType side) { return side == kOutput ? "output" : "input"; }

std::string keyOf(DeviceType side, std::string_view name) {
    return std::string(sideName(side)) + "." + std::string(name);
}

// Parses "side.NAME=value" into its key and value when it names a kept
// property of that side with a value in range.
bool parseLine(std::string_view line, std::string& key, std::int32_t& value) {
    std::size_t dot = line.find('.');
    std::size_t equals = line.find('=');
    if (dot == std::string_view::npos || equals == std::string_view::npos || equals < dot) return false;
    std::string_view side = line.substr(0, dot);
    const KeptProperty* entry = findKept(line.substr(dot + 1, equals - dot - 1));
    if (entry == nullptr || side != sideName(entry->side)) return false;
    std::string_view number = line.substr(equals + 1);
    auto [end, error] = std::from_chars(number.data(), number.data() + number.size(), value);
    if (error != std::errc() || end != number.data() + number.size()) return false;
    if (value < entry->min || value > entry->max) return false;
    key = std::string(line.substr(0, equals));
    return true;
}

}  // namespace

PropertyStore::PropertyStore(std::string path) : path_(std::move(path)) {
    std::ifstream in(path_);
    std::string line;
    while (std::getline(in, line)) {
        std::string key;
        std::int32_t value = 0;
        if (parseLine(line, key, value)) values_[key] = value;
    }
}

bool PropertyStore::isKeptProperty(std::string_view name, DeviceType& side) {
    const KeptProperty* entry = findKept(name);
    if (entry == nullptr) return false;
    side = entry->side;
    return true;
}

Status PropertyStore::read(DeviceType side, std::string_view name, std::string& text) const {
    const KeptProperty* entry = findKept(name);
    if (entry == nullptr || entry->side != side) return kUnknownProperty;
    auto found = values_.find(keyOf(side, name));
    if (found == values_.end()) return kNotSet;
    text = std::to_string(found->second);
    return kOk;
}

Status PropertyStore::write(DeviceType side, std::string_view name, std::int32_t value) {
    const KeptProperty* entry = findKept(name);
    if (entry == nullptr || entry->side != side) return kUnknownProperty;
    if (value < entry->min || value > entry->max) return kBadValue;
    std::string key = keyOf(side, name);
    auto previous = values_.find(key);
    std::optional<std::int32_t> old;
    if (previous != values_.end()) old = previous->second;
    values_[key] = value;
    std::error_code ignored;
    std::filesystem::create_directories(std::filesystem::path(path_).parent_path(), ignored);
    if (talven::writeFileAtomically(path_, serialise()) == 0) return kOk;
    if (old) values_[key] = *old;
    else values_.erase(key);
    return kDeviceFailed;
}

std::string PropertyStore::serialise() const {
    std::ostringstream out;
    for (const auto& [key, value] : values_) out << key << '=' << value << '\n';
    return out.str();
}

}  // namespace osconf
