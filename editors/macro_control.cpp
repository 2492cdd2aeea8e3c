// CMacroControlUI: the macro list and the macro files.

#include "editors/macro_control.h"

#include "platform/debug_output.h"
#include "ui/edit.h"
#include "ui/list.h"
#include "ui/paint_manager.h"

namespace talven {

using namespace ui;

namespace {

constexpr int kNameRowHeight = 30;

// The language keys of what the panel tells the user.
const QString kTextLimit = QStringLiteral("macro_text_limit");
const QString kTextNameRefused = QStringLiteral("message_text_5");
const QString kTextFileError = QStringLiteral("macro_text_file_error");

}  // namespace

CMacroControlUI::CMacroControlUI() = default;
CMacroControlUI::~CMacroControlUI() = default;

CControlUI* CMacroControlUI::sub(const char* name) {
    CPaintManagerUI* manager = GetManager();
    return manager ? manager->FindSubControlByName(this, QString::fromLatin1(name)) : nullptr;
}

CListUI* CMacroControlUI::nameList() { return qobject_cast<CListUI*>(sub("macro_name_list")); }
CListUI* CMacroControlUI::actionList() { return qobject_cast<CListUI*>(sub("macro_action_list")); }
CEditUI* CMacroControlUI::editOf(const char* name) { return qobject_cast<CEditUI*>(sub(name)); }

int CMacroControlUI::selectedMacro() const {
    auto* self = const_cast<CMacroControlUI*>(this);
    CListUI* list = self->nameList();
    return list ? list->GetCurSel() : -1;
}

std::string CMacroControlUI::selectedGuid() {
    CListUI* list = nameList();
    CControlUI* row = list ? list->GetItemAt(list->GetCurSel()) : nullptr;
    return row ? row->GetUserData().toStdString() : std::string();
}

std::vector<QString> CMacroControlUI::macroNames() const {
    std::vector<QString> names;
    auto* self = const_cast<CMacroControlUI*>(this);
    if (CListUI* list = self->nameList()) {
        for (int i = 0; i < list->GetCount(); ++i) names.push_back(list->GetItemAt(i)->GetText());
    }
    return names;
}

QString CMacroControlUI::applyOutcome(const MacroResult& result) {
    switch (result.outcome) {
    case MacroOutcome::done:
    case MacroOutcome::unchanged:
        return {};
    case MacroOutcome::limitReached:
        return kTextLimit;
    case MacroOutcome::nameRefused:
        return kTextNameRefused;
    default:
        debugOutputf("宏: %s", result.error.c_str());
        return kTextFileError;
    }
}

void CMacroControlUI::SetDataFolder(const std::string& folder) { store_ = std::make_unique<MacroStore>(folder); }

void CMacroControlUI::appendNameRow(const MacroListEntry& entry) {
    auto* row = new CListLabelElementUI;
    row->SetFixedHeight(kNameRowHeight);
    row->SetText(QString::fromStdString(entry.name));
    row->SetUserData(QString::fromStdString(entry.guid));
    if (CListUI* list = nameList()) list->Add(row);
    else delete row;
}

void CMacroControlUI::LoadMacroList() {
    CListUI* list = nameList();
    if (!list || !store_) return;
    list->SelectItem(-1, false);
    list->RemoveAll();
    for (const MacroListEntry& entry : store_->entries()) appendNameRow(entry);
    // The page opens on the first macro rather than on an empty editor.
    if (list->GetCount() > 0) list->SelectItem(0, false);
    showStartButton();
    SelectMacro();
    emit macroNamesChanged();
}

void CMacroControlUI::SelectMacro() {
    const bool shown = selectedMacro() >= 0 && !selectedGuid().empty();
    if (CControlUI* layout = sub("macro_action_layout")) layout->SetVisible(shown);
    loadSteps(shown && store_ ? store_->macroPath(selectedMacro()) : std::string());
}

void CMacroControlUI::showStartButton() {
    CListUI* list = nameList();
    if (CControlUI* start = sub("macro_btn_starredio")) start->SetEnabled(list && list->GetCount() > 0);
}

// A macro just added (or imported) gets its row and is selected.
QString CMacroControlUI::showNewMacro(const MacroResult& result) {
    if (!result.ok()) return applyOutcome(result);
    const std::vector<MacroListEntry> entries = store_->entries();
    if (result.index >= 0 && static_cast<size_t>(result.index) < entries.size())
        appendNameRow(entries[static_cast<size_t>(result.index)]);
    if (CListUI* list = nameList()) list->SelectItem(list->GetCount() - 1, false);
    showStartButton();
    SelectMacro();
    emit macroNamesChanged();
    return {};
}

QString CMacroControlUI::AddMacro() {
    if (!store_) return {};
    return showNewMacro(store_->add());
}

QString CMacroControlUI::RenameMacro() {
    const int index = selectedMacro();
    CEditUI* edit = editOf("macro_edit_macroname");
    if (!store_ || index < 0 || !edit) return {};
    const QString name = edit->GetText().trimmed();
    if (name.isEmpty()) return kTextNameRefused;
    // No two macros share a name, whatever its letter case; the macro's
    // own name counts too, so a rename always changes something.
    for (const QString& other : macroNames()) {
        if (other.compare(name, Qt::CaseInsensitive) == 0) return kTextNameRefused;
    }
    const MacroResult result = store_->rename(index, name.toStdString());
    if (!result.ok()) return applyOutcome(result);
    nameList()->GetItemAt(index)->SetText(name);
    emit macroNamesChanged();
    return {};
}

QString CMacroControlUI::DeleteMacro(const std::function<bool()>& confirm) {
    const int index = selectedMacro();
    CListUI* list = nameList();
    if (!store_ || !list || index < 0 || list->GetCount() == 0) return {};
    if (!confirm()) return {};
    const MacroResult result = store_->remove(index);
    if (!result.ok()) return applyOutcome(result);
    list->SelectItem(-1, false);
    list->RemoveAt(index);
    if (list->GetCount() > 0) list->SelectItem(0, false);
    showStartButton();
    SelectMacro();
    emit macroNamesChanged();
    return {};
}

QString CMacroControlUI::ImportMacro(const QString& path) {
    if (!store_ || selectedMacro() < 0 || path.isEmpty()) return {};
    return showNewMacro(store_->importFrom(path.toStdString()));
}

QString CMacroControlUI::ExportMacro(const QString& path) {
    const int index = selectedMacro();
    if (!store_ || index < 0 || path.isEmpty()) return {};
    return applyOutcome(store_->exportTo(index, path.toStdString()));
}

QString CMacroControlUI::SaveMacro() {
    const int index = selectedMacro();
    if (!store_ || index < 0 || selectedGuid().empty()) return {};
    pullRows();
    return applyOutcome(store_->save(index, list_.steps));
}

}  // namespace talven
