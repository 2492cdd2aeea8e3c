#pragma once
// Text in and out of the command-line tool: hexadecimal bytes, numbers, and
// the wording of channel results.

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace talven::ctl {

// "04 01 00 ..." - two lowercase digits per byte, single spaces.
std::string hexBytes(std::span<const uint8_t> bytes);
// Rows of 16 bytes, each led by its offset ("0010: ...").
std::string hexDump(std::span<const uint8_t> bytes, unsigned firstOffset);

// Accepts decimal or 0x-prefixed hexadecimal; nullopt on junk or overflow.
std::optional<unsigned long> parseNumber(const std::string& text, unsigned long max);
// Hex bytes given as separate words ("01 ff") or run together ("01ff").
std::optional<std::vector<uint8_t>> parseHexBytes(const std::vector<std::string>& words);

// Why a channel operation failed, for the error line.
std::string describeResult(int result);

// Prints "talvenctl: <message>" as one line on standard error (line breaks
// in the message become spaces) and returns `status`.
int fail(std::string message, int status = 1);

}  // namespace talven::ctl
