#include "tools/ctl_format.h"

#include "device/command_channel.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <string_view>

namespace talven::ctl {

std::string hexBytes(std::span<const uint8_t> bytes) {
    std::string out;
    char cell[4];
    for (size_t i = 0; i < bytes.size(); ++i) {
        std::snprintf(cell, sizeof cell, "%02x", bytes[i]);
        if (i) out += ' ';
        out += cell;
    }
    return out;
}

std::string hexDump(std::span<const uint8_t> bytes, unsigned firstOffset) {
    std::string out;
    char head[16];
    for (size_t at = 0; at < bytes.size(); at += 16) {
        std::snprintf(head, sizeof head, "%04x: ", static_cast<unsigned>(firstOffset + at));
        out += head;
        out += hexBytes(bytes.subspan(at, std::min<size_t>(16, bytes.size() - at)));
        out += '\n';
    }
    return out;
}

std::optional<unsigned long> parseNumber(const std::string& text, unsigned long max) {
    if (text.empty() || text[0] == '-' || text[0] == '+') return std::nullopt;
    errno = 0;
    char* end = nullptr;
    unsigned long value = std::strtoul(text.c_str(), &end, 0);
    if (errno != 0 || *end != '\0' || value > max) return std::nullopt;
    return value;
}

std::optional<std::vector<uint8_t>> parseHexBytes(const std::vector<std::string>& words) {
    std::string digits;
    for (const auto& word : words) {
        const bool prefixed = word.size() > 2 && word[0] == '0' && (word[1] == 'x' || word[1] == 'X');
        for (char c : std::string_view(word).substr(prefixed ? 2 : 0)) {
            if (c == ' ' || c == ':' || c == ',') continue;
            if (!std::isxdigit(static_cast<unsigned char>(c))) return std::nullopt;
            digits += c;
        }
    }
    if (digits.size() % 2 != 0) return std::nullopt;
    std::vector<uint8_t> bytes;
    for (size_t i = 0; i < digits.size(); i += 2)
        bytes.push_back(static_cast<uint8_t>(std::strtoul(digits.substr(i, 2).c_str(), nullptr, 16)));
    return bytes;
}

std::string describeResult(int result) {
    using namespace channel_result;
    switch (result) {
        case Success: return "success";
        case Refused: return "no reply from the device (result 0)";
        case WriteFailed: return "the request could not be written (result -1)";
        case StatusFailed: return "the device answered with status 0xff (result -102)";
        case StatusRejected: return "the device answered with status 0xfe (result -103)";
        case BadTableIndex: return "bad table index (result -201)";
        default: return "unexpected result " + std::to_string(result);
    }
}

int fail(std::string message, int status) {
    // Parser errors come in several lines; a failure is always one.
    for (char& c : message)
        if (c == '\n' || c == '\r') c = ' ';
    while (!message.empty() && message.back() == ' ') message.pop_back();
    std::fprintf(stderr, "talvenctl: %s\n", message.c_str());
    return status;
}

}  // namespace talven::ctl
