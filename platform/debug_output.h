#pragma once
// The program's only diagnostic channel: texts for a developer, not for the
// user. Silent unless TALVEN_DEBUG=1, then one line per text on standard error.

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace talven {

bool debugOutputEnabled();
void debugOutput(std::string_view text);

// printf-style convenience; formats only when output is enabled.
void debugOutputf(const char* format, ...) __attribute__((format(printf, 1, 2)));

// One line of the exchange log's dump of a 64-byte report: line 0 or 1 holds
// 32 bytes, groups of four separated by three spaces in the first half and
// two in the second. Bytes past the end of `report` print as 00.
std::string formatReportDumpLine(std::span<const uint8_t> report, int line);

// Writes a label line and the two dump lines, one text each.
void debugDumpReport(std::string_view label, std::span<const uint8_t> report);

// Lets tests capture what would be written; nullptr restores standard error.
using DebugSink = void (*)(std::string_view line);
void setDebugSink(DebugSink sink);

}  // namespace talven
