#pragma once
// Captures the program's debug texts while it lives, for tests that check
// what was logged. Worker threads log too, so the lines are kept under a
// lock; only one capture may exist at a time (the sink is process-wide).

#include "platform/debug_output.h"

#include <algorithm>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

namespace talven::test {

class DebugCapture {
public:
    DebugCapture() {
        std::lock_guard lock(mutex());
        store().clear();
        setDebugSink(&append);
    }
    ~DebugCapture() { setDebugSink(nullptr); }
    DebugCapture(const DebugCapture&) = delete;
    DebugCapture& operator=(const DebugCapture&) = delete;

    std::vector<std::string> lines() const {
        std::lock_guard lock(mutex());
        return store();
    }
    long count(std::string_view text) const {
        std::lock_guard lock(mutex());
        return std::count(store().begin(), store().end(), text);
    }

private:
    static std::mutex& mutex() {
        static std::mutex m;
        return m;
    }
    static std::vector<std::string>& store() {
        static std::vector<std::string> s;
        return s;
    }
    static void append(std::string_view line) {
        std::lock_guard lock(mutex());
        store().emplace_back(line);
    }
};

}  // namespace talven::test
