#include "editors/device_profile.h"

#include "platform/debug_output.h"
#include "ui/combo.h"
#include "ui/edit.h"
#include "ui/list.h"
#include "ui/option.h"

namespace talven {

using namespace ui;

namespace {

constexpr int kComboItemHeight = 30;

// Tabs whose caption depends on the kind: a mouse has buttons and
// performance settings where a keyboard has keys and keyboard settings.
struct TabCaption {
    int kind;
    int tab;
    const char* key;
};

constexpr std::array<TabCaption, 2> kTabCaptions = {{
    {profile_kind::Mouse, 2, "device_tab_buttons"},
    {profile_kind::Mouse, 4, "device_tab_performance"},
}};

}  // namespace

void CDeviceProfileUI::SetDeviceKind(int kind) { list_.setDeviceKind(kind); }

void CDeviceProfileUI::SetFolders(const std::string& dataFolder, const std::string& defaultProfilePath) {
    list_.setFolders(dataFolder, defaultProfilePath);
}

void CDeviceProfileUI::InitProfiles() {
    last_ = list_.init();
    if (!last_.ok()) debugOutput("profile list: " + last_.error);
    FillCombo(-1);
    SelectProfile(list_.selectedIndex(), false);
    ApplyTabVisibility();
}

CComboUI* CDeviceProfileUI::Combo() {
    if (!combo_) combo_ = qobject_cast<CComboUI*>(FindSubControl(QStringLiteral("device_profile_combo")));
    return combo_;
}

CEditUI* CDeviceProfileUI::NameEdit() {
    if (!nameEdit_) nameEdit_ = qobject_cast<CEditUI*>(FindSubControl(QStringLiteral("device_profile_name_edit")));
    return nameEdit_;
}

CControlUI* CDeviceProfileUI::Menu() {
    if (!menu_) menu_ = FindSubControl(QStringLiteral("profile_menu_layout"));
    return menu_;
}

COptionUI* CDeviceProfileUI::Tab(int tab) {
    if (!tabsLookedUp_) {
        tabsLookedUp_ = true;
        // Option groups are window-wide and every page has a panel: each
        // panel's tabs get a group of their own.
        const QString group = QStringLiteral("profile_tabs_%1").arg(reinterpret_cast<quintptr>(this), 0, 16);
        for (size_t i = 0; i < tabs_.size(); ++i) {
            tabs_[i] = qobject_cast<COptionUI*>(FindSubControl(QString::fromLatin1(kProfileTabNames[i])));
            if (tabs_[i]) tabs_[i]->SetGroup(group);
        }
    }
    if (tab < 1 || tab > static_cast<int>(tabs_.size())) return nullptr;
    return tabs_[static_cast<size_t>(tab - 1)];
}

QString CDeviceProfileUI::GetCurrentName() const {
    const int index = list_.selectedIndex();
    return index < 0 ? QString() : QString::fromStdString(list_.entries()[static_cast<size_t>(index)].name);
}

void CDeviceProfileUI::FillCombo(int selected) {
    CComboUI* combo = Combo();
    if (!combo) return;
    combo->SelectItem(-1, false);
    combo->RemoveAll();
    for (const ProfileEntry& entry : list_.entries()) {
        auto* item = new CListLabelElementUI;
        item->SetFixedHeight(kComboItemHeight);
        item->SetText(QString::fromStdString(entry.name));
        combo->Add(item);
    }
    if (selected >= 0) combo->SelectItem(selected, false);
}

void CDeviceProfileUI::SelectProfile(int index, bool fire) {
    if (index < 0 || index >= list_.count()) return;
    // The list first: the event below makes the page load what it names.
    const ProfileResult result = list_.select(index);
    if (!result.ok() && result.outcome != ProfileOutcome::unchanged) debugOutput("profile list: " + result.error);
    SetNameEditText(GetCurrentName());
    if (CComboUI* combo = Combo()) combo->SelectItem(index, fire);
}

int CDeviceProfileUI::GetSelectedIndex() {
    CComboUI* combo = Combo();
    return combo ? combo->GetCurSel() : -1;
}

QString CDeviceProfileUI::GetNameEditText() {
    CEditUI* edit = NameEdit();
    return edit ? edit->GetText() : QString();
}

void CDeviceProfileUI::SetNameEditText(const QString& text) {
    if (CEditUI* edit = NameEdit()) edit->SetText(text);
}

void CDeviceProfileUI::ShowProfileMenu(bool show) {
    if (CControlUI* menu = Menu()) menu->SetVisible(show);
}

bool CDeviceProfileUI::IsProfileMenuShown() {
    CControlUI* menu = Menu();
    return menu && menu->IsVisible();
}

ProfileResult CDeviceProfileUI::Finish(ProfileResult result, bool profileChanged) {
    last_ = result;
    if (!result.ok() && result.outcome != ProfileOutcome::unchanged) debugOutput("profile list: " + result.error);
    // A refused operation changed nothing; the edit keeps what the user typed.
    if (!result.ok()) return result;
    if (profileChanged) {
        // No entry selected: the selection below is a change and fires.
        FillCombo(-1);
        SelectProfile(list_.selectedIndex(), true);
    } else {
        FillCombo(list_.selectedIndex());
        SetNameEditText(GetCurrentName());
    }
    return result;
}

ProfileResult CDeviceProfileUI::AddProfile() { return Finish(list_.add(), true); }

ProfileResult CDeviceProfileUI::DeleteProfile() { return Finish(list_.remove(), true); }

ProfileResult CDeviceProfileUI::CopyProfile() { return Finish(list_.copy(), true); }

ProfileResult CDeviceProfileUI::ImportProfile(const std::string& path) { return Finish(list_.importFrom(path), true); }

ProfileResult CDeviceProfileUI::ExportProfile(const std::string& path) { return Finish(list_.exportTo(path), false); }

int CDeviceProfileUI::RenameProfile(const QString& name) {
    return Finish(list_.rename(name.toStdString()), false).ok() ? 1 : 0;
}

ProfileResult CDeviceProfileUI::ResetProfile() { return Finish(list_.reset(), false); }

void CDeviceProfileUI::SelectTab(int tab, bool notify) {
    for (int n = 1; n <= static_cast<int>(tabs_.size()); ++n)
        if (!Tab(n)) return;
    if (COptionUI* chosen = Tab(tab)) {
        chosen->Selected(true, notify);
        return;
    }
    for (int n = 1; n <= static_cast<int>(tabs_.size()); ++n) Tab(n)->Selected(false, false);
}

void CDeviceProfileUI::ApplyTabVisibility() {
    const int kind = list_.deviceKind();
    if (const TabVisibilityRow* row = tabVisibilityFor(kind)) {
        for (size_t i = 0; i < row->tabs.size(); ++i) {
            COptionUI* tab = Tab(static_cast<int>(i) + 1);
            if (!tab || row->tabs[i] == TabVisibility::keep) continue;
            tab->SetVisible(row->tabs[i] == TabVisibility::shown);
        }
    }
    for (const TabCaption& caption : kTabCaptions) {
        if (caption.kind != kind) continue;
        if (COptionUI* tab = Tab(caption.tab)) tab->SetText(QString::fromLatin1(caption.key));
    }
}

}  // namespace talven
