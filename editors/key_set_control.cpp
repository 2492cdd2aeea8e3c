#include "editors/key_set_control.h"

#include "platform/debug_output.h"
#include "ui/combo.h"
#include "ui/control_routes.h"
#include "ui/edit.h"
#include "ui/list.h"
#include "ui/option.h"
#include "ui/resource_manager.h"

namespace talven {

using namespace ui;
using keyfn::Category;

namespace {

constexpr int kComboItemHeight = 30;
constexpr const char* kFunctionCombo = "keyset_function_combo";
constexpr const char* kCategoryPages = "function_switch_tablayout";
constexpr const char* kMacroRunCombo = "keyset_macro_over_combo";
constexpr const char* kMacroCycleLayout = "keyset_macro_cycle_layout";
constexpr const char* kKeyEdit = "keyset_keyboard_text_edit";

QString numberedName(const char* prefix, int index) { return QString::fromLatin1(prefix) + QString::number(index); }

// The category an entry of the category combo stands for: its user data.
std::optional<int> entryCategory(CControlUI* entry) {
    bool ok = false;
    const int category = entry ? entry->GetUserData().toInt(&ok, 10) : 0;
    if (!ok || category < 0 || category >= keyfn::kCategoryCount) return std::nullopt;
    return category;
}

}  // namespace

// ---- routes ---------------------------------------------------------------------------

void CKeySetControlUI::AddRoutes(ControlRoutes& routes) {
    const QString itemSelect = QString::fromLatin1(kNotifyItemSelect);
    routes.add(itemSelect, QString::fromLatin1(kFunctionCombo), [](TNotifyUI& msg, int) {
        auto* panel = ancestorOf<CKeySetControlUI>(msg.pSender);
        auto* combo = qobject_cast<CComboUI*>(msg.pSender);
        if (!panel || !combo) return;
        if (const auto category = entryCategory(combo->GetItemAt(combo->GetCurSel())))
            panel->showCategory(static_cast<Category>(*category));
    });
    routes.add(itemSelect, QString::fromLatin1(kMacroRunCombo), [](TNotifyUI& msg, int) {
        auto* panel = ancestorOf<CKeySetControlUI>(msg.pSender);
        auto* combo = qobject_cast<CComboUI*>(msg.pSender);
        if (panel && combo) panel->showMacroRunMode(combo->GetCurSel());
    });
}

// ---- controls -------------------------------------------------------------------------

CControlUI* CKeySetControlUI::sub(const char* name) { return FindSubControl(QString::fromLatin1(name)); }
CComboUI* CKeySetControlUI::combo(const char* name) { return qobject_cast<CComboUI*>(sub(name)); }
CEditUI* CKeySetControlUI::edit(const char* name) { return qobject_cast<CEditUI*>(sub(name)); }

int CKeySetControlUI::comboRow(const char* name) {
    CComboUI* c = combo(name);
    return c ? c->GetCurSel() : -1;
}

// A row the combo lacks leaves it without a selection, so the state that
// asked for it cannot be saved as some other function.
void CKeySetControlUI::selectRow(const char* name, int row) {
    CComboUI* c = combo(name);
    if (!c) return;
    if (row < 0 || row >= c->GetCount() || !c->SelectItem(row, false)) c->SelectItem(-1, false);
}

std::optional<int> CKeySetControlUI::number(const char* name) {
    CEditUI* e = edit(name);
    if (!e) return std::nullopt;
    const QString text = e->GetText().trimmed();
    if (text.isEmpty()) return 0;
    bool ok = false;
    const int value = text.toInt(&ok, 10);
    if (!ok) return std::nullopt;
    return value;
}

void CKeySetControlUI::setNumber(const char* name, int value) {
    if (CEditUI* e = edit(name)) e->SetText(QString::number(value));
}

// ---- state ----------------------------------------------------------------------------

bool CKeySetControlUI::readMotion(const char* prefix, keyfn::MotionState& motion) {
    const QByteArray p(prefix);
    motion.direction = comboRow((p + "_combo").constData()) == 1 ? 1 : 0;
    const auto count = number((p + "_num_edit").constData());
    const auto delay = number((p + "_delay_edit").constData());
    const auto amount = number((p + "_speed_edit").constData());
    if (!count || !delay || !amount) return false;
    motion.count = *count, motion.delay = *delay, motion.amount = *amount;
    return true;
}

void CKeySetControlUI::showMotion(const char* prefix, const keyfn::MotionState& motion) {
    const QByteArray p(prefix);
    selectRow((p + "_combo").constData(), motion.direction);
    setNumber((p + "_num_edit").constData(), motion.count);
    setNumber((p + "_delay_edit").constData(), motion.delay);
    setNumber((p + "_speed_edit").constData(), motion.amount);
}

std::optional<keyfn::AssignmentState> CKeySetControlUI::readState() {
    keyfn::AssignmentState s;
    s.category = shownCategory();
    s.mouseButton = comboRow("keyset_mousekey_combo");
    s.dpi = comboRow("keyset_mousedpi_combo");
    s.media = comboRow("keyset_media_combo");
    s.system = comboRow("keyset_system_combo");
    s.combination = comboRow("keyset_combokey_combo");
    s.macro = comboRow("keyset_macro_combo");
    s.macroRunMode = comboRow(kMacroRunCombo);
    s.gunKey = comboRow("keyset_gunkey_combo");
    s.modifierOption = std::max(selectedModifier(), 0);
    // The box may have been emptied by hand: an empty box is no key.
    const CEditUI* keyEdit = edit(kKeyEdit);
    if (keyEdit && !keyEdit->GetText().isEmpty()) s.key = captured_;
    // Only the shown category's numbers must be numbers.
    const auto fireInterval = number("keyset_mousefire_interval_edit");
    const auto fireCount = number("keyset_mousefire_num_edit");
    const auto repeat = number("keyset_macro_cycle_edit");
    switch (s.category) {
    case Category::Swing: return readMotion("keyset_mouseswing", s.swing) ? std::optional(s) : std::nullopt;
    case Category::Wheel: return readMotion("keyset_mousewheel", s.wheel) ? std::optional(s) : std::nullopt;
    case Category::Fire:
        if (!fireInterval || !fireCount) return std::nullopt;
        s.fireInterval = *fireInterval, s.fireCount = *fireCount;
        break;
    case Category::Macro:
        if (s.macroRunMode == keyfn::kMacroRepeatMode && !repeat) return std::nullopt;
        s.macroRepeat = repeat.value_or(0);
        break;
    default: break;
    }
    return s;
}

void CKeySetControlUI::showState(const keyfn::AssignmentState& s) {
    showCategory(s.category);
    selectRow("keyset_mousekey_combo", s.mouseButton);
    showMotion("keyset_mouseswing", s.swing);
    showMotion("keyset_mousewheel", s.wheel);
    selectRow("keyset_mousedpi_combo", s.dpi);
    setNumber("keyset_mousefire_interval_edit", s.fireInterval);
    setNumber("keyset_mousefire_num_edit", s.fireCount);
    showKey(s.key);
    selectModifier(s.modifierOption);
    selectRow("keyset_media_combo", s.media);
    selectRow("keyset_system_combo", s.system);
    selectRow("keyset_combokey_combo", s.combination);
    selectRow("keyset_macro_combo", s.macro);
    selectRow(kMacroRunCombo, s.macroRunMode);
    setNumber("keyset_macro_cycle_edit", s.macroRepeat);
    showMacroRunMode(s.macroRunMode);
    selectRow("keyset_gunkey_combo", s.gunKey);
}

// ---- interface ------------------------------------------------------------------------

void CKeySetControlUI::showAssignment(const keyfn::KeyRecord& current, const keyfn::KeyRecord& defaultRecord) {
    defaultRecord_ = defaultRecord;
    showState(keyfn::decodeAssignment(current, defaultRecord));
}

std::optional<KeyAssignmentRecords> CKeySetControlUI::readAssignment() {
    const auto state = readState();
    if (!state) {
        debugOutput("按键设置: a number field of the shown function holds no decimal number");
        return std::nullopt;
    }
    if (state->category == Category::Disable) debugOutput("禁用按键");
    const auto record = keyfn::encodeAssignment(*state, defaultRecord_);
    if (!record) {
        debugOutput("按键设置: the shown function has no row selected");
        return std::nullopt;
    }
    return KeyAssignmentRecords{*record, defaultRecord_};
}

// Mouse functions get their own hint: the key then acts as the mouse does.
void CKeySetControlUI::showCategory(Category category) {
    fillMediaRows();
    const int number = static_cast<int>(category);
    const bool mouse = number >= static_cast<int>(Category::MouseButton) && number <= static_cast<int>(Category::Fire);
    if (CControlUI* hint = sub("mstishi_layout")) hint->SetVisible(mouse);
    if (CControlUI* hint = sub("keytishi_layout")) hint->SetVisible(!mouse);
    if (auto* pages = qobject_cast<CTabLayoutUI*>(sub(kCategoryPages))) pages->SelectItem(number, false);
    CComboUI* c = combo(kFunctionCombo);
    if (!c) return;
    for (int i = 0; i < c->GetCount(); ++i) {
        if (entryCategory(c->GetItemAt(i)) == number) {
            if (c->GetCurSel() != i) c->SelectItem(i, false);
            return;
        }
    }
}

Category CKeySetControlUI::shownCategory() {
    CComboUI* c = combo(kFunctionCombo);
    const auto category = c ? entryCategory(c->GetItemAt(c->GetCurSel())) : std::nullopt;
    return static_cast<Category>(category.value_or(0));
}

void CKeySetControlUI::showMacroRunMode(int mode) {
    if (CControlUI* cycle = sub(kMacroCycleLayout)) cycle->SetVisible(mode == keyfn::kMacroRepeatMode);
}

// Before any key is picked the panel shows the default category, and every
// category's controls their first row and zero.
void CKeySetControlUI::DoInit() { showState({}); }

// The media combo lists the media table's rows by their names, in its order.
void CKeySetControlUI::fillMediaRows() {
    CComboUI* c = combo("keyset_media_combo");
    if (!c || c->GetCount() > 0) return;
    for (const keyfn::KeyFunction& row : keyfn::kMediaFunctions) {
        auto* item = new CListLabelElementUI;
        item->SetFixedHeight(kComboItemHeight);
        item->SetResourceText(true);
        item->SetText(QString::fromUtf8(row.name.data(), static_cast<int>(row.name.size())));
        c->Add(item);
    }
}

void CKeySetControlUI::showSlot(const KeySlot& slot, const std::vector<std::string>& macroNames) {
    std::vector<QString> macros;
    for (const std::string& name : macroNames) macros.push_back(QString::fromStdString(name));
    setMacroNames(macros);
    showAssignment(keyfn::storedRecord(slot.assignment), keyfn::storedRecord(slot.defaultAssignment));
}

void CKeySetControlUI::showSlotDefault(const KeySlot& slot) {
    const keyfn::KeyRecord factory = keyfn::storedRecord(slot.defaultAssignment);
    showAssignment(factory, factory);
}

bool CKeySetControlUI::storeInto(KeySlot& slot) {
    const auto records = readAssignment();
    if (!records) return false;
    slot.assignment = records->current.code;
    return true;
}

void CKeySetControlUI::setMacroNames(const std::vector<QString>& names) {
    CComboUI* c = combo("keyset_macro_combo");
    if (!c) return;
    c->SelectItem(-1, false);
    c->RemoveAll();
    for (const QString& name : names) {
        auto* item = new CListLabelElementUI;
        item->SetFixedHeight(kComboItemHeight);
        item->SetText(name);
        c->Add(item);
    }
}

void CKeySetControlUI::setMacroName(int index, const QString& name) {
    CComboUI* c = combo("keyset_macro_combo");
    if (CControlUI* item = c ? c->GetItemAt(index) : nullptr) item->SetText(name);
}

void CKeySetControlUI::removeMacro(int index) {
    CComboUI* c = combo("keyset_macro_combo");
    if (!c || index < 0 || index >= c->GetCount()) return;
    if (c->GetCurSel() == index) c->SelectItem(-1, false);
    c->RemoveAt(index);
}

// Option groups are window-wide and each device page has a panel: this
// panel's options get a group of their own, which keeps one selected.
void CKeySetControlUI::groupModifierOptions() {
    if (optionsGrouped_) return;
    optionsGrouped_ = true;
    const QString group = QStringLiteral("keyset_modifiers_%1").arg(reinterpret_cast<quintptr>(this), 0, 16);
    for (int i = 0; i < keyfn::kModifierOptionCount; ++i) {
        if (auto* option = qobject_cast<COptionUI*>(FindSubControl(numberedName("key_ComBox_check_", i))))
            option->SetGroup(group);
    }
}

void CKeySetControlUI::selectModifier(int index) {
    groupModifierOptions();
    for (int i = 0; i < keyfn::kModifierOptionCount; ++i) {
        if (auto* option = qobject_cast<COptionUI*>(FindSubControl(numberedName("key_ComBox_check_", i))))
            if (i == index || option->IsSelected()) option->Selected(i == index, false);
    }
}

int CKeySetControlUI::selectedModifier() {
    for (int i = 0; i < keyfn::kModifierOptionCount; ++i) {
        auto* option = qobject_cast<COptionUI*>(FindSubControl(numberedName("key_ComBox_check_", i)));
        if (option && option->IsSelected()) return i;
    }
    return -1;
}

void CKeySetControlUI::showKey(const keyfn::CapturedKey& key) {
    captured_ = key;
    CEditUI* e = edit(kKeyEdit);
    if (!e) return;
    QString name;
    if (const auto row = keyfn::capturedKeyRow(key)) {
        const std::string_view rowName = keyfn::kKeyboardKeys[*row].name;
        name = CResourceManager::GetInstance()->GetText(QString::fromUtf8(rowName.data(), static_cast<int>(rowName.size())));
    } else if (key.present) {
        // A usage the table does not list is still a key: shown by its number.
        name = QStringLiteral("0x%1").arg(key.usage, 2, 16, QLatin1Char('0'));
    }
    e->SetText(name);
}

void CKeySetControlUI::setCapturedKey(uint16_t virtualKey, uint8_t usage, const QString& name) {
    captured_ = keyfn::capturedKey(virtualKey, usage);
    if (CEditUI* e = edit(kKeyEdit)) e->SetText(name);
}

bool CKeySetControlUI::captureVirtualKey(uint16_t virtualKey) {
    const auto row = keyfn::findVirtualKey(keyfn::kKeyboardKeys, virtualKey);
    if (!row) return false;
    const auto& code = keyfn::kKeyboardKeys[*row].record.code;
    if (code[0] != keyfn::kTypeKey) return false;  // media, system and macro rows are not captured keys
    showKey(keyfn::capturedKey(virtualKey, code[2]));
    return true;
}

void CKeySetControlUI::clearCapturedKey() { showKey({}); }

void CKeySetControlUI::setLock(bool locked) {
    SetEnabled(!locked);
    FindControl([locked](CControlUI* control) {
        control->SetEnabled(!locked);
        return false;
    });
}

}  // namespace talven
