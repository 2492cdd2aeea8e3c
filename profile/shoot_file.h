#pragma once
// Shoot files: the recoil compensation of one gun as a macro-style event
// list ("ShootData_<gun>.Shoot"). Each of the 30 bullets is four events: a
// left click (press, release), then a horizontal and a vertical cursor move,
// the last carrying the wait before the next bullet.

#include <json/value.h>

#include <string>

namespace talven {

inline constexpr int kShootGunCount = 4;
inline constexpr int kShootBulletCount = 30;
inline constexpr int kShootEventsPerBullet = 4;
// A move's distance is one byte on the mouse, a delay 16 bits.
inline constexpr int kShootMaxOffset = 255;
inline constexpr int kShootMaxDelay = 65535;

struct ShootBullet {
    int horizontal = 0;  // pixels
    bool left = false;   // else right
    int vertical = 0;    // pixels
    bool up = false;     // else down
    int delay = 0;       // ms after the bullet

    friend bool operator==(const ShootBullet&, const ShootBullet&) = default;
};

// "ShootData_" + gun + ".Shoot".
std::string shootFileName(int gun);

// Whether `doc` can hold every bullet: an object whose "Events" array has an
// object for each of the 30 bullets' events. Anything less is not edited, so
// a save never pads a stranger's file with empty events.
bool isShootDocument(const Json::Value& doc);
// isShootDocument for a file's bytes as read (comments allowed).
bool isShootText(const std::string& bytes);

// Bullet `bullet` (0-based) of a document isShootDocument accepts. A move
// goes left (up) only for an "Action" of "down" in any letter case, with
// nothing around it.
ShootBullet readShootBullet(const Json::Value& doc, int bullet);

// Replaces the four events of `bullet` and leaves every other event alone.
void writeShootBullet(Json::Value& doc, int bullet, const ShootBullet& value);

// Whether the bullet's numbers fit the mouse: offsets 0..255, delay 0..65535.
bool shootBulletInRange(const ShootBullet& value);

}  // namespace talven
