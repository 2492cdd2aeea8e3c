// COrvaneKeyboardDevice: the settings page (polling rate, key repeat, the
// three key switches), the desktop's key repeat, and the name lists the
// keyboard's panels show.

#include "pages/keyboard/keyboard_device_page.h"

#include "editors/key_set_control.h"
#include "profile/default_light.h"
#include "profile/json_fields.h"
#include "profile/json_file.h"
#include "profile/macro_files.h"
#include "ui/edit.h"
#include "ui/option.h"
#include "ui/slider_progress.h"

#include <algorithm>

namespace talven {

using namespace ui;

namespace {


QString numbered(const char* prefix, int index) { return QString::fromLatin1(prefix) + QString::number(index); }

// "LightInfo"[variant][l]."LightName" of the user's light configuration.
std::vector<std::string> readCustomLightNames(const std::string& path, int variant) {
    using namespace json_fields;
    std::vector<std::string> names;
    if (variant < 0) return names;
    const Json::Value& entries =
        element(member(ReadJsonValue(path), "LightInfo"), static_cast<Json::ArrayIndex>(variant));
    if (!entries.isArray()) return names;
    for (const Json::Value& entry : entries) names.push_back(toText(member(entry, "LightName")));
    return names;
}

}  // namespace

// ---- name lists and the page ------------------------------------------------------------

void COrvaneKeyboardDevice::loadDefaultData() {
    names_ = {};
    for (const MacroListEntry& macro : ReadMacroList(userDataFolder() + kMacroListFileName))
        names_.macroNames.push_back(macro.name);
    DefaultLightNames defaults =
        readDefaultLightNames(defaultDataFolder() + std::string(kDefaultLightFileName), getLayoutVariant());
    names_.defaultLightNames = std::move(defaults.modeNames);
    names_.defaultLightVisible = std::move(defaults.modeVisible);
    names_.areaLightNames = std::move(defaults.areaNames);
    names_.customLightNames = readCustomLightNames(userDataFolder() + configFileName_ + ".config", getLayoutVariant());
}

void COrvaneKeyboardDevice::applyProfileToPage() {
    loadDefaultData();
    showLightingPanel();
    updateKeyLabels();
    updateSettingsPage();
}

void COrvaneKeyboardDevice::updateSettingsPage() {
    const int polling = keyboard::pollingRateOption(system_.pollingRate);
    for (int i = 0; i < keyboard::kSettingOptions; ++i) {
        if (auto* option = qobject_cast<COptionUI*>(pageControl(numbered("polling_rate_option_", i))))
            option->Selected(i == polling, false);
    }
    if (auto* slider = qobject_cast<CSliderUI*>(pageControl("repeat_rate_slider")))
        slider->SetValue(system_.repeatRate);
    const std::optional<int> rateCheck = keyboard::repeatRateCheck(system_.repeatRate);
    for (int i = 0; i < keyboard::kSettingOptions; ++i) {
        if (auto* option = qobject_cast<COptionUI*>(pageControl(numbered("repeat_rate_check_", i))))
            option->Selected(rateCheck == i, false);
    }
    const int delayCheck = keyboard::repeatDelayCheck(system_.repeatDelay);
    for (int i = 0; i < keyboard::kSettingOptions; ++i) {
        if (auto* option = qobject_cast<COptionUI*>(pageControl(numbered("repeat_delay_check_", i))))
            option->Selected(i == delayCheck, false);
    }
    showRepeatDelayLabel(delayCheck);
    if (auto* edit = qobject_cast<CRichEditUI*>(pageControl("repeat_input_richedit"))) edit->SetText(QString());
    showRepeatHint();
    const std::pair<const char*, uint16_t> switches[] = {
        {"winlockflag_option", system_.winLock}, {"wflag_option", system_.wKey}, {"6flag_option", system_.sixKey}};
    for (const auto& [name, value] : switches) {
        if (auto* check = qobject_cast<COptionUI*>(pageControl(name))) check->Selected(value != 0, false);
    }
}

void COrvaneKeyboardDevice::showRepeatDelayLabel(int check) {
    if (CControlUI* label = pageControl("repeat_delay_time_label1")) {
        label->SetText(translate(QStringLiteral("Repeat_Delay_Time")) +
                       QString::number(keyboard::repeatDelayLabelMs(check)) + QStringLiteral("ms"));
    }
}

void COrvaneKeyboardDevice::showRepeatHint() {
    if (auto* edit = qobject_cast<CRichEditUI*>(pageControl("repeat_input_richedit")))
        edit->SetTipValue(translate(QStringLiteral("Repeat_input_text")));
}

// Controls in resource-text mode follow the language by themselves; these
// texts were put together from translations and are put together again.
// The try-out field keeps what the user typed into it.
void COrvaneKeyboardDevice::reloadLanguageTexts() {
    updateKeyLabels();
    showRepeatDelayLabel(keyboard::repeatDelayCheck(system_.repeatDelay));
    showRepeatHint();
}

// ---- settings ---------------------------------------------------------------------------

void COrvaneKeyboardDevice::storeSystemSettings() {
    const KeyboardSystemWords words = system_.toWords();
    profile_.WriteSystemStages(words[0], words[1], words[2]);
    saveProfile();
}

void COrvaneKeyboardDevice::setPollingRate(int option) {
    if (option < 0 || option >= keyboard::kSettingOptions) return;
    system_.pollingRate = static_cast<uint16_t>(option);
    storeSystemSettings();
    writeProfileRecord(0, 0, false, 0, 0);
}

void COrvaneKeyboardDevice::setKeySwitch(KeySwitch which, bool on) {
    const uint16_t value = on ? 1 : 0;
    switch (which) {
    case KeySwitch::WinLock: system_.winLock = value; break;
    case KeySwitch::WKey: system_.wKey = value; break;
    case KeySwitch::SixKey: system_.sixKey = value; break;
    }
    storeSystemSettings();
    writeProfileRecord(0, 0, false, 0, 0);
}

void COrvaneKeyboardDevice::setRepeatDelay(int check) {
    if (check < 0 || check >= keyboard::kSettingOptions) return;
    system_.repeatDelay = static_cast<uint16_t>(check);
    showRepeatDelayLabel(check);
    inputSettings().setKeyboardDelay(system_.repeatDelay);
    storeSystemSettings();
}

void COrvaneKeyboardDevice::setRepeatRateCheck(int check) {
    if (check < 0 || check >= keyboard::kSettingOptions) return;
    setRepeatRate(keyboard::repeatRateForCheck(check));
}

void COrvaneKeyboardDevice::setRepeatRate(int rate) {
    system_.repeatRate = static_cast<uint16_t>(std::clamp(rate, 0, static_cast<int>(kMaxKeyboardSpeed)));
    if (auto* slider = qobject_cast<CSliderUI*>(pageControl("repeat_rate_slider")))
        slider->SetValue(system_.repeatRate);
    const std::optional<int> check = keyboard::repeatRateCheck(system_.repeatRate);
    for (int i = 0; i < keyboard::kSettingOptions; ++i) {
        if (auto* option = qobject_cast<COptionUI*>(pageControl(numbered("repeat_rate_check_", i))))
            option->Selected(check == i, false);
    }
    inputSettings().setKeyboardSpeed(system_.repeatRate);
    storeSystemSettings();
}

void COrvaneKeyboardDevice::resetRepeat() {
    system_.repeatRate = kDefaultKeyboardSpeed;
    system_.repeatDelay = kDefaultKeyboardDelay;
    applyRepeatToDesktop();
    storeSystemSettings();
    updateSettingsPage();
}

void COrvaneKeyboardDevice::selectModifierOption(int index) {
    if (CKeySetControlUI* panel = keySetPanel()) panel->selectModifier(index);
}

// ---- desktop key repeat ---------------------------------------------------------------

void COrvaneKeyboardDevice::setInputSettings(std::unique_ptr<InputSettings> settings) { input_ = std::move(settings); }

InputSettings& COrvaneKeyboardDevice::inputSettings() {
    if (!input_) input_ = openInputSettings();
    return *input_;
}

void COrvaneKeyboardDevice::applyRepeatToDesktop() {
    inputSettings().setKeyboardSpeed(system_.repeatRate);
    inputSettings().setKeyboardDelay(system_.repeatDelay);
}

}  // namespace talven
