// CMacroControlUI: the step rows, their moves and deletes, and the steps
// inserted by hand.

#include "editors/macro_control.h"

#include "platform/input/input_events.h"
#include "profile/macro_files.h"
#include "ui/edit.h"
#include "ui/list.h"
#include "ui/paint_manager.h"

#include <algorithm>

namespace talven {

using namespace ui;

namespace {

constexpr int kStepRowHeight = 30;
constexpr int kDelayEditHeight = 25;
constexpr int kDelayEditChars = 6;

// The looks of a row's parts, by the names the skin gives them.
const QString kDownStyle = QStringLiteral("macro_label_down_style");
const QString kUpStyle = QStringLiteral("macro_label_up_style");
const QString kKeyboardStyle = QStringLiteral("macro_label_keyboard_style");
const QString kMouseStyle = QStringLiteral("macro_label_mouse_style");
const QString kMoveTextStyle = QStringLiteral("macro_move_text_style");
const QString kDelayStyle = QStringLiteral("macro_label_text_style");

struct Style {
    const QString& name;
    const char* attributes;
};
const Style kStyles[] = {
    {kDownStyle, "width=\"90\" font=\"7\" textcolor=\"#FF6FCF97\" textpadding=\"3,0,0,0\" resourcetext=\"true\""},
    {kUpStyle, "width=\"90\" font=\"7\" textcolor=\"#FFF2994A\" textpadding=\"3,0,0,0\" resourcetext=\"true\""},
    {kKeyboardStyle, "font=\"7\" textcolor=\"#FFE6E8EC\" resourcetext=\"true\" endellipsis=\"true\""},
    {kMouseStyle, "font=\"7\" textcolor=\"#FF4FC3F7\" resourcetext=\"true\" endellipsis=\"true\""},
    {kMoveTextStyle, "width=\"60\" font=\"7\" textcolor=\"#FF9AA3B2\""},
    {kDelayStyle, "width=\"90\" font=\"7\" textcolor=\"#FFE6E8EC\" align=\"center\""},
};

void applyStyle(CControlUI* control, const QString& style) {
    for (const Style& s : kStyles) {
        if (s.name == style) control->ApplyAttributeList(QString::fromLatin1(s.attributes));
    }
}

CLabelUI* styledLabel(const QString& style, const QString& text) {
    auto* label = new CLabelUI;
    applyStyle(label, style);
    label->SetText(text);
    return label;
}

}  // namespace

// ---- rows ---------------------------------------------------------------------------------

CControlUI* CMacroControlUI::makeRow(const MacroStep& step) {
    const MacroEvent event = macroEventOf(step.event);
    const MacroEventLabel label = macroEventLabel(event);
    auto* row = new CListContainerElementUI;
    row->SetName(QStringLiteral("macro_action"));
    row->SetFixedHeight(kStepRowHeight);
    row->Add(styledLabel(event.down ? kDownStyle : kUpStyle,
                         event.down ? QStringLiteral("macro_action_down") : QStringLiteral("macro_action_up")));
    auto* name = new CHorizontalLayoutUI;
    name->Add(styledLabel(label.mouse ? kMouseStyle : kKeyboardStyle, QString::fromStdString(label.nameKey)));
    if (label.showsDistance) name->Add(styledLabel(kMoveTextStyle, QString::number(event.button)));
    row->Add(name);
    auto* delay = new CEditUI;
    delay->SetName(QStringLiteral("macro_delay"));
    applyStyle(delay, kDelayStyle);
    delay->SetNativeEditBkColor(QColor(0x44, 0x44, 0x44));
    delay->SetBkColor(QColor(0x44, 0x44, 0x44));
    delay->SetFixedHeight(kDelayEditHeight);
    delay->SetPadding(QMargins(0, (kStepRowHeight - kDelayEditHeight) / 2, 0, 0));
    delay->SetNumberOnly(true);
    delay->SetMaxChar(kDelayEditChars);
    delay->SetText(QString::number(step.delay));
    row->Add(delay);
    return row;
}

void CMacroControlUI::loadSteps(const std::string& path) {
    list_ = {};
    // A missing or unreadable file is an empty macro.
    for (Json::Value& event : path.empty() ? std::vector<Json::Value>{} : ReadMacroEvents(path)) {
        const uint16_t delay = storedDelay(event);
        list_.steps.push_back({std::move(event), delay});
    }
    rebuildRows();
}

void CMacroControlUI::rebuildRows() {
    CListUI* list = actionList();
    if (!list) return;
    list->SelectItem(-1, false);
    list->RemoveAll();
    for (const MacroStep& step : list_.steps) list->Add(makeRow(step));
    showSelection();
}

uint16_t CMacroControlUI::shownDelay(int row) const {
    auto* self = const_cast<CMacroControlUI*>(this);
    CListUI* list = self->actionList();
    auto* item = list ? qobject_cast<CContainerUI*>(list->GetItemAt(row)) : nullptr;
    auto* edit = item ? qobject_cast<CEditUI*>(item->FindSubControl(QStringLiteral("macro_delay"))) : nullptr;
    // An emptied box is no wait; more than the largest delay is the largest.
    return edit ? parseMacroDelay(edit->GetText().toStdString()).value_or(0) : 0;
}

// What the user typed and selected in the rows, into the steps.
void CMacroControlUI::pullRows() {
    CListUI* list = actionList();
    if (!list) return;
    for (size_t i = 0; i < list_.steps.size() && static_cast<int>(i) < list->GetCount(); ++i)
        list_.steps[i].delay = shownDelay(static_cast<int>(i));
    list_.selected = list->GetCurSel();
}

const MacroStepList& CMacroControlUI::steps() {
    pullRows();
    return list_;
}

void CMacroControlUI::showSelection() {
    CListUI* list = actionList();
    if (!list) return;
    list->SelectItem(list_.selected, false);
    if (list_.selected < 0) return;
    // The rows are laid out at the next paint: scroll once they are.
    if (CPaintManagerUI* manager = GetManager()) manager->SetTimer(this, kScrollTimer, kScrollDelayMs);
}

void CMacroControlUI::DoEvent(TEventUI& event) {
    if (event.Type == UIEVENT_TIMER && event.wParam == kScrollTimer) {
        if (CPaintManagerUI* manager = GetManager()) manager->KillTimer(this, kScrollTimer);
        CListUI* list = actionList();
        if (list && list->GetCurSel() >= 0) list->EnsureVisible(list->GetCurSel());
        return;
    }
    CHorizontalLayoutUI::DoEvent(event);
}

void CMacroControlUI::setRowDelay(size_t row, uint16_t delay) {
    CListUI* list = actionList();
    auto* item = list ? qobject_cast<CContainerUI*>(list->GetItemAt(static_cast<int>(row))) : nullptr;
    if (CControlUI* edit = item ? item->FindSubControl(QStringLiteral("macro_delay")) : nullptr)
        edit->SetText(QString::number(delay));
}

void CMacroControlUI::refreshRow(size_t row) {
    CListUI* list = actionList();
    if (!list || row >= list_.steps.size()) return;
    list->RemoveAt(static_cast<int>(row));
    list->AddAt(makeRow(list_.steps[row]), static_cast<int>(row));
    showSelection();
}

void CMacroControlUI::applyChange(const MacroRecorder::Change& change) {
    if (CListUI* list = actionList()) list->AddAt(makeRow(list_.steps[change.inserted]), static_cast<int>(change.inserted));
    if (change.retimed) setRowDelay(*change.retimed, list_.steps[*change.retimed].delay);
    showSelection();
}

// ---- moves and deletes ---------------------------------------------------------------------

void CMacroControlUI::moveStep(StepMove move) {
    pullRows();
    const int count = static_cast<int>(list_.steps.size());
    const int from = list_.selected;
    if (from < 0 || from >= count) return;
    const int to = move == StepMove::Up     ? from - 1
                   : move == StepMove::Down ? from + 1
                   : move == StepMove::Top  ? 0
                                            : count - 1;
    if (to < 0 || to >= count || to == from) return;
    MacroStep step = std::move(list_.steps[static_cast<size_t>(from)]);
    list_.steps.erase(list_.steps.begin() + from);
    list_.steps.insert(list_.steps.begin() + to, std::move(step));
    if (CListUI* list = actionList()) list->SetItemIndex(list->GetItemAt(from), to);
    list_.selected = to;
    showSelection();
}

void CMacroControlUI::deleteStep() {
    pullRows();
    const int at = list_.selected;
    if (at < 0 || at >= static_cast<int>(list_.steps.size())) return;
    list_.steps.erase(list_.steps.begin() + at);
    list_.selected = -1;
    if (CListUI* list = actionList()) {
        list->SelectItem(-1, false);
        list->RemoveAt(at);
    }
}

void CMacroControlUI::deleteAllSteps() {
    list_ = {};
    rebuildRows();
}

// ---- steps by hand -------------------------------------------------------------------------

// After the selected step (after the first without a selection, first in
// an empty list); the step after the previous selection is selected. Each
// step waits the constant delay.
void CMacroControlUI::insertStep(const MacroEvent& event, uint16_t delay) {
    pullRows();
    const size_t count = list_.steps.size();
    const size_t at = count == 0 ? 0 : list_.selected >= 0 ? static_cast<size_t>(list_.selected) + 1 : 1;
    list_.steps.insert(list_.steps.begin() + static_cast<std::ptrdiff_t>(at), {macroEventObject(event, delay), delay});
    if (CListUI* list = actionList()) list->AddAt(makeRow(list_.steps[at]), static_cast<int>(at));
    list_.selected = static_cast<int>(at);
    showSelection();
}

void CMacroControlUI::InsertMouseAction(uint32_t message, int xButton) {
    // The menu numbers the X buttons 0 forward, 1 back.
    const uint16_t x = xButton == 0 ? input::kXButtonForward : input::kXButtonBack;
    const auto event = buttonMacroEvent(message, x);
    if (event) insertStep(*event, constantDelay_);
}

void CMacroControlUI::InsertMouseMove(int direction) {
    static constexpr const char* kEdits[] = {"mouse_x_left_edit", "mouse_x_right_edit", "mouse_y_up_edit",
                                             "mouse_y_down_edit"};
    if (direction < 0 || direction > 3) return;
    CEditUI* edit = editOf(kEdits[direction]);
    const int distance = edit ? edit->GetText().toInt() : 0;
    insertStep(moveMacroEvent(direction, distance), constantDelay_);
}

}  // namespace talven
