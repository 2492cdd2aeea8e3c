#include "sdk/osconflib/level_properties.h"

#include "sdk/osconflib/wide_text.h"

#include <charconv>
#include <cmath>

namespace osconf {

namespace {

enum class Op { MaxVol, MinVol, VolStep, Volume, Scalar, Mute };

struct LevelName {
    std::string_view name;
    LevelTarget target;
    Op op;
};

constexpr LevelName kLevelNames[] = {
    {"GetMaxVol", LevelTarget::Input, Op::MaxVol},
    {"GetMinVol", LevelTarget::Input, Op::MinVol},
    {"GetVolStep", LevelTarget::Input, Op::VolStep},
    {"VolumeControl", LevelTarget::Input, Op::Volume},
    {"VolumeScalarControl", LevelTarget::Input, Op::Scalar},
    {"MuteControl", LevelTarget::Input, Op::Mute},
    {"GetAAMaxVol", LevelTarget::Monitor, Op::MaxVol},
    {"GetAAMinVol", LevelTarget::Monitor, Op::MinVol},
    {"GetAAVolStep", LevelTarget::Monitor, Op::VolStep},
    {"AAVolumeControl", LevelTarget::Monitor, Op::Volume},
    {"AAVolumeScalarControl", LevelTarget::Monitor, Op::Scalar},
    {"AAMuteControl", LevelTarget::Monitor, Op::Mute},
};

const LevelName* findName(std::string_view name) {
    for (const LevelName& entry : kLevelNames) {
        if (entry.name == name) return &entry;
    }
    return nullptr;
}

// Fixed-point text that does not depend on the process's locale: the caller
// parses it as a C number whatever language the desktop speaks.
std::string fixed(double value, int decimals) {
    char text[64];
    auto result = std::to_chars(text, text + sizeof text, value, std::chars_format::fixed, decimals);
    return std::string(text, result.ptr);
}

std::string dbText(long hundredths) { return fixed(hundredths / 100.0, 2); }

bool channelValid(const LevelControl& control, int channel) {
    return channel == -1 || (channel >= 0 && channel < control.channels());
}

Status readValue(const LevelControl& control, Op op, int channel, std::string& text) {
    LevelRange raw = control.rawRange();
    std::optional<LevelRange> db = control.dbRange();
    switch (op) {
    case Op::MaxVol: text = db ? dbText(db->max) : std::to_string(raw.max); return kOk;
    case Op::MinVol: text = db ? dbText(db->min) : std::to_string(raw.min); return kOk;
    case Op::VolStep:
        if (raw.max <= raw.min) return kNotSupported;
        text = db ? fixed((db->max - db->min) / 100.0 / (raw.max - raw.min), 2) : "1";
        return kOk;
    case Op::Mute: {
        std::optional<bool> on = control.switchOn();
        if (!on) return control.hasSwitch() ? kDeviceFailed : kNotSupported;
        text = std::string(*on ? "0" : "1");
        return kOk;
    }
    default: break;
    }
    std::optional<long> value = control.raw(channel < 0 ? 0 : channel);
    if (!value) return kDeviceFailed;
    if (op == Op::Scalar) {
        if (raw.max <= raw.min) return kNotSupported;
        text = fixed(double(*value - raw.min) / double(raw.max - raw.min), 6);
        return kOk;
    }
    if (!db) {
        text = std::to_string(*value);
        return kOk;
    }
    std::optional<long> hundredths = control.rawToDb(*value);
    if (!hundredths) return kDeviceFailed;
    text = dbText(*hundredths);
    return kOk;
}

// The raw step a write asks for, or an empty answer for a value outside the
// control's range (refused rather than clamped, so a caller's mistake does
// not silently become the loudest or quietest setting).
std::optional<long> requestedRaw(const LevelControl& control, Op op, const void* buffer) {
    LevelRange raw = control.rawRange();
    if (op == Op::Scalar) {
        float fraction = bufferFloat(buffer);
        if (!(fraction >= 0.0f && fraction <= 1.0f)) return std::nullopt;  // NaN too
        return raw.min + std::lround(double(fraction) * double(raw.max - raw.min));
    }
    long value = bufferInt(buffer);
    std::optional<LevelRange> db = control.dbRange();
    if (!db) {
        if (value < raw.min || value > raw.max) return std::nullopt;
        return value;
    }
    long hundredths = value * 100;
    if (hundredths < db->min || hundredths > db->max) return std::nullopt;
    return control.dbToRaw(hundredths);
}

}  // namespace

bool isLevelProperty(std::string_view name, LevelTarget& target) {
    const LevelName* entry = findName(name);
    if (entry == nullptr) return false;
    target = entry->target;
    return true;
}

Status readLevelProperty(const LevelControl* control, std::string_view name, int channel,
                         std::string& text) {
    const LevelName* entry = findName(name);
    if (entry == nullptr) return kUnknownProperty;
    if (control == nullptr) return kNotSupported;
    if (!channelValid(*control, channel)) return kBadValue;
    return readValue(*control, entry->op, channel, text);
}

Status writeLevelProperty(LevelControl* control, std::string_view name, int channel,
                          const void* buffer) {
    const LevelName* entry = findName(name);
    if (entry == nullptr) return kUnknownProperty;
    if (control == nullptr) return kNotSupported;
    if (buffer == nullptr) return kBadArgument;
    if (!channelValid(*control, channel)) return kBadValue;
    switch (entry->op) {
    case Op::MaxVol:
    case Op::MinVol:
    case Op::VolStep: return kNotSupported;  // answers about the range only
    case Op::Mute: {
        std::int32_t muted = bufferInt(buffer);
        if (muted != 0 && muted != 1) return kBadValue;
        if (!control->hasSwitch()) return kNotSupported;
        return control->setSwitch(muted == 0) ? kOk : kDeviceFailed;
    }
    default: break;
    }
    std::optional<long> raw = requestedRaw(*control, entry->op, buffer);
    if (!raw) return kBadValue;
    return control->setRaw(channel, *raw) ? kOk : kDeviceFailed;
}

}  // namespace osconf
