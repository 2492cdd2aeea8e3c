// The macro recorder fed with hook records directly: keys and buttons to
// events, the auto-repeat filter, insertion points and selection, delays by
// mode with their cap, the step limit and replacing a step's key.

#include "profile/macro_recorder.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace talven {
namespace {

constexpr uint32_t kDown = 256, kUp = 257, kSysDown = 260, kSysUp = 261;
constexpr uint16_t kScanA = 0x1E, kScanB = 0x30, kScanC = 0x2E;
const MacroRecorder::Area kNoStop{};

// "Action Type Button Delay" of every step, e.g. "down 10 4 0".
std::vector<std::string> shown(const MacroStepList& list) {
    std::vector<std::string> out;
    for (const MacroStep& s : list.steps) {
        out.push_back(s.event["Action"].asString() + " " + std::to_string(s.event["Type"].asInt()) + " " +
                      std::to_string(s.event["Button"].asInt()) + " " + s.event["Delay"].asString());
        EXPECT_EQ(s.event["Delay"].asString(), std::to_string(s.delay)) << "row and event disagree";
    }
    return out;
}

TEST(MacroEventTest, KeysByScanCodeAndExtendedFlag) {
    struct Row {
        uint32_t message;
        uint16_t scan;
        bool extended;
        std::optional<MacroEvent> expected;
    };
    const Row rows[] = {
        {kDown, 0x1E, false, MacroEvent{true, 10, 0x04}},    // A
        {kUp, 0x1E, false, MacroEvent{false, 10, 0x04}},
        {kSysDown, 0x1E, false, MacroEvent{true, 10, 0x04}},  // with Alt held
        {kSysUp, 0x1C, false, MacroEvent{false, 10, 0x28}},   // Enter
        {kDown, 0x1C, true, MacroEvent{true, 10, 0x58}},      // keypad Enter
        {kDown, 0x1D, false, MacroEvent{true, 9, 0x01}},      // left Ctrl
        {kDown, 0x1D, true, MacroEvent{true, 9, 0x10}},       // right Ctrl
        {kDown, 0x38, true, MacroEvent{true, 9, 0x40}},       // right Alt
        {kDown, 0x5C, true, MacroEvent{true, 9, 0x80}},       // right Windows
        {kDown, 0x2B, false, MacroEvent{true, 10, 0x31}},     // backslash
        {kDown, 0x48, true, MacroEvent{true, 10, 0x52}},      // Up arrow
        {kDown, 0x48, false, MacroEvent{true, 10, 0x60}},     // keypad 8
        {kDown, 0x20, true, std::nullopt},                    // Mute: not a keyboard key
        {kDown, 0x7F, false, std::nullopt},                   // nothing sends it
    };
    for (const Row& r : rows) {
        EXPECT_EQ(keyMacroEvent(r.message, r.scan, r.extended), r.expected)
            << "scan " << r.scan << " extended " << r.extended;
    }
}

TEST(MacroEventTest, MouseButtonsMovesAndTheirLabels) {
    EXPECT_EQ(buttonMacroEvent(513, 0), (MacroEvent{true, 1, 1}));
    EXPECT_EQ(buttonMacroEvent(514, 0), (MacroEvent{false, 1, 1}));
    EXPECT_EQ(buttonMacroEvent(516, 0), (MacroEvent{true, 1, 2}));
    EXPECT_EQ(buttonMacroEvent(520, 0), (MacroEvent{false, 1, 4}));
    EXPECT_EQ(buttonMacroEvent(523, 2), (MacroEvent{true, 1, 16}));
    EXPECT_EQ(buttonMacroEvent(524, 1), (MacroEvent{false, 1, 8}));
    EXPECT_EQ(buttonMacroEvent(523, 3), std::nullopt);
    EXPECT_EQ(buttonMacroEvent(512, 0), std::nullopt);  // a move is not a button

    EXPECT_EQ(moveMacroEvent(0, 10), (MacroEvent{true, 4, 10}));
    EXPECT_EQ(moveMacroEvent(1, 300), (MacroEvent{false, 4, 44}));  // low 8 bits
    EXPECT_EQ(moveMacroEvent(2, 5), (MacroEvent{true, 5, 5}));
    EXPECT_EQ(moveMacroEvent(3, 5), (MacroEvent{false, 5, 5}));

    EXPECT_EQ(macroEventLabel({true, 10, 0x04}).nameKey, "keyboard_key_A");
    EXPECT_EQ(macroEventLabel({true, 9, 0x20}).nameKey, "keyboard_key_RShift");
    EXPECT_EQ(macroEventLabel({true, 1, 16}).nameKey, "ks_mouse_forward");
    EXPECT_TRUE(macroEventLabel({true, 1, 16}).mouse);
    EXPECT_EQ(macroEventLabel({false, 5, 9}).nameKey, "macro_move_down");
    EXPECT_TRUE(macroEventLabel({false, 5, 9}).showsDistance);
    EXPECT_EQ(macroEventLabel({true, 2, 0}).nameKey, "");
    EXPECT_TRUE(macroEventLabel({true, 2, 0}).mouse);
}

TEST(MacroEventTest, StoredDelaysAndTheConstantBox) {
    auto delayOf = [](const char* text) {
        Json::Value e(Json::objectValue);
        e["Delay"] = text;
        return storedDelay(e);
    };
    EXPECT_EQ(delayOf("120"), 120);
    EXPECT_EQ(delayOf("65534"), 65534);
    EXPECT_EQ(delayOf("70000"), 65535);
    EXPECT_EQ(delayOf("99999999999999999999"), 65535);
    EXPECT_EQ(delayOf("12ms"), 12);
    EXPECT_EQ(delayOf("x"), 0);
    EXPECT_EQ(parseMacroDelay("250"), 250);
    EXPECT_EQ(parseMacroDelay("99999"), 65535);
    EXPECT_EQ(parseMacroDelay(""), std::nullopt);
    EXPECT_EQ(parseMacroDelay("2a"), std::nullopt);
    // Only exactly "down" is a press.
    Json::Value capital(Json::objectValue);
    capital["Action"] = "Down";
    EXPECT_FALSE(macroEventOf(capital).down);
}

TEST(MacroRecorderTest, HeldKeyRecordsOneDownAndOneUpWithRecordedDelays) {
    MacroStepList list;
    MacroRecorder recorder;
    recorder.start(MacroDelayMode::Record, MacroInsertion::Append, 50, 1000);
    ASSERT_TRUE(recorder.recordKey(list, kDown, kScanA, false, 1010));
    EXPECT_EQ(shown(list), (std::vector<std::string>{"down 10 4 0"}));
    // Auto-repeat presses for two seconds are dropped.
    for (uint32_t t = 1510; t < 3010; t += 33) EXPECT_FALSE(recorder.recordKey(list, kDown, kScanA, false, t));
    const auto change = recorder.recordKey(list, kUp, kScanA, false, 3010);
    ASSERT_TRUE(change);
    EXPECT_EQ(change->inserted, 1u);
    EXPECT_EQ(change->retimed, 0u);
    EXPECT_EQ(shown(list), (std::vector<std::string>{"down 10 4 2000", "up 10 4 0"}));
    EXPECT_EQ(list.selected, 1);
    // Released, the key counts again.
    ASSERT_TRUE(recorder.recordKey(list, kDown, kScanA, false, 3110));
    EXPECT_EQ(shown(list).back(), "down 10 4 0");
    EXPECT_EQ(list.steps[1].delay, 100);
}

TEST(MacroRecorderTest, AKeyHeldWhenTheLastRecordingStoppedIsRecordedAgain) {
    MacroStepList list;
    MacroRecorder recorder;
    recorder.start(MacroDelayMode::Ignore, MacroInsertion::Append, 50, 0);
    recorder.recordKey(list, kDown, kScanA, false, 10);
    recorder.start(MacroDelayMode::Ignore, MacroInsertion::Append, 50, 100);
    EXPECT_TRUE(recorder.recordKey(list, kDown, kScanA, false, 110));
    EXPECT_EQ(list.steps.size(), 2u);
}

TEST(MacroRecorderTest, DelaysByModeAndTheCap) {
    struct Row {
        MacroDelayMode mode;
        uint32_t gap;
        std::vector<std::string> expected;
    };
    const Row rows[] = {
        {MacroDelayMode::Record, 100, {"down 10 4 100", "up 10 4 100", "down 10 5 0"}},
        {MacroDelayMode::Record, 70000, {"down 10 4 65535", "up 10 4 65535", "down 10 5 0"}},
        {MacroDelayMode::Record, 65535, {"down 10 4 65535", "up 10 4 65535", "down 10 5 0"}},
        {MacroDelayMode::Constant, 100, {"down 10 4 250", "up 10 4 250", "down 10 5 250"}},
        {MacroDelayMode::Ignore, 100, {"down 10 4 0", "up 10 4 0", "down 10 5 0"}},
    };
    for (const Row& r : rows) {
        MacroStepList list;
        MacroRecorder recorder;
        const uint32_t start = 0xFFFFFF00u;  // the tick count wraps meanwhile
        recorder.start(r.mode, MacroInsertion::Append, 250, start);
        recorder.recordKey(list, kDown, kScanA, false, start + 5);
        recorder.recordKey(list, kUp, kScanA, false, start + 5 + r.gap);
        recorder.recordKey(list, kDown, kScanB, false, start + 5 + 2 * r.gap);
        EXPECT_EQ(shown(list), r.expected) << "gap " << r.gap;
    }
}

TEST(MacroRecorderTest, InsertBeforeKeepsTheSelectionOnTheSameStep) {
    MacroStepList list;
    MacroRecorder recorder;
    recorder.start(MacroDelayMode::Ignore, MacroInsertion::Append, 50, 0);
    recorder.recordKey(list, kDown, kScanA, false, 0);
    recorder.recordKey(list, kUp, kScanA, false, 0);
    list.selected = 1;  // "up A"
    recorder.start(MacroDelayMode::Record, MacroInsertion::Before, 50, 1000);
    auto change = recorder.recordKey(list, kDown, kScanB, false, 1040);
    ASSERT_TRUE(change);
    EXPECT_EQ(change->inserted, 1u);
    EXPECT_EQ(change->retimed, 0u);
    EXPECT_EQ(list.selected, 2);
    change = recorder.recordKey(list, kUp, kScanB, false, 1100);
    EXPECT_EQ(change->inserted, 2u);
    EXPECT_EQ(list.selected, 3);
    EXPECT_EQ(shown(list), (std::vector<std::string>{"down 10 4 40", "down 10 5 60", "up 10 5 0", "up 10 4 0"}));
}

TEST(MacroRecorderTest, InsertAfterSelectsTheNewStep) {
    MacroStepList list;
    MacroRecorder recorder;
    recorder.start(MacroDelayMode::Ignore, MacroInsertion::Append, 50, 0);
    recorder.recordKey(list, kDown, kScanA, false, 0);
    recorder.recordKey(list, kUp, kScanA, false, 0);
    list.selected = 0;
    recorder.start(MacroDelayMode::Constant, MacroInsertion::After, 30, 0);
    recorder.recordKey(list, kDown, kScanC, false, 0);
    EXPECT_EQ(list.selected, 1);
    recorder.recordKey(list, kUp, kScanC, false, 0);
    EXPECT_EQ(list.selected, 2);
    EXPECT_EQ(shown(list), (std::vector<std::string>{"down 10 4 30", "down 10 6 30", "up 10 6 30", "up 10 4 0"}));
}

TEST(MacroRecorderTest, TheStepLimitDropsThe2001stEvent) {
    MacroStepList list;
    MacroRecorder recorder;
    recorder.start(MacroDelayMode::Record, MacroInsertion::Append, 50, 0);
    for (uint32_t i = 0; i < 1000; ++i) {
        ASSERT_TRUE(recorder.recordKey(list, kDown, kScanA, false, i * 2));
        ASSERT_TRUE(recorder.recordKey(list, kUp, kScanA, false, i * 2 + 1));
    }
    ASSERT_EQ(list.steps.size(), 2000u);
    EXPECT_FALSE(recorder.recordKey(list, kDown, kScanB, false, 5000));
    EXPECT_FALSE(recorder.recordButton(list, 513, 0, 0, 0, kNoStop, 5001));
    EXPECT_EQ(list.steps.size(), 2000u);
    EXPECT_EQ(list.steps.back().delay, 0) << "a dropped event re-times nothing";
}

TEST(MacroRecorderTest, AClickOnStopLeavesNoStep) {
    MacroStepList list;
    MacroRecorder recorder;
    const MacroRecorder::Area stop{100, 200, 80, 30};
    recorder.start(MacroDelayMode::Ignore, MacroInsertion::Append, 50, 0);
    EXPECT_TRUE(recorder.recordButton(list, 516, 0, 120, 210, stop, 0));  // right button on Stop counts
    EXPECT_TRUE(recorder.recordButton(list, 517, 0, 120, 210, stop, 0));
    EXPECT_FALSE(recorder.recordButton(list, 513, 0, 100, 200, stop, 0));
    EXPECT_FALSE(recorder.recordButton(list, 514, 0, 179, 229, stop, 0));
    EXPECT_TRUE(recorder.recordButton(list, 513, 0, 180, 229, stop, 0));  // just outside
    EXPECT_EQ(shown(list), (std::vector<std::string>{"down 1 2 0", "up 1 2 0", "down 1 1 0"}));
}

TEST(MacroRecorderTest, ReplaceKeepsActionAndDelay) {
    MacroStepList list;
    MacroRecorder recorder;
    recorder.start(MacroDelayMode::Record, MacroInsertion::Append, 50, 0);
    recorder.recordKey(list, kDown, kScanA, false, 0);
    recorder.recordKey(list, kUp, kScanA, false, 300);
    list.selected = 0;
    ASSERT_TRUE(MacroRecorder::replaceSelected(list, MacroEvent{false, 1, 2}));
    list.selected = 1;
    ASSERT_TRUE(MacroRecorder::replaceSelected(list, *keyMacroEvent(kDown, 0x1D, true)));
    EXPECT_EQ(shown(list), (std::vector<std::string>{"down 1 2 300", "up 9 16 0"}));
    list.selected = -1;
    EXPECT_FALSE(MacroRecorder::replaceSelected(list, MacroEvent{true, 1, 2}));
}

}  // namespace
}  // namespace talven
