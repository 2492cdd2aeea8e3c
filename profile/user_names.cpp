#include "profile/user_names.h"

#include "profile/json_file.h"

#include <chrono>
#include <thread>

namespace talven {

namespace {

char asciiLower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

}  // namespace

bool sameUserName(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (asciiLower(a[i]) != asciiLower(b[i])) return false;
    return true;
}

bool usableUserName(const std::string& name) {
    bool visible = false;
    for (unsigned char c : name) {
        if (c < 0x20 || c == 0x7F) return false;
        visible = visible || c != ' ';
    }
    return visible;
}

std::string uniqueTimeStamp(const std::function<bool(const std::string&)>& taken) {
    for (int attempt = 0;; ++attempt) {
        std::string stamp = MakeTimeStamp();
        if (attempt > 2000) stamp += "_" + std::to_string(attempt);
        if (!taken(stamp)) return stamp;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
}

}  // namespace talven
