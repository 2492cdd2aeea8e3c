#pragma once
// CLightControlUI: the lighting panel of a device page. It shows a device's
// light parameters and collects the user's edits — mode, brightness, speed,
// direction, single colour or spectrum, the colour (three edits, a palette,
// preset colours) and the keyboard's custom mode — and applies the control
// rules of its device variant (device/lighting/light_panel_rules.h) whenever
// a mode is shown. The page that holds it turns the edits into light
// parameters; the panel keeps none of its own.

#include "device/lighting/light_tables.h"
#include "ui/layouts.h"

#include <QString>

#include <string>
#include <vector>

namespace talven {

class CColorPaletteUI;
namespace ui {
class CComboUI;
class CEditUI;
class COptionUI;
class CSliderUI;
}  // namespace ui

class CLightControlUI : public ui::CHorizontalLayoutUI {
    Q_OBJECT
public:
    // Which colour edit.
    enum class Component { Red, Green, Blue };

    QString GetClass() const override { return QStringLiteral("LightControl"); }

    // 1 keyboard, 2 mouse, 3 mouse pad, 4 and 7 headsets, 5.
    void setVariant(int variant) { variant_ = variant; }
    int variant() const { return variant_; }

    // The mode list anew: one row per name (a language key), shown by its
    // flag; then the maxima of the brightness and speed sliders.
    void setModeList(const std::vector<std::string>& names, const std::vector<bool>& visible, int brightnessMax,
                     int speedMax);
    // The user's custom lighting entries.
    void setCustomList(const std::vector<std::string>& names);
    // word 1 = mode | brightness << 8 | speed << 16 | direction << 24;
    // word 2 = spectrum | red << 8 | green << 16 | blue << 24.
    void showLightParams(uint32_t word1, uint32_t word2);
    void setSameModeOption(bool on);
    bool sameModeOption() const { return sameModeOption_; }
    // The rules of the variant for `mode`.
    void applyModeRules(int mode);

    // ---- what the controls hold -------------------------------------------
    int selectedMode();    // -1 without a list
    int selectedCustom();  // -1 when none
    int brightness();
    int speed();
    QString editText(Component component);
    uint32_t paletteColour();   // 0xFF000000 without a selection
    uint32_t presetColour(int n);  // 0xAARRGGBB of "color_option_" n, 0 without it
    bool spectrum();
    int direction();            // 1 FXL, 0 FXR
    bool customKeysOn();        // the custom mode's switch

    // FXL for direction 1, FXR for 0; the other option is cleared.
    void selectDirection(int direction);
    // Selections shown without an event.
    void showCustomEntry(int index);
    void showCustomKeysOn(bool on);

    // ---- updates after an edit --------------------------------------------
    // The edits, the palette and the colour button show `colour`; the
    // spectrum check is cleared.
    void showColour(lighting::Rgb colour);
    // The edit's value as a colour component; a value the edit cannot hold
    // (above 255, or no number) is written back as the value taken.
    uint8_t takeEditComponent(Component component);

private:
    ui::CControlUI* find(const char* name);
    template <typename T>
    T* findAs(const char* name);
    ui::CEditUI* edit(Component component);
    void showCheck(const char* name, bool on);
    void setGroupEnabled(ui::CControlUI* group, bool enabled);
    // A colour swatch keeps its colour; disabled, it is drawn faint.
    static void showSwatch(ui::CControlUI* swatch, QColor colour);
    void fadeDisabledSwatches();

    int variant_ = 1;
    bool sameModeOption_ = false;
};

}  // namespace talven
