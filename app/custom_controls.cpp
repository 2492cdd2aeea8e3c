#include "app/custom_controls.h"

#include "controls/circle_progress.h"
#include "app/device_option.h"
#include "editors/device_profile.h"
#include "controls/hand_buttons.h"
#include "controls/key_button.h"
#include "controls/list_rows.h"
#include "controls/select_panel.h"
#include "pages/usb_device_page.h"
#include "editors/power_indicator.h"
#include "ui/control_factory.h"

#include <array>
#include <utility>

namespace talven {

namespace {

using Create = ui::CControlUI* (*)();

template <class T>
ui::CControlUI* make() {
    return new T;
}

// Layout tags of the shell's controls that the main window's builder knows.
constexpr std::array<std::pair<const char*, Create>, 7> kShellTags = {{
    {"CircleProgress", make<CCircleProgressUI>},
    {"SelectPanel", make<CSelectPanelUI>},
    {"DeviceKeyButton", make<CDeviceKeyButtonUI>},
    {"HandImgButton", make<CHandImgButtonUI>},
    {"HandImgSelectButton", make<CHandImgSelectButtonUI>},
    {"RedioMacroButton", make<CRedioMacroButtonUI>},
    {"ComboEditContainerElement", make<CComboEditContainerElementUI>},
}};

}  // namespace

// Every class the program has so far, in registration order; the
// editors' classes join as they are written.
constexpr std::array<std::pair<const char*, Create>, 14> kRegisteredClasses = {{
    {"CCircleProgressUI", make<CCircleProgressUI>},
    {"CChartViewUI", make<CChartViewUI>},
    {"CWndUI", make<CWndUI>},
    {"CSelectPanelUI", make<CSelectPanelUI>},
    {"CDeviceKeyButtonUI", make<CDeviceKeyButtonUI>},
    {"CCloudShareListItemUI", make<CCloudShareListItemUI>},
    {"CDeviceOptionUI", make<CDeviceOptionUI>},
    {"CMpDevicePowerUI", make<CMpDevicePowerUI>},
    {"CComboEditContainerElementUI", make<CComboEditContainerElementUI>},
    {"CHandImgButtonUI", make<CHandImgButtonUI>},
    {"CHandImgSelectButtonUI", make<CHandImgSelectButtonUI>},
    {"CRedioMacroButtonUI", make<CRedioMacroButtonUI>},
    {"CDeviceProfileUI", make<CDeviceProfileUI>},
    {"COrvaneUSBDevice", make<COrvaneUSBDevice>},
}};

void registerShellControlClasses() {
    auto* factory = ui::CControlFactory::GetInstance();
    for (const auto& [className, create] : kRegisteredClasses) factory->RegistControl(QString::fromLatin1(className), create);
}

ui::CControlUI* createShellControl(const QString& tag) {
    for (const auto& [name, create] : kShellTags) {
        if (tag.compare(QLatin1String(name), Qt::CaseInsensitive) == 0) return create();
    }
    return nullptr;
}

}  // namespace talven
