#include "rgbsdk/sdk_packet.h"

#include <algorithm>
#include <limits>

namespace talven::rgbsdk {

namespace {

constexpr uint8_t kMagic[4] = {'O', 'R', 'G', 'B'};

uint32_t readU32(const uint8_t* p) {
    return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 | static_cast<uint32_t>(p[2]) << 16 |
           static_cast<uint32_t>(p[3]) << 24;
}

}  // namespace

// The magic is checked as soon as its bytes are there: a stranger speaking
// another protocol is turned away without waiting for sixteen bytes.
HeaderResult parseHeader(std::span<const uint8_t> bytes) {
    HeaderResult result;
    const size_t seen = std::min(bytes.size(), sizeof kMagic);
    if (!std::equal(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(seen), kMagic)) {
        result.status = HeaderStatus::BadMagic;
        return result;
    }
    if (bytes.size() < kHeaderSize) return result;
    result.header = {readU32(&bytes[4]), readU32(&bytes[8]), readU32(&bytes[12])};
    result.status = result.header.size > kMaxPayload ? HeaderStatus::TooLarge : HeaderStatus::Ok;
    return result;
}

std::vector<uint8_t> encodePacket(uint32_t device, uint32_t id, std::span<const uint8_t> payload) {
    ByteWriter w;
    for (uint8_t m : kMagic) w.u8(m);
    w.u32(device);
    w.u32(id);
    w.u32(static_cast<uint32_t>(payload.size()));
    std::vector<uint8_t> out = std::move(w.bytes());
    out.insert(out.end(), payload.begin(), payload.end());
    return out;
}

void ByteWriter::u16(uint16_t v) {
    u8(static_cast<uint8_t>(v));
    u8(static_cast<uint8_t>(v >> 8));
}

void ByteWriter::u32(uint32_t v) {
    u16(static_cast<uint16_t>(v));
    u16(static_cast<uint16_t>(v >> 16));
}

void ByteWriter::string(std::string_view text) {
    const size_t length = std::min<size_t>(text.size(), std::numeric_limits<uint16_t>::max() - 1);
    u16(static_cast<uint16_t>(length + 1));
    bytes_.insert(bytes_.end(), text.begin(), text.begin() + static_cast<std::ptrdiff_t>(length));
    u8(0);
}

void ByteWriter::patchU32(size_t offset, uint32_t v) {
    if (offset + 4 > bytes_.size()) return;
    for (int i = 0; i < 4; ++i) bytes_[offset + static_cast<size_t>(i)] = static_cast<uint8_t>(v >> (8 * i));
}

bool ByteReader::take(size_t count) {
    if (failed_ || count > bytes_.size() - offset_) {
        failed_ = true;
        return false;
    }
    return true;
}

std::optional<uint8_t> ByteReader::u8() {
    if (!take(1)) return std::nullopt;
    return bytes_[offset_++];
}

std::optional<uint16_t> ByteReader::u16() {
    if (!take(2)) return std::nullopt;
    const uint16_t v = static_cast<uint16_t>(bytes_[offset_] | bytes_[offset_ + 1] << 8);
    offset_ += 2;
    return v;
}

std::optional<uint32_t> ByteReader::u32() {
    if (!take(4)) return std::nullopt;
    const uint32_t v = readU32(&bytes_[offset_]);
    offset_ += 4;
    return v;
}

std::optional<int32_t> ByteReader::i32() {
    const auto v = u32();
    if (!v) return std::nullopt;
    return static_cast<int32_t>(*v);
}

std::optional<std::string> ByteReader::string() {
    const auto length = u16();
    if (!length || !take(*length)) return std::nullopt;
    const auto* begin = reinterpret_cast<const char*>(&bytes_[offset_]);
    std::string text(begin, *length);
    offset_ += *length;
    if (!text.empty() && text.back() == '\0') text.pop_back();
    return text;
}

bool ByteReader::skip(size_t count) {
    if (!take(count)) return false;
    offset_ += count;
    return true;
}

}  // namespace talven::rgbsdk
