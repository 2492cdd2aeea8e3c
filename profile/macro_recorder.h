#pragma once
// The macro recorder's rules, fed with the input hook's records: which key
// or mouse button becomes which event, the auto-repeat filter, where a new
// step goes and which step is selected after it, the delays by mode and the
// step limit. The editor shows a MacroStepList as rows and applies each
// change this reports to them; nothing here knows a window.

#include "profile/macro_store.h"

#include <json/value.h>

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace talven {

enum class MacroDelayMode { Record = 1, Constant = 2, Ignore = 3 };
// Where recorded steps go: at the end, before or after the selected step.
enum class MacroInsertion { Append, Before, After };

inline constexpr uint16_t kMaxMacroDelay = 65535;
inline constexpr uint16_t kDefaultConstantDelay = 50;

// "Type" of an event.
namespace macroevent {
inline constexpr int kMouseButton = 1;
inline constexpr int kMoveX = 4;  // "down" left, "up" right
inline constexpr int kMoveY = 5;  // "down" up, "up" down
inline constexpr int kModifier = 9;
inline constexpr int kKey = 10;
}  // namespace macroevent

struct MacroEvent {
    bool down = false;
    int type = 0;
    int button = 0;

    friend bool operator==(const MacroEvent&, const MacroEvent&) = default;
};

// The stored object: "Action", "Type", "Button" and "Delay" as decimal text.
Json::Value macroEventObject(const MacroEvent& event, uint16_t delay);
// Only "Action" exactly "down" is a press.
MacroEvent macroEventOf(const Json::Value& object);
// The delay a row shows for a stored event: its "Delay" read as a decimal
// number, 65535 for anything larger.
uint16_t storedDelay(const Json::Value& object);

// A key message (256 and 260 press, anything else release) of the key with
// this set-1 scan code and E0 flag; nothing for a key the keyboard table
// does not list as a key or a modifier.
std::optional<MacroEvent> keyMacroEvent(uint32_t message, uint16_t scanCode, bool extended);
// A button message: 513/514 left, 516/517 right, 519/520 middle, 523/524 the
// X button `xButton` (2 forward, 1 back). Nothing for other messages.
std::optional<MacroEvent> buttonMacroEvent(uint32_t message, uint16_t xButton);
// A move by `distance` pixels (its low 8 bits); direction 0 left, 1 right,
// 2 up, 3 down.
MacroEvent moveMacroEvent(int direction, int distance);

// How a step's name is shown: the language key of its key or button (empty
// for kinds without one) and whether it is a mouse step; a move also shows
// its distance.
struct MacroEventLabel {
    std::string nameKey;
    bool mouse = false;
    bool showsDistance = false;
};
MacroEventLabel macroEventLabel(const MacroEvent& event);

// The constant-delay box at the start of a recording: its decimal value, at
// most 65535; nothing when it holds no number.
std::optional<uint16_t> parseMacroDelay(std::string_view text);

// The steps of the macro being edited and the selected row (-1: none).
struct MacroStepList {
    std::vector<MacroStep> steps;
    int selected = -1;
};

class MacroRecorder {
public:
    // What one recorded event did: the row inserted, and the row before it
    // when that row's delay changed.
    struct Change {
        size_t inserted = 0;
        std::optional<size_t> retimed;
    };
    // A screen rectangle; a left-button event inside it is not recorded.
    struct Area {
        int x = 0, y = 0, width = 0, height = 0;
        bool contains(int px, int py) const { return px >= x && py >= y && px < x + width && py < y + height; }
    };

    // A recording starts at `nowMs` (a tick count).
    void start(MacroDelayMode mode, MacroInsertion where, uint16_t constantDelay, uint32_t nowMs);
    MacroDelayMode mode() const { return mode_; }

    std::optional<Change> recordKey(MacroStepList& list, uint32_t message, uint16_t scanCode, bool extended,
                                    uint32_t nowMs);
    std::optional<Change> recordButton(MacroStepList& list, uint32_t message, uint16_t xButton, int x, int y,
                                       const Area& stopButton, uint32_t nowMs);
    // The selected step takes the key or button of `with`; its action and
    // delay stay. False without a selected step.
    static bool replaceSelected(MacroStepList& list, const MacroEvent& with);

private:
    std::optional<Change> record(MacroStepList& list, const MacroEvent& event, uint32_t nowMs);
    size_t insertionPoint(const MacroStepList& list) const;

    struct PressedKey {
        uint16_t scanCode;
        bool extended;
    };
    std::optional<PressedKey> pressed_;
    MacroDelayMode mode_ = MacroDelayMode::Record;
    MacroInsertion where_ = MacroInsertion::Append;
    uint16_t constantDelay_ = kDefaultConstantDelay;
    uint32_t lastTick_ = 0;
    bool recordedBefore_ = false;
};

}  // namespace talven
