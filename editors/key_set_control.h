#pragma once
// CKeySetControlUI: the key assignment panel. The user picks a function
// category in "keyset_function_combo" (each entry carries its category number
// as user data); the category's controls sit on page n of
// "function_switch_tablayout". The panel turns its controls into a key
// record and back (device/key_assignment.h); its page stores the record.
// The category and macro run-mode combos are routed here; the buttons are
// routed to the page, which knows the key.

#include "device/key_assignment.h"
#include "profile/profile_records.h"
#include "ui/layouts.h"

#include <QPointer>
#include <QString>

#include <optional>
#include <string>
#include <vector>

namespace talven {

namespace ui {
class CComboUI;
class CEditUI;
class ControlRoutes;
}  // namespace ui

// What the panel shows for one key: its current record and its default.
struct KeyAssignmentRecords {
    keyfn::KeyRecord current;
    keyfn::KeyRecord defaultRecord;
};

class CKeySetControlUI : public ui::CVerticalLayoutUI {
    Q_OBJECT
public:
    QString GetClass() const override { return QStringLiteral("KeySetControl"); }

    // "keyset_function_combo" shows its category's page; "keyset_macro_over_combo"
    // shows the repeat count only for the repeating run mode.
    static void AddRoutes(ui::ControlRoutes& routes);

    void showAssignment(const keyfn::KeyRecord& current, const keyfn::KeyRecord& defaultRecord);
    // The shown state encoded with the default record of the key shown last.
    // Nothing when the shown category names no function (a combo without a
    // selection) or a number field holds no decimal number.
    std::optional<KeyAssignmentRecords> readAssignment();

    // A key's stored function and its default as a profile keeps them, with
    // the device's macro names for the macro combo.
    void showSlot(const KeySlot& slot, const std::vector<std::string>& macroNames);
    // The key's default function, shown as its current one too.
    void showSlotDefault(const KeySlot& slot);
    // The shown function into the slot's assignment; false (slot untouched)
    // when readAssignment() gives nothing.
    bool storeInto(KeySlot& slot);

    void setMacroNames(const std::vector<QString>& names);
    void setMacroName(int index, const QString& name);
    void removeMacro(int index);

    // Modifier option 0 (none) .. 4 (LWin); -1 when none is selected.
    void selectModifier(int index);
    int selectedModifier();

    // The capture box caught a key: its virtual key, HID usage and name.
    void setCapturedKey(uint16_t virtualKey, uint8_t usage, const QString& name);
    // A key pressed anywhere while the capture box holds the input hook,
    // named and given its usage by the keyboard table. False for a key the
    // table does not list as a keyboard key: the box keeps what it showed.
    bool captureVirtualKey(uint16_t virtualKey);
    void clearCapturedKey();

    // Off while the device is busy.
    void setLock(bool locked);

    // Shows category `category`'s page and selects its combo entry.
    void showCategory(keyfn::Category category);
    keyfn::Category shownCategory();

    void DoInit() override;

private:
    void fillMediaRows();
    ui::CControlUI* sub(const char* name);
    ui::CComboUI* combo(const char* name);
    ui::CEditUI* edit(const char* name);
    int comboRow(const char* name);
    void selectRow(const char* name, int row);
    // Empty text reads as 0; anything else must be a decimal number.
    std::optional<int> number(const char* name);
    void setNumber(const char* name, int value);
    bool readMotion(const char* prefix, keyfn::MotionState& motion);
    void showMotion(const char* prefix, const keyfn::MotionState& motion);
    void showMacroRunMode(int mode);
    void showKey(const keyfn::CapturedKey& key);
    std::optional<keyfn::AssignmentState> readState();
    void showState(const keyfn::AssignmentState& state);
    void groupModifierOptions();

    keyfn::KeyRecord defaultRecord_;
    keyfn::CapturedKey captured_;
    bool optionsGrouped_ = false;
};

}  // namespace talven
