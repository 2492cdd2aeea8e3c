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
    if (name.size() > kMaxUserNameBytes) return false;
    bool visible = false;
    for (unsigned char c : name) {
        if (c < 0x20 || c == 0x7F) return false;
        visible = visible || c != ' ';
    }
    return visible;
}

std::string suggestedFileName(const std::string& name, const std::string& extension, const std::string& fallback) {
    std::string stem;
    for (unsigned char c : name) {
        if (stem.empty() && (c == '.' || c == ' ')) continue;
        stem += c < 0x20 || c == 0x7F || c == '/' ? '_' : static_cast<char>(c);
    }
    const size_t room = kMaxUserNameBytes - extension.size();
    if (stem.size() > room) {
        size_t cut = room;
        while (cut > 0 && (static_cast<unsigned char>(stem[cut]) & 0xC0) == 0x80) --cut;  // inside a UTF-8 sequence
        stem.resize(cut);
    }
    return (stem.empty() ? fallback : stem) + extension;
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
