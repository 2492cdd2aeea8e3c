#include "rgbsdk/sdk_controller.h"

#include "rgbsdk/sdk_packet.h"

#include <limits>

namespace talven::rgbsdk {

namespace {

constexpr size_t kMaxCount = std::numeric_limits<uint16_t>::max();

uint16_t count16(size_t n) { return static_cast<uint16_t>(std::min(n, kMaxCount)); }

void writeColours(ByteWriter& w, const std::vector<uint32_t>& colours) {
    const uint16_t n = count16(colours.size());
    w.u16(n);
    for (size_t i = 0; i < n; ++i) w.u32(colours[i] & 0xFFFFFFu);
}

void writeZone(ByteWriter& w, const SdkZone& zone, uint32_t version) {
    w.string(zone.name);
    w.i32(zone.type);
    w.u32(zone.ledCount);  // minimum, maximum and count: zones do not resize
    w.u32(zone.ledCount);
    w.u32(zone.ledCount);
    w.u16(0);  // no matrix map
    if (version >= 4) w.u16(0);  // no segments
    if (version >= 5) w.u32(0);  // zone flags
}

// A colour list of `count` entries, each 4 bytes, that must fit in the rest
// of the payload.
std::optional<std::vector<uint32_t>> readColours(ByteReader& r, uint16_t count) {
    if (static_cast<size_t>(count) * 4 > r.remaining()) return std::nullopt;
    std::vector<uint32_t> colours(count);
    for (uint32_t& c : colours) c = *r.u32() & 0xFFFFFFu;
    return colours;
}

// The u32 that opens UPDATELEDS, UPDATEZONELEDS and UPDATEMODE repeats the
// payload's size; a client whose two sizes disagree is out of step.
bool sizeFieldMatches(ByteReader& r, size_t payloadSize) {
    const auto size = r.u32();
    return size && *size == payloadSize;
}

}  // namespace

void encodeMode(ByteWriter& w, const SdkMode& mode, uint32_t version) {
    w.string(mode.name);
    w.i32(mode.value);
    w.u32(mode.flags);
    w.u32(mode.speedMin);
    w.u32(mode.speedMax);
    if (version >= 3) {
        w.u32(mode.brightnessMin);
        w.u32(mode.brightnessMax);
    }
    w.u32(mode.coloursMin);
    w.u32(mode.coloursMax);
    w.u32(mode.speed);
    if (version >= 3) w.u32(mode.brightness);
    w.u32(mode.direction);
    w.u32(mode.colourMode);
    writeColours(w, mode.colours);
}

std::vector<uint8_t> encodeControllerData(const SdkController& c, uint32_t version) {
    ByteWriter w;
    w.u32(0);  // the block's size, filled in at the end
    w.i32(c.type);
    w.string(c.name);
    if (version >= 1) w.string(c.vendor);
    w.string(c.description);
    w.string(c.version);
    w.string(c.serial);
    w.string(c.location);
    const uint16_t modes = count16(c.modes.size());
    w.u16(modes);
    w.i32(c.activeMode);
    for (size_t i = 0; i < modes; ++i) encodeMode(w, c.modes[i], version);
    const uint16_t zones = count16(c.zones.size());
    w.u16(zones);
    for (size_t i = 0; i < zones; ++i) writeZone(w, c.zones[i], version);
    const uint16_t leds = count16(c.ledNames.size());
    w.u16(leds);
    for (size_t i = 0; i < leds; ++i) {
        w.string(c.ledNames[i]);
        w.u32(static_cast<uint32_t>(i));  // the LED's value: its index
    }
    writeColours(w, c.colours);
    if (version >= 5) {
        w.u16(0);  // no alternative LED names
        w.u32(1);  // controller flags: local to this server
    }
    w.patchU32(0, static_cast<uint32_t>(w.size()));
    return std::move(w.bytes());
}

std::optional<ModeUpdate> decodeModeUpdate(std::span<const uint8_t> payload, uint32_t version) {
    ByteReader r(payload);
    if (!sizeFieldMatches(r, payload.size())) return std::nullopt;
    ModeUpdate u;
    const auto index = r.i32();
    auto name = r.string();
    if (!index || !name) return std::nullopt;
    u.index = *index;
    u.version = version;
    SdkMode& m = u.mode;
    m.name = std::move(*name);
    m.value = r.i32().value_or(0);
    m.flags = r.u32().value_or(0);
    m.speedMin = r.u32().value_or(0);
    m.speedMax = r.u32().value_or(0);
    if (version >= 3) {
        m.brightnessMin = r.u32().value_or(0);
        m.brightnessMax = r.u32().value_or(0);
    }
    m.coloursMin = r.u32().value_or(0);
    m.coloursMax = r.u32().value_or(0);
    m.speed = r.u32().value_or(0);
    if (version >= 3) m.brightness = r.u32().value_or(0);
    m.direction = r.u32().value_or(0);
    m.colourMode = r.u32().value_or(0);
    const auto count = r.u16();
    if (r.failed() || !count) return std::nullopt;
    auto colours = readColours(r, *count);
    if (!colours) return std::nullopt;
    m.colours = std::move(*colours);
    return u;
}

std::optional<std::vector<uint32_t>> decodeUpdateLeds(std::span<const uint8_t> payload) {
    ByteReader r(payload);
    if (!sizeFieldMatches(r, payload.size())) return std::nullopt;
    const auto count = r.u16();
    if (!count) return std::nullopt;
    return readColours(r, *count);
}

std::optional<ZoneLeds> decodeZoneLeds(std::span<const uint8_t> payload) {
    ByteReader r(payload);
    if (!sizeFieldMatches(r, payload.size())) return std::nullopt;
    const auto zone = r.u32();
    const auto count = r.u16();
    if (!zone || !count) return std::nullopt;
    auto colours = readColours(r, *count);
    if (!colours) return std::nullopt;
    return ZoneLeds{*zone, std::move(*colours)};
}

std::optional<SingleLed> decodeSingleLed(std::span<const uint8_t> payload) {
    ByteReader r(payload);
    const auto led = r.i32();
    const auto colour = r.u32();
    if (!led || !colour) return std::nullopt;
    return SingleLed{*led, *colour & 0xFFFFFFu};
}

}  // namespace talven::rgbsdk
