// COrvaneMouseDevice: the performance tab — five DPI stages (enabled, value,
// the active one), the polling rate and the lift-off distance — and the
// page's other displays of the profile: lighting panel, pointer record and
// the view tabs.

#include "pages/mouse/mouse_device_page.h"

#include "device/lighting/light_change.h"
#include "device/lighting/light_panel_rules.h"
#include "device/mouse/mouse_page_rules.h"
#include "editors/light_control.h"
#include "ui/edit.h"
#include "ui/layouts.h"
#include "ui/option.h"
#include "ui/slider_progress.h"

#include <array>

namespace talven {

using namespace ui;

namespace {

constexpr int kStages = static_cast<int>(mouse::kDpiStages);
// Configuration memory read for the lift-off the mouse reports: its byte 13.
constexpr size_t kLiftOffReadSize = 21;
constexpr size_t kLiftOffReadByte = 13;


}  // namespace

// ---- DPI stages ---------------------------------------------------------------------------

// The last enabled stage keeps its check: it cannot be switched off. Every
// other check stays usable.
void COrvaneMouseDevice::setStageEnabled(int stage, bool on) {
    if (stage < 0 || stage >= kStages) return;
    if (CControlUI* row = pageControl(numbered("DPI_layout_", stage))) row->SetEnabled(on);
    if (auto* check = qobject_cast<COptionUI*>(pageControl(numbered("DPI_enable_check_", stage))))
        check->Selected(on, false);
    std::array<bool, mouse::kDpiStages> enabled{};
    for (int i = 0; i < kStages; ++i) enabled[static_cast<size_t>(i)] = stageEnabled(i);
    const std::optional<size_t> locked = mouse::lockedStage(enabled);
    for (int i = 0; i < kStages; ++i) {
        if (CControlUI* check = pageControl(numbered("DPI_enable_check_", i)))
            check->SetEnabled(!locked || *locked != static_cast<size_t>(i));
    }
}

bool COrvaneMouseDevice::stageEnabled(int stage) const {
    auto* check = qobject_cast<COptionUI*>(pageControl(numbered("DPI_enable_check_", stage)));
    return check && check->IsSelected();
}

void COrvaneMouseDevice::setStageSlider(int stage, int index) {
    if (stage < 0 || stage >= kStages) return;
    const mouse::MouseCapabilities caps = protocol_.capabilities();
    auto* slider = qobject_cast<CSliderUI*>(pageControl(numbered("DPI_slider_", stage)));
    if (slider) {
        if (caps.dpiStepCount > 0) slider->SetMaxValue(static_cast<int>(caps.dpiStepCount));
        slider->SetValue(index);
        index = slider->GetValue();
    }
    if (CControlUI* edit = pageControl(numbered("DPI_edit_", stage)))
        edit->SetText(QString::number(caps.dpiForIndex(static_cast<unsigned>(std::max(index, 0)))));
    if (stage == profile_.GetDpiStageActive()) markActiveStage(stage);
}

int COrvaneMouseDevice::stageSlider(int stage) const {
    auto* slider = qobject_cast<CSliderUI*>(pageControl(numbered("DPI_slider_", stage)));
    return slider ? slider->GetValue() : 0;
}

int COrvaneMouseDevice::stageEditValue(int stage) const {
    const CControlUI* edit = pageControl(numbered("DPI_edit_", stage));
    return edit ? edit->GetText().toInt() : 0;
}

void COrvaneMouseDevice::markActiveStage(int stage) {
    for (int i = 0; i < kStages; ++i) {
        if (auto* rank = qobject_cast<COptionUI*>(pageControl(numbered("DPI_rank_check_", i))))
            rank->Selected(i == stage, false);
    }
}

// Stages the profile does not list are shown off.
void COrvaneMouseDevice::showStages() {
    for (int i = 0; i < kStages; ++i) {
        const bool listed = i < static_cast<int>(stages_.size());
        setStageEnabled(i, listed && stages_[static_cast<size_t>(i)].enabled != 0);
        setStageSlider(i, listed ? stages_[static_cast<size_t>(i)].dpiX : 0);
    }
    markActiveStage(profile_.GetDpiStageActive());
}

DpiStage& COrvaneMouseDevice::stageRecord(int stage) {
    if (static_cast<int>(stages_.size()) <= stage) stages_.resize(static_cast<size_t>(stage) + 1);
    return stages_[static_cast<size_t>(stage)];
}

// ---- options ---------------------------------------------------------------------------------

void COrvaneMouseDevice::selectPollingOption(int index) {
    const int chosen = mouse::pollingRateOption(index);
    for (int i = 0; i < mouse::kPollingRates; ++i) {
        if (auto* option = qobject_cast<COptionUI*>(pageControl(numbered("polling_rate_option_", i))))
            option->Selected(i == chosen, false);
    }
}

void COrvaneMouseDevice::selectLiftOffOption(int index) {
    const int chosen = mouse::liftOffOption(index);
    for (int i = 0; i < mouse::kLiftOffHeights; ++i) {
        if (auto* option = qobject_cast<COptionUI*>(pageControl(numbered("Height_rate_option_", i))))
            option->Selected(i == chosen, false);
    }
}

void COrvaneMouseDevice::selectTab(int tab) {
    auto* layout = qobject_cast<CTabLayoutUI*>(pageControl("mouse_device_seting_layout"));
    if (!layout) return;
    const int shown = tab >= 0 && tab < layout->GetCount() ? tab : 0;
    layout->SelectItem(shown);
    for (int i = 0; i < layout->GetCount(); ++i) {
        if (auto* option = qobject_cast<COptionUI*>(pageControl(numbered("mouse_device_seting_option_", i))))
            option->Selected(i == shown, false);
    }
}

// ---- the user's edits --------------------------------------------------------------------

void COrvaneMouseDevice::storeAndSend() {
    profile_.WriteDpiStages(stages_);
    setSystemRecord(system_);
    resetProfileData();
    sendSettingsBlock();
}

void COrvaneMouseDevice::choosePollingRate(int option) {
    selectPollingOption(option);
    system_[2] = lowHalf(system_[2]) | static_cast<uint32_t>(mouse::pollingRateOption(option)) << 16;
    storeAndSend();
}

void COrvaneMouseDevice::chooseLiftOff(int option) {
    selectLiftOffOption(option);
    system_[3] = static_cast<uint32_t>(mouse::liftOffOption(option));
    storeAndSend();
}

void COrvaneMouseDevice::chooseActiveStage(int stage) {
    if (stage < 0 || stage >= kStages) return;
    markActiveStage(stage);
    profile_.SetDpiStageActive(stage);
    storeAndSend();
}

// The mouse always keeps one stage to switch to: switching off the last
// enabled one is refused, whatever asked for it.
void COrvaneMouseDevice::chooseStageEnabled(int stage, bool on) {
    if (stage < 0 || stage >= kStages) return;
    if (!on) {
        std::array<bool, mouse::kDpiStages> enabled{};
        for (int i = 0; i < kStages; ++i) enabled[static_cast<size_t>(i)] = i == stage || stageEnabled(i);
        if (mouse::lockedStage(enabled) == static_cast<size_t>(stage)) {
            setStageEnabled(stage, true);
            return;
        }
    }
    setStageEnabled(stage, on);
    DpiStage& record = stageRecord(stage);
    record.enabled = on ? 1 : 0;
    if (record.dpiX == 0 && record.dpiY == 0) record.dpiX = record.dpiY = static_cast<uint16_t>(stageSlider(stage));
    storeAndSend();
}

void COrvaneMouseDevice::moveStageSlider(int stage, int index) {
    if (stage < 0 || stage >= kStages) return;
    setStageSlider(stage, index);
    stageRecord(stage).dpiX = static_cast<uint16_t>(stageSlider(stage));
    storeAndSend();
}

void COrvaneMouseDevice::commitStageEdit(int stage) {
    if (stage < 0 || stage >= kStages) return;
    const std::optional<unsigned> index =
        mouse::sliderIndexForTypedDpi(static_cast<unsigned>(std::max(stageEditValue(stage), 0)), protocol_.capabilities());
    // Without the mouse's step the typed value cannot be placed: the row
    // shows its slider's value again.
    setStageSlider(stage, index ? static_cast<int>(*index) : stageSlider(stage));
    if (!index || stage >= static_cast<int>(stages_.size())) return;
    stages_[static_cast<size_t>(stage)].dpiX = static_cast<uint16_t>(stageSlider(stage));
    storeAndSend();
}

// ---- the rest of the page ------------------------------------------------------------------

void COrvaneMouseDevice::setSystemRecord(const MouseSystemWords& words) {
    system_ = words;
    profile_.WriteMouseSystem(words[0], words[1], words[2], words[3]);
}

// The pointer controls show the record; the desktop is not changed here.
void COrvaneMouseDevice::showSystemRecord() {
    const std::pair<const char*, int> sliders[] = {{"pointer_speed_slider", highHalf(system_[0])},
                                                   {"double_click_slider", lowHalf(system_[0])},
                                                   {"scroll_speed_slider", lowHalf(system_[2])}};
    for (const auto& [name, value] : sliders)
        if (auto* slider = qobject_cast<CSliderUI*>(pageControl(name))) slider->SetValue(value);
    const std::pair<const char*, bool> checks[] = {{"pointer_precision_check", lowHalf(system_[1]) != 0},
                                                   {"scrolls_page_check", highHalf(system_[1]) != 0}};
    for (const auto& [name, on] : checks)
        if (auto* check = qobject_cast<COptionUI*>(pageControl(name))) check->Selected(on, false);
    selectPollingOption(highHalf(system_[2]));
    selectLiftOffOption(static_cast<int>(system_[3]));
}

void COrvaneMouseDevice::showLiftOffReading() {
    std::array<uint8_t, kLiftOffReadSize> head{};
    if (protocol_.readConfiguration(head.data(), head.size(), 0) != channel_result::Success) return;
    if (auto* slider = qobject_cast<CSliderUI*>(pageControl("height_click_slider")))
        slider->SetValue(head[kLiftOffReadByte] != 0 ? 1 : 0);
}

void COrvaneMouseDevice::showLightingPanel() {
    auto* panel = qobject_cast<CLightControlUI*>(pageControl("LightControlItem"));
    if (!panel) return;
    panel->setVariant(lighting::panel_variant::Mouse);
    panel->setModeList(lightNames_, lightVisible_, lighting::kMaxLightLevel, lighting::kMaxLightLevel);
    LightSettings light;
    {
        std::lock_guard<std::mutex> lock(frameLock_);
        light = lighting_.lightParams();
    }
    panel->showLightParams(light.word1(), light.word2());
}

void COrvaneMouseDevice::applyProfileToPage() {
    loadDefaultData();
    showLiftOffReading();
    showLightingPanel();
    showStages();
    showSystemRecord();
    rebuildButtonList();
}

}  // namespace talven
