// CMacroControlUI: recording from the input hook, replacing a step's key,
// and the step menu's commands.

#include "editors/macro_control.h"

#include "controls/hand_buttons.h"

#include "platform/clock.h"
#include "platform/input/input_events.h"
#include "ui/edit.h"
#include "ui/list.h"
#include "ui/option.h"

namespace talven {

using namespace ui;

namespace {

// The controls a recording locks: nothing may change the steps meanwhile
// but the recorder, and the stop button is the only way out.
constexpr const char* kLockedWhileRecording[] = {"macro_name_tab", "macro_tab_macroaction_edit",
                                                 "macro_tab_macrodelay_edit", "macro_action_list"};

struct RecordItem {
    const char* name;
    MacroInsertion where;
    MacroDelayMode mode;
    int hookMode;
};
constexpr RecordItem kRecordItems[] = {
    {"redio_previous_record_time", MacroInsertion::Before, MacroDelayMode::Record, hookmode::kMacroPrevious},
    {"redio_previous_constant_time", MacroInsertion::Before, MacroDelayMode::Constant, hookmode::kMacroPrevious},
    {"redio_previous_ignore_time", MacroInsertion::Before, MacroDelayMode::Ignore, hookmode::kMacroPrevious},
    {"redio_later_record_time", MacroInsertion::After, MacroDelayMode::Record, hookmode::kMacroLater},
    {"redio_later_constant_time", MacroInsertion::After, MacroDelayMode::Constant, hookmode::kMacroLater},
    {"redio_later_ignore_time", MacroInsertion::After, MacroDelayMode::Ignore, hookmode::kMacroLater},
};

// "left_down" ... "back_click": the button's down and up messages.
struct ButtonItem {
    const char* prefix;
    uint32_t down, up;
    int xButton;  // 0 forward, 1 back
};
constexpr ButtonItem kButtonItems[] = {
    {"left_", input::kWmLButtonDown, input::kWmLButtonUp, 0},
    {"middle_", input::kWmMButtonDown, input::kWmMButtonUp, 0},
    {"right_", input::kWmRButtonDown, input::kWmRButtonUp, 0},
    {"forward_", input::kWmXButtonDown, input::kWmXButtonUp, 0},
    {"back_", input::kWmXButtonDown, input::kWmXButtonUp, 1},
};

}  // namespace

bool CMacroControlUI::IsConstantTimeChecked() {
    auto* check = qobject_cast<COptionUI*>(sub("macro_check_time"));
    return check && check->IsSelected();
}

void CMacroControlUI::setRecordingLook(bool on) {
    for (const char* name : kLockedWhileRecording) {
        if (CControlUI* control = sub(name)) control->SetEnabled(!on);
    }
    if (CControlUI* start = sub("macro_btn_starredio")) start->SetVisible(!on);
    if (CControlUI* stop = sub("macro_btn_stopredio")) {
        stop->SetVisible(on);
        if (auto* pulsing = qobject_cast<CRedioMacroButtonUI*>(stop)) pulsing->SetRecording(on);
    }
}

bool CMacroControlUI::StartRecording(MacroDelayMode mode, MacroInsertion where) {
    if (capturing() || selectedMacro() < 0 || selectedGuid().empty()) return false;
    pullRows();
    if (mode == MacroDelayMode::Constant) {
        CEditUI* box = editOf("macro_fixed_time_edit");
        // A box without a number keeps the delay it had; either way the
        // box shows the delay the recording uses.
        if (const auto typed = box ? parseMacroDelay(box->GetText().toStdString()) : std::nullopt) constantDelay_ = *typed;
        if (box) {
            box->SetText(QString::number(constantDelay_));
            const int end = box->GetText().size();
            box->SetSel(end, end);
        }
    }
    recorder_.start(mode, where, constantDelay_, tickCount());
    capture_ = Capture::Recording;
    setRecordingLook(true);
    return true;
}

void CMacroControlUI::StopRecording() {
    if (capture_ != Capture::Recording) return;
    capture_ = Capture::None;
    setRecordingLook(false);
    SaveMacro();
}

bool CMacroControlUI::StartReplacing() {
    pullRows();
    if (capturing() || list_.selected < 0) return false;
    capture_ = Capture::Replacing;
    replacedKeyDown_ = false;
    return true;
}

void CMacroControlUI::CaptureFailed() {
    if (capture_ == Capture::Recording) setRecordingLook(false);
    capture_ = Capture::None;
}

void CMacroControlUI::EndCapture() {
    if (capture_ == Capture::Recording) {
        StopRecording();
        return;
    }
    capture_ = Capture::None;
}

MacroRecorder::Area CMacroControlUI::stopArea() {
    CControlUI* stop = sub("macro_btn_stopredio");
    if (!stop || !stop->IsVisible()) return {};
    const QPoint origin = stop->mapToGlobal(QPoint(0, 0));
    return {origin.x(), origin.y(), stop->width(), stop->height()};
}

bool CMacroControlUI::hookKeyEvent(quintptr message, const KeyHookRecord& record) {
    const bool extended = (record.flags & kKeyHookExtended) != 0;
    const auto scan = static_cast<uint16_t>(record.scanCode);
    if (capture_ == Capture::Recording) {
        if (const auto change = recorder_.recordKey(list_, static_cast<uint32_t>(message), scan, extended, tickCount()))
            applyChange(*change);
        return true;
    }
    if (capture_ != Capture::Replacing) return false;
    return replaceWith(keyMacroEvent(static_cast<uint32_t>(message), scan, extended));
}

// The replacement ends with the release of the key or button that made it,
// so that release reaches no other program either.
bool CMacroControlUI::replaceWith(const std::optional<MacroEvent>& event) {
    if (!event) return true;
    if (event->down) {
        pullRows();
        if (MacroRecorder::replaceSelected(list_, *event)) refreshRow(static_cast<size_t>(list_.selected));
        replacedKeyDown_ = true;
    } else if (replacedKeyDown_) {
        capture_ = Capture::None;
    }
    return capturing();
}

bool CMacroControlUI::hookMouseEvent(quintptr message, const MouseHookRecord& record) {
    const auto xButton = static_cast<uint16_t>(record.mouseData >> 16);
    if (capture_ == Capture::Recording) {
        if (const auto change = recorder_.recordButton(list_, static_cast<uint32_t>(message), xButton, record.x,
                                                       record.y, stopArea(), tickCount()))
            applyChange(*change);
        return true;
    }
    if (capture_ != Capture::Replacing) return false;
    return replaceWith(buttonMacroEvent(static_cast<uint32_t>(message), xButton));
}

int CMacroControlUI::runMenuCommand(const QString& name) {
    for (const RecordItem& item : kRecordItems) {
        if (name == QLatin1String(item.name)) return StartRecording(item.mode, item.where) ? item.hookMode : 0;
    }
    if (name == QLatin1String("macro_action_edit")) return StartReplacing() ? hookmode::kMacroSingle : 0;
    for (const ButtonItem& item : kButtonItems) {
        const QString prefix = QString::fromLatin1(item.prefix);
        if (!name.startsWith(prefix)) continue;
        // A click is the press and then the release.
        const QString what = name.mid(prefix.size());
        const bool click = what == QLatin1String("click");
        if (click || what == QLatin1String("down")) InsertMouseAction(item.down, item.xButton);
        if (click || what == QLatin1String("up")) InsertMouseAction(item.up, item.xButton);
        return 0;
    }
    return 0;
}

}  // namespace talven
