#include "platform/debug_output.h"

#include <atomic>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>

namespace talven {

namespace {

std::atomic<DebugSink> g_sink{nullptr};
std::mutex g_stderrLock;

// Read once: the log is asked on every command exchange, and with output off
// that question must cost no more than a load.
bool envEnabled() {
    static const bool enabled = [] {
        const char* value = std::getenv("TALVEN_DEBUG");
        return value != nullptr && std::strcmp(value, "1") == 0;
    }();
    return enabled;
}

}  // namespace

bool debugOutputEnabled() {
    return g_sink.load() != nullptr || envEnabled();
}

void debugOutput(std::string_view text) {
    if (DebugSink sink = g_sink.load()) {
        sink(text);
        return;
    }
    if (!envEnabled()) return;
    std::lock_guard lock(g_stderrLock);
    std::fwrite(text.data(), 1, text.size(), stderr);
    std::fputc('\n', stderr);
}

void debugOutputf(const char* format, ...) {
    if (!debugOutputEnabled()) return;
    char buffer[1024];
    va_list args;
    va_start(args, format);
    std::vsnprintf(buffer, sizeof buffer, format, args);
    va_end(args);
    debugOutput(buffer);
}

std::string formatReportDumpLine(std::span<const uint8_t> report, int line) {
    std::string out;
    char cell[8];
    for (int i = 0; i < 32; ++i) {
        if (i > 0) {
            // Three spaces between the groups of the first half, two in the second.
            out += (i % 4 != 0) ? " " : (i < 16 ? "   " : "  ");
        }
        size_t at = static_cast<size_t>(line * 32 + i);
        std::snprintf(cell, sizeof cell, "%02x", at < report.size() ? report[at] : 0);
        out += cell;
    }
    return out;
}

void debugDumpReport(std::string_view label, std::span<const uint8_t> report) {
    if (!debugOutputEnabled()) return;
    debugOutput(label);
    debugOutput(formatReportDumpLine(report, 0));
    debugOutput(formatReportDumpLine(report, 1));
}

void setDebugSink(DebugSink sink) { g_sink.store(sink); }

}  // namespace talven
