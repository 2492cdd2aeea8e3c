#include "editors/voice6533_control.h"

#include "editors/panel_controls.h"
#include "ui/combo.h"
#include "ui/edit.h"
#include "ui/list.h"
#include "ui/option.h"
#include "ui/slider_progress.h"

namespace talven {

using namespace ui;
using panel_controls::findIn;

namespace {

constexpr int kModeOptions = 13;
constexpr int kCurveRowHeight = 30;

QString modeOption(int mode) { return QStringLiteral("6533_eq_option_%1").arg(mode); }
QString bandSlider(int band) { return QStringLiteral("6533_eq_hz_slider_%1").arg(band); }
const QString kCurveCombo = QStringLiteral("custom_eq_name_combo");
const QString kCurveEdit = QStringLiteral("custom_eq_name_edit");

}  // namespace

void CVoice6533ControlUI::selectEqualiserMode(int mode) {
    for (int m = 1; m <= kModeOptions; ++m) panel_controls::showOption(this, modeOption(m), false);
    mode_ = mode >= 1 && mode <= kModeOptions ? mode : 0;
    if (mode_ != 0) panel_controls::showOption(this, modeOption(mode_), true);
}

void CVoice6533ControlUI::enableCustomControls(bool on) {
    panel_controls::setTreeEnabled(FindSubControl(QStringLiteral("custom_eq_option_layout")), on);
}

void CVoice6533ControlUI::setBand(int band, int value) {
    if (auto* slider = findIn<CSliderUI>(this, bandSlider(band))) slider->SetValue(value);
}

int CVoice6533ControlUI::band(int band) {
    auto* slider = findIn<CSliderUI>(this, bandSlider(band));
    return slider ? slider->GetValue() : 0;
}

void CVoice6533ControlUI::setInputOn(bool on) { panel_controls::showOption(this, QStringLiteral("6533_MicIn_option"), on); }

void CVoice6533ControlUI::setMonitoringOn(bool on) {
    panel_controls::showOption(this, QStringLiteral("6533_MicMoniter_option"), on);
}

void CVoice6533ControlUI::setInputLevel(int percent) {
    if (auto* slider = findIn<CSliderUI>(this, QStringLiteral("6533_MicIn_slider"))) slider->SetValue(percent);
}

void CVoice6533ControlUI::setMonitoringLevel(int percent) {
    if (auto* slider = findIn<CSliderUI>(this, QStringLiteral("6533_MicMoniter_slider"))) slider->SetValue(percent);
}

int CVoice6533ControlUI::inputLevel() {
    auto* slider = findIn<CSliderUI>(this, QStringLiteral("6533_MicIn_slider"));
    return slider ? slider->GetValue() : -1;
}

int CVoice6533ControlUI::monitoringLevel() {
    auto* slider = findIn<CSliderUI>(this, QStringLiteral("6533_MicMoniter_slider"));
    return slider ? slider->GetValue() : -1;
}

void CVoice6533ControlUI::enableMonitoring(bool on) {
    panel_controls::setTreeEnabled(FindSubControl(QStringLiteral("mic_moniter_layout")), on);
}

void CVoice6533ControlUI::addCurveName(const QString& name) {
    auto* combo = findIn<CComboUI>(this, kCurveCombo);
    if (!combo) return;
    auto* row = new CListLabelElementUI;
    row->SetFixedHeight(kCurveRowHeight);
    row->SetText(name);
    row->SetToolTip(name);
    combo->Add(row);
}

int CVoice6533ControlUI::selectedCurve() {
    auto* combo = findIn<CComboUI>(this, kCurveCombo);
    return combo ? combo->GetCurSel() : -1;
}

int CVoice6533ControlUI::curveCount() {
    auto* combo = findIn<CComboUI>(this, kCurveCombo);
    return combo ? combo->GetCount() : 0;
}

void CVoice6533ControlUI::selectCurve(int index) {
    if (auto* combo = findIn<CComboUI>(this, kCurveCombo))
        combo->SelectItem(index >= 0 && index < combo->GetCount() ? index : -1, false);
    setNewCurveName({});
}

void CVoice6533ControlUI::removeCurve(int index) {
    if (auto* combo = findIn<CComboUI>(this, kCurveCombo); combo && index >= 0 && index < combo->GetCount())
        combo->RemoveAt(index);
}

void CVoice6533ControlUI::removeAllCurves() {
    if (auto* combo = findIn<CComboUI>(this, kCurveCombo)) combo->RemoveAll();
}

QString CVoice6533ControlUI::curveName(int index) {
    auto* combo = findIn<CComboUI>(this, kCurveCombo);
    CControlUI* row = combo && index >= 0 && index < combo->GetCount() ? combo->GetItemAt(index) : nullptr;
    return row ? row->GetText() : QString();
}

QString CVoice6533ControlUI::newCurveName() {
    CControlUI* edit = FindSubControl(kCurveEdit);
    return edit ? edit->GetText() : QString();
}

void CVoice6533ControlUI::setNewCurveName(const QString& name) {
    if (CControlUI* edit = FindSubControl(kCurveEdit)) edit->SetText(name);
}

void CVoice6533ControlUI::showUnavailable(const QString& why) {
    const bool available = why.isEmpty();
    panel_controls::setTreeEnabled(FindSubControl(QStringLiteral("voice_controls_layout")), available);
    panel_controls::showUnavailableLine(this, available ? QString() : QStringLiteral("hs_audio_unavailable"),
                                        why);
}

void CVoice6533ControlUI::showEqualiserNote(bool shown) {
    if (CControlUI* note = FindSubControl(QStringLiteral("hs_eq_pipewire_note"))) note->SetVisible(shown);
}

}  // namespace talven
