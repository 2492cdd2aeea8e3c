#include "support/macro_image.h"

namespace talven::test {

namespace {

constexpr size_t kHeader = 16;
constexpr size_t kReservedFrom = 6;
constexpr size_t kRecordHeader = 4;
constexpr size_t kEventSize = 4;

uint16_t word(std::span<const uint8_t> bytes, size_t at) {
    return static_cast<uint16_t>(bytes[at] | bytes[at + 1] << 8);
}

bool allZero(std::span<const uint8_t> bytes) {
    for (uint8_t b : bytes)
        if (b != 0) return false;
    return true;
}

std::optional<MacroImage> refuse(std::string* why, std::string text) {
    if (why) *why = std::move(text);
    return std::nullopt;
}

// One record at `at` (which the offset table must name); advances `at` past it.
std::optional<ImageMacro> readRecord(std::span<const uint8_t> image, size_t& at, std::string* why) {
    if (at + kRecordHeader > image.size()) {
        refuse(why, "record at " + std::to_string(at) + " runs past the image");
        return std::nullopt;
    }
    const size_t count = word(image, at);
    if (!allZero(image.subspan(at + 2, 2))) {
        refuse(why, "record at " + std::to_string(at) + " has its reserved word set");
        return std::nullopt;
    }
    at += kRecordHeader;
    if (at + count * kEventSize > image.size()) {
        refuse(why, "the " + std::to_string(count) + " events at " + std::to_string(at) + " run past the image");
        return std::nullopt;
    }
    ImageMacro macro;
    for (size_t e = 0; e < count; ++e, at += kEventSize) {
        const uint8_t kind = image[at + 2];
        macro.push_back({word(image, at), static_cast<uint8_t>(kind & 0x7F), (kind & 0x80) != 0, image[at + 3]});
    }
    return macro;
}

}  // namespace

std::optional<MacroImage> decodeMacroImage(std::span<const uint8_t> memory, std::string* why) {
    if (memory.size() < kHeader) return refuse(why, "memory shorter than the header");
    if (memory[0] != 0xAA || memory[1] != 0x55) return refuse(why, "no AA 55 signature");
    MacroImage out;
    out.length = word(memory, 2);
    const size_t count = word(memory, 4);
    if (out.length > memory.size()) return refuse(why, "length " + std::to_string(out.length) + " beyond the memory");
    if (!allZero(memory.subspan(kReservedFrom, kHeader - kReservedFrom)))
        return refuse(why, "reserved header bytes are not 0");
    const std::span<const uint8_t> image = memory.first(out.length);
    size_t at = kHeader + 2 * count;
    if (at > image.size()) return refuse(why, "offset table of " + std::to_string(count) + " runs past the image");
    for (size_t m = 0; m < count; ++m) {
        const size_t listed = word(image, kHeader + 2 * m);
        if (listed != at)
            return refuse(why, "macro " + std::to_string(m) + " listed at " + std::to_string(listed) +
                                   ", its record is at " + std::to_string(at));
        auto macro = readRecord(image, at, why);
        if (!macro) return std::nullopt;
        out.macros.push_back(std::move(*macro));
    }
    if (at != image.size())
        return refuse(why, "records end at " + std::to_string(at) + ", length says " + std::to_string(image.size()));
    return out;
}

std::string describe(const ImageMacro& macro) {
    std::string text;
    for (const ImageEvent& e : macro) {
        if (!text.empty()) text += ' ';
        text += std::to_string(e.delay) + ':' + std::to_string(e.type) + ':' + (e.down ? 'd' : 'u') + ':' +
                std::to_string(e.button);
    }
    return text;
}

}  // namespace talven::test
