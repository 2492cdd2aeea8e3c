#include "rgbsdk/sdk_session.h"

#include <algorithm>

namespace talven::rgbsdk {

namespace {

void appendPacket(std::vector<uint8_t>& out, uint32_t device, uint32_t id, std::span<const uint8_t> payload) {
    const std::vector<uint8_t> packet = encodePacket(device, id, payload);
    out.insert(out.end(), packet.begin(), packet.end());
}

void appendU32Packet(std::vector<uint8_t>& out, uint32_t device, uint32_t id, uint32_t value) {
    ByteWriter w;
    w.u32(value);
    appendPacket(out, device, id, w.bytes());
}

// A version the client names, or the agreed one when the payload has none.
uint32_t askedVersion(std::span<const uint8_t> payload, uint32_t fallback) {
    ByteReader r(payload);
    const auto asked = r.u32();
    return std::min(asked.value_or(fallback), kProtocolVersion);
}

}  // namespace

bool SdkSession::receive(std::span<const uint8_t> bytes, const ControllerList& controllers,
                         std::vector<uint8_t>& out, std::vector<SdkCommand>& commands) {
    if (in_.size() + bytes.size() > kMaxBuffered) return false;
    in_.insert(in_.end(), bytes.begin(), bytes.end());
    size_t used = 0;
    bool keep = true;
    for (;;) {
        // Checked before each packet, so `out` never passes the bound by
        // more than one answer however many requests one read brought.
        if (out.size() > kMaxUnread) {
            keep = false;
            break;
        }
        const std::span<const uint8_t> rest(in_.data() + used, in_.size() - used);
        const HeaderResult h = parseHeader(rest);
        if (h.status == HeaderStatus::BadMagic || h.status == HeaderStatus::TooLarge) {
            keep = false;
            break;
        }
        if (h.status == HeaderStatus::Incomplete || rest.size() - kHeaderSize < h.header.size) break;
        handle(h.header, rest.subspan(kHeaderSize, h.header.size), controllers, out, commands);
        used += kHeaderSize + h.header.size;
    }
    in_.erase(in_.begin(), in_.begin() + static_cast<std::ptrdiff_t>(used));
    return keep;
}

void SdkSession::handle(const PacketHeader& header, std::span<const uint8_t> payload,
                        const ControllerList& controllers, std::vector<uint8_t>& out,
                        std::vector<SdkCommand>& commands) {
    switch (header.id) {
    case packet::RequestProtocolVersion: return answerVersion(payload, out);
    case packet::RequestControllerCount:
        return appendU32Packet(out, 0, packet::RequestControllerCount, static_cast<uint32_t>(controllers.size()));
    case packet::RequestControllerData: return answerData(header.device, payload, controllers, out);
    case packet::SetClientName: {
        const auto end = std::find(payload.begin(), payload.end(), uint8_t{0});
        const size_t length = std::min<size_t>(static_cast<size_t>(end - payload.begin()), kMaxClientName);
        name_.assign(reinterpret_cast<const char*>(payload.data()), length);
        return;
    }
    default: break;
    }
    // Requests for a controller that is not there (unplugged meanwhile, or
    // never) and requests that do not decode change nothing.
    if (header.device >= controllers.size()) return;
    if (auto c = command(header, payload)) commands.push_back(std::move(*c));
}

// The server names its own newest version; both sides then use the smaller
// of the two. A request without a version counts as version 0.
void SdkSession::answerVersion(std::span<const uint8_t> payload, std::vector<uint8_t>& out) {
    version_ = askedVersion(payload, 0);
    appendU32Packet(out, 0, packet::RequestProtocolVersion, kProtocolVersion);
}

void SdkSession::answerData(uint32_t device, std::span<const uint8_t> payload, const ControllerList& controllers,
                            std::vector<uint8_t>& out) const {
    if (device >= controllers.size()) return;
    const std::vector<uint8_t> block = encodeControllerData(controllers[device], askedVersion(payload, version_));
    appendPacket(out, device, packet::RequestControllerData, block);
}

std::optional<SdkCommand> SdkSession::command(const PacketHeader& header, std::span<const uint8_t> payload) const {
    SdkCommand c;
    c.client = id_;
    c.controller = header.device;
    using Kind = SdkCommand::Kind;
    switch (header.id) {
    case packet::UpdateLeds: {
        auto colours = decodeUpdateLeds(payload);
        if (!colours) return std::nullopt;
        c.kind = Kind::UpdateLeds;
        c.colours = std::move(*colours);
        return c;
    }
    case packet::UpdateZoneLeds: {
        auto zone = decodeZoneLeds(payload);
        if (!zone) return std::nullopt;
        c.kind = Kind::UpdateZoneLeds;
        c.zone = zone->zone;
        c.colours = std::move(zone->colours);
        return c;
    }
    case packet::UpdateSingleLed: {
        const auto led = decodeSingleLed(payload);
        if (!led) return std::nullopt;
        c.kind = Kind::UpdateSingleLed;
        c.led = led->led;
        c.colours = {led->colour};
        return c;
    }
    case packet::SetCustomMode: c.kind = Kind::SetCustomMode; return c;
    // Saving is what every mode change here does anyway: it goes into the
    // profile and the device as a change on the page would.
    case packet::UpdateMode:
    case packet::SaveMode: {
        auto mode = decodeModeUpdate(payload, version_);
        if (!mode) return std::nullopt;
        c.kind = Kind::UpdateMode;
        c.mode = std::move(*mode);
        return c;
    }
    default: return std::nullopt;
    }
}

}  // namespace talven::rgbsdk
