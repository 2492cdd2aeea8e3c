#include "editors/light_control.h"

#include "controls/color_palette.h"
#include "device/lighting/light_change.h"
#include "device/lighting/light_panel_rules.h"
#include "ui/combo.h"
#include "ui/edit.h"
#include "ui/list.h"
#include "ui/option.h"
#include "ui/slider_progress.h"

namespace talven {

using namespace ui;

namespace {

constexpr int kModeRowHeight = 30;
constexpr int kFaintAlpha = 60;
constexpr int kMaxPresets = 32;  // "color_option_" 0.. up to the first missing
constexpr std::array<const char*, 3> kEditNames = {"deng_edit_R", "deng_edit_G", "deng_edit_B"};

uint8_t byteOf(uint32_t word, int index) { return static_cast<uint8_t>(word >> (8 * index)); }

uint32_t argbOf(lighting::Rgb c) { return 0xFF000000u | uint32_t(c.red) << 16 | uint32_t(c.green) << 8 | c.blue; }

void fillCombo(CComboUI* combo, const std::vector<std::string>& names, const std::vector<bool>* visible) {
    if (!combo) return;
    combo->RemoveAll();
    for (size_t i = 0; i < names.size(); ++i) {
        auto* row = new CListLabelElementUI;
        const QString name = QString::fromStdString(names[i]);
        row->SetFixedHeight(kModeRowHeight);
        row->SetText(name);
        row->SetUserData(name);
        row->SetResourceText(true);
        if (visible) row->SetVisible(i < visible->size() && (*visible)[i]);
        combo->Add(row);
    }
}

}  // namespace

CControlUI* CLightControlUI::find(const char* name) { return FindSubControl(QString::fromLatin1(name)); }

template <typename T>
T* CLightControlUI::findAs(const char* name) {
    return qobject_cast<T*>(find(name));
}

CEditUI* CLightControlUI::edit(Component component) {
    return findAs<CEditUI>(kEditNames[static_cast<size_t>(component)]);
}

void CLightControlUI::setModeList(const std::vector<std::string>& names, const std::vector<bool>& visible,
                                  int brightnessMax, int speedMax) {
    fillCombo(findAs<CComboUI>("light_combo_modeSelect"), names, &visible);
    if (auto* slider = findAs<CSliderUI>("deng_light_slider")) slider->SetMaxValue(brightnessMax);
    if (auto* slider = findAs<CSliderUI>("deng_speed_slider")) slider->SetMaxValue(speedMax);
}

void CLightControlUI::setCustomList(const std::vector<std::string>& names) {
    auto* combo = findAs<CComboUI>("light_combo_custommodeSelect");
    fillCombo(combo, names, nullptr);
    // The entries are the user's own names, not language keys.
    if (!combo) return;
    for (int i = 0; i < combo->GetCount(); ++i) combo->GetItemAt(i)->SetResourceText(false);
}

void CLightControlUI::showLightParams(uint32_t word1, uint32_t word2) {
    const int mode = byteOf(word1, 0);
    if (auto* combo = findAs<CComboUI>("light_combo_modeSelect"); combo && mode < combo->GetCount())
        combo->SelectItem(mode, false);
    if (auto* slider = findAs<CSliderUI>("deng_light_slider")) slider->SetValue(byteOf(word1, 1));
    if (auto* slider = findAs<CSliderUI>("deng_speed_slider")) slider->SetValue(byteOf(word1, 2));
    showColour({byteOf(word2, 1), byteOf(word2, 2), byteOf(word2, 3)});
    showCheck("deng_7color_check", byteOf(word2, 0) != 0);
    selectDirection(byteOf(word1, 3) == 1 ? 1 : 0);
    applyModeRules(mode);
}

void CLightControlUI::setSameModeOption(bool on) {
    sameModeOption_ = on;
    const int mode = selectedMode();
    if (mode >= 0) applyModeRules(mode);
}

// The toolkit does not pass a container's state on to what it holds: a
// disabled group disables each of its controls, so each looks and acts so.
void CLightControlUI::setGroupEnabled(CControlUI* group, bool enabled) {
    group->SetEnabled(enabled);
    if (auto* container = qobject_cast<CContainerUI*>(group)) {
        for (int i = 0; i < container->GetCount(); ++i) setGroupEnabled(container->GetItemAt(i), enabled);
    }
}

void CLightControlUI::showSwatch(CControlUI* swatch, QColor colour) {
    if (!swatch) return;
    colour.setAlpha(swatch->IsEnabled() ? 255 : kFaintAlpha);
    swatch->SetBkColor(colour);
}

void CLightControlUI::fadeDisabledSwatches() {
    if (CControlUI* current = find("deng_colordp_btn")) showSwatch(current, current->GetBkColor());
    for (int n = 0; n < kMaxPresets; ++n) {
        CControlUI* preset = FindSubControl(QStringLiteral("color_option_") + QString::number(n));
        if (!preset) break;
        showSwatch(preset, preset->GetBkColor());
    }
}

void CLightControlUI::applyModeRules(int mode) {
    const lighting::PanelRules rules = lighting::panelRules(variant_, mode, sameModeOption_);
    for (size_t i = 0; i < lighting::kPanelGroupCount; ++i) {
        const std::string_view name = lighting::panelGroupControl(static_cast<lighting::PanelGroup>(i));
        CControlUI* group = FindSubControl(QString::fromLatin1(name.data(), static_cast<qsizetype>(name.size())));
        if (!group) continue;
        const lighting::GroupRule& rule = rules.groups[i];
        if (rule.shown) group->SetVisible(*rule.shown);
        if (rule.enabled) setGroupEnabled(group, *rule.enabled);
    }
    fadeDisabledSwatches();
    if (!rules.labels) return;
    const std::pair<const char*, std::string_view> labels[] = {{"deng_FXR_check", rules.labels->fxr},
                                                               {"deng_FXL_check", rules.labels->fxl}};
    for (const auto& [name, key] : labels) {
        if (CControlUI* option = find(name)) {
            option->SetResourceText(true);
            option->SetText(QString::fromLatin1(key.data(), static_cast<qsizetype>(key.size())));
        }
    }
}

// ---- what the controls hold ---------------------------------------------------------

int CLightControlUI::selectedMode() {
    auto* combo = findAs<CComboUI>("light_combo_modeSelect");
    return combo ? combo->GetCurSel() : -1;
}

int CLightControlUI::selectedCustom() {
    auto* combo = findAs<CComboUI>("light_combo_custommodeSelect");
    return combo ? combo->GetCurSel() : -1;
}

int CLightControlUI::brightness() {
    auto* slider = findAs<CSliderUI>("deng_light_slider");
    return slider ? slider->GetValue() : 0;
}

int CLightControlUI::speed() {
    auto* slider = findAs<CSliderUI>("deng_speed_slider");
    return slider ? slider->GetValue() : 0;
}

QString CLightControlUI::editText(Component component) {
    CEditUI* e = edit(component);
    return e ? e->GetText() : QString();
}

uint32_t CLightControlUI::paletteColour() {
    auto* palette = findAs<CColorPaletteUI>("deng_Color_Pallet");
    return palette ? palette->GetColor() : CColorPaletteUI::kNoSelection;
}

uint32_t CLightControlUI::presetColour(int n) {
    CControlUI* button = FindSubControl(QStringLiteral("color_option_") + QString::number(n));
    return button ? 0xFF000000u | (button->GetBkColor().rgba() & 0xFFFFFFu) : 0;
}

bool CLightControlUI::spectrum() {
    auto* check = findAs<COptionUI>("deng_7color_check");
    return check && check->IsSelected();
}

int CLightControlUI::direction() {
    auto* fxl = findAs<COptionUI>("deng_FXL_check");
    return fxl && fxl->IsSelected() ? 1 : 0;
}

bool CLightControlUI::customKeysOn() {
    auto* check = findAs<COptionUI>("deng_on_or_off");
    return check && check->IsSelected();
}

// ---- updates --------------------------------------------------------------------------

void CLightControlUI::showCheck(const char* name, bool on) {
    if (auto* option = findAs<COptionUI>(name)) option->Selected(on, false);
}

void CLightControlUI::selectDirection(int direction) {
    showCheck("deng_FXL_check", direction == 1);
    showCheck("deng_FXR_check", direction != 1);
}

void CLightControlUI::showCustomEntry(int index) {
    auto* combo = findAs<CComboUI>("light_combo_custommodeSelect");
    if (combo && index >= 0 && index < combo->GetCount()) combo->SelectItem(index, false);
}

void CLightControlUI::showCustomKeysOn(bool on) { showCheck("deng_on_or_off", on); }

void CLightControlUI::showColour(lighting::Rgb colour) {
    const uint8_t parts[] = {colour.red, colour.green, colour.blue};
    for (size_t i = 0; i < kEditNames.size(); ++i) {
        if (CEditUI* e = edit(static_cast<Component>(i))) e->SetText(QString::number(parts[i]));
    }
    const uint32_t argb = argbOf(colour);
    if (auto* palette = findAs<CColorPaletteUI>("deng_Color_Pallet")) palette->SetColor(argb);
    showSwatch(find("deng_colordp_btn"), QColor::fromRgba(argb));
    showCheck("deng_7color_check", false);
}

uint8_t CLightControlUI::takeEditComponent(Component component) {
    CEditUI* e = edit(component);
    if (!e) return 0;
    const QByteArray text = e->GetText().toLatin1();
    const uint8_t value = lighting::colourComponentFromText(std::string_view(text.constData(), text.size()));
    // What the edit shows is what the device gets.
    if (e->GetText() != QString::number(value)) e->SetText(QString::number(value));
    return value;
}

}  // namespace talven
