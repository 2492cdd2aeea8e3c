#include "app/custom_controls.h"

#include "app/device_option.h"
#include "controls/circle_progress.h"
#include "controls/color_palette.h"
#include "controls/hand_buttons.h"
#include "controls/key_button.h"
#include "controls/list_rows.h"
#include "controls/select_panel.h"
#include "editors/device_profile.h"
#include "editors/light_control.h"
#include "editors/macro_control.h"
#include "editors/magic_control.h"
#include "editors/key_set_control.h"
#include "editors/power_indicator.h"
#include "editors/shoot_control.h"
#include "editors/voice6533_control.h"
#include "pages/headset/headset_device_page.h"
#include "pages/keyboard/keyboard_device_page.h"
#include "pages/mouse/mouse_device_page.h"
#include "pages/mousepad/mousepad_device_page.h"
#include "pages/usb_device_page.h"
#include "ui/control_factory.h"
#include "ui/dialog_builder.h"

#include <array>

namespace talven {

namespace {

template <class T>
ui::CControlUI* make() {
    return new T;
}

// Tag, class, creation. A tag is its class name without "C" and "UI", except
// for the device kinds whose own page class is not written yet: their tags
// build the base page, which shows their controls and previews the base
// effects but sends nothing to their devices.
constexpr auto kControlClasses = std::to_array<ui::ControlClass>({
    {"CircleProgress", "CCircleProgressUI", make<CCircleProgressUI>},
    {"ChartView", "CChartViewUI", make<CChartViewUI>},
    {"Wnd", "CWndUI", make<CWndUI>},
    {"SelectPanel", "CSelectPanelUI", make<CSelectPanelUI>},
    {"DeviceKeyButton", "CDeviceKeyButtonUI", make<CDeviceKeyButtonUI>},
    {"CloudShareListItem", "CCloudShareListItemUI", make<CCloudShareListItemUI>},
    {"DeviceOption", "CDeviceOptionUI", make<CDeviceOptionUI>},
    {"MpDevicePower", "CMpDevicePowerUI", make<CMpDevicePowerUI>},
    {"ComboEditContainerElement", "CComboEditContainerElementUI", make<CComboEditContainerElementUI>},
    {"HandImgButton", "CHandImgButtonUI", make<CHandImgButtonUI>},
    {"HandImgSelectButton", "CHandImgSelectButtonUI", make<CHandImgSelectButtonUI>},
    {"RedioMacroButton", "CRedioMacroButtonUI", make<CRedioMacroButtonUI>},
    {"LightControl", "CLightControlUI", make<CLightControlUI>},
    {"MacroControl", "CMacroControlUI", make<CMacroControlUI>},
    {"ColorPalette", "CColorPaletteUI", make<CColorPaletteUI>},
    {"KeySetControl", "CKeySetControlUI", make<CKeySetControlUI>},
    {"DeviceProfile", "CDeviceProfileUI", make<CDeviceProfileUI>},
    {"ShootControl", "CShootControlUI", make<CShootControlUI>},
    {"OrvaneUSBDevice", "COrvaneUSBDevice", make<COrvaneUSBDevice>},
    {"OrvaneKeyboardDevice", "COrvaneKeyboardDevice", make<COrvaneKeyboardDevice>},
    {"OrvaneMousePadDevice", "COrvaneMousePadDevice", make<COrvaneMousePadDevice>},
    {"OrvaneHS6533Device", "COrvaneHS6533Device", make<COrvaneHS6533Device>},
    {"Voice6533Control", "CVoice6533ControlUI", make<CVoice6533ControlUI>},
    {"MagicControl", "CMagicControlUI", make<CMagicControlUI>},
    {"OrvaneMouseDevice", "COrvaneMouseDevice", make<COrvaneMouseDevice>},
});

struct SubtreeTag {
    const char* tag;
    const char* layout;
};

// Tags that stand for a panel written as its own layout file.
constexpr auto kSubtreeTags = std::to_array<SubtreeTag>({
    {"DeviceProfileUI", "XML\\CustomControlXML\\DeviceProfile.xml"},
    {"LightSetControlUI", "XML\\CustomControlXML\\LightControl.xml"},
    {"LightSetControlTallUI", "XML\\CustomControlXML\\LightControlTall.xml"},
    {"KeySetControlUI", "XML\\CustomControlXML\\KeySetControl.xml"},
    {"MacroSetControlUI", "XML\\CustomControlXML\\MacroControl.xml"},
    {"ShootKeySetControlUI", "XML\\CustomControlXML\\ShootControl.xml"},
    {"Voice6533ControlUI", "XML\\CustomControlXML\\Voice6533Control.xml"},
    {"MagicControlUI", "XML\\CustomControlXML\\MagicControl.xml"},
});

bool sameTag(const QString& tag, const char* name) {
    return tag.compare(QLatin1String(name), Qt::CaseInsensitive) == 0;
}

}  // namespace

std::span<const ui::ControlClass> shellControlClasses() { return kControlClasses; }

void registerShellControlClasses() {
    auto* factory = ui::CControlFactory::GetInstance();
    for (const ui::ControlClass& row : kControlClasses) factory->RegistControl(row);
}

ui::CControlUI* createShellControl(const QString& tag) {
    for (const ui::ControlClass& row : kControlClasses) {
        if (sameTag(tag, row.tag)) return row.create();
    }
    return nullptr;
}

QString shellSubtreeLayout(const QString& tag) {
    for (const SubtreeTag& row : kSubtreeTags) {
        if (sameTag(tag, row.tag)) return QString::fromLatin1(row.layout);
    }
    return {};
}

ui::CControlUI* createShellControlOrSubtree(const QString& tag, ui::IDialogBuilderCallback* callback,
                                            ui::CPaintManagerUI* manager) {
    if (ui::CControlUI* control = createShellControl(tag)) return control;
    const QString layout = shellSubtreeLayout(tag);
    if (layout.isEmpty()) return nullptr;
    ui::CDialogBuilder builder;
    return builder.Create(layout, {}, callback, manager);
}

}  // namespace talven
