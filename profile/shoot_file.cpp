#include "profile/shoot_file.h"

#include "profile/json_document.h"

#include <cctype>
#include <exception>
#include <memory>
#include <string_view>

namespace talven {

namespace {

// Event kinds of the macro layout used here.
constexpr int kTypeButton = 1;
constexpr int kTypeHorizontal = 4;
constexpr int kTypeVertical = 5;
constexpr int kLeftButton = 1;
// The click is held 10 ms; the horizontal move waits 5 ms before the vertical one.
constexpr int kPressDelayMs = 10;
constexpr int kHorizontalDelayMs = 5;

bool isDown(const Json::Value& action) {
    if (!action.isString()) return false;
    const std::string text = action.asString();
    static constexpr std::string_view kDown = "down";
    if (text.size() != kDown.size()) return false;
    for (size_t i = 0; i < text.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(text[i])) != kDown[i]) return false;
    return true;
}

// "Delay" is decimal text in macro files; a number is taken as it is, and
// text is read like the macro readers do (leading digits, else 0).
int delayOf(const Json::Value& delay) {
    if (delay.isIntegral()) return static_cast<int>(delay.asInt64() & 0xFFFF);
    if (!delay.isString()) return 0;
    long value = 0;
    for (char c : delay.asString()) {
        if (c < '0' || c > '9') break;
        value = (value * 10 + (c - '0')) & 0xFFFFF;
    }
    return static_cast<int>(value & 0xFFFF);
}

// Shown as stored: a value the mouse cannot take is refused when saved, not
// silently cut to a byte.
int intOf(const Json::Value& value) { return value.isInt() ? value.asInt() : 0; }

Json::Value event(bool down, int button, int delay, int type) {
    Json::Value e(Json::objectValue);
    e["Action"] = down ? "down" : "up";
    e["Button"] = button;
    e["Delay"] = std::to_string(delay);
    e["Type"] = type;
    return e;
}

}  // namespace

std::string shootFileName(int gun) { return "ShootData_" + std::to_string(gun) + ".Shoot"; }

bool isShootDocument(const Json::Value& doc) {
    if (!doc.isObject() || !doc["Events"].isArray()) return false;
    const Json::Value& events = doc["Events"];
    if (events.size() < static_cast<Json::ArrayIndex>(kShootBulletCount * kShootEventsPerBullet)) return false;
    for (const Json::Value& e : events)
        if (!e.isObject()) return false;
    return true;
}

bool isShootText(const std::string& bytes) {
    const JsonDocument doc = parseJsonText(bytes, kProfileJsonLimits);
    return doc.state == JsonFileState::ok && isShootDocument(doc.value);
}

ShootBullet readShootBullet(const Json::Value& doc, int bullet) {
    const Json::Value& events = doc["Events"];
    const auto first = static_cast<Json::ArrayIndex>(bullet * kShootEventsPerBullet);
    const Json::Value& h = events[first + 2];
    const Json::Value& v = events[first + 3];
    return {intOf(h["Button"]), isDown(h["Action"]), intOf(v["Button"]), isDown(v["Action"]), delayOf(v["Delay"])};
}

void writeShootBullet(Json::Value& doc, int bullet, const ShootBullet& value) {
    Json::Value& events = doc["Events"];
    const auto first = static_cast<Json::ArrayIndex>(bullet * kShootEventsPerBullet);
    events[first] = event(true, kLeftButton, kPressDelayMs, kTypeButton);
    events[first + 1] = event(false, kLeftButton, 0, kTypeButton);
    events[first + 2] = event(value.left, value.horizontal, kHorizontalDelayMs, kTypeHorizontal);
    events[first + 3] = event(value.up, value.vertical, value.delay, kTypeVertical);
}

bool shootBulletInRange(const ShootBullet& value) {
    const auto offset = [](int v) { return v >= 0 && v <= kShootMaxOffset; };
    return offset(value.horizontal) && offset(value.vertical) && value.delay >= 0 && value.delay <= kShootMaxDelay;
}

}  // namespace talven
